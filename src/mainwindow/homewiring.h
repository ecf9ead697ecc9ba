#pragma once

#include "update/appdownloadinfo.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include "widgets/qmlhostdialog.h"

#include <functional>

class Appinstallplugin;
class DbManager;
class MovieLabel;
class NotificationPlugin;
class PosterPlugin;
class QLabel;
class QTimer;
class UpdateDialog;

// What the main window does beyond its install display: the background checks
// it runs while it is visible (the launcher's version, the game's version and
// the poster), the notification requests, the poster picture and background
// video over its background, and the launcher-update page.
//
// The checks run when the window is shown or its activation changes, and every
// kCheckIntervalMs while it is not hidden; hiding the window (to the tray)
// stops them. While the launcher-update page is open the launcher and game
// checks pause; the poster check runs regardless.
//
// Everything runs on the GUI thread; plug-in signals are handled as queued
// calls with the window as context.
class HomeWiring : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCheckIntervalMs = 60000;
    static constexpr int kNotificationIntervalMs = 60000;
    static constexpr int kVideoDelayMs = 500;

    // The services the window drives; null ones are not wired (tests leave out
    // what they do not drive).
    struct Collaborators
    {
        // The launcher check, base info, banners and news.
        Appinstallplugin *appPlugin = nullptr;
        PosterPlugin *posterPlugin = nullptr;
        NotificationPlugin *notificationPlugin = nullptr;
        // The database of the background video and of the data reset; null:
        // the launcher's.
        DbManager *database = nullptr;
        // The launcher-update page's model; null: the process-wide one.
        UpdateDialog *updateDialog = nullptr;
        // Opens an http(s) address in the system browser; null: the desktop's.
        std::function<bool(const QUrl &)> openUrl;
        // Starts the launcher's updater detached; null: QProcess::startDetached.
        std::function<bool(const QString &program, const QStringList &arguments)> startUpdater;
        // Ends the launcher for its updater; null: the orderly quit.
        std::function<void()> quit;
    };

    // The window's parts this wiring drives.
    struct Parts
    {
        QWidget *window = nullptr;
        QLabel *posterStatic = nullptr;
        MovieLabel *video = nullptr;
        QWidget *playPopup = nullptr;
        // Puts the edition's default background back (no poster to show).
        std::function<void()> applyEditionLook;
        // The game's automatic version check.
        std::function<void()> versionCheck;
    };

    HomeWiring(Collaborators collaborators, Parts parts, QObject *parent = nullptr);

    // The construction steps: video refresh, poster check, launcher check,
    // notification timer and the first request.
    void start();

    // Window events.
    void windowShown();
    void windowHidden();
    void activationChanged();
    // A window-activation event: every one but the first also checks the game's version.
    void windowActivated();

    bool checksRunning() const;
    // The launcher-update page while it exists.
    QmlHostDialog *updatePage() const { return m_updatePage; }
    UpdateDialog *updateDialog() const;

    // Shows the page of a newer launcher. The automatic check's announcement
    // leaves it out when updates are automatic; the user's own check does not.
    // Its Update starts the updater with the release and quits the launcher;
    // a release that cannot be checked, or a missing updater, opens the
    // release's page instead.
    void showAppUpdateDialog(AppDownloadInfoPtr info);
    void sendNotificationRequest();
    // Shows the current poster, or the edition's background without one (or
    // with one refused); the picture is decoded on a worker.
    void refreshPoster();
    // The services answer again after being away: the launcher and poster
    // checks go out now (the game's version has just answered).
    void servicesBack();

private:
    void ensureTimer();
    void runChecks();
    void bringWindowForward(bool showHidden);
    void openLink(const QString &address);
    void installUpdate(const AppDownloadInfo &info);
    void showPoster(const QImage &poster);

    Collaborators m_collaborators;
    Parts m_parts;
    QTimer *m_checkTimer = nullptr;
    QTimer *m_notificationTimer = nullptr;
    bool m_firstActivation = true;
    bool m_notificationsWired = false;
    quint64 m_posterTicket = 0; // a newer refresh drops the decode of an older one
    QPointer<QmlHostDialog> m_updatePage;
};
