#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

class QTcpServer;
class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests: records every request as it
// arrived on the wire and answers canned replies per path, optionally after a
// delay. Keeps connections alive, as the launcher's client expects.
//
// Replies can also misbehave the way hostile or broken file servers do: any
// status and headers (a Content-Range that lies, a Content-Encoding), no
// Content-Length with the connection closed after the body, a body that never
// ends, or a body trickled out a few bytes at a time. A handler per path
// builds the reply from the request (ranges, a file that changes).
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
        QList<QPair<QByteArray, QByteArray>> headers; // more header lines
        bool noContentLength = false; // the body ends when the connection closes
        bool endless = false; // the body, again and again, until the client goes
        int trickleBytes = 0; // with trickleMs: that many bytes a time
        int trickleMs = 0;
    };
    using Handler = std::function<Reply(const Request &)>;

    // A plain file server's answer for `content`: 206 with the range asked
    // for, 416 past the end, 200 with everything when no range was asked.
    static Reply fileReply(const Request &request, const QByteArray &content);

    explicit HttpFixture(QObject *parent = nullptr);

    // Listens on a free port of 127.0.0.1.
    bool listen();
    quint16 port() const;
    QString url(const QString &path = QString()) const;

    // The answer for a path (the default reply for any other path).
    void setReply(const QByteArray &path, const Reply &reply);
    // The answer for a path, built for each request.
    void setHandler(const QByteArray &path, Handler handler);

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
    void writeBody(QTcpSocket *socket, const Reply &reply);

    QTcpServer *m_server;
    QHash<QByteArray, Reply> m_replies;
    QHash<QByteArray, Handler> m_handlers;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<Request> m_requests;
    int m_repliesWritten = 0;
};
