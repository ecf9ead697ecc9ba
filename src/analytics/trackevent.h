#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

// The fixed part of one analytics event in the receiver's event format. Its
// time and random id are taken when the record is built.
class TrackEvent
{
public:
    TrackEvent(const QString &appId, const QDateTime &now, const QString &distinctId);

    // The event object: "#type", "#time", "#distinct_id", "#uuid",
    // "#event_name", "#app_id", "#flush_time" and the given "properties".
    QJsonObject toJson(const QString &eventName, const QJsonObject &properties, qint64 flushTimeMs) const;

    // The local time in the log's stamp form, yyyy-MM-dd HH:mm:ss.zzz.
    static QString timeText(const QDateTime &time);

    QString type = QStringLiteral("track");
    QString time;
    QString distinctId;
    QString uuid;
    QString appId;
};
