#include "api/kvqreplytimeout.h"

#include <QDebug>
#include <QNetworkReply>
#include <QTimer>

KVQReplyTimeout::KVQReplyTimeout(QNetworkReply *reply, int milliseconds)
    : QObject(reply)
{
    if (reply && reply->isRunning()) {
        // A coarse timer may fire up to 5 % early, which would abort a reply
        // that arrives well inside the limit (4.75 s of a 5 s limit).
        auto *timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &KVQReplyTimeout::replyTimeout);
        timer->start(milliseconds);
    }
}

void KVQReplyTimeout::replyTimeout()
{
    auto *reply = qobject_cast<QNetworkReply *>(parent());
    if (!reply || !reply->isRunning())
        return;
    qInfo().noquote() << QStringLiteral("[Timeout].[url][%1]").arg(reply->request().url().toString());
    emit timeout();
}
