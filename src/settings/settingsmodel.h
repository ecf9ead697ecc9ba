#pragma once

#include "install/installmover.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>

#include <functional>
#include <memory>

class QTimer;
class QWidget;
class SettingCommonDialog;

// The state and actions of the settings pages, exposed to QML as
// "settingsModel". Filled once from the stores at start, changed by the page,
// written back when the settings close and when the launcher quits.
//
// Everything here lives on the GUI thread. Store access runs on a private
// one-thread pool so that reads and writes keep their order: the fill reads
// the stores there and applies the values here (queued); a save takes a
// snapshot here and writes it there. The page and the stores never touch the
// properties from two threads.
class SettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool autoLaunch READ autoLaunch WRITE setAutoLaunch NOTIFY autoLaunchChanged)
    Q_PROPERTY(bool popUpOnExitGame READ popUpOnExitGame WRITE setPopUpOnExitGame NOTIFY popUpOnExitGameChanged)
    Q_PROPERTY(QString closeType READ closeType WRITE setCloseType NOTIFY closeTypeChanged)
    Q_PROPERTY(bool canChangeLanguage READ canChangeLanguage WRITE setCanChangeLanguage NOTIFY canChangeLanguageFun)
    Q_PROPERTY(bool canClearResource READ canClearResource WRITE setCanClearResource NOTIFY canClearResourceFun)
    Q_PROPERTY(
        bool notificationEnable READ notificationEnable WRITE setNotificationEnable NOTIFY notificationEnableChanged)
    Q_PROPERTY(int curLanguageIndex READ curLanguageIndex WRITE setCurLanguageIndex NOTIFY curLanguageIndexChanged)
    Q_PROPERTY(bool speedNoLimit READ speedNoLimit WRITE setSpeedNoLimit NOTIFY speedNoLimitChanged)
    Q_PROPERTY(int speedLimit READ speedLimit WRITE setSpeedLimit NOTIFY speedLimitChanged)
    Q_PROPERTY(bool scrolling READ scrolling WRITE setScrolling NOTIFY scrollingChanged)
    Q_PROPERTY(QString installationLocation READ installationLocation WRITE setInstallationLocation NOTIFY
            installationLocationChanged)
    Q_PROPERTY(QString launcherVersion READ launcherVersion WRITE setLauncherVersion NOTIFY launcherVersionChanged)
    Q_PROPERTY(QString gameVersion READ gameVersion WRITE setGameVersion NOTIFY gameVersionChanged)

public:
    // What the settings start but what lives in higher layers; the launcher's
    // entry sets them. A missing one is logged and does nothing.
    struct Actions
    {
        // A confirmed language change: store the index, quit in order, restart.
        std::function<void(int index)> restart;
        // Takes a chosen game executable as the installation; returns the
        // error text to show, or empty when the installation was taken.
        std::function<QString(const QString &file)> locate;
        // The manual game version check and its update question.
        std::function<void()> checkGameVersion;
        // Opens the main window's resource-clearing dialog.
        std::function<void()> clearResources;
        // The main window's "Verify game files".
        std::function<void()> verifyGameFiles;
        // The manual launcher check; false when it could not be started.
        std::function<bool()> checkLauncherVersion;
        // What a move of the installed game needs from the launcher: its
        // folder, whether the game or an install runs, how a new folder is
        // recorded. Null: a new location of an installed game is only located.
        std::function<InstallMover::Collaborators()> moveCollaborators;
        // The game was moved: the window shows its new state.
        std::function<void()> moved;
    };

    // The speed limit's range in KiB per second and the value an empty input means.
    static constexpr int kMinSpeed = 100;
    static constexpr int kMaxSpeed = 40960;
    static constexpr int kDefaultSpeed = 4096;

    explicit SettingsModel(QObject *parent = nullptr);
    ~SettingsModel() override;

    // Registers the type in "com.kv.settings" 1.0, once per process.
    static void registerQmlType();

    void setActions(Actions actions) { m_actions = std::move(actions); }
    Actions &actions() { return m_actions; }

    // Messages go over the settings dialog while it is shown, else over the
    // main window.
    void setMainWindow(QWidget *window) { m_mainWindow = window; }
    void setHost(QWidget *host) { m_host = host; }
    QWidget *host() const { return m_host; }

    // Reads the stores on the worker and applies the values here; filled()
    // follows. A property the page changed before that keeps the page's value.
    void fillFromStore();
    bool isFilled() const { return m_filled; }

    // Writes what the page changed since the last save to the settings store
    // on the worker (the settings closing, the quit); a speed still being
    // typed is finished first. Values the page did not change are left as the
    // store has them: others write some of them too (the close question
    // stores the close choice itself), and the model's copy must not
    // overwrite theirs.
    void save();
    void saveChanges() { save(); }
    // Waits (bounded) until every queued read and write is done: the quit.
    bool waitForStoreWork(int timeoutMs);

    // Where a move puts the game for a folder the player chose: into the
    // folder itself when it is empty, else into a new folder named like the
    // edition's game folder inside it.
    static QString moveTarget(const QString &chosen);
    // Whether a move of the installed game runs.
    bool isMoving() const { return m_mover && m_mover->isRunning(); }

    // The speed typed into the page while the limit is chosen: empty or 0 is
    // the default, the rest is held to the range.
    static int clampSpeed(const QString &typed);
    // The address of a legal page from its manifest value; the Korean
    // edition's placeholders lead to the sections of `koreanServicePage`.
    // Invalid for anything but an http or https address with a host.
    static QUrl legalPageUrl(const QString &manifestValue, const QString &koreanServicePage);

    bool autoLaunch() const { return m_autoLaunch; }
    void setAutoLaunch(bool value);
    bool popUpOnExitGame() const { return m_popUpOnExitGame; }
    void setPopUpOnExitGame(bool value);
    QString closeType() const { return m_closeType; }
    void setCloseType(const QString &value);
    bool canChangeLanguage() const { return m_canChangeLanguage; }
    void setCanChangeLanguage(bool value);
    bool canClearResource() const { return m_canClearResource; }
    void setCanClearResource(bool value);
    bool notificationEnable() const { return m_notificationEnable; }
    void setNotificationEnable(bool value);
    int curLanguageIndex() const { return m_curLanguageIndex; }
    void setCurLanguageIndex(int value);
    bool speedNoLimit() const { return m_speedNoLimit; }
    void setSpeedNoLimit(bool value);
    int speedLimit() const { return m_speedLimit; }
    void setSpeedLimit(int value);
    bool scrolling() const { return m_scrolling; }
    void setScrolling(bool value);
    QString installationLocation() const { return m_installationLocation; }
    void setInstallationLocation(const QString &value);
    QString launcherVersion() const { return m_launcherVersion; }
    void setLauncherVersion(const QString &value);
    QString gameVersion() const { return m_gameVersion; }
    void setGameVersion(const QString &value);

    // The close switch of the page: on is "2" (hide to the tray); off goes
    // back to the choice held before it was switched on, "0" (ask) or "1" (quit).
    Q_INVOKABLE void setCloseToMinimize(bool on);
    // The page's speed input while the limit is chosen: held as typed, and
    // taken into `speedLimit` (held to the range) only when the entry is
    // finished, by finishSpeedText() or a save. Clamping every keystroke
    // would turn "3" into 100 before the "00" could follow.
    Q_INVOKABLE void setSpeedText(const QString &typed);
    Q_INVOKABLE void finishSpeedText();

    // Values others stored: the model shows them and a save leaves them alone.
    void takeStoredCloseType(const QString &type);
    // The install was recorded: the location is the game executable's path.
    void onGameInstalled();

signals:
    void autoLaunchChanged();
    void popUpOnExitGameChanged();
    void closeTypeChanged();
    void canChangeLanguageFun();
    void canClearResourceFun();
    void notificationEnableChanged();
    void curLanguageIndexChanged();
    void speedNoLimitChanged();
    void speedLimitChanged();
    void scrollingChanged();
    void installationLocationChanged();
    void launcherVersionChanged();
    void gameVersionChanged();

    // The values read at start are in the model.
    void filled();
    // The host should hide (the settings closed).
    void hideRequested();

public slots:
    void closeSettings();
    void changeLanguage(const QString &languageCode, int index, const QString &languageName);
    void setupLanguageIndex(int index);
    void changeInstallationLocation();
    void clearInstallation();
    // Closes the settings and verifies the game files over the main window.
    void verifyGameFiles();
    void checkLauncherVersion();
    void checkGameVersion();
    void showTermsOfService();
    void showPrivacyPolicy();
    void showChildrenProtocol();
    void onAutoLaunchSwitch();
    void onScrollViewScrolling();

    // A short message with one Confirm button over the settings (or the main
    // window when they are closed); does not block.
    void showTip(const QString &text);
    // The game's resources were cleared: no installation is left.
    void onResourcesCleared();

private:
    // What the stores hold, read on the worker.
    struct Stored
    {
        bool autoLaunch = false;
        bool popUpOnExitGame = true;
        QString closeType;
        int downloadSpeed = -1;
        bool canChangeLanguage = true;
        QString installationLocation;
        QString launcherVersion;
        bool notificationEnable = true;
        int languageIndex = -1;
    };
    // What a save writes, taken on the GUI thread.
    struct Snapshot
    {
        quint32 fields = 0; // Field bits to write
        bool speedNoLimit = false;
        int speedLimit = 0;
        bool notificationEnable = true;
        QString closeType;
        bool popUpOnExitGame = true;
    };
    enum Field : quint32 {
        FAutoLaunch = 1 << 0,
        FPopUp = 1 << 1,
        FCloseType = 1 << 2,
        FCanChangeLanguage = 1 << 3,
        FNotification = 1 << 4,
        FLanguage = 1 << 5,
        FSpeedNoLimit = 1 << 6,
        FSpeedLimit = 1 << 7,
        FLocation = 1 << 8,
        FLauncherVersion = 1 << 9,
    };

    static Stored readStores();
    static void writeSnapshot(const Snapshot &snapshot);
    // The one place the speed limit reaches the store.
    static void writeSpeed(bool noLimit, int limit);
    // The installed game's executable with "/" separators; empty when no
    // install is recorded.
    static QString installedExePath();
    void applyStored(const Stored &stored);
    // Called by every setter that changed a value: outside the fill it is
    // the page's (or the launcher's) change, which the fill must keep.
    void touched(Field field);
    void writeFields(quint32 fields);
    QWidget *dialogParent() const;
    // Runs `step` once the question that asked for it has closed.
    void afterQuestion(std::function<void()> step);
    void openLegalPage(const QString &key);
    // A chosen game executable taken as the installation (or refused).
    void takeLocated(const QString &file);
    // The installed game: a folder to move it to, the question, the move.
    void chooseMoveFolder();
    void askMove(const QString &target);
    void startMove(SettingCommonDialog *dialog, const QString &target);

    Actions m_actions;
    QPointer<QWidget> m_host;
    QPointer<QWidget> m_mainWindow;
    QThreadPool m_storeWorker;
    QFutureWatcher<Stored> m_fillWatcher;
    quint32 m_touched = 0; // fields the page changed since the last save
    bool m_applying = false;
    // The speed input's text while it is being typed; null when none is pending.
    QString m_speedText;
    bool m_filled = false;
    QTimer *m_scrollTimer = nullptr;
    std::unique_ptr<InstallMover> m_mover;
    // The close type to go back to when the minimize switch goes off; "1"
    // (quit) when the switch was on from the start.
    QString m_closeTypeBeforeMinimize = QStringLiteral("1");

    bool m_autoLaunch = false;
    bool m_popUpOnExitGame = false;
    QString m_closeType;
    bool m_canChangeLanguage = true;
    bool m_canClearResource = false;
    bool m_notificationEnable = true;
    int m_curLanguageIndex = 1;
    bool m_speedNoLimit = false;
    int m_speedLimit = 0;
    bool m_scrolling = false;
    QString m_installationLocation;
    QString m_launcherVersion;
    QString m_gameVersion;
};
