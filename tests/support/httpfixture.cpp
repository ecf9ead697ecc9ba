#include "support/httpfixture.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

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
        const Reply reply = m_replies.value(request.path, Reply());
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
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\n";
        head += "Content-Type: " + reply.contentType + "\r\n";
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        for (const auto &header : reply.headers)
            head += header.first + ": " + header.second + "\r\n";
        head += "Connection: keep-alive\r\n\r\n";
        socket->write(head + reply.body);
    }
    ++m_repliesWritten;
    emit replyWritten();
}
