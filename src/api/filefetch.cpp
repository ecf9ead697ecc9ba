#include "api/filefetch.h"

#include "api/httpstatus.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

FileFetch::FileFetch(QNetworkAccessManager *network, qint64 maxBytes, int stallMs, QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_maxBytes(maxBytes)
{
    m_stall.setSingleShot(true);
    m_stall.setInterval(stallMs);
    connect(&m_stall, &QTimer::timeout, this, [this] { fail(QStringLiteral("no data received")); });
}

FileFetch::~FileFetch()
{
    abort();
}

bool FileFetch::start(const QUrl &url, const QString &filePath)
{
    abort();
    m_file.setFileName(filePath);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    // Bounded: the body goes to the file as it arrives.
    m_reply->setReadBufferSize(256 * 1024);
    connect(m_reply, &QNetworkReply::readyRead, this, &FileFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &FileFetch::onFinished);
    m_stall.start();
    return true;
}

void FileFetch::abort()
{
    const QString path = release();
    if (!path.isEmpty())
        QFile::remove(path);
}

void FileFetch::onReadyRead()
{
    if (!m_reply)
        return;
    m_stall.start();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        // An error page is no file: neither kept nor read to its end.
        fail(QStringLiteral("the server answered with HTTP status %1").arg(status), networkErrorOfStatus(status));
        return;
    }
    const QByteArray chunk = m_reply->readAll();
    if (m_file.size() + chunk.size() > m_maxBytes)
        fail(QStringLiteral("the file is larger than %1 bytes").arg(m_maxBytes));
    else if (m_file.write(chunk) != chunk.size())
        fail(QStringLiteral("cannot write %1").arg(m_file.fileName()));
}

void FileFetch::onFinished()
{
    if (!m_reply)
        return;
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(m_reply->errorString(), m_reply->error());
        return;
    }
    onReadyRead();
    if (!m_reply)
        return;
    if (!m_file.flush()) {
        fail(QStringLiteral("cannot write %1").arg(m_file.fileName()));
        return;
    }
    release();
    emit finished(true, QString(), 0);
}

QString FileFetch::release()
{
    m_stall.stop();
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    const QString path = m_file.isOpen() ? m_file.fileName() : QString();
    m_file.close();
    return path;
}

void FileFetch::fail(const QString &error, int networkError)
{
    abort();
    emit finished(false, error, networkError);
}
