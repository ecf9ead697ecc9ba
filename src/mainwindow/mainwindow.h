#pragma once

#include "install/installsession.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "mainwindow/homewiring.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "widgets/basewidget.h"

#include <QPointer>
#include <QVariantMap>

#include <functional>
#include <memory>

class CloseBehaviour;
class GameLauncher;
class InstallDisplay;
class LogoReset;
class MovieLabel;
class GameUpdatePrompt;
class QDialog;
class QLabel;
class QPushButton;
class ServiceReach;
class HomeContentPanel;
class TrayMenu;

// The launcher's one frameless 1280 x 720 window: the frame, the edition's
// look and the install display, whose main button walks the game through
// get game -> download (pause, resume) -> extract -> play, and update.
//
// The window decides nothing about the install: an InstallSession says which
// state to draw and which question or notice to show, and the window hands
// the user's clicks and answers back to it.
class MainWindow : public BaseWidget
{
    Q_OBJECT
public:
    using State = InstallSession::State;

    // What the window draws and reports to; tests hand in their own.
    struct Collaborators
    {
        // The install flow the window shows; a session without a parent
        // becomes the window's child. Null: an idle display.
        InstallSession *session = nullptr;
        // Analytics events and advertising conversions of the window itself; null: not reported.
        std::function<void(const QString &event, const QVariantMap &properties)> track;
        std::function<void(const QString &action)> conversion;
        int launcherType = 1;
        int languageIndex = 1;
        // Whether a hidden window can come back through the tray; null: ask Qt.
        std::function<bool()> trayAvailable;
        // The home page's services and the launcher's own update check.
        HomeWiring::Collaborators home;
        // The news service's base; empty: the edition's host in the running environment.
        QString newsBase;
    };

    explicit MainWindow(Collaborators collaborators, QWidget *parent = nullptr);
    ~MainWindow() override;

    InstallSession *session() const { return m_session; }
    State state() const { return m_session->state(); }
    GameLauncher *gameLauncher() const { return m_gameLauncher; }
    // The notice or question on screen, while it is.
    WarningDialogWithSingleButton *noticeDialog() const;
    QDialog *promptDialog() const;
    DownloadPathSettingDialog *downloadPathDialog() const { return m_pathDialog; }
    DeleteGameResourceDialog *deleteDialog() const { return m_deleteDialog; }
    TrayMenu *trayMenu() const { return m_tray; }
    CloseBehaviour *closeBehaviour() const { return m_closeBehaviour; }
    HomeWiring *homeWiring() const { return m_home; }
    LogoReset *logoReset() const { return m_logoReset; }
    // The update question of the user's own version checks.
    GameUpdatePrompt *updatePrompt() const { return m_updatePrompt; }

    // Hands a version record to the install plug-in as its working record
    // (the settings pages after a confirmed manual update).
    void setGameVersionInfo(const GameVersionInfo &info) { m_session->setGameVersionInfo(info); }

    // The automatic version check (timers, window activation). A check the
    // user asked for (`userAsked`) is sent whatever the plug-in's time limit.
    void runVersionCheck(bool userAsked = false) { m_session->runVersionCheck(userAsked); }

    void setLanguageCode(const QString &code) { m_languageCode = code; }
    QString languageCode() const { return m_languageCode; }

public slots:
    void updateGameNow() { m_session->updateNow(); }
    void showDownloadPathSettingDialog();
    // Opens the clearing of the game's resources (after the user confirmed).
    // With `installAfter`, a cleared game is installed again at once (the
    // location question follows): what the player asked for when a game
    // without a record of its files is to be downloaded again.
    void showDeleteGameResourceDialog(bool installAfter = false);
    bool isInstallIng() const { return m_session->isInstalling(); }
    // Shows the main button the stored install state calls for (after an
    // existing installation was located): play when the game is there.
    void refreshMainButton() { m_session->refreshMainButton(); }

    // Stops the download, the extraction and the game watch: the launcher's quit.
    void stopWork();
    // Starts the installed game and steps aside until it ends.
    void launchGame();
    // "Verify game files": a full check, then repair if the player agrees.
    void verifyGameFiles();
    // The last run may have left the game damaged: once the game is installed and nothing
    // installs, a quick check runs, and repair is offered only when it finds something.
    void checkGameFilesWhenReady();

signals:
    void stateChanged(InstallSession::State state);
    // The game was started from the play button.
    void playRequested();
    // The launcher is to end: the space question's Close, the tray's Close,
    // the close question's or the busy question's answer.
    void quitRequested();
    // The title bar's close button; the close behaviour decides.
    void closeRequested();
    // The title bar's settings button; the settings window plugs in here.
    // Resources may be cleared unless an install or the game runs.
    void settingsRequested(bool canClearResource);
    // The game's resources were cleared (the settings forget the location).
    void resourcesCleared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildFrame();
    void wireInstallDisplay();
    // The check and repair of the game files draw in the install display.
    void wireVerifyDisplay();
    void wireWindowParts();
    void askToClearResources();
    void showVersionIsNew(const QString &version);
    void applyEditionLook();
    // The one line that says the services cannot be reached, and the probes behind it.
    void wireOfflineLine(HomeContentPanel *home);
    void showOfflineLine();
    void track(const QString &event, const QVariantMap &properties) const;

    Collaborators m_collaborators;
    QPointer<InstallSession> m_session;
    QString m_languageCode;
    std::unique_ptr<InstallDisplay> m_display;

    class PromptPresenter *m_prompts = nullptr;
    QPointer<DownloadPathSettingDialog> m_pathDialog;
    QPointer<DeleteGameResourceDialog> m_deleteDialog;
    GameUpdatePrompt *m_updatePrompt = nullptr;
    TrayMenu *m_tray = nullptr;
    CloseBehaviour *m_closeBehaviour = nullptr;
    GameLauncher *m_gameLauncher = nullptr;

    QWidget *m_titleWidget = nullptr;
    QWidget *m_bgWidget = nullptr;
    QLabel *m_posterStaticLabel = nullptr;
    MovieLabel *m_posterLabel = nullptr;
    HomeWiring *m_home = nullptr;
    LogoReset *m_logoReset = nullptr;
    QPushButton *m_textLogo = nullptr;
    QPushButton *m_titleLogo = nullptr;
    class PlaySettingPopup *m_playSetting = nullptr;
    class VerifyFlow *m_verify = nullptr;
    QWidget *m_playPopup = nullptr;
    ServiceReach *m_serviceReach = nullptr;
    QLabel *m_offlineLine = nullptr;
};
