#pragma once

#include "install/gameverify.h"
#include "install/gameversioninfo.h"

#include <QObject>
#include <QPointer>

#include <functional>

class GameRepair;
class StartupCheck;
class GameVerifier;
class QDialog;
class WarningDialogWithSingleButton;
class QWidget;

// "Verify files" of the play pop-up and the settings: a full check of the installed game
// against its manifest on a worker, a notice with a progress line while it runs (its
// button or close box cancels), then the result; damage found is repaired when the
// player agrees, and what came of it is shown. The start-up check ends here too.
class VerifyFlow : public QObject
{
    Q_OBJECT
public:
    explicit VerifyFlow(QWidget *window);
    ~VerifyFlow() override;

    void start();
    bool isRunning() const;
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

private:
    void check();
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
    // A notice over the window; `waiting`: its button cancels the running work.
    void notice(const QString &text, bool waiting);
    // The running notice's text with a progress line under it.
    void showProgress(const QString &line);
    void closeNotice();

    QWidget *m_window;
    InstallManifest m_manifest;
    QString m_dir;
    QPointer<GameVerifier> m_verifier;
    QPointer<GameRepair> m_repair;
    QPointer<WarningDialogWithSingleButton> m_notice;
    QString m_noticeText;
    std::function<GameVersionInfo()> m_versionInfo;
    std::function<void()> m_reinstall;
    std::function<bool()> m_gameRunning;
    bool m_reading = false; // the service's document, on a worker
    bool m_recording = false;
    bool m_stopped = false; // the running notice was closed
};
