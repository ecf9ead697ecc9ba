#pragma once

#include "install/gameverify.h"
#include "install/gameversioninfo.h"

#include <QObject>
#include <QPointer>

#include <functional>

class GameRepair;
class KVDownloadManager;
class QFutureWatcherBase;
class StartupCheck;
class GameVerifier;
class QDialog;
class WarningDialogWithSingleButton;
class QWidget;

// "Verify files" of the play pop-up and the settings: a full check of the installed game
// against its manifest on a worker, its progress reported for the install display (which
// pauses, resumes and cancels it), then the result in a notice; damage found is repaired
// when the player agrees, and what came of it is shown. The start-up check ends here too.
// Nothing is checked while an install or update has not ended: the folder holds another
// version's files then, and repairing them would undo the update.
class VerifyFlow : public QObject
{
    Q_OBJECT
public:
    explicit VerifyFlow(QWidget *window);
    ~VerifyFlow() override;

    void start();
    bool isRunning() const;
    // The running check holds between two blocks until resumed (a repair is not held).
    void pause();
    void resume();
    bool isPaused() const;
    // Ends the running check (nothing was changed) or repair.
    void cancel();
    // The service's answer for the installed game; null or another version: none. A
    // small-files install made before its files were recorded is checked against the
    // service's document and recorded when it matches.
    void setVersionInfo(std::function<GameVersionInfo()> versionInfo);
    // Clears the game and fetches its packages anew: offered for an archive install
    // made before its files were recorded. Null: nothing is offered.
    void setReinstall(std::function<void()> reinstall);
    // Whether the game runs: its files are not rewritten under it. Null: never.
    void setGameRunning(std::function<bool()> gameRunning);
    // The start-up check of `dir` against the manifest at `manifestPath`: quick, on a
    // worker, shown only when it finds something, and then as a repair question that
    // goes on as after start(). The check deletes itself once finished.
    StartupCheck *checkAtStart(const QString &dir, const QString &manifestPath);

    // The progress line under a running check: files and bytes done of all, the share,
    // and the time left once it is known.
    static QString progressText(const VerifyProgress &progress);
    // The first files a check found missing or damaged, a line each, under
    // the question about them.
    static QString foundText(const VerifyReport &report);

signals:
    // A check (`repairing` false) or a repair began; workEnded() follows once.
    void workStarted(bool repairing);
    void checkProgress(VerifyProgress progress);
    // A repair's phase ("fetch", "extract" or "verify") and how far it has come.
    void repairProgress(QString phase, qint64 done, qint64 total);
    void pausedChanged(bool paused);
    void workEnded();

private:
    void check();
    void beginWork(bool repairing);
    void endWork();
    // The installed `version` has no manifest.
    void withoutRecord(const QString &version);
    // Fetches the service's document when it is not kept, then reads it.
    void recordFromDocument(const GameVersionInfo &info);
    void readDocument(const GameVersionInfo &info);
    // Stores the manifest of a check against the service's document that ended intact.
    void record();
    void onChecked(const VerifyReport &report);
    // What the start-up check found: asks whether to repair it.
    void offerRepair(const StartupCheck *check, const VerifyReport &found);
    void askRepair(const VerifyReport &found, const QString &text);
    void repair(const VerifyReport &found);
    void onRepaired(const VerifyReport &report);
    // A notice over the window.
    void notice(const QString &text);
    void closeNotice();

    QWidget *m_window;
    InstallManifest m_manifest;
    QString m_dir;
    QPointer<GameVerifier> m_verifier;
    QPointer<GameRepair> m_repair;
    QPointer<WarningDialogWithSingleButton> m_notice;
    // Off the GUI thread: the fetch of the service's document, then its read.
    QPointer<KVDownloadManager> m_fetcher;
    QPointer<QFutureWatcherBase> m_readWatcher;
    std::function<GameVersionInfo()> m_versionInfo;
    std::function<void()> m_reinstall;
    std::function<bool()> m_gameRunning;
    bool m_reading = false; // the service's document, on a worker
    bool m_recording = false;
    bool m_stopped = false; // the running work was cancelled
    bool m_working = false; // between workStarted() and workEnded()
};
