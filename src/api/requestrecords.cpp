#include "api/requestrecords.h"

#include "app/launcherconfig.h"

#include <QJsonArray>

QString manifestGameId()
{
    return LauncherConfig::instance()->manifestValue(QStringLiteral("gameId"));
}

int storedRunningType()
{
    return LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("runningtype"));
}

QJsonObject PosterRequestInfo::toJson() const
{
    QJsonObject json = m_json;
    json.insert(QStringLiteral("gameId"), manifestGameId());
    json.insert(QStringLiteral("imageTypes"), QJsonArray {1});
    const int runningType = storedRunningType();
    if (runningType != -1 && runningType != 3)
        json.insert(QStringLiteral("envType"), 2);
    return json;
}

int VideoRequestInfo::envTypeFor(int storedRunningType)
{
    switch (storedRunningType) {
    case -1:
    case 3:
        return 4;
    case 2:
        return 2;
    case 1:
        return 1;
    default:
        return 0;
    }
}

QJsonObject VideoRequestInfo::toJson() const
{
    QJsonObject json = m_json;
    json.insert(QStringLiteral("gameId"), manifestGameId());
    const int envType = envTypeFor(storedRunningType());
    if (envType != 0)
        json.insert(QStringLiteral("envType"), envType);
    return json;
}

AppCurrentRequestInfo::AppCurrentRequestInfo()
    : version(LauncherConfig::applicationVersion())
{ }

AppCurrentRequestInfo::AppCurrentRequestInfo(const DeviceInfo &device, const AppPackageInfo &package)
    : ApiRequestBean(device, package)
    , version(LauncherConfig::applicationVersion())
{ }

QJsonObject AppCurrentRequestInfo::toJson() const
{
    QJsonObject json = m_json;
    json.insert(QStringLiteral("version"), version);
    json.insert(QStringLiteral("gameId"), manifestGameId());
    return json;
}

QJsonObject NotificationRequsetInfo::toJson() const
{
    return QJsonObject {{QStringLiteral("gameId"), manifestGameId()}};
}

NewsRequestInfo::NewsRequestInfo(int informationType)
    : informationType(informationType)
{ }

QJsonObject NewsRequestInfo::toJson() const
{
    QJsonObject json;
    if (informationType != 1)
        json.insert(QStringLiteral("informationType"), informationType);
    json.insert(QStringLiteral("current"), current);
    json.insert(QStringLiteral("pageSize"), pageSize);
    json.insert(QStringLiteral("gameId"), manifestGameId().toInt());
    return json;
}

BannerRequestInfo::BannerRequestInfo(const QString &gameId)
    : gameId(gameId)
{ }

QJsonObject BannerRequestInfo::toJson() const
{
    return QJsonObject {{QStringLiteral("gameId"), gameId}};
}

ConversionBean::ConversionBean(const QString &conversionActionName)
    : conversionActionName(conversionActionName)
    , adFid(LauncherConfig::instance()->adFid())
    , gclid(LauncherConfig::instance()->gclid())
{ }

ConversionBean::ConversionBean(
    const QString &conversionActionName, const DeviceInfo &device, const AppPackageInfo &package)
    : ApiRequestBean(device, package)
    , conversionActionName(conversionActionName)
    , adFid(LauncherConfig::instance()->adFid())
    , gclid(LauncherConfig::instance()->gclid())
{ }

QJsonObject ConversionBean::toJson() const
{
    QJsonObject json = m_json;
    json.insert(QStringLiteral("conversionActionName"), conversionActionName);
    json.insert(QStringLiteral("adFid"), adFid);
    json.insert(QStringLiteral("gclid"), gclid);
    json.insert(QStringLiteral("uploadType"), uploadType);
    return json;
}
