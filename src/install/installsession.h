#pragma once

#include "app/later.h"
#include "install/downloadinginfo.h"
#include "install/gameversioninfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class GameInstallPlugin;

// The install display's rules without a widget: which state the main button
// shows (get game, update, download, pause, extract, play), which download
// engine fetches the package, when a failed download is tried again, how
// much room an extraction needs, and in which order a finished install is
// recorded. A view renders state() and the progress signals, shows each
// prompt it is asked to show and hands the user's answer back through
// answer(); it decides nothing itself.
//
// The engines are reached through ports (downloadPort(), extractPort()) so
// that this class names neither engine's class: both live in layers above
// the install records they use.
class InstallSession : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, GetGame, Update, Downloading, Paused, NeedUnzip, Extracting, Play };
    Q_ENUM(State)

    // What moves the display; each is a row of the transition table.
    enum class Event {
        NeedDownload,
        NeedUpdate,
        Installed,
        NothingAnswered, // the version query failed before any answer
        DownloadingReported,
        NeedUnzip,
        Started, // a download start was handed to the engine
        StartRefused, // no usable version record: nothing runs
        Connecting,
        Stopped,
        Downloaded,
        ContentError,
        RetryDue,
        RetriesSpent,
        ErrorUnderNotice,
        SpaceShort,
        ExtractStarted,
        ExtractRoomShort,
        ExtractRoomDismissed,
        ExtractFailedDismissed,
        ExtractDone,
        Cleared,
    };
    Q_ENUM(Event)

    // The notices' modes; the numbers are the ones the launcher has always used.
    enum class NoticeMode : int { Only = 0, ExtractError = 1, RetriesSpent = 2, ContentError = 299 };
    Q_ENUM(NoticeMode)
    enum class PromptKind { Notice, RoomQuestion };
    // How a prompt was left: its confirm or cancel button, or closed by its
    // close button, Escape or the window closing under it.
    enum class Answer { Confirm, Cancel, Dismissed };
    Q_ENUM(Answer)

    // A notice or question for the view: the text is `textKey` translated in
    // the window's context (or `text` as given when there is no key), filled
    // with `args` and followed by `suffix`.
    struct Prompt
    {
        int id = 0;
        PromptKind kind = PromptKind::Notice;
        NoticeMode mode = NoticeMode::Only;
        QString textKey;
        QString text;
        QStringList args;
        QString suffix;
        int code = 0; // the download error behind it
        QStringList urls; // the archives an extraction error names
        QList<Answer> answers; // the buttons offered besides dismissing
        QString confirmKey;
        QString cancelKey;
    };

    // A download engine as the session drives it.
    struct DownloadPort
    {
        QObject *object = nullptr;
        std::function<void(const GameVersionInfo &)> start;
        std::function<void()> stop;
        std::function<void()> close;
        std::function<bool()> running;
        std::function<bool()> removeFailedFiles;
        std::function<void(InstallSession *)> attach;
        // Which files may be fetched now, and a nudge to look again.
        std::function<void(std::function<bool(const QString &url)>)> setAdmission;
        std::function<void()> admitWaiting;
        // The engine retries network faults itself (null: it does not), so its
        // error report needs no restart.
        std::function<bool()> retriesItself;
    };
    // An extraction manager as the session drives it.
    struct ExtractPort
    {
        QObject *object = nullptr;
        std::function<void(const GameVersionInfo &)> start;
        std::function<bool()> busy;
        std::function<void()> reset;
        std::function<void()> cancel;
        std::function<void(InstallSession *)> attach;
        // Archives that arrived while the package downloads; each is deleted once recorded.
        std::function<void(const GameVersionInfo &, const QStringList &urls)> add;
        std::function<void(bool)> setDeleteExtracted;
    };

    struct Collaborators
    {
        GameInstallPlugin *installPlugin = nullptr;
        // An engine for a download type (0 archives, 1 small files), parented to `parent`.
        std::function<DownloadPort(int downloadType, QObject *parent)> makeEngine;
        std::function<ExtractPort(QObject *parent)> makeExtractor;
        // Analytics events and advertising conversions; null: not reported.
        std::function<void(const QString &event, const QVariantMap &properties)> track;
        std::function<void(const QString &action)> conversion;
        // Bytes free on the volume of a path; null: FileUtil::freeSpace.
        std::function<qint64(const QString &path)> freeSpace;
        // Wait before the failure policy handles a download error.
        int retryDelayMs = 1000;
    };

    // Extraction needs this much free space, in parts of the package size.
    static constexpr double kExtractRoom = 1.3;
    // Automatic restarts of a failed download before the user is told, for an
    // engine that does not retry network faults itself.
    static constexpr int kRetryLimit = 2;
    // The network layer's content and protocol errors: no restart helps.
    static constexpr int kContentErrorFirst = 201;
    static constexpr int kContentErrorLast = 399;

    explicit InstallSession(Collaborators collaborators, QObject *parent = nullptr);
    ~InstallSession() override;

    State state() const { return m_state; }
    GameInstallPlugin *plugin() const { return m_collaborators.installPlugin; }
    GameVersionInfo versionInfo() const;
    void setGameVersionInfo(const GameVersionInfo &info);
    // The saved progress of an interrupted download (the paused display).
    KorvaneObject::DownloadingInfo savedProgress() const;
    // The notice or question on screen, if any.
    const Prompt *currentPrompt() const { return m_prompts.isEmpty() ? nullptr : &m_prompts.first(); }
    QObject *downloadEngine() const { return m_engine.object; }

    // What clearing the game's resources needs to know of the install.
    struct Clearing
    {
        QString installDir;
        bool installRuns = false;
        // The folder is the one the launcher's own install records name, for
        // an install it started: it may be cleared without the game's files.
        bool launcherRecorded = false;
    };
    Clearing clearing() const;
    qint64 freeSpace(const QString &path) const;

    bool isDownloading() const;
    bool isExtracting() const;
    bool isInstalling() const { return isDownloading() || isExtracting(); }
    // Room an extraction of a package of `packageSize` bytes needs.
    static qint64 extractRoom(qint64 packageSize);
    // Room a whole install of the package needs on its volume: a package of
    // several archives is extracted while it downloads, each archive deleted
    // once extracted, so it needs its installed size and its two largest
    // archives; a package of one archive needs extractRoom().
    static qint64 installRoom(const GameVersionInfo &info);
    // The package is extracted archive by archive while it downloads.
    static bool streams(const GameVersionInfo &info);
    // Whether `url` may be downloaded now without the install's disk use
    // going past installRoom() (the disk budget).
    bool admits(const QString &url) const;

    // The target state of `event` from `from`; false when the table has no row.
    static bool transition(Event event, State from, State *to);

    // The automatic version check; one the user asked for is sent whatever
    // the plug-in's time limit. Nothing while an install runs.
    void runVersionCheck(bool userAsked = false);
    // The main button after an existing installation was located.
    void refreshMainButton();

    // What the user does.
    void install(); // "get game": asks for a location (locationWanted)
    // install() once the service has named the package to get: at once
    // when it has, else on its answer (none after a failed query).
    void installOnceKnown();
    void locationConfirmed();
    void updateNow(); // "update", and the play settings' update
    void pause();
    void resume();
    void extract(); // "extract", and after a completed download
    void resourcesCleared(); // the game's folder and downloads are gone
    // A notice with a text the view already has (a failed game start).
    void notify(const QString &text);
    void answer(int promptId, Answer answer);
    // Stops the download (partial files are kept) and the extraction (the
    // interrupted archive runs again next time): the launcher's quit.
    void stopWork();

    // Reports of the engines, connected by the ports.
    void onStartConnect();
    void onDownloadProcess(const KorvaneObject::DownloadingInfo &info);
    void onDownloadStop();
    void onReplyFinished(int code, const QString &totalSize);
    void onDownloadError(const QString &url, int code);
    void onDirSpaceLimit(const QString &totalSize);
    void onExtractStarted();
    void onExtractProgress(qint64 value, qint64 total);
    void onExtractError(const QString &message, const QStringList &urls);
    void onExtractFinished();
    void onFileDownloaded(const QString &url);
    void onArchiveExtracted(const QString &url);
    // The failure policy for a download error, after the delay.
    void retryDownload(const QString &url, int code);

    template<typename Engine> static DownloadPort downloadPort(Engine *engine);
    template<typename Extractor> static ExtractPort extractPort(Extractor *extractor);

signals:
    void stateChanged(InstallSession::State state);
    // The view shows the prompt; a second waits until the first is answered.
    void promptRequested(const InstallSession::Prompt &prompt);
    // The location dialog is wanted; its confirmation calls locationConfirmed().
    void locationWanted();
    // The progress display is to start from nothing.
    void progressReset();
    // A download connects (the first report of a start).
    void connecting(bool fadeIn);
    void downloadProgress(const KorvaneObject::DownloadingInfo &info);
    // The paused display with the kept progress.
    void pausedProgress(const KorvaneObject::DownloadingInfo &saved);
    void downloadComplete(const QString &totalSize);
    // Extraction progress as a share from 0 to 1.
    void extractProgress(double share);
    // While the package downloads archive by archive: `installed` of its
    // `count` archives are in the game folder, and whether the next one is
    // being extracted; a count of 0: the package is not streamed now (the
    // text goes).
    void archivesInstalling(int installed, int count, bool extracting);
    // The plug-in's answers that are no install state.
    void versionIsNew(const QString &version);
    void playSettingsDone(); // hide the play settings' pop-up
    void quitRequested(); // the space question's Close

private:
    bool apply(Event event);
    bool pluginSays(Event event);
    void setState(State state);
    void connectPlugin();
    void onNetworkError();
    bool gamePresent() const;
    void startDownload();
    void startFresh();
    DownloadPort &engineFor(int downloadType);
    void dropEngine();
    void dropExtractor();
    void showPrompt(Prompt prompt);
    void act(const Prompt &prompt, Answer answer);
    void commitInstall();
    bool ensureExtractor();
    void startStreaming(const GameVersionInfo &info);
    void stopStreaming();
    void reportArchives();
    // The paused display, with the archives the package has installed.
    void showPausedProgress(const KorvaneObject::DownloadingInfo &info);
    qint64 remainingRoom(const GameVersionInfo &info) const;
    void track(const QString &event, const QVariantMap &properties) const;

    Collaborators m_collaborators;
    State m_state = State::Idle;
    DownloadPort m_engine;
    int m_engineType = -1;
    ExtractPort m_extractor;
    QElapsedTimer m_extractClock;
    bool m_streaming = false; // archives are extracted while the download runs
    QStringList m_admitted; // archives let into the current download
    int m_retryCount = 0;
    int m_retryTicket = 0;
    bool m_installWhenKnown = false;
    QList<Prompt> m_prompts;
    int m_nextPromptId = 1;
};

Q_DECLARE_METATYPE(InstallSession::Prompt)

template<typename Engine> InstallSession::DownloadPort InstallSession::downloadPort(Engine *engine)
{
    DownloadPort port;
    port.object = engine;
    port.start = [engine](const GameVersionInfo &info) {
        engine->startDownload(info);
    };
    port.stop = [engine] {
        engine->stopDownload();
    };
    port.close = [engine] {
        engine->closeDownload();
    };
    port.running = [engine] {
        return engine->isDownloading();
    };
    port.removeFailedFiles = [engine] {
        return engine->removeFailedFiles();
    };
    port.setAdmission = [engine](std::function<bool(const QString &url)> admit) {
        engine->setAdmission(std::move(admit));
    };
    port.admitWaiting = [engine] {
        engine->admitWaiting();
    };
    port.retriesItself = [engine] {
        return engine->retriesNetworkFaults();
    };
    // Every report is posted again, so that no handler runs inside the emitting call.
    port.attach = [engine](InstallSession *s) {
        QObject::connect(engine, &Engine::signalStartConnect, s, [s] { later(s, [s] { s->onStartConnect(); }); });
        QObject::connect(engine, &Engine::signalDownloadProcess, s,
            [s](const KorvaneObject::DownloadingInfo &info) { later(s, [s, info] { s->onDownloadProcess(info); }); });
        QObject::connect(engine, &Engine::signalDownloadStop, s, [s] { later(s, [s] { s->onDownloadStop(); }); });
        QObject::connect(engine, &Engine::signalReplyFinished, s,
            [s](int code, const QString &total) { later(s, [s, code, total] { s->onReplyFinished(code, total); }); });
        QObject::connect(engine, &Engine::signalDownloadError, s,
            [s](const QString &url, int code) { later(s, [s, url, code] { s->onDownloadError(url, code); }); });
        QObject::connect(engine, &Engine::signalDirSpaceLimit, s,
            [s](const QString &total) { later(s, [s, total] { s->onDirSpaceLimit(total); }); });
        QObject::connect(engine, &Engine::signalFileDownloaded, s,
            [s](const QString &url) { later(s, [s, url] { s->onFileDownloaded(url); }); });
    };
    return port;
}

template<typename Extractor> InstallSession::ExtractPort InstallSession::extractPort(Extractor *extractor)
{
    ExtractPort port;
    port.object = extractor;
    port.start = [extractor](const GameVersionInfo &info) {
        extractor->startExtract(info);
    };
    port.busy = [extractor] {
        return extractor->isBusy();
    };
    port.reset = [extractor] {
        extractor->resetExtract();
    };
    port.cancel = [extractor] {
        extractor->cancelExtract();
    };
    port.add = [extractor](const GameVersionInfo &info, const QStringList &urls) {
        extractor->addArchives(info.latestVersion, urls);
    };
    port.setDeleteExtracted = [extractor](bool on) {
        extractor->setDeleteExtracted(on);
    };
    port.attach = [extractor](InstallSession *s) {
        QObject::connect(extractor, &Extractor::workStarted, s, [s] { later(s, [s] { s->onExtractStarted(); }); });
        QObject::connect(extractor, &Extractor::sigProgress, s,
            [s](qlonglong value, qlonglong total) { s->onExtractProgress(value, total); });
        QObject::connect(extractor, &Extractor::sigZipsError, s,
            [s](const QString &message, const QStringList &urls) { s->onExtractError(message, urls); });
        QObject::connect(extractor, &Extractor::unzipProgressFinish, s, [s] { s->onExtractFinished(); });
        QObject::connect(extractor, &Extractor::archiveExtracted, s,
            [s](const QString &url) { later(s, [s, url] { s->onArchiveExtracted(url); }); });
    };
    return port;
}
