#include "app/basebean.h"

#include "app/launcherconfig.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>

DeviceInfo DeviceInfo::fromSystem()
{
    DeviceInfo info;
    info.deviceName = QSysInfo::machineHostName();
    info.deviceManufacturer = QSysInfo::prettyProductName();
    info.hardware = Platform::cpuName();
    info.buildName = QSysInfo::kernelType() + QLatin1Char('-') + QSysInfo::kernelVersion() + QLatin1Char('-')
        + QSysInfo::currentCpuArchitecture();
    info.osVersion = QSysInfo::productVersion();
    QSize area(0, 0);
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            area = screen->availableSize();
    }
    info.displayWidth = QString::number(area.width());
    info.displayHeight = QString::number(area.height());
    return info;
}

QJsonObject DeviceInfo::toJson() const
{
    return QJsonObject {
        {QStringLiteral("deviceId"), deviceId.isEmpty() ? LauncherConfig::instance()->deviceId() : deviceId},
        {QStringLiteral("osType"), osType},
        {QStringLiteral("deviceName"), deviceName},
        {QStringLiteral("deviceManufacturer"), deviceManufacturer},
        {QStringLiteral("hardware"), hardware},
        {QStringLiteral("buildName"), buildName},
        {QStringLiteral("osVersion"), osVersion},
        {QStringLiteral("displayWidth"), displayWidth},
        {QStringLiteral("displayHeight"), displayHeight},
    };
}

AppPackageInfo AppPackageInfo::fromConfig()
{
    const LauncherConfig *config = LauncherConfig::instance();
    AppPackageInfo info;
    info.appPackageName = config->manifestValue(QStringLiteral("appPackageName"));
    info.appVersionName = LauncherConfig::applicationVersion();
    info.gameId = config->manifestValue(QStringLiteral("gameId"));
    info.gameCode = config->manifestValue(QStringLiteral("gameCode"));
    info.gameName = config->manifestValue(QStringLiteral("gameName"));
    info.channelId = config->manifestValue(QStringLiteral("channelId"));
    info.subChannelId = config->manifestValue(QStringLiteral("subChannelId"));
    info.gclid = config->gclid();
    info.adFid = config->adFid();
    return info;
}

QJsonObject AppPackageInfo::toJson() const
{
    return QJsonObject {
        {QStringLiteral("appPackageName"), appPackageName},
        {QStringLiteral("appVersion"), appVersion},
        {QStringLiteral("appVersionName"), appVersionName},
        {QStringLiteral("gameId"), gameId},
        {QStringLiteral("gameCode"), gameCode},
        {QStringLiteral("gameName"), gameName},
        {QStringLiteral("channelId"), channelId},
        {QStringLiteral("subChannelId"), subChannelId},
        {QStringLiteral("appInstallTime"), appInstallTime},
        {QStringLiteral("appUpdateTime"), appUpdateTime},
        {QStringLiteral("sdkVersion"), sdkVersion},
        {QStringLiteral("channelVersion"), channelVersion},
        {QStringLiteral("appSignature"), appSignature},
        {QStringLiteral("gclid"), gclid},
        {QStringLiteral("adFid"), adFid},
    };
}
