#include "install/installsession.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/texts.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "install/installmanifest.h"

#include <QDebug>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace {

using State = InstallSession::State;
using Event = InstallSession::Event;

constexpr unsigned bit(State state)
{
    return 1u << unsigned(state);
}
constexpr unsigned kAny = 0xffu;

// The install display's transitions: an event moves the display from any of
// `from` to `to`; an event in a state without a row is dropped (a report
// still queued from before a pause, a second click).
struct Transition
{
    Event event;
    unsigned from;
    State to;
};

const Transition kTable[] = {
    {Event::NeedDownload, kAny, State::GetGame},
    {Event::NeedUpdate, kAny, State::Update},
    {Event::Installed, kAny, State::Play},
    {Event::NothingAnswered, bit(State::Idle), State::GetGame},
    {Event::DownloadingReported, kAny, State::Paused},
    {Event::NeedUnzip, kAny, State::NeedUnzip},
    {Event::Started, kAny, State::Downloading},
    // A start without a usable record leaves the button it came from, or
    // the resume button when it came from a download.
    {Event::StartRefused, bit(State::Idle), State::Idle},
    {Event::StartRefused, bit(State::GetGame), State::GetGame},
    {Event::StartRefused, bit(State::Update), State::Update},
    {Event::StartRefused, bit(State::NeedUnzip), State::NeedUnzip},
    {Event::StartRefused, bit(State::Play), State::Play},
    {Event::StartRefused, bit(State::Downloading) | bit(State::Paused) | bit(State::Extracting), State::Paused},
    {Event::Connecting, kAny, State::Downloading},
    {Event::Stopped, bit(State::Downloading) | bit(State::Paused), State::Paused},
    {Event::Downloaded, bit(State::Downloading) | bit(State::Paused), State::Extracting},
    {Event::ContentError, bit(State::Downloading), State::Paused},
    {Event::RetryDue, bit(State::Downloading), State::Downloading},
    {Event::RetriesSpent, bit(State::Downloading), State::Paused},
    {Event::ErrorUnderNotice, bit(State::Downloading), State::Paused},
    {Event::SpaceShort, bit(State::Downloading), State::Paused},
    {Event::ExtractStarted, kAny, State::Extracting},
    {Event::ExtractRoomShort, bit(State::Extracting), State::Extracting},
    {Event::ExtractRoomDismissed, bit(State::Extracting), State::NeedUnzip},
    {Event::ExtractFailedDismissed, bit(State::Extracting), State::NeedUnzip},
    {Event::ExtractDone, bit(State::Extracting), State::Play},
    {Event::Cleared, kAny, State::GetGame},
};

// The part letter of an archive address (".._a.7z" -> "a"); none without "_".
QString partLetter(const QString &url)
{
    const int underscore = url.lastIndexOf(QLatin1Char('_'));
    return underscore >= 0 ? url.mid(underscore + 1, 1) : QString();
}

bool samePrompt(const InstallSession::Prompt &a, const InstallSession::Prompt &b)
{
    return a.kind == b.kind && a.mode == b.mode && a.textKey == b.textKey && a.text == b.text && a.args == b.args
        && a.suffix == b.suffix;
}

} // namespace

InstallSession::InstallSession(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    qRegisterMetaType<InstallSession::Prompt>();
    qRegisterMetaType<InstallSession::State>();
    connectPlugin();
}

InstallSession::~InstallSession()
{
    // The engine and the extraction manager are children; their workers stop with them.
    if (m_engine.object)
        m_engine.object->disconnect(this);
    if (m_extractor.object)
        m_extractor.object->disconnect(this);
}

bool InstallSession::transition(Event event, State from, State *to)
{
    for (const Transition &row : kTable) {
        if (row.event == event && (row.from & bit(from))) {
            *to = row.to;
            return true;
        }
    }
    return false;
}

bool InstallSession::apply(Event event)
{
    State to = m_state;
    if (!transition(event, m_state, &to)) {
        qDebug() << "Install display: ignored" << event << "in" << m_state;
        return false;
    }
    setState(to);
    return true;
}

void InstallSession::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    qDebug() << "Main button state:" << state;
    emit stateChanged(state);
}

void InstallSession::connectPlugin()
{
    GameInstallPlugin *plugin = m_collaborators.installPlugin;
    if (!plugin)
        return;
    auto post = [this](auto f) {
        return [this, f] {
            later(this, f);
        };
    };
    connect(plugin, &GameInstallPlugin::needToDownload, this, post([this] {
        if (pluginSays(Event::NeedDownload) && std::exchange(m_installWhenKnown, false))
            install();
    }));
    connect(plugin, &GameInstallPlugin::networkError, this, post([this] { onNetworkError(); }));
    connect(plugin, &GameInstallPlugin::versionQueryFailed, this, post([this] {
        // Before any answer the display would stay empty: show what the
        // disk allows (play an installed game, or get it and so retry).
        if (m_state == State::Idle)
            onNetworkError();
    }));
    connect(plugin, &GameInstallPlugin::needToUpdate, this, post([this] { pluginSays(Event::NeedUpdate); }));
    connect(plugin, &GameInstallPlugin::installed, this, post([this] { pluginSays(Event::Installed); }));
    connect(plugin, &GameInstallPlugin::gameoffline, this,
        [this](const QString &message) { later(this, [this, message] { notify(message); }); });
    connect(plugin, &GameInstallPlugin::downloading, this, [this](const KorvaneObject::DownloadingInfo &info) {
        later(this, [this, info] {
            if (pluginSays(Event::DownloadingReported))
                showPausedProgress(info);
        });
    });
    connect(plugin, &GameInstallPlugin::needToUnzip, this, post([this] { pluginSays(Event::NeedUnzip); }));
    connect(plugin, &GameInstallPlugin::versionIsNew, this, [this](const QString &version) {
        later(this, [this, version] {
            emit playSettingsDone();
            emit versionIsNew(version);
        });
    });
    connect(plugin, &GameInstallPlugin::updateNewVersionNow, this, post([this] {
        emit playSettingsDone();
        // Without any version on record there is no install folder yet: choose one first.
        if (GameFiles::instance()->targetVersion().isEmpty()) {
            apply(Event::NeedDownload);
            emit locationWanted();
            return;
        }
        updateNow();
    }));
}

bool InstallSession::pluginSays(Event event)
{
    // The plug-in reads the stored install state, which a running download
    // or extraction is changing: the display follows what runs.
    if (isInstalling()) {
        qInfo() << "Install display: the plug-in's" << event << "waits for the running install";
        return false;
    }
    return apply(event);
}

GameVersionInfo InstallSession::versionInfo() const
{
    return plugin() ? plugin()->gameVersionInfo() : GameVersionInfo();
}

void InstallSession::setGameVersionInfo(const GameVersionInfo &info)
{
    if (plugin())
        plugin()->setGameVersionInfo(info);
}

KorvaneObject::DownloadingInfo InstallSession::savedProgress() const
{
    return plugin() ? plugin()->currentDownloadingInfo() : KorvaneObject::DownloadingInfo();
}

InstallSession::Clearing InstallSession::clearing() const
{
    GameFiles *files = GameFiles::instance();
    Clearing clearing;
    clearing.installDir = files->installDir();
    clearing.installRuns = isInstalling();
    const InstallStatus status = files->status();
    const bool started = (status != InstallStatus::Absent && status != InstallStatus::NotStarted)
        || !files->targetVersion().isEmpty() || !files->installedVersion().isEmpty();
    clearing.launcherRecorded = started && files->recordedInstallDir() == clearing.installDir;
    return clearing;
}

qint64 InstallSession::freeSpace(const QString &path) const
{
    return m_collaborators.freeSpace ? m_collaborators.freeSpace(path) : FileUtil::freeSpace(path);
}

bool InstallSession::isDownloading() const
{
    return m_engine.object && m_engine.running();
}

bool InstallSession::isExtracting() const
{
    return m_extractor.object && m_extractor.busy();
}

qint64 InstallSession::extractRoom(qint64 packageSize)
{
    return qint64(std::ceil(kExtractRoom * double(qMax<qint64>(packageSize, 0))));
}

bool InstallSession::streams(const GameVersionInfo &info)
{
    return info.downloadType == 0 && info.packageUrls.size() > 1;
}

qint64 InstallSession::installRoom(const GameVersionInfo &info)
{
    const qint64 whole = extractRoom(info.packageSize);
    if (!streams(info))
        return whole;
    GameFiles *files = GameFiles::instance();
    qint64 installed = 0;
    QList<qint64> archives;
    for (const QString &url : info.packageUrls) {
        const qint64 packed = files->fileNameSize(url);
        const qint64 unpacked = files->originSize(url);
        if (packed <= 0 || unpacked <= 0)
            return whole; // names that declare no sizes: the rule of the whole package
        installed += unpacked;
        archives << packed;
    }
    std::sort(archives.begin(), archives.end(), std::greater<qint64>());
    return qMax(installed, info.packageRealSize) + archives.value(0) + archives.value(1);
}

bool InstallSession::admits(const QString &url) const
{
    // Counted as if every archive let in were already extracted and still on
    // disk (its unpacked and its packed size) until its extraction deletes it:
    // an archive is let in while that, with it, stays within installRoom().
    const GameVersionInfo info = versionInfo();
    GameFiles *files = GameFiles::instance();
    const QStringList extracted = files->unzippedArchives(info.latestVersion);
    qint64 packedHeld = files->fileNameSize(url);
    qint64 unpackedToCome = 0;
    QList<qint64> archives;
    for (const QString &other : info.packageUrls) {
        archives << files->fileNameSize(other);
        if (other == url || extracted.contains(GameFiles::archiveKey(other)))
            continue;
        const bool held = m_admitted.contains(other) || QFileInfo(files->downloadFilePath(other)).isFile()
            || QFileInfo(files->tempFilePath(other)).isFile();
        if (held)
            packedHeld += files->fileNameSize(other);
        else
            unpackedToCome += files->originSize(other);
    }
    std::sort(archives.begin(), archives.end(), std::greater<qint64>());
    return packedHeld <= archives.value(0) + archives.value(1) + unpackedToCome;
}

qint64 InstallSession::remainingRoom(const GameVersionInfo &info) const
{
    if (!streams(info))
        return extractRoom(info.packageSize);
    // What the archives not yet extracted unpack to.
    GameFiles *files = GameFiles::instance();
    const QStringList extracted = files->unzippedArchives(info.latestVersion);
    qint64 room = 0;
    for (const QString &url : info.packageUrls) {
        if (!extracted.contains(GameFiles::archiveKey(url)))
            room += qMax(files->originSize(url), extractRoom(files->fileNameSize(url)));
    }
    return room;
}

void InstallSession::runVersionCheck(bool userAsked)
{
    if (isInstalling() || !plugin())
        return;
    if (userAsked)
        plugin()->requestGameVersionInfoNow();
    else
        plugin()->requestGameVersionInfo();
}

bool InstallSession::gamePresent() const
{
    GameFiles *files = GameFiles::instance();
    return files->status() == InstallStatus::Installed && QFileInfo(files->gameExePath()).isFile();
}

void InstallSession::refreshMainButton()
{
    if (isInstalling())
        return;
    apply(gamePresent() ? Event::Installed : Event::NeedDownload);
}

void InstallSession::onNetworkError()
{
    m_installWhenKnown = false; // the player asks again once the service answers
    if (isInstalling())
        return;
    // Without the update service an installed game is still playable.
    if (gamePresent()) {
        qInfo("version query failed; the installed game stays playable");
        apply(Event::Installed);
        return;
    }
    apply(Event::NeedDownload);
}

void InstallSession::installOnceKnown()
{
    if (versionInfo().isUnusable())
        m_installWhenKnown = true;
    else
        install();
}

void InstallSession::install()
{
    const GameVersionInfo info = versionInfo();
    qInfo().noquote() << QStringLiteral("latestGameVersion : %1").arg(info.latestVersion);
    if (info.isUnusable()) {
        Prompt notice;
        notice.textKey = QStringLiteral("CannotgetVersionInfo");
        showPrompt(notice);
        runVersionCheck(true);
        return;
    }
    emit locationWanted();
}

void InstallSession::locationConfirmed()
{
    startFresh();
}

void InstallSession::updateNow()
{
    // One install at a time: a second start would write the same files.
    if (isInstalling()) {
        qInfo("updateGameNow refused: a download or an extraction is running");
        return;
    }
    startFresh();
}

void InstallSession::startFresh()
{
    emit progressReset();
    startDownload();
}

void InstallSession::pause()
{
    if (m_state != State::Downloading)
        return;
    // An engine that runs reports its stop; an idle one reports nothing.
    const bool runs = isDownloading();
    stopStreaming();
    if (m_engine.object)
        m_engine.stop();
    if (!runs) {
        apply(Event::Stopped);
        showPausedProgress(savedProgress());
    }
}

void InstallSession::resume()
{
    if (m_state == State::Paused)
        startDownload();
}

InstallSession::DownloadPort &InstallSession::engineFor(int downloadType)
{
    if (m_engine.object && m_engineType == downloadType)
        return m_engine;
    // An engine of the other kind cannot serve this record.
    dropEngine();
    m_engine = m_collaborators.makeEngine(downloadType, this);
    m_engineType = downloadType;
    m_engine.attach(this);
    return m_engine;
}

void InstallSession::dropEngine()
{
    if (!m_engine.object)
        return;
    m_engine.object->disconnect(this);
    m_engine.close();
    m_engine.object->deleteLater();
    m_engine = DownloadPort();
    m_engineType = -1;
}

void InstallSession::startDownload()
{
    // Archives that streamed in may still be extracting when a failed
    // download is tried again: they go on.
    if (isDownloading() || (isExtracting() && !m_streaming)) {
        qInfo("startDownload refused: a download or an extraction is running");
        return;
    }
    const GameVersionInfo info = versionInfo();
    if (m_collaborators.conversion)
        m_collaborators.conversion(QStringLiteral("launcher_downloadgame_start"));
    track(QStringLiteral("launcher_downloadgame_start"),
        {{QStringLiteral("game_version"), info.latestVersion}, {QStringLiteral("game_update_type"), info.updateType}});
    if (info.isUnusable() || !m_collaborators.makeEngine) {
        // Nothing runs: the display goes back to a button that can start again.
        apply(Event::StartRefused);
        if (m_state == State::Paused)
            showPausedProgress(savedProgress());
        Prompt notice;
        notice.textKey = QStringLiteral("CannotgetVersionInfo");
        showPrompt(notice);
        runVersionCheck(true);
        return;
    }
    DownloadPort &engine = engineFor(info.downloadType);
    apply(Event::Started);
    m_streaming = streams(info) && engine.setAdmission && m_collaborators.makeExtractor;
    if (!m_streaming) {
        if (engine.setAdmission)
            engine.setAdmission(nullptr);
        engine.start(info);
        return;
    }
    m_admitted.clear();
    engine.setAdmission([this](const QString &url) {
        if (!admits(url))
            return false;
        m_admitted << url;
        return true;
    });
    engine.start(info);
    startStreaming(info);
}

void InstallSession::startStreaming(const GameVersionInfo &info)
{
    ensureExtractor();
    m_extractor.setDeleteExtracted(true);
    // Archives a former run downloaded and did not extract go first.
    GameFiles *files = GameFiles::instance();
    QStringList present;
    for (const QString &url : info.packageUrls) {
        if (QFileInfo(files->downloadFilePath(url)).isFile())
            present << url;
    }
    if (!present.isEmpty())
        m_extractor.add(info, present);
    reportArchives();
}

void InstallSession::stopStreaming()
{
    if (!m_streaming)
        return;
    m_streaming = false;
    // The interrupted archive is extracted again by the next run.
    if (m_extractor.object)
        m_extractor.cancel();
    emit archivesInstalling(0, 0, false);
}

void InstallSession::onFileDownloaded(const QString &url)
{
    if (!m_streaming || m_state != State::Downloading || !m_extractor.object)
        return;
    m_extractor.add(versionInfo(), {url});
    reportArchives();
}

void InstallSession::onArchiveExtracted(const QString &url)
{
    m_admitted.removeAll(url);
    if (m_streaming && isDownloading() && m_engine.admitWaiting)
        m_engine.admitWaiting(); // its room is free
    reportArchives();
}

void InstallSession::showPausedProgress(const KorvaneObject::DownloadingInfo &info)
{
    emit pausedProgress(info);
    reportArchives();
}

void InstallSession::reportArchives()
{
    // A paused package that streams keeps what it has installed on screen.
    const GameVersionInfo info = versionInfo();
    const bool shown = m_state == State::Downloading ? m_streaming : m_state == State::Paused && streams(info);
    if (!shown) {
        emit archivesInstalling(0, 0, false);
        return;
    }
    const int count = info.packageUrls.size();
    const int done = qMin(int(GameFiles::instance()->unzippedArchives(info.latestVersion).size()), count);
    emit archivesInstalling(done, count, m_streaming && isExtracting());
}

void InstallSession::onStartConnect()
{
    const bool fresh = m_state != State::Downloading;
    if (!apply(Event::Connecting))
        return;
    emit connecting(fresh);
}

void InstallSession::onDownloadProcess(const KorvaneObject::DownloadingInfo &info)
{
    if (m_state == State::Downloading)
        emit downloadProgress(info); // else a record still queued from before a pause
}

void InstallSession::onDownloadStop()
{
    qInfo("DownloadStop---------------");
    if (m_state == State::Downloading)
        stopStreaming();
    if (apply(Event::Stopped))
        showPausedProgress(savedProgress());
}

void InstallSession::onReplyFinished(int code, const QString &totalSize)
{
    if (code == 0)
        return;
    if (!apply(Event::Downloaded))
        return;
    m_retryCount = 0;
    const GameVersionInfo info = versionInfo();
    track(QStringLiteral("launcher_downloadgame_finish"),
        {{QStringLiteral("result"), QStringLiteral("success")}, {QStringLiteral("game_version"), info.latestVersion},
            {QStringLiteral("game_update_type"), info.updateType}});
    emit downloadComplete(totalSize);
    extract();
}

void InstallSession::onDownloadError(const QString &url, int code)
{
    qInfo().noquote() << QStringLiteral("DownloadError-code ：%1").arg(code);
    if (m_state != State::Downloading)
        return;
    if (currentPrompt()) {
        // The user is being told something already: no restart behind it,
        // and the resume button, never a pause button over nothing.
        stopStreaming();
        apply(Event::ErrorUnderNotice);
        showPausedProgress(savedProgress());
        return;
    }
    const int ticket = ++m_retryTicket;
    QTimer::singleShot(m_collaborators.retryDelayMs, this, [this, url, code, ticket] {
        if (ticket == m_retryTicket)
            retryDownload(url, code);
    });
}

void InstallSession::retryDownload(const QString &url, int code)
{
    qInfo().noquote() << QStringLiteral("retryDownload: %1").arg(code);
    if (m_state != State::Downloading)
        return; // paused meanwhile
    Prompt notice;
    notice.code = code;
    if (code >= kContentErrorFirst && code <= kContentErrorLast) {
        stopStreaming();
        apply(Event::ContentError);
        showPausedProgress(savedProgress());
        notice.mode = NoticeMode::ContentError;
        notice.textKey = QStringLiteral("ExeError");
        notice.suffix = QStringLiteral("%1-%2").arg(partLetter(url)).arg(code);
        showPrompt(notice);
        return;
    }
    // An engine that retried for its whole bound reports a fault no restart mends soon.
    const bool engineRetried = m_engine.retriesItself && m_engine.retriesItself();
    if (!engineRetried && m_retryCount <= kRetryLimit) {
        ++m_retryCount;
        apply(Event::RetryDue);
        startDownload();
        return;
    }
    stopStreaming();
    apply(Event::RetriesSpent);
    showPausedProgress(savedProgress());
    m_retryCount = 0;
    notice.mode = NoticeMode::RetriesSpent;
    notice.textKey = QStringLiteral("ExeSomeError(%1-%2)。");
    notice.args = QStringList {partLetter(url), QString::number(code)};
    showPrompt(notice);
}

void InstallSession::onDirSpaceLimit(const QString &totalSize)
{
    Q_UNUSED(totalSize)
    if (!apply(Event::SpaceShort))
        return;
    stopStreaming();
    showPausedProgress(savedProgress());
    track(QStringLiteral("launcher_downloadgame_finish"),
        {{QStringLiteral("result"), QStringLiteral("fail")},
            {QStringLiteral("result_msg"), QStringLiteral("FileSpaceLimit")},
            {QStringLiteral("download_path"), AppDir::path() + QStringLiteral("/Downloads/")},
            {QStringLiteral("game_version"), versionInfo().latestVersion}});
    Prompt notice;
    notice.textKey = QStringLiteral("FileSpaceLimit");
    showPrompt(notice);
}

void InstallSession::extract()
{
    // The archives that streamed in are being extracted: the rest joins them.
    const bool joins = m_streaming && isExtracting();
    m_streaming = false;
    emit archivesInstalling(0, 0, false);
    if (isExtracting() && !joins)
        return;
    apply(Event::ExtractStarted);
    emit extractProgress(0.0);
    const GameVersionInfo info = versionInfo();
    const QString dir = GameFiles::instance()->installDir();
    const qint64 free = freeSpace(dir);
    const qint64 room = remainingRoom(info);
    qInfo().noquote() << QStringLiteral("dir size : %1").arg(sizeText(quint64(qMax<qint64>(free, 0))));
    qInfo().noquote() << QStringLiteral("dir limit : %1").arg(sizeText(quint64(room)));
    if (free < room && !joins) {
        apply(Event::ExtractRoomShort);
        Prompt question;
        question.kind = PromptKind::RoomQuestion;
        question.textKey = QStringLiteral("FileSpaceLimit");
        question.confirmKey = QStringLiteral("Retry");
        question.cancelKey = QStringLiteral("ExitApp");
        question.answers = {Answer::Confirm, Answer::Cancel};
        showPrompt(question);
        return;
    }
    if (!ensureExtractor())
        return;
    m_extractor.setDeleteExtracted(streams(info));
    m_extractClock.start();
    if (joins)
        m_extractor.add(info, info.packageUrls);
    else
        m_extractor.start(info);
}

bool InstallSession::ensureExtractor()
{
    if (m_extractor.object)
        return true;
    if (!m_collaborators.makeExtractor)
        return false;
    m_extractor = m_collaborators.makeExtractor(this);
    m_extractor.attach(this);
    return true;
}

void InstallSession::onExtractStarted()
{
    track(QStringLiteral("launcher_install_start"), {});
}

void InstallSession::onExtractProgress(qint64 value, qint64 total)
{
    // Nothing to write yet reads as 0 %, and a value past the total as 100 %.
    emit extractProgress(total > 0 ? qBound(0.0, double(value) / double(total), 1.0) : 0.0);
}

void InstallSession::onExtractError(const QString &message, const QStringList &urls)
{
    qInfo().noquote() << QStringLiteral("extractError : %1").arg(message);
    // An archive failed while the package downloads: the download stops
    // (its display pauses) and the notice below offers the usual way on.
    if (m_streaming && m_state == State::Downloading) {
        m_streaming = false;
        emit archivesInstalling(0, 0, false);
        if (m_engine.object)
            m_engine.stop();
    }
    Prompt notice;
    notice.mode = NoticeMode::ExtractError;
    notice.textKey = QStringLiteral("ExeError");
    notice.urls = urls;
    notice.answers = {Answer::Confirm};
    // One extraction-error notice at a time; any other notice on screen
    // only delays it.
    for (const Prompt &waiting : qAsConst(m_prompts)) {
        if (waiting.mode == NoticeMode::ExtractError)
            return;
    }
    showPrompt(notice);
}

void InstallSession::onExtractFinished()
{
    if (m_state != State::Extracting)
        return;
    commitInstall();
    apply(Event::ExtractDone);
}

void InstallSession::commitInstall()
{
    const GameVersionInfo info = versionInfo();
    GameFiles *files = GameFiles::instance();
    // A differential package brings only changed and added files; what the
    // new version dropped goes before the install is recorded as done.
    if (UpdateType(info.updateType) == UpdateType::Differential)
        files->removeDroppedFiles(info.removedFiles);
    // The install is recorded first: a stop between here and the clean-up
    // below leaves an installed game with stray archives, never a game that
    // must be downloaded again.
    const QString previousVersion = files->installedVersion();
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(info.latestVersion);
    // The files of the version as written, for a later verify; the install stands without it.
    InstallManifest::commit(info, previousVersion);

    qDebug("unzip spend time ---> %lld", m_extractClock.isValid() ? m_extractClock.elapsed() / 1000 : 0LL);
    track(QStringLiteral("launcher_install_finish"), {});
    qDebug("installFinish");
    if (m_engine.object) {
        qDebug("kvdownloadmanager ---> closeDownload");
        dropEngine();
    }
    emit progressReset();
    dropExtractor();
    files->clearUnzipRecords(info.latestVersion);
    if (plugin())
        plugin()->RemoveDownloadZip();
}

void InstallSession::dropExtractor()
{
    if (!m_extractor.object)
        return;
    m_extractor.object->disconnect(this);
    m_extractor.reset();
    m_extractor.object->deleteLater();
    m_extractor = ExtractPort();
}

void InstallSession::resourcesCleared()
{
    // The working record may be an update's differential package, which
    // only holds what changed: with the game gone, the next install needs
    // the package the service offers when nothing is installed.
    setGameVersionInfo(GameVersionInfo());
    apply(Event::Cleared);
    runVersionCheck(true);
}

void InstallSession::notify(const QString &text)
{
    Prompt notice;
    notice.text = text;
    showPrompt(notice);
}

void InstallSession::showPrompt(Prompt prompt)
{
    if (prompt.kind == PromptKind::Notice && prompt.answers.isEmpty())
        prompt.answers = {Answer::Confirm};
    for (const Prompt &waiting : qAsConst(m_prompts)) {
        if (samePrompt(waiting, prompt))
            return; // already on screen or waiting
    }
    prompt.id = m_nextPromptId++;
    m_prompts.append(prompt);
    if (m_prompts.size() == 1)
        emit promptRequested(prompt);
}

void InstallSession::answer(int promptId, Answer answer)
{
    if (m_prompts.isEmpty() || m_prompts.first().id != promptId)
        return; // answered already (a button, then the dialog's close)
    const Prompt prompt = m_prompts.takeFirst();
    qInfo() << "Prompt" << prompt.textKey << prompt.mode << "answered:" << answer;
    act(prompt, answer);
    if (!m_prompts.isEmpty())
        emit promptRequested(m_prompts.first());
}

void InstallSession::act(const Prompt &prompt, Answer answer)
{
    if (prompt.kind == PromptKind::RoomQuestion) {
        if (answer == Answer::Confirm) {
            extract();
            return;
        }
        apply(Event::ExtractRoomDismissed);
        if (answer == Answer::Cancel)
            emit quitRequested();
        return;
    }
    if (prompt.mode == NoticeMode::ExtractError) {
        if (answer != Answer::Confirm) {
            apply(Event::ExtractFailedDismissed);
            return;
        }
        GameFiles *files = GameFiles::instance();
        for (const QString &url : prompt.urls)
            files->deleteFile(files->downloadFilePath(url));
        startFresh();
    } else if (prompt.mode == NoticeMode::ContentError && answer == Answer::Confirm) {
        if (m_engine.object)
            m_engine.removeFailedFiles();
        showPausedProgress(savedProgress());
        startDownload();
    }
}

void InstallSession::stopWork()
{
    if (m_engine.object) {
        m_engine.object->disconnect(this);
        m_engine.stop();
    }
    if (m_extractor.object) {
        m_extractor.object->disconnect(this);
        m_extractor.cancel();
    }
}

void InstallSession::track(const QString &event, const QVariantMap &properties) const
{
    if (m_collaborators.track)
        m_collaborators.track(event, properties);
}
