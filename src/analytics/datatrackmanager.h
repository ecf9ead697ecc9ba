#pragma once

#include "app/basebean.h"
#include "api/serverurls.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QNetworkAccessManager;

// The analytics entry point: reports usage events to the analytics receiver,
// one request per event, and uploads advertising conversions to the launcher
// service when the edition enables them and the installer left a click id.
// Everything is fire and forget: the answer is only logged, nothing is
// retried or stored. Request objects are deleted once their post reported.
//
// Application id and conversion switch are read once, when the manager is built.
class DataTrackManager : public QObject
{
    Q_OBJECT
public:
    // What the manager talks to; tests hand in their own.
    struct Collaborators
    {
        ServerUrls urls;
        QNetworkAccessManager *manager = nullptr; // null: the manager owns one
        std::function<QDateTime()> clock; // null: the local time
    };

    // The process-wide manager, built on first use with the launcher's
    // server addresses, device and package information.
    static DataTrackManager *instance();

    DataTrackManager(Collaborators collaborators, const DeviceInfo &device, const AppPackageInfo &package,
        QObject *parent = nullptr);

    // Sends one event. Property values of int type become numbers, of text
    // type strings (replacing a built-in property of the same key); any
    // other type is dropped. Returns at once.
    void trackEvent(const QString &eventName, const QVariantMap &properties = {});

    // Uploads one conversion when enabled and a click id is stored. Returns at once.
    void uploadConversion(const QString &actionName);

    // The event object trackEvent() sends (without the surrounding array).
    QJsonObject eventJson(const QString &eventName, const QVariantMap &properties = {}) const;

    QString appId() const { return m_appId; }
    bool conversionEnabled() const { return m_conversionEnabled; }

    // The test id when the setting "runningtype" exists (any value), the
    // production id otherwise; and whether the manifest enables conversions.
    static QString appIdFromConfig();
    static bool conversionEnabledFromConfig();

    // "#zone_offset": the UTC offset of `time` in whole hours, truncated towards zero.
    static int zoneOffsetHours(const QDateTime &time);

private:
    QDateTime now() const;

    QString m_appId;
    bool m_conversionEnabled = false;
    ServerUrls m_urls;
    QNetworkAccessManager *m_manager = nullptr;
    std::function<QDateTime()> m_clock;
    DeviceInfo m_device;
    AppPackageInfo m_package;
};
