#include "support/httpfixture.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

bool HttpFixture::Request::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray HttpFixture::Request::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

HttpFixture::HttpFixture(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpFixture::onNewConnection);
}

bool HttpFixture::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpFixture::port() const
{
    return m_server->serverPort();
}

QString HttpFixture::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void HttpFixture::setReply(const QByteArray &path, const Reply &reply)
{
    m_replies.insert(path, reply);
}

void HttpFixture::setHandler(const QByteArray &path, Handler handler)
{
    m_handlers.insert(path, std::move(handler));
}

HttpFixture::Reply HttpFixture::fileReply(const Request &request, const QByteArray &content)
{
    Reply reply;
    reply.contentType = "application/octet-stream";
    const QByteArray range = request.header("Range");
    if (!range.startsWith("bytes=")) {
        reply.body = content;
        return reply;
    }
    const QList<QByteArray> bounds = range.mid(6).split('-');
    const qint64 first = bounds.value(0).toLongLong();
    const qint64 last = bounds.value(1).isEmpty() ? content.size() - 1 : bounds.value(1).toLongLong();
    if (first >= content.size()) {
        reply.status = 416;
        reply.body.clear();
        reply.headers.append({"Content-Range", "bytes */" + QByteArray::number(content.size())});
        return reply;
    }
    reply.status = 206;
    reply.body = content.mid(int(first), int(last - first + 1));
    reply.headers.append({"Content-Range",
        "bytes " + QByteArray::number(first) + '-' + QByteArray::number(first + reply.body.size() - 1) + '/'
            + QByteArray::number(content.size())});
    return reply;
}

void HttpFixture::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpFixture::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer.append(socket->readAll());
    for (;;) {
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        qint64 contentLength = 0;
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const int colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.compare("content-length", Qt::CaseInsensitive) == 0)
                contentLength = value.toLongLong();
        }
        const qint64 total = headerEnd + 4 + contentLength;
        if (buffer.size() < total)
            return;
        request.body = buffer.mid(headerEnd + 4, int(contentLength));
        buffer.remove(0, int(total));

        m_requests.append(request);
        const Handler handler = m_handlers.value(request.path);
        const Reply reply = handler ? handler(request) : m_replies.value(request.path, Reply());
        emit requestReceived();
        if (reply.delayMs <= 0) {
            answer(socket, reply);
        } else {
            QPointer<QTcpSocket> guard(socket);
            QTimer::singleShot(reply.delayMs, this, [this, guard, reply] { answer(guard, reply); });
        }
    }
}

void HttpFixture::answer(QTcpSocket *socket, const Reply &reply)
{
    if (socket && socket->state() == QAbstractSocket::ConnectedState) {
        const bool closes = reply.noContentLength || reply.endless;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
        head += "Content-Type: " + reply.contentType + "\r\n";
        if (!closes)
            head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        for (const auto &h : reply.headers)
            head += h.first + ": " + h.second + "\r\n";
        head += closes ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
        socket->write(head);
        writeBody(socket, reply);
    }
    ++m_repliesWritten;
    emit replyWritten();
}

void HttpFixture::writeBody(QTcpSocket *socket, const Reply &reply)
{
    if (reply.endless && !reply.body.isEmpty()) {
        // Refilled whenever the socket has written most of it: memory stays flat.
        socket->write(reply.body);
        const QByteArray body = reply.body;
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, body] {
            if (socket->bytesToWrite() < body.size())
                socket->write(body);
        });
        return;
    }
    if (reply.trickleBytes > 0 && reply.trickleMs > 0) {
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<int>(0);
        const bool closes = reply.noContentLength;
        connect(timer, &QTimer::timeout, socket, [socket, timer, sent, reply, closes] {
            socket->write(reply.body.mid(*sent, reply.trickleBytes));
            *sent += reply.trickleBytes;
            if (*sent >= reply.body.size()) {
                timer->stop();
                if (closes)
                    socket->disconnectFromHost();
            }
        });
        timer->start(reply.trickleMs);
        return;
    }
    socket->write(reply.body);
    if (reply.noContentLength)
        socket->disconnectFromHost();
}
