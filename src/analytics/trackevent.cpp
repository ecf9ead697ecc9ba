#include "analytics/trackevent.h"

#include <QDebug>
#include <QUuid>

TrackEvent::TrackEvent(const QString &appId, const QDateTime &now, const QString &distinctId)
    : time(timeText(now))
    , distinctId(distinctId)
    , uuid(QUuid::createUuid().toString(QUuid::WithoutBraces))
    , appId(appId)
{
    qDebug().noquote() << QStringLiteral("track-time : %1").arg(time);
}

QString TrackEvent::timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QJsonObject TrackEvent::toJson(const QString &eventName, const QJsonObject &properties, qint64 flushTimeMs) const
{
    return QJsonObject {
        {QStringLiteral("#type"), type},
        {QStringLiteral("#time"), time},
        {QStringLiteral("#distinct_id"), distinctId},
        {QStringLiteral("#uuid"), uuid},
        {QStringLiteral("#event_name"), eventName},
        {QStringLiteral("#app_id"), appId},
        {QStringLiteral("#flush_time"), double(flushTimeMs)},
        {QStringLiteral("properties"), properties},
    };
}
