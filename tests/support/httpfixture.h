#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests: records every request as it
// arrived on the wire and answers canned replies per path, optionally after a
// delay. Keeps connections alive, as the launcher's client expects.
class HttpFixture : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers; // in arrival order
        QByteArray body;

        bool hasHeader(const QByteArray &name) const;
        QByteArray header(const QByteArray &name) const; // case-insensitive name
    };

    struct Reply
    {
        int status = 200;
        QByteArray contentType = "application/json";
        QByteArray body = R"({"code":200,"msg":"ok","data":{}})";
        int delayMs = 0;
        QList<QPair<QByteArray, QByteArray>> headers; // extra answer headers, as given
    };

    explicit HttpFixture(QObject *parent = nullptr);

    // Listens on a free port of 127.0.0.1.
    bool listen();
    quint16 port() const;
    QString url(const QString &path = QString()) const;

    // The answer for a path (the default reply for any other path).
    void setReply(const QByteArray &path, const Reply &reply);

    QList<Request> requests() const { return m_requests; }
    int requestCount() const { return m_requests.size(); }
    int repliesWritten() const { return m_repliesWritten; }

signals:
    void requestReceived();
    // A reply was written, or dropped because the client had gone.
    void replyWritten();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Reply &reply);

    QTcpServer *m_server;
    QHash<QByteArray, Reply> m_replies;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<Request> m_requests;
    int m_repliesWritten = 0;
};
