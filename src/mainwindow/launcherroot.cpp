#include "mainwindow/launcherroot.h"

#include "analytics/datatrackmanager.h"
#include "api/serverurls.h"
#include "app/kvapplication.h"
#include "app/language.h"
#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "content/notificationplugin.h"
#include "content/posterplugin.h"
#include "db/dbmanager.h"
#include "download/downloadfilesmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "extract/ziplibmanager.h"
#include "install/gameinstallplugin.h"
#include "install/installlocator.h"
#include "install/installsession.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/quitwiring.h"
#include "mainwindow/settingswiring.h"
#include "settings/settingsmodel.h"
#include "update/appinstallplugin.h"

#include <QCoreApplication>
#include <QDebug>
#include <QNetworkAccessManager>

namespace {

// How long the quit waits for the database worker before it leaves it.
constexpr int kDatabaseStopMs = 3000;

} // namespace

LauncherRoot::LauncherRoot()
    : LauncherRoot(Overrides())
{ }

LauncherRoot::LauncherRoot(Overrides overrides)
    : m_overrides(std::move(overrides))
{
    KVApplication *state = KVApplication::instance();
    // Filled from the stores on a worker while the rest is built.
    m_settings = std::make_unique<SettingsModel>();
    state->setSettingsModel(m_settings.get());
    m_settings->fillFromStore();

    KVApplication::createDataFolders();
    emit DbManager::instance()->initWorker(QString());

    buildServices();
    buildWindow();
    state->setMainWindow(m_window.get());
    wireSettings();

    OrderlyQuit *orderly = quit();
    orderly->setFinalStep([] {
        if (!DbManager::instance()->stopWorker(kDatabaseStopMs))
            qWarning() << "The database worker did not stop within" << kDatabaseStopMs << "ms; leaving it";
    });
    QuitWiring::attach(orderly, m_window.get(), m_settings.get());
}

LauncherRoot::~LauncherRoot() = default;

OrderlyQuit *LauncherRoot::quit() const
{
    return OrderlyQuit::instance();
}

void LauncherRoot::finish(SingleInstanceGuard &guard)
{
    m_window.reset();
    m_restart->finish(guard);
}

void LauncherRoot::buildServices()
{
    const QString base = m_overrides.serviceBase;
    if (base.isEmpty()) {
        m_tracker = DataTrackManager::instance();
        m_installPlugin = GameInstallPlugin::instance();
        m_appPlugin = Appinstallplugin::instance();
        m_posterPlugin = PosterPlugin::instance();
        m_notificationPlugin = NotificationPlugin::instance();
        return;
    }
    const KVApplication *app = KVApplication::instance();
    const ServerUrls urls(base, base, base + QStringLiteral("/receiver/app"), base);
    const auto serviceBase = [base] {
        return base;
    };
    m_ownNetwork = std::make_unique<QNetworkAccessManager>();
    QNetworkAccessManager *network = m_ownNetwork.get();
    m_ownTracker = std::make_unique<DataTrackManager>(
        DataTrackManager::Collaborators {urls, network, {}}, app->deviceInfo(), app->packageInfo());
    GameInstallPlugin::Collaborators install;
    install.updateServiceBase = serviceBase;
    install.manager = network;
    install.device = app->deviceInfo();
    install.package = app->packageInfo();
    install.runningType = app->runningType();
    m_ownInstallPlugin = std::make_unique<GameInstallPlugin>(std::move(install));
    m_ownAppPlugin = std::make_unique<Appinstallplugin>(urls, LauncherConfig::applicationVersion(), network);
    PosterPlugin::Collaborators poster;
    poster.activityBase = serviceBase;
    poster.manager = network;
    poster.device = app->deviceInfo();
    poster.package = app->packageInfo();
    m_ownPosterPlugin = std::make_unique<PosterPlugin>(std::move(poster));
    NotificationPlugin::Collaborators notification;
    notification.activityBase = serviceBase;
    notification.manager = network;
    m_ownNotificationPlugin = std::make_unique<NotificationPlugin>(std::move(notification));

    m_tracker = m_ownTracker.get();
    m_installPlugin = m_ownInstallPlugin.get();
    m_appPlugin = m_ownAppPlugin.get();
    m_posterPlugin = m_ownPosterPlugin.get();
    m_notificationPlugin = m_ownNotificationPlugin.get();
}

void LauncherRoot::buildWindow()
{
    DataTrackManager *tracker = m_tracker;
    const auto track = [tracker](const QString &event, const QVariantMap &properties) {
        tracker->trackEvent(event, properties);
    };
    const auto conversion = [tracker](const QString &action) {
        tracker->uploadConversion(action);
    };
    DownloadCollaborators downloads;
    downloads.track = track;
    downloads.rateLimit = m_overrides.rateLimit;
    // A stand-in given as every service's base stands for the mirrors too.
    if (m_overrides.serviceBase.isEmpty()) {
        downloads.mirrors = TransferRetry::manifestMirrors(
            KVApplication::instance()->runningType(), LauncherConfig::instance()->manifest());
    }
    InstallSession::Collaborators s;
    s.installPlugin = m_installPlugin;
    s.makeEngine = [downloads](int downloadType, QObject *parent) {
        if (downloadType == 1)
            return InstallSession::downloadPort(new DownloadFilesManager(parent, downloads));
        return InstallSession::downloadPort(new KVDownloadTaskManager(parent, downloads));
    };
    s.makeExtractor = [tracker](QObject *parent) {
        return InstallSession::extractPort(new ZiplibManager(tracker, parent));
    };
    s.track = track;
    s.conversion = conversion;
    MainWindow::Collaborators c;
    c.session = new InstallSession(std::move(s));
    c.track = track;
    c.conversion = conversion;
    LauncherConfig *config = LauncherConfig::instance();
    c.launcherType = LauncherConfig::launcherType();
    c.languageIndex = config->languageIndex();
    c.trayAvailable = m_overrides.trayAvailable;
    c.home.appPlugin = m_appPlugin;
    c.home.posterPlugin = m_posterPlugin;
    c.home.notificationPlugin = m_notificationPlugin;
    c.home.database = DbManager::instance();
    c.newsBase = m_overrides.serviceBase;
    m_window = std::make_unique<MainWindow>(std::move(c));
    m_window->setLanguageCode(Language::code(config->languageIndex()));
    m_window->setWindowTitle(config->manifestValue(QStringLiteral("app_displayname")));
}

// What the settings window's actions call: the language change's restart,
// the location of an existing install and the game check, whose question
// and tips sit over the settings while they are open.
void LauncherRoot::wireSettings()
{
    MainWindow *window = m_window.get();
    SettingsModel *settings = m_settings.get();
    const std::function<QWidget *()> openSettings = SettingsWiring::attach(window, settings);

    m_restart = std::make_unique<LauncherRestart>(m_overrides.restart);
    InstallLocator::Collaborators located;
    located.plugin = m_installPlugin;
    located.busy = [window] {
        return window->isInstallIng();
    };
    located.refreshMainButton = [window] {
        window->refreshMainButton();
    };
    m_locator = std::make_unique<InstallLocator>(std::move(located));

    LauncherRestart *restart = m_restart.get();
    InstallLocator *locator = m_locator.get();
    settings->actions().restart = [restart](int index) {
        restart->restart(index);
    };
    settings->actions().locate = [locator](const QString &file) {
        return locator->locate(file);
    };
    settings->actions().checkGameVersion = [window] {
        window->updatePrompt()->checkGameVersion();
    };
    window->updatePrompt()->setSettingsHost(openSettings, [settings] { settings->closeSettings(); });
}
