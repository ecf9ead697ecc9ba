#include "download/downloadinterface.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "install/installsession.h"
#include "support/testenv.h"

#include <QNetworkAccessManager>
#include <QtTest>

// The install display's rules without a window or a publisher: every
// transition of the state table, and every way out of every question and
// notice, driven through stand-in engines and the plug-in's own signals.
namespace {

using State = InstallSession::State;
using Answer = InstallSession::Answer;
using Mode = InstallSession::NoticeMode;

constexpr qint64 kPackage = 9000;

// A download engine that runs only when told and reports what the test emits.
class FakeEngine : public DownloadInterface
{
public:
    using DownloadInterface::DownloadInterface;
    bool isDownloading() const override { return running; }
    void startDownload(GameVersionInfo) override
    {
        ++starts;
        running = startsRunning;
    }
    // A running engine reports its stop; an idle one reports nothing, like the real ones.
    void stopDownload() override
    {
        ++stops;
        if (running)
            emit signalDownloadStop();
        running = false;
    }
    bool removeFailedFiles() override
    {
        ++removals;
        return true;
    }
    bool startsRunning = true;
    bool running = false;
    int starts = 0;
    int stops = 0;
    int removals = 0;
};

} // namespace

// An extraction manager with the signals of the real one.
class FakeExtractor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void startExtract(const GameVersionInfo &)
    {
        ++starts;
        busy = true;
    }
    bool isBusy() const { return busy; }
    void resetExtract() { busy = false; }
    void cancelExtract() { busy = false; }
    void addArchives(const QString &, const QStringList &urls)
    {
        added << urls;
        busy = true;
    }
    void setDeleteExtracted(bool) { }
    bool busy = false;
    int starts = 0;
    QStringList added;

signals:
    void workStarted();
    void sigProgress(qlonglong value, qlonglong total);
    void sigZipsError(QString message, QStringList urls);
    void unzipProgressFinish();
    void archiveExtracted(QString url);
};

enum class Act {
    NeedDownload,
    NeedUpdate,
    Installed,
    QueryFailed,
    DownloadingReported,
    NeedUnzip,
    UpdateNow,
    Pause,
    Resume,
    Connect,
    Progress,
    Stop,
    Finish,
    ContentError,
    OtherError,
    SpaceLimit,
    Extract,
    ExtractDone,
    Cleared,
    UnusableStart,
    UnusableRetry,
};

Q_DECLARE_METATYPE(Act)
Q_DECLARE_METATYPE(InstallStatus)

class TestInstallSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void transitions_data();
    void transitions();
    void exits_data();
    void exits();
    void spaceRuleBeforeExtraction_data();
    void spaceRuleBeforeExtraction();
    void retryPolicy_data();
    void retryPolicy();
    void errorsUnderANoticeWaitOrPause();
    void commitOrder();
    void enginePerDownloadTypeAndOneInstallAtATime();
    void diskBudget_data();
    void diskBudget();
    void streamingExtractsAsArchivesArriveAndPauseStopsBoth();
    void fullDiskWhileStreamingKeepsWhatIsDone();
    void clearingKnowsTheLaunchersOwnFolder_data();
    void clearingKnowsTheLaunchersOwnFolder();

private:
    GameVersionInfo usable(int downloadType = 0) const;
    // A package of four archives, each 100 bytes packed and 150 unpacked.
    static GameVersionInfo streamed();
    static void touch(const QString &path);
    void reach(State state);
    void act(Act act);
    FakeEngine *engine() const { return m_engines.isEmpty() ? nullptr : m_engines.last(); }

    std::unique_ptr<TestEnv> m_env;
    QNetworkAccessManager m_network;
    GameInstallPlugin *m_plugin = nullptr;
    InstallSession *m_session = nullptr;
    QList<FakeEngine *> m_engines;
    QList<int> m_engineTypes;
    FakeExtractor *m_extractor = nullptr;
    qint64 m_free = 100 * kPackage;
    QStringList m_events;
    QList<InstallSession::Prompt> m_prompts;
    int m_quits = 0;
    // The engines take up network faults themselves (their errors are final).
    bool m_engineRetries = false;
    // The install state when the install-finish event went out.
    InstallStatus m_statusAtFinish = InstallStatus::Absent;
    QString m_versionAtFinish;
    bool m_archiveAtFinish = false;
};

GameVersionInfo TestInstallSession::usable(int downloadType) const
{
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
    info.packageSize = kPackage;
    info.downloadType = downloadType;
    info.updateType = 1;
    return info;
}

GameVersionInfo TestInstallSession::streamed()
{
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    for (const char part : {'a', 'b', 'c', 'd'})
        info.packageUrls << QStringLiteral("http://127.0.0.1:9/files/q_origin_150_size_100_md5_0_%1.7z").arg(part);
    info.packageSize = 400;
    info.packageRealSize = 600;
    info.updateType = 1;
    return info;
}

void TestInstallSession::touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestInstallSession::init()
{
    m_env = std::make_unique<TestEnv>(1);
    GameInstallPlugin::Collaborators plugged;
    plugged.updateServiceBase = [] {
        return QStringLiteral("http://127.0.0.1:9");
    };
    plugged.manager = &m_network;
    plugged.runningType = 1;
    m_plugin = new GameInstallPlugin(plugged, this);

    m_engines.clear();
    m_engineTypes.clear();
    m_extractor = nullptr;
    m_free = 100 * kPackage;
    m_events.clear();
    m_prompts.clear();
    m_quits = 0;
    m_engineRetries = false;
    InstallSession::Collaborators c;
    c.installPlugin = m_plugin;
    c.makeEngine = [this](int type, QObject *parent) {
        m_engineTypes << type;
        DownloadCollaborators downloads;
        downloads.giveUpAfterMs = m_engineRetries ? 600000 : 0;
        m_engines << new FakeEngine(parent, downloads);
        return InstallSession::downloadPort(m_engines.last());
    };
    c.makeExtractor = [this](QObject *parent) {
        m_extractor = new FakeExtractor(parent);
        return InstallSession::extractPort(m_extractor);
    };
    c.freeSpace = [this](const QString &) {
        return m_free;
    };
    c.track = [this](const QString &event, const QVariantMap &) {
        m_events << event;
        if (event == QLatin1String("launcher_install_finish")) {
            GameFiles *files = GameFiles::instance();
            m_statusAtFinish = files->status();
            m_versionAtFinish = files->installedVersion();
            m_archiveAtFinish = QFileInfo::exists(files->downloadFilePath(usable().packageUrls.first()));
        }
    };
    c.retryDelayMs = 0;
    m_session = new InstallSession(c, this);
    connect(m_session, &InstallSession::promptRequested, this,
        [this](const InstallSession::Prompt &prompt) { m_prompts << prompt; });
    connect(m_session, &InstallSession::quitRequested, this, [this] { ++m_quits; });
}

void TestInstallSession::cleanup()
{
    delete m_session;
    delete m_plugin;
    m_env.reset();
}

// Drives the session into `state` the way the plug-in, the engines and the user do.
void TestInstallSession::reach(State state)
{
    switch (state) {
    case State::Idle:
        break;
    case State::GetGame:
        act(Act::NeedDownload);
        break;
    case State::Update:
        act(Act::NeedUpdate);
        break;
    case State::Play:
        act(Act::Installed);
        break;
    case State::NeedUnzip:
        act(Act::NeedUnzip);
        break;
    case State::Downloading:
        act(Act::UpdateNow);
        break;
    case State::Paused:
        act(Act::UpdateNow);
        act(Act::Stop);
        break;
    case State::Extracting:
        act(Act::NeedUnzip);
        QTRY_COMPARE(m_session->state(), State::NeedUnzip);
        act(Act::Extract);
        break;
    }
    QTRY_COMPARE(m_session->state(), state);
}

void TestInstallSession::act(Act act)
{
    const QString url = usable().packageUrls.first();
    KorvaneObject::DownloadingInfo info;
    info.percent = QStringLiteral("40");
    info.totalSize = QStringLiteral("9 KB");
    switch (act) {
    case Act::NeedDownload:
        emit m_plugin->needToDownload(usable());
        break;
    case Act::NeedUpdate:
        emit m_plugin->needToUpdate(usable());
        break;
    case Act::Installed:
        emit m_plugin->installed();
        break;
    case Act::QueryFailed:
        emit m_plugin->versionQueryFailed();
        break;
    case Act::DownloadingReported:
        emit m_plugin->downloading(info);
        break;
    case Act::NeedUnzip:
        emit m_plugin->needToUnzip();
        break;
    case Act::UpdateNow:
        m_session->setGameVersionInfo(usable());
        m_session->updateNow();
        break;
    case Act::Pause:
        m_session->pause();
        break;
    case Act::Resume:
        m_session->resume();
        break;
    case Act::Connect:
        emit engine()->signalStartConnect();
        break;
    case Act::Progress:
        emit engine()->signalDownloadProcess(info);
        break;
    case Act::Stop:
        engine()->running = false;
        emit engine()->signalDownloadStop();
        break;
    case Act::Finish:
        engine()->running = false;
        emit engine()->signalReplyFinished(1, QStringLiteral("9 KB"));
        break;
    case Act::ContentError:
        engine()->running = false;
        emit engine()->signalDownloadError(url, 203);
        break;
    case Act::OtherError:
        engine()->running = false;
        emit engine()->signalDownloadError(url, 99);
        break;
    case Act::SpaceLimit:
        engine()->running = false;
        emit engine()->signalDirSpaceLimit(QStringLiteral("9 KB"));
        break;
    case Act::Extract:
        m_session->setGameVersionInfo(usable());
        m_session->extract();
        break;
    case Act::ExtractDone:
        m_extractor->busy = false;
        emit m_extractor->unzipProgressFinish();
        break;
    case Act::Cleared:
        m_session->resourcesCleared();
        break;
    case Act::UnusableStart:
        m_session->setGameVersionInfo(GameVersionInfo());
        if (m_session->state() == State::Paused)
            m_session->resume();
        else
            m_session->updateNow();
        break;
    case Act::UnusableRetry:
        m_session->setGameVersionInfo(GameVersionInfo());
        engine()->running = false;
        emit engine()->signalDownloadError(url, 99);
        break;
    }
}

void TestInstallSession::transitions_data()
{
    QTest::addColumn<State>("from");
    QTest::addColumn<Act>("act");
    QTest::addColumn<State>("to");

    const State all[] = {State::Idle, State::GetGame, State::Update, State::Downloading, State::Paused,
        State::NeedUnzip, State::Extracting, State::Play};
    // The plug-in's answers lead to their state from anywhere, except while
    // a download or an extraction runs: the display shows what runs.
    for (State from : all) {
        const QByteArray name = QMetaEnum::fromType<State>().valueToKey(int(from));
        const bool runs = from == State::Downloading || from == State::Extracting;
        QTest::newRow(name + " needToDownload") << from << Act::NeedDownload << (runs ? from : State::GetGame);
        QTest::newRow(name + " needToUpdate") << from << Act::NeedUpdate << (runs ? from : State::Update);
        QTest::newRow(name + " installed") << from << Act::Installed << (runs ? from : State::Play);
        QTest::newRow(name + " downloading") << from << Act::DownloadingReported << (runs ? from : State::Paused);
        QTest::newRow(name + " needToUnzip") << from << Act::NeedUnzip << (runs ? from : State::NeedUnzip);
    }
    QTest::newRow("idle, query failed, nothing installed") << State::Idle << Act::QueryFailed << State::GetGame;
    QTest::newRow("play, query failed") << State::Play << Act::QueryFailed << State::Play;
    QTest::newRow("get game, start") << State::GetGame << Act::UpdateNow << State::Downloading;
    QTest::newRow("update, start") << State::Update << Act::UpdateNow << State::Downloading;
    QTest::newRow("play, update now") << State::Play << Act::UpdateNow << State::Downloading;
    QTest::newRow("downloading, connect") << State::Downloading << Act::Connect << State::Downloading;
    QTest::newRow("paused, connect") << State::Paused << Act::Connect << State::Downloading;
    QTest::newRow("downloading, progress") << State::Downloading << Act::Progress << State::Downloading;
    QTest::newRow("paused, late progress") << State::Paused << Act::Progress << State::Paused;
    QTest::newRow("downloading, pause") << State::Downloading << Act::Pause << State::Paused;
    QTest::newRow("downloading, stop") << State::Downloading << Act::Stop << State::Paused;
    QTest::newRow("paused, resume") << State::Paused << Act::Resume << State::Downloading;
    QTest::newRow("downloading, finished") << State::Downloading << Act::Finish << State::Extracting;
    QTest::newRow("downloading, content error") << State::Downloading << Act::ContentError << State::Paused;
    QTest::newRow("downloading, other error") << State::Downloading << Act::OtherError << State::Downloading;
    QTest::newRow("downloading, no room") << State::Downloading << Act::SpaceLimit << State::Paused;
    QTest::newRow("need unzip, extract") << State::NeedUnzip << Act::Extract << State::Extracting;
    QTest::newRow("extracting, finished") << State::Extracting << Act::ExtractDone << State::Play;
    QTest::newRow("play, cleared") << State::Play << Act::Cleared << State::GetGame;
    QTest::newRow("paused, cleared") << State::Paused << Act::Cleared << State::GetGame;
    // Nothing runs without a usable record: the button it came from, or resume.
    QTest::newRow("get game, unusable start") << State::GetGame << Act::UnusableStart << State::GetGame;
    QTest::newRow("update, unusable start") << State::Update << Act::UnusableStart << State::Update;
    QTest::newRow("play, unusable update") << State::Play << Act::UnusableStart << State::Play;
    QTest::newRow("paused, unusable resume") << State::Paused << Act::UnusableStart << State::Paused;
    QTest::newRow("downloading, unusable retry") << State::Downloading << Act::UnusableRetry << State::Paused;
}

void TestInstallSession::transitions()
{
    QFETCH(State, from);
    QFETCH(Act, act);
    QFETCH(State, to);

    reach(from);
    QSignalSpy changed(m_session, &InstallSession::stateChanged);
    this->act(act);
    if (from != to)
        QTRY_COMPARE(changed.count(), 1);
    QTRY_COMPARE(m_session->state(), to);
    // Drained: a handler posted by the act has run.
    QTest::qWait(0);
    QCOMPARE(m_session->state(), to);
    // What the display shows is what runs: a pause button only over a running download.
    if (to == State::Downloading && act != Act::OtherError && act != Act::Connect)
        QVERIFY(m_session->isDownloading());
    if (to == State::Paused)
        QVERIFY(!m_session->isDownloading());
}

void TestInstallSession::exits_data()
{
    QTest::addColumn<Act>("cause");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<State>("to");
    QTest::addColumn<int>("starts"); // downloads started by the answer
    QTest::addColumn<bool>("quit");

    // The extraction's room question: Retry, Close, or closed.
    QTest::newRow("room, retry") << Act::Extract << Answer::Confirm << State::Extracting << 0 << false;
    QTest::newRow("room, close") << Act::Extract << Answer::Cancel << State::NeedUnzip << 0 << true;
    QTest::newRow("room, dismissed") << Act::Extract << Answer::Dismissed << State::NeedUnzip << 0 << false;
    // A failed extraction: download again, or leave it to a later extraction.
    QTest::newRow("extract error, redownload")
        << Act::ExtractDone << Answer::Confirm << State::Downloading << 1 << false;
    QTest::newRow("extract error, dismissed")
        << Act::ExtractDone << Answer::Dismissed << State::NeedUnzip << 0 << false;
    QTest::newRow("content error, again") << Act::ContentError << Answer::Confirm << State::Downloading << 1 << false;
    QTest::newRow("content error, dismissed") << Act::ContentError << Answer::Dismissed << State::Paused << 0 << false;
    QTest::newRow("retries spent, button") << Act::OtherError << Answer::Confirm << State::Paused << 0 << false;
    QTest::newRow("retries spent, dismissed") << Act::OtherError << Answer::Dismissed << State::Paused << 0 << false;
    QTest::newRow("no room to download, button") << Act::SpaceLimit << Answer::Confirm << State::Paused << 0 << false;
    QTest::newRow("no room to download, dismissed")
        << Act::SpaceLimit << Answer::Dismissed << State::Paused << 0 << false;
    QTest::newRow("no version, button") << Act::UnusableStart << Answer::Confirm << State::GetGame << 0 << false;
    QTest::newRow("no version, dismissed") << Act::UnusableStart << Answer::Dismissed << State::GetGame << 0 << false;
}

void TestInstallSession::exits()
{
    QFETCH(Act, cause);
    QFETCH(Answer, answer);
    QFETCH(State, to);
    QFETCH(int, starts);
    QFETCH(bool, quit);

    GameFiles *files = GameFiles::instance();
    const QString archive = files->downloadFilePath(usable().packageUrls.first());
    switch (cause) {
    case Act::Extract:
        m_free = InstallSession::extractRoom(kPackage) - 1;
        reach(State::NeedUnzip);
        act(Act::Extract);
        m_free = InstallSession::extractRoom(kPackage);
        break;
    case Act::ExtractDone: // an extraction that fails instead
        reach(State::Extracting);
        QVERIFY(QDir().mkpath(QFileInfo(archive).path()));
        QVERIFY(QFile(archive).open(QIODevice::WriteOnly));
        m_extractor->busy = false;
        emit m_extractor->sigZipsError(QStringLiteral("extractError"), usable().packageUrls);
        break;
    case Act::OtherError:
        reach(State::Downloading);
        for (int i = 0; i <= InstallSession::kRetryLimit + 1; ++i) {
            act(Act::OtherError);
            QTRY_VERIFY(engine()->starts == i + 2 || !m_prompts.isEmpty());
        }
        break;
    case Act::UnusableStart:
        reach(State::GetGame);
        act(Act::UnusableStart);
        m_session->setGameVersionInfo(usable());
        break;
    default:
        reach(State::Downloading);
        act(cause);
        break;
    }
    QTRY_COMPARE(m_prompts.size(), 1);
    const InstallSession::Prompt prompt = m_prompts.first();
    QVERIFY(m_session->currentPrompt() && m_session->currentPrompt()->id == prompt.id);
    const int startsBefore = engine() ? engine()->starts : 0;
    const int extractsBefore = m_extractor ? m_extractor->starts : 0;

    m_session->answer(prompt.id, answer);
    // The dialog's own close after a button is no second answer.
    m_session->answer(prompt.id, Answer::Dismissed);
    QTRY_COMPARE(m_session->state(), to);
    QVERIFY(!m_session->currentPrompt());
    QCOMPARE((engine() ? engine()->starts : 0) - startsBefore, starts);
    QCOMPARE(m_quits, quit ? 1 : 0);
    if (cause == Act::Extract && answer == Answer::Confirm)
        QCOMPARE(m_extractor->starts - extractsBefore, 1);
    if (cause == Act::ExtractDone)
        QCOMPARE(QFileInfo::exists(archive), answer != Answer::Confirm); // redownload drops the damaged archive
    if (cause == Act::ContentError && answer == Answer::Confirm)
        QCOMPARE(engine()->removals, 1);
}

void TestInstallSession::spaceRuleBeforeExtraction_data()
{
    QTest::addColumn<qint64>("package");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<bool>("extracts");

    const qint64 gb = 1000LL * 1000 * 1000;
    QTest::newRow("10 GB free, 9 GB package") << 9 * gb << 10 * gb << false;
    QTest::newRow("just short of 1.3 x") << 9 * gb << 11700 * 1000LL * 1000 - 1 << false;
    QTest::newRow("1.3 x free") << 9 * gb << 11700 * 1000LL * 1000 << true;
    QTest::newRow("the package itself is no room") << 9 * gb << 9 * gb << false;
}

void TestInstallSession::spaceRuleBeforeExtraction()
{
    QFETCH(qint64, package);
    QFETCH(qint64, free);
    QFETCH(bool, extracts);

    reach(State::NeedUnzip);
    GameVersionInfo info = usable();
    info.packageSize = package;
    m_session->setGameVersionInfo(info);
    m_free = free;
    m_session->extract();
    QCOMPARE(m_session->state(), State::Extracting);
    QCOMPARE(m_extractor && m_extractor->starts == 1, extracts);
    QCOMPARE(m_prompts.size(), extracts ? 0 : 1);
    if (!extracts)
        QCOMPARE(m_prompts.first().kind, InstallSession::PromptKind::RoomQuestion);
}

void TestInstallSession::retryPolicy_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("errors"); // until the notice
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("engineRetries");

    QTest::newRow("first content error") << "http://h/files/q_b.7z" << 201 << 1 << Mode::ContentError << "b-201"
                                         << false;
    QTest::newRow("last content error") << "http://h/files/q_c.7z" << 399 << 1 << Mode::ContentError << "c-399"
                                        << false;
    QTest::newRow("no underscore") << "http://h/files/q.7z" << 203 << 1 << Mode::ContentError << "-203" << false;
    QTest::newRow("below the range") << "http://h/files/q_d.7z" << 200 << 4 << Mode::RetriesSpent << "d,200" << false;
    QTest::newRow("above the range") << "http://h/files/q_e.7z" << 400 << 4 << Mode::RetriesSpent << "e,400" << false;
    // An engine that retried for its whole bound: no restarts stacked on top.
    QTest::newRow("engine gave up") << "http://h/files/q_f.7z" << 200 << 1 << Mode::RetriesSpent << "f,200" << true;
    QTest::newRow("engine, content") << "http://h/files/q_g.7z" << 203 << 1 << Mode::ContentError << "g-203" << true;
}

void TestInstallSession::retryPolicy()
{
    QFETCH(QString, url);
    QFETCH(int, code);
    QFETCH(int, errors);
    QFETCH(Mode, mode);
    QFETCH(QString, ending);
    QFETCH(bool, engineRetries);

    m_engineRetries = engineRetries;
    reach(State::Downloading);
    for (int i = 0; i < errors; ++i) {
        QCOMPARE(m_session->state(), State::Downloading);
        QTRY_COMPARE(engine()->starts, i + 1);
        QVERIFY(m_prompts.isEmpty());
        engine()->running = false;
        emit engine()->signalDownloadError(url, code);
    }
    QTRY_COMPARE(m_prompts.size(), 1);
    QCOMPARE(engine()->starts, errors);
    QCOMPARE(m_session->state(), State::Paused);
    const InstallSession::Prompt notice = m_prompts.first();
    QCOMPARE(notice.mode, mode);
    QCOMPARE(mode == Mode::ContentError ? notice.suffix : notice.args.join(QLatin1Char(',')), ending);
    // The count starts again after the notice.
    if (mode == Mode::RetriesSpent) {
        m_session->answer(notice.id, Answer::Dismissed);
        m_session->resume();
        engine()->running = false;
        emit engine()->signalDownloadError(url, code);
        if (engineRetries) {
            QTRY_COMPARE(m_prompts.size(), 2);
            QCOMPARE(m_session->state(), State::Paused);
            QCOMPARE(engine()->starts, errors + 1);
            return;
        }
        QTRY_COMPARE(engine()->starts, errors + 2);
        QCOMPARE(m_session->state(), State::Downloading);
    }
}

// A notice on screen holds back what comes next: a download error pauses
// without a restart, and an extraction error waits for its turn.
void TestInstallSession::errorsUnderANoticeWaitOrPause()
{
    reach(State::Downloading);
    m_session->notify(QStringLiteral("game offline"));
    QCOMPARE(m_prompts.size(), 1);
    act(Act::OtherError);
    QTRY_COMPARE(m_session->state(), State::Paused);
    QTest::qWait(0);
    QCOMPARE(engine()->starts, 1);

    m_session->answer(m_prompts.first().id, Answer::Confirm);
    act(Act::NeedUnzip);
    act(Act::Extract);
    QTRY_COMPARE(m_session->state(), State::Extracting);
    m_session->notify(QStringLiteral("game offline"));
    const int shown = m_prompts.size();
    m_extractor->busy = false;
    emit m_extractor->sigZipsError(QStringLiteral("extractError"), usable().packageUrls);
    emit m_extractor->sigZipsError(QStringLiteral("extractError"), usable().packageUrls);
    QCOMPARE(m_prompts.size(), shown); // waiting, not lost
    m_session->answer(m_prompts.last().id, Answer::Dismissed);
    QCOMPARE(m_prompts.size(), shown + 1);
    QCOMPARE(m_prompts.last().mode, Mode::ExtractError);
    m_session->answer(m_prompts.last().id, Answer::Dismissed);
    QVERIFY(!m_session->currentPrompt()); // one extraction-error notice, not two
    QCOMPARE(m_session->state(), State::NeedUnzip);
}

// The install is recorded (status 5, the version) before the archives and
// extraction records go: a stop in between leaves a playable game.
void TestInstallSession::commitOrder()
{
    GameFiles *files = GameFiles::instance();
    const QString archive = files->downloadFilePath(usable().packageUrls.first());
    QVERIFY(QDir().mkpath(QFileInfo(archive).path()));
    QVERIFY(QFile(archive).open(QIODevice::WriteOnly));
    files->markArchiveExtracted(QStringLiteral("1.0.0"), usable().packageUrls.first());
    reach(State::Downloading);
    act(Act::Finish);
    QTRY_COMPARE(m_session->state(), State::Extracting);
    emit m_extractor->workStarted();
    QTRY_VERIFY(m_events.contains(QStringLiteral("launcher_install_start")));
    act(Act::ExtractDone);
    QCOMPARE(m_session->state(), State::Play);

    QCOMPARE(m_statusAtFinish, InstallStatus::Installed);
    QCOMPARE(m_versionAtFinish, QStringLiteral("1.0.0"));
    QVERIFY(m_archiveAtFinish);
    QVERIFY(!QFileInfo::exists(archive));
    QVERIFY(files->unzippedArchives(QStringLiteral("1.0.0")).isEmpty());
    QCOMPARE(files->status(), InstallStatus::Installed);
    QVERIFY(!m_session->isInstalling());
    const QStringList order {QStringLiteral("launcher_downloadgame_start"),
        QStringLiteral("launcher_downloadgame_finish"), QStringLiteral("launcher_install_start"),
        QStringLiteral("launcher_install_finish")};
    QStringList seen = m_events;
    seen.removeDuplicates();
    QCOMPARE(seen, order);
}

void TestInstallSession::enginePerDownloadTypeAndOneInstallAtATime()
{
    m_session->setGameVersionInfo(usable(1));
    m_session->updateNow();
    m_session->updateNow(); // refused: the first download runs
    QCOMPARE(engine()->starts, 1);

    engine()->running = false;
    m_session->setGameVersionInfo(usable(0));
    m_session->updateNow();
    QCOMPARE(m_engineTypes, (QList<int> {1, 0}));
    QCOMPARE(engine()->starts, 1);
    QCOMPARE(m_session->downloadEngine(), engine());

    // A pause over an engine that runs nothing lands at once: no report will come.
    engine()->running = false;
    m_session->pause();
    QCOMPARE(m_session->state(), State::Paused);
}

void TestInstallSession::diskBudget_data()
{
    QTest::addColumn<QString>("extracted");
    QTest::addColumn<QString>("onDisk"); // complete or partial
    QTest::addColumn<int>("next");
    QTest::addColumn<bool>("admitted");

    // The bound is 600 installed + 200 for the two largest archives.
    QTest::newRow("first archive") << ""
                                   << "" << 0 << true;
    QTest::newRow("third while two wait") << ""
                                          << "ab" << 2 << true;
    QTest::newRow("fourth while three wait") << ""
                                             << "abc" << 3 << false;
    QTest::newRow("fourth, one extracted, two wait") << "a"
                                                     << "bc" << 3 << false;
    QTest::newRow("fourth, two extracted, one waits") << "ab"
                                                      << "c" << 3 << true;
}

void TestInstallSession::diskBudget()
{
    QFETCH(QString, extracted);
    QFETCH(QString, onDisk);
    QFETCH(int, next);
    QFETCH(bool, admitted);

    const GameVersionInfo info = streamed();
    m_session->setGameVersionInfo(info);
    GameFiles *files = GameFiles::instance();
    for (const QChar part : extracted)
        files->markArchiveExtracted(info.latestVersion, info.packageUrls.at(part.unicode() - 'a'));
    for (const QChar part : onDisk) {
        const QString url = info.packageUrls.at(part.unicode() - 'a');
        touch(part == QLatin1Char('c') ? files->tempFilePath(url) : files->downloadFilePath(url));
    }
    QCOMPARE(m_session->admits(info.packageUrls.at(next)), admitted);
    QCOMPARE(InstallSession::installRoom(info), 800);
    QCOMPARE(InstallSession::installRoom(usable()), InstallSession::extractRoom(kPackage));
}

// Each archive goes to the extraction as it arrives, beside the running
// download; a pause stops both, and the rest joins once all have arrived.
void TestInstallSession::streamingExtractsAsArchivesArriveAndPauseStopsBoth()
{
    QStringList shown; // installed/count, and "+" while one is extracted
    connect(m_session, &InstallSession::archivesInstalling, this, [&shown](int installed, int count, bool extracting) {
        shown << QStringLiteral("%1/%2%3").arg(installed).arg(count).arg(extracting ? "+" : "");
    });
    const GameVersionInfo info = streamed();
    m_session->setGameVersionInfo(info);
    m_session->updateNow();
    QTRY_COMPARE(m_session->state(), State::Downloading);
    emit engine()->signalFileDownloaded(info.packageUrls.at(1));
    QTRY_COMPARE(m_extractor ? m_extractor->added : QStringList(), QStringList {info.packageUrls.at(1)});
    QTRY_VERIFY(shown.contains(QStringLiteral("0/4+")));
    QCOMPARE(m_session->state(), State::Downloading);
    // Extracted while the rest downloads: the count stays on screen.
    GameFiles::instance()->markArchiveExtracted(info.latestVersion, info.packageUrls.at(1));
    m_extractor->busy = false;
    emit m_extractor->archiveExtracted(info.packageUrls.at(1));
    QTRY_COMPARE(shown.last(), QStringLiteral("1/4"));

    m_session->pause();
    QTRY_COMPARE(m_session->state(), State::Paused);
    QVERIFY(!m_extractor->busy);
    QCOMPARE(shown.last(), QStringLiteral("1/4")); // the paused display keeps what is installed

    m_session->resume();
    QTRY_COMPARE(m_session->state(), State::Downloading);
    emit engine()->signalFileDownloaded(info.packageUrls.at(0));
    QTRY_COMPARE(m_extractor->added.size(), 2);
    engine()->running = false;
    emit engine()->signalReplyFinished(1, QStringLiteral("400"));
    QTRY_COMPARE(m_session->state(), State::Extracting);
    QCOMPARE(m_extractor->added.mid(2), info.packageUrls); // the rest joins the running extraction
    QCOMPARE(m_extractor->starts, 0);
}

void TestInstallSession::fullDiskWhileStreamingKeepsWhatIsDone()
{
    const GameVersionInfo info = streamed();
    m_session->setGameVersionInfo(info);
    m_session->updateNow();
    QTRY_COMPARE(m_session->state(), State::Downloading);
    GameFiles *files = GameFiles::instance();
    emit engine()->signalFileDownloaded(info.packageUrls.at(0));
    QTRY_VERIFY(m_extractor && m_extractor->busy);
    files->markArchiveExtracted(info.latestVersion, info.packageUrls.at(0));
    touch(files->tempFilePath(info.packageUrls.at(1)));

    engine()->running = false;
    emit engine()->signalDirSpaceLimit(QStringLiteral("400"));
    QTRY_COMPARE(m_session->state(), State::Paused);
    QVERIFY(!m_extractor->busy);
    QTRY_COMPARE(m_prompts.size(), 1);
    QCOMPARE(m_prompts.first().textKey, QStringLiteral("FileSpaceLimit"));
    QCOMPARE(files->unzippedArchives(info.latestVersion).size(), 1);
    QVERIFY(QFileInfo::exists(files->tempFilePath(info.packageUrls.at(1))));
    // The paused display counts the extracted archive as downloaded.
    QCOMPARE(m_session->savedProgress().bytesReceived, 100);
}

void TestInstallSession::clearingKnowsTheLaunchersOwnFolder_data()
{
    QTest::addColumn<bool>("recordFolder");
    QTest::addColumn<InstallStatus>("status");
    QTest::addColumn<bool>("launcherRecorded");

    QTest::newRow("download started there") << true << InstallStatus::Downloading << true;
    QTest::newRow("extraction stopped there") << true << InstallStatus::Extracting << true;
    QTest::newRow("folder chosen, nothing started") << true << InstallStatus::Absent << false;
    QTest::newRow("default folder, download started") << false << InstallStatus::Downloading << false;
}

void TestInstallSession::clearingKnowsTheLaunchersOwnFolder()
{
    QFETCH(bool, recordFolder);
    QFETCH(InstallStatus, status);
    QFETCH(bool, launcherRecorded);

    GameFiles *files = GameFiles::instance();
    const QString folder = m_env->filePath(QStringLiteral("Games/Quillmere"));
    if (recordFolder)
        files->setInstallDir(folder);
    if (status != InstallStatus::Absent)
        files->setStatus(status);
    const InstallSession::Clearing clearing = m_session->clearing();
    QCOMPARE(clearing.installDir, files->installDir());
    QCOMPARE(clearing.launcherRecorded, launcherRecorded);
    QVERIFY(!clearing.installRuns);
}

QTEST_MAIN(TestInstallSession)
#include "tst_installsession.moc"
