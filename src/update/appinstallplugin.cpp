#include "update/appinstallplugin.h"

#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"
#include "app/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>

namespace {

ProcessSingleton<Appinstallplugin> s_instance;

void registerTypes()
{
    static const int id = qRegisterMetaType<AppDownloadInfoPtr>("AppDownloadInfoPtr");
    Q_UNUSED(id)
}

void postVersionRequest(AppVersionRequest *request, const ServerUrls &urls, const QString &version)
{
    AppCurrentRequestInfo body;
    body.version = version;
    request->postRequest(0, body.toJson(), urls.hostUrl(Appinstallplugin::versionPath()), false, true);
}

} // namespace

Appinstallplugin *Appinstallplugin::instance()
{
    return s_instance.get([] {
        auto *plugin = new Appinstallplugin(*ServerUrls::instance(), LauncherConfig::applicationVersion());
        // Built on whatever thread asks first; it works on the GUI thread.
        if (QCoreApplication::instance())
            plugin->moveToThread(QCoreApplication::instance()->thread());
        return plugin;
    });
}

Appinstallplugin::Appinstallplugin(const ServerUrls &urls, const QString &currentVersion,
    QNetworkAccessManager *network, RequestThrottle::Clock clock, QObject *parent)
    : QObject(parent)
    , m_urls(urls)
    , m_currentVersion(currentVersion)
    , m_network(network)
    , m_throttle(kCheckIntervalMs,
          clock ? std::move(clock) : RequestThrottle::Clock([] { return QDateTime::currentMSecsSinceEpoch(); }))
{
    registerTypes();
}

void Appinstallplugin::checkUpdateInServer()
{
    if (!m_throttle.tryAcquire()) {
        qInfo("checkUpdateInServer timelimit return.");
        return;
    }
    if (!m_request) {
        m_request = new AppVersionRequest(m_network, this);
        connect(m_request, &AppVersionRequest::signalReplyfinsh, this, &Appinstallplugin::onAppVersionReply);
    }
    postVersionRequest(m_request, m_urls, m_currentVersion);
}

void Appinstallplugin::onAppVersionReply(const ApiResult &result)
{
    if (result.code != 200) {
        qInfo().noquote()
            << QStringLiteral("Get app version from server fail. code:%1,msg:%2.").arg(result.code).arg(result.msg);
        return;
    }
    const AppDownloadInfoPtr info = AppDownloadInfo::fromReplyData(result.data);
    if (!info || !needsAppUpdate(m_currentVersion, info->latestVersion))
        return;
    qInfo().noquote() << QStringLiteral("need to update app!!! old Version :") + m_currentVersion
            + QStringLiteral("New Version is :") + info->latestVersion;
    emit notifyAppUpdate(info);
}

LauncherVersionCheck::LauncherVersionCheck(
    const ServerUrls &urls, const QString &currentVersion, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_urls(urls)
    , m_currentVersion(currentVersion)
    , m_request(new AppVersionRequest(network, this))
{
    registerTypes();
    connect(m_request, &AppVersionRequest::signalReplyfinsh, this, &LauncherVersionCheck::onReply);
    connect(m_request, &AppVersionRequest::signalReplyError, this, &QObject::deleteLater);
}

void LauncherVersionCheck::start()
{
    postVersionRequest(m_request, m_urls, m_currentVersion);
}

QString LauncherVersionCheck::upToDateText(const QString &currentVersion)
{
    //: %1 is the launcher's version.
    return tr("Current version:%1").arg(currentVersion) + QStringLiteral("\n\n")
        + tr("You have updated to the latest Version.");
}

void LauncherVersionCheck::onReply(const ApiResult &result)
{
    qInfo().noquote() << QStringLiteral("ApiPath_App_Version =  ") + result.msg;
    deleteLater();
    if (result.code != 200)
        return;
    const AppDownloadInfoPtr info = AppDownloadInfo::fromReplyData(result.data);
    if (info && needsAppUpdate(m_currentVersion, info->latestVersion)) {
        qInfo().noquote() << QStringLiteral("need to update app!!! New Version is :") + info->latestVersion;
        emit newerVersion(info);
        return;
    }
    emit upToDate(upToDateText(m_currentVersion));
}
