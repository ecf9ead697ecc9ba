#pragma once

#include "app/launcherrestart.h"

#include <QString>

#include <functional>
#include <memory>

class Appinstallplugin;
class DataTrackManager;
class GameInstallPlugin;
class InstallLocator;
class MainWindow;
class NotificationPlugin;
class OrderlyQuit;
class PosterPlugin;
class QNetworkAccessManager;
class SettingsModel;
class SingleInstanceGuard;

// The launcher put together, once, on the GUI thread: the settings model
// (filled from the stores on a worker), the data folders and the database
// worker, the plug-ins, the download engines and extraction managers the
// window makes, the window with its tray and home page, the settings and
// quit wiring, the language change's restart and the location of an
// existing install. The entry builds it and so do the tests that walk whole
// sessions, so both run the same wiring.
//
// The quit is the launcher's OrderlyQuit: its stop steps end the window's
// work and write the settings, its final step stops the database worker.
// The root owns the window and deletes it in finish() or with itself, after
// the event loop and nowhere else.
class LauncherRoot
{
public:
    // What differs from the launcher's own; the defaults are the launcher's.
    struct Overrides
    {
        // Base address of every service (game update, launcher, home content,
        // analytics at "/receiver/app"): the plug-ins are built for it and
        // owned here. Empty: the running environment's process-wide plug-ins.
        QString serviceBase;
        // Bytes per second for the download engines; -1: the "downloadspeed" setting.
        qint64 rateLimit = -1;
        // The language change's restart; defaults: the orderly quit, then
        // this executable started again.
        LauncherRestart::Collaborators restart;
        // Whether a hidden window can come back through the tray; null: ask Qt.
        std::function<bool()> trayAvailable;
    };

    // The launcher's own.
    LauncherRoot();
    explicit LauncherRoot(Overrides overrides);
    ~LauncherRoot();

    LauncherRoot(const LauncherRoot &) = delete;
    LauncherRoot &operator=(const LauncherRoot &) = delete;

    // The window; shown by the caller. Null after finish().
    MainWindow *window() const { return m_window.get(); }
    GameInstallPlugin *installPlugin() const { return m_installPlugin; }
    Appinstallplugin *appPlugin() const { return m_appPlugin; }
    SettingsModel *settings() const { return m_settings.get(); }
    LauncherRestart *restart() const { return m_restart.get(); }
    OrderlyQuit *quit() const;

    // After the event loop: deletes the window, then releases `guard` and
    // starts the copy a language change asked for (it must find the guard free).
    void finish(SingleInstanceGuard &guard);

private:
    void buildServices();
    void buildWindow();
    void wireSettings();

    Overrides m_overrides;
    std::unique_ptr<SettingsModel> m_settings;
    // Built for a service base of the overrides; else null and the process-wide ones serve.
    // The network client outlives the plug-ins: their requests release its
    // replies when they go.
    std::unique_ptr<QNetworkAccessManager> m_ownNetwork;
    std::unique_ptr<DataTrackManager> m_ownTracker;
    std::unique_ptr<GameInstallPlugin> m_ownInstallPlugin;
    std::unique_ptr<Appinstallplugin> m_ownAppPlugin;
    std::unique_ptr<PosterPlugin> m_ownPosterPlugin;
    std::unique_ptr<NotificationPlugin> m_ownNotificationPlugin;

    DataTrackManager *m_tracker = nullptr;
    GameInstallPlugin *m_installPlugin = nullptr;
    Appinstallplugin *m_appPlugin = nullptr;
    PosterPlugin *m_posterPlugin = nullptr;
    NotificationPlugin *m_notificationPlugin = nullptr;

    std::unique_ptr<LauncherRestart> m_restart;
    std::unique_ptr<InstallLocator> m_locator;
    // Last: goes first, before everything it uses.
    std::unique_ptr<MainWindow> m_window;
};
