#pragma once

#include "download/downloadinterface.h"
#include "extract/ziplibmanager.h"
#include "install/gameversioninfo.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "mainwindow/homewiring.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "widgets/basewidget.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QVariantMap>

#include <functional>

class CloseBehaviour;
class GameInstallPlugin;
class GameLauncher;
class LogoReset;
class MovieLabel;
class GameUpdatePrompt;
class QLabel;
class QParallelAnimationGroup;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class TrayMenu;

// The launcher's one frameless 1280 x 720 window: the frame, the edition's
// look and the install display, whose main button walks the game through
// get game -> download (pause, resume) -> extract -> play, and update.
//
// The window decides nothing about versions itself: GameInstallPlugin says
// what the game needs, a download engine (made per download type) fetches
// the package and ZiplibManager extracts it. Everything runs on the GUI
// thread; the handlers of engine and plug-in signals post themselves again,
// so none runs inside the emitting call.
class MainWindow : public BaseWidget
{
    Q_OBJECT
public:
    enum class State { Idle, GetGame, Update, Downloading, Paused, NeedUnzip, Extracting, Play };
    Q_ENUM(State)

    // What the window drives; tests hand in their own.
    struct Collaborators
    {
        GameInstallPlugin *installPlugin = nullptr;
        // A download engine for a download type (0 archives, 1 small files).
        std::function<DownloadInterface *(int downloadType, QObject *parent)> makeEngine;
        // An extraction manager for one install.
        std::function<ZiplibManager *(QObject *parent)> makeExtractor;
        // Analytics events and advertising conversions; null: not reported.
        std::function<void(const QString &event, const QVariantMap &properties)> track;
        std::function<void(const QString &action)> conversion;
        // Bytes free on the volume of a path; null: FileUtil::freeSpace.
        std::function<qint64(const QString &path)> freeSpace;
        int launcherType = 1;
        int languageIndex = 1;
        // Wait before the failure policy handles a download error.
        int retryDelayMs = 1000;
        // Whether a hidden window can come back through the tray; null: ask Qt.
        std::function<bool()> trayAvailable;
        // The home page's services and the launcher's own update check.
        HomeWiring::Collaborators home;
    };

    explicit MainWindow(Collaborators collaborators, QWidget *parent = nullptr);
    ~MainWindow() override;

    State state() const { return m_state; }
    GameLauncher *gameLauncher() const { return m_gameLauncher; }
    // The notice shown last, while it exists.
    WarningDialogWithSingleButton *noticeDialog() const { return m_noticeDialog; }
    DownloadPathSettingDialog *downloadPathDialog() const { return m_pathDialog; }
    DownloadInterface *downloadEngine() const { return m_engine; }
    TrayMenu *trayMenu() const { return m_tray; }
    CloseBehaviour *closeBehaviour() const { return m_closeBehaviour; }
    HomeWiring *homeWiring() const { return m_home; }
    LogoReset *logoReset() const { return m_logoReset; }
    // The update question of the user's own version checks.
    GameUpdatePrompt *updatePrompt() const { return m_updatePrompt; }

    // Hands a version record to the install plug-in as its working record
    // (the settings pages after a confirmed manual update).
    void setGameVersionInfo(const GameVersionInfo &info);

    // The automatic version check (timers, window activation). A check the
    // user asked for (`userAsked`) is sent whatever the plug-in's time limit.
    void runVersionCheck(bool userAsked = false);

    void setLanguageCode(const QString &code) { m_languageCode = code; }
    QString languageCode() const { return m_languageCode; }

public slots:
    void extractStarted();
    void extractProgress(qlonglong nValue, qlonglong nTotalSize);
    void extractError(QString msg, QStringList url);
    void unzipProgressFinish();
    void retryDownload(QString url, int code);
    void showChooseDownloadDirUI();
    void showUpdateButton();
    void updateGameNow();
    void showDownloadPathSettingDialog();
    // Opens the clearing of the game's resources (after the user confirmed).
    void showDeleteGameResourceDialog();
    bool isInstallIng() const;
    // Shows the main button the stored install state calls for (after an
    // existing installation was located): play when the game is there.
    void refreshMainButton();

    // Stops the download (partial files are kept) and the extraction (the
    // interrupted archive runs again next time); the launcher's quit runs it.
    void stopWork();
    // Starts the installed game and steps aside until it ends.
    void launchGame();

signals:
    void stateChanged(MainWindow::State state);
    // The game was started from the play button.
    void playRequested();
    // The launcher is to end: the space question's Close, the tray's Close,
    // the close question's or the busy question's answer.
    void quitRequested();
    // The title bar's close button; the close behaviour decides.
    void closeRequested();
    // The title bar's settings button; the settings window plugs in here.
    // Resources may be cleared unless an install runs.
    void settingsRequested(bool canClearResource);
    // The game's resources were cleared (the settings forget the location).
    void resourcesCleared();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum NoticeMode { NoticeOnly = 0, NoticeExtractError = 1, NoticeRetriesSpent = 2, NoticeContentError = 299 };

    void buildFrame();
    void buildPlaySettingPopup();
    void askToClearResources();
    void showVersionIsNew(const QString &version);
    void buildInstallDisplay();
    void applyEditionLook();
    void connectPlugin();
    void setState(State state);

    void startDownload();
    DownloadInterface *engineFor(int downloadType);
    void dropEngine();
    void showDownloadPage();
    void resetProgressDisplay();
    void showPausedDisplay();
    void startExtract();
    void showNotice(const QString &text, int mode, const QStringList &urls = {});
    bool noticeVisible() const;
    void showPlay();
    void track(const QString &event, const QVariantMap &properties) const;
    qint64 freeSpace(const QString &path) const;
    GameVersionInfo versionInfo() const;

    void onStartConnect();
    void onDownloadProcess(const KorvaneObject::DownloadingInfo &info);
    void onDownloadStop();
    void onReplyFinished(int code, const QString &totalSize);
    void onDownloadError(const QString &url, int code);
    void onDirSpaceLimit(const QString &totalSize);
    void onNetworkError();
    void onDownloadingReported(const KorvaneObject::DownloadingInfo &info);

    Collaborators m_collaborators;
    GameInstallPlugin *m_plugin = nullptr;
    State m_state = State::Idle;
    QString m_languageCode;

    QPointer<DownloadInterface> m_engine;
    int m_engineType = -1;
    QPointer<ZiplibManager> m_extractor;
    QElapsedTimer m_extractClock;
    int m_downloadRetryCount = 0;
    static constexpr int kRetryLimit = 2;

    QPointer<WarningDialogWithSingleButton> m_noticeDialog;
    QPointer<WarningDialogwithDoublebutton> m_questionDialog;
    QPointer<DownloadPathSettingDialog> m_pathDialog;
    QPointer<DeleteGameResourceDialog> m_deleteDialog;
    GameUpdatePrompt *m_updatePrompt = nullptr;
    QParallelAnimationGroup *m_fadeIn = nullptr;
    TrayMenu *m_tray = nullptr;
    CloseBehaviour *m_closeBehaviour = nullptr;

    QWidget *m_titleWidget = nullptr;
    QWidget *m_bgWidget = nullptr;
    QLabel *m_posterStaticLabel = nullptr;
    MovieLabel *m_posterLabel = nullptr;
    HomeWiring *m_home = nullptr;
    LogoReset *m_logoReset = nullptr;
    QPushButton *m_textLogo = nullptr;
    QPushButton *m_titleLogo = nullptr;
    QWidget *m_playSetting = nullptr;
    QPushButton *m_playSettingButton = nullptr;
    class TriangleWidget *m_playPopup = nullptr;
    class QTimer *m_popupHideTimer = nullptr;

    QStackedWidget *m_stack = nullptr;
    QStackedWidget *m_buttonStack = nullptr;
    QPushButton *m_playButton = nullptr;
    GameLauncher *m_gameLauncher = nullptr;
    QPushButton *m_installButton = nullptr;
    QPushButton *m_updateButton = nullptr;
    QPushButton *m_unzipButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_resumeButton = nullptr;
    QLabel *m_downloadStatus = nullptr;
    QLabel *m_fileSizeText = nullptr;
    QLabel *m_process = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_downloadSpeed = nullptr;
    QLabel *m_timeText = nullptr;
    QProgressBar *m_zipBar = nullptr;
    QLabel *m_zipProcess = nullptr;
};
