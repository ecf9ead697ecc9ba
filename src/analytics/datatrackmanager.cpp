#include "analytics/datatrackmanager.h"

#include "analytics/trackevent.h"
#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"

#include <QDebug>
#include <QJsonDocument>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QThread>

namespace {

ProcessSingleton<DataTrackManager> s_instance;

// The system the launcher runs on, as the receiver's "#os" expects it.
#ifdef Q_OS_WIN
const QString kOsName = QStringLiteral("Windows");
#else
const QString kOsName = QStringLiteral("Linux");
#endif

// A request object reports exactly once (reply or time-out); it goes then.
template<typename Report> Report *newReport(QNetworkAccessManager *manager, QObject *owner)
{
    auto *report = new Report(manager, owner);
    QObject::connect(report, &KVAbstractNetwork::signalReplyfinsh, report, &QObject::deleteLater);
    QObject::connect(report, &KVAbstractNetwork::signalReplyError, report, &QObject::deleteLater);
    return report;
}

} // namespace

DataTrackManager *DataTrackManager::instance()
{
    return s_instance.get([] {
        KVApplication *app = KVApplication::instance();
        return new DataTrackManager(
            Collaborators {*ServerUrls::instance(), nullptr, {}}, app->deviceInfo(), app->packageInfo());
    });
}

DataTrackManager::DataTrackManager(
    Collaborators collaborators, const DeviceInfo &device, const AppPackageInfo &package, QObject *parent)
    : QObject(parent)
    , m_appId(appIdFromConfig())
    , m_conversionEnabled(conversionEnabledFromConfig())
    , m_urls(std::move(collaborators.urls))
    , m_manager(collaborators.manager ? collaborators.manager : new QNetworkAccessManager(this))
    , m_clock(std::move(collaborators.clock))
    , m_device(device)
    , m_package(package)
{ }

QString DataTrackManager::appIdFromConfig()
{
    const LauncherConfig *config = LauncherConfig::instance();
    const bool hasRunningType = config->keys(QStringLiteral("Launcher")).contains(QStringLiteral("runningtype"));
    return config->manifestValue(
        hasRunningType ? QStringLiteral("Datasdk_appid_test") : QStringLiteral("Datasdk_appid_prod"));
}

bool DataTrackManager::conversionEnabledFromConfig()
{
    return LauncherConfig::instance()->manifestValue(QStringLiteral("Data_GA_Track_Enable")) == QLatin1String("true");
}

int DataTrackManager::zoneOffsetHours(const QDateTime &time)
{
    return time.offsetFromUtc() / 3600; // integer division truncates towards zero
}

QDateTime DataTrackManager::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QJsonObject DataTrackManager::eventJson(const QString &eventName, const QVariantMap &properties) const
{
    LauncherConfig *config = LauncherConfig::instance();
    const QString deviceId = config->deviceId();
    const TrackEvent event(m_appId, now(), deviceId);

    const QDateTime flushTime = now();
    QJsonObject props {
        {QStringLiteral("#device_id"), deviceId},
        {QStringLiteral("#network_type"), QStringLiteral("LAN")},
        {QStringLiteral("#app_version"), LauncherConfig::applicationVersion()},
        {QStringLiteral("#system_language"), QLocale::system().uiLanguages().value(0)},
        {QStringLiteral("#device_model"), m_device.deviceManufacturer},
        {QStringLiteral("#manufacturer"), m_device.hardware},
        {QStringLiteral("#screen_width"), m_device.displayWidth.toInt()},
        {QStringLiteral("#screen_height"), m_device.displayHeight.toInt()},
        {QStringLiteral("#lib"), QStringLiteral("Qt5.15.2")},
        {QStringLiteral("#os"), kOsName},
        {QStringLiteral("#lib_version"), QStringLiteral("1.0.0")},
        {QStringLiteral("#zone_offset"), zoneOffsetHours(flushTime)},
        {QStringLiteral("os_shortname"), kOsName},
        {QStringLiteral("game_id"), m_package.gameId},
        {QStringLiteral("game_code"), m_package.gameCode},
        {QStringLiteral("game_name"), m_package.gameName},
        {QStringLiteral("app_packagename"), m_package.appPackageName},
        {QStringLiteral("app_sdk_version"), m_package.sdkVersion},
        {QStringLiteral("app_subchannelid"), m_package.subChannelId},
        {QStringLiteral("app_channelid"), m_package.channelId},
        {QStringLiteral("app_channel_version"), QStringLiteral("1.0.0")},
        {QStringLiteral("gclid"), config->gclid()},
        {QStringLiteral("adfid"), config->adFid()},
    };
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const int type = it.value().userType();
        if (type == QMetaType::Int)
            props.insert(it.key(), it.value().toInt());
        else if (type == QMetaType::QString)
            props.insert(it.key(), it.value().toString());
    }
    return event.toJson(eventName, props, flushTime.toMSecsSinceEpoch());
}

void DataTrackManager::trackEvent(const QString &eventName, const QVariantMap &properties)
{
    // The request objects belong to the manager's thread.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, eventName, properties] { trackEvent(eventName, properties); }, Qt::QueuedConnection);
        return;
    }

    const QJsonObject event = eventJson(eventName, properties);
    auto *report = newReport<ThinkingDataReport>(m_manager, this);
    connect(report, &KVAbstractNetwork::signalReplyfinsh, this, [eventName](const ApiResult &result) {
        qInfo().noquote() << QStringLiteral("eventName = %1 ,result =  %2").arg(eventName, result.msg);
    });
    const QString body
        = QLatin1Char('[') + QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Indented)) + QLatin1Char(']');
    report->postDataTrackRequest(0, m_appId, body, m_urls.dataHost());
}

void DataTrackManager::uploadConversion(const QString &actionName)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, actionName] { uploadConversion(actionName); }, Qt::QueuedConnection);
        return;
    }
    if (!m_conversionEnabled)
        return;
    if (LauncherConfig::instance()->gclid().isEmpty())
        return;

    const ConversionBean bean(actionName, m_device, m_package);
    auto *report = newReport<GADataReport>(m_manager, this);
    connect(report, &KVAbstractNetwork::signalReplyfinsh, this, [actionName](const ApiResult &result) {
        qInfo().noquote() << QStringLiteral("eventName = %1 ,trackMediaEvent =  %2").arg(actionName, result.msg);
    });
    report->postRequest(0, bean.toJson(), m_urls.hostUrl(QStringLiteral("/pc/conversion/upload")), false, false);
}
