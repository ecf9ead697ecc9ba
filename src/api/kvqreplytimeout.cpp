#include "api/kvqreplytimeout.h"

#include <QDebug>
#include <QNetworkReply>
#include <QTimer>

KVQReplyTimeout::KVQReplyTimeout(QNetworkReply *reply, int milliseconds)
    : QObject(reply)
{
    if (reply && reply->isRunning())
        QTimer::singleShot(milliseconds, this, &KVQReplyTimeout::replyTimeout);
}

void KVQReplyTimeout::replyTimeout()
{
    auto *reply = qobject_cast<QNetworkReply *>(parent());
    if (!reply || !reply->isRunning())
        return;
    qInfo().noquote() << QStringLiteral("[Timeout].[url][%1]").arg(reply->request().url().toString());
    emit timeout();
}
