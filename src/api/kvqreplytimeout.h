#pragma once

#include <QObject>

class QNetworkReply;

// Guards one reply with a single-shot timer that counts from the post. Lives
// as a child of the reply, so timer and guard go when the reply is deleted.
class KVQReplyTimeout : public QObject
{
    Q_OBJECT
public:
    // Arms the timer only when the reply is still running.
    KVQReplyTimeout(QNetworkReply *reply, int milliseconds);

signals:
    void timeout();

public slots:
    // Emits timeout() (after logging the address) when the reply is still running.
    void replyTimeout();
};
