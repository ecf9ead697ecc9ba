#include "api/kvabstractnetwork.h"

#include "api/backoff.h"
#include "api/gzipcodec.h"
#include "api/kvqreplytimeout.h"
#include "app/launcherconfig.h"

#include <QDebug>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>

namespace {

// Log lines show at most this much of a reply body; a hostile server must
// not be able to flood the log.
constexpr int kLoggedBodyBytes = 4096;

QByteArray logExcerpt(const QByteArray &bytes)
{
    if (bytes.size() <= kLoggedBodyBytes)
        return bytes;
    return bytes.left(kLoggedBodyBytes) + "... (" + QByteArray::number(bytes.size()) + " bytes)";
}

const char *const kOversizeProperty = "kvReplyTooLarge";

} // namespace

KVAbstractNetwork::KVAbstractNetwork(QNetworkAccessManager *manager, QObject *parent)
    : QObject(parent)
    , m_manager(manager ? manager : new QNetworkAccessManager(this))
{
    qRegisterMetaType<ApiResult>("ApiResult");
    setObjectName(QStringLiteral("KVAbstractNetwork"));
}

KVAbstractNetwork::~KVAbstractNetwork()
{
    // Replies of a shared client outlive this object unless released here;
    // disconnecting first keeps abort() from reaching our slots.
    const QList<QNetworkReply *> pending = m_pending.keys();
    m_pending.clear();
    for (QNetworkReply *reply : pending) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

QByteArray KVAbstractNetwork::languageCode(int languageIndex)
{
    static const char *const codes[] = {"zh_CN", "en", "ja_JP", "ko_KR", "zh_TW"};
    if (languageIndex < 0 || languageIndex >= int(sizeof(codes) / sizeof(codes[0])))
        return {};
    return QString::fromLatin1(codes[languageIndex]).toLocal8Bit();
}

void KVAbstractNetwork::postRequest(
    int requestKind, const QJsonObject &body, const QString &url, bool asJson, bool scrambled)
{
    if (requestKind != 0)
        return;
    qDebug().noquote() << "postRequest - url :" << url;

    QNetworkRequest request {QUrl(url)};
    request.setAttribute(QNetworkRequest::User, scrambled);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
        asJson ? QByteArrayLiteral("application/json;charset=utf-8") : QByteArrayLiteral("text/plain;charset=utf-8"));
    const int languageIndex
        = LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index"));
    const QByteArray lang = languageCode(languageIndex);
    if (!lang.isEmpty())
        request.setRawHeader("lang", lang);

    const QByteArray compact = QJsonDocument(body).toJson(QJsonDocument::Compact);
    qDebug().noquote() << "byteArray " << QString::fromUtf8(compact);

    QByteArray payload;
    if (scrambled) {
        const QByteArray indented = QJsonDocument(body).toJson(QJsonDocument::Indented);
        QByteArray swapped = indented;
        swapEach2Bytes(swapped);
        payload = compressGzip(swapped);
        // The scrambled bytes are binary: logged as hex.
        qDebug().noquote() << "swapEach2Bytes swapEach2Bytes " << swapped.toHex();
        qDebug().noquote() << "----------";
        qDebug().noquote() << QString::fromUtf8(indented);
    } else {
        request.setRawHeader("debug", "1");
        payload = compact;
        qDebug().noquote() << QString::fromUtf8(compact);
    }
    send(request, payload, 0);
}

void KVAbstractNetwork::postDataTrackRequest(
    int requestKind, const QString &appid, const QString &body, const QString &url)
{
    if (requestKind != 0)
        return;
    qDebug().noquote() << "postRequest - url :" << url;

    // No QNetworkRequest::User attribute: the reply is never unscrambled.
    QNetworkRequest request {QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain;charset=utf-8"));
    request.setRawHeader("appid", appid.toLocal8Bit());
    request.setRawHeader("TA-Integration-Type", "PC");
    request.setRawHeader("TA-Integration-Version", "2.3.0");
    request.setRawHeader("TA-Integration-Count", "1");
    request.setRawHeader("TA-Integration-Extra", "PC");

    const QByteArray utf8 = body.toUtf8();
    qDebug().noquote() << "postDataTrackRequest toUtf8 " << QString::fromUtf8(utf8);
    send(request, compressGzip(utf8).toBase64());
}

void KVAbstractNetwork::setRetries(int retries, qint64 firstMs, qint64 capMs)
{
    m_retries = std::max(0, retries);
    m_retryFirstMs = std::max<qint64>(0, firstMs);
    m_retryCapMs = std::max(m_retryFirstMs, capMs);
}

bool KVAbstractNetwork::isNetworkFault(QNetworkReply::NetworkError error, int httpStatus)
{
    if (httpStatus > 0)
        return httpStatus == 408 || httpStatus == 429 || httpStatus >= 500;
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

bool KVAbstractNetwork::resendLater(QNetworkReply *reply, bool timedOut)
{
    const auto it = m_resend.constFind(reply);
    if (it == m_resend.constEnd() || it->attempt >= m_retries)
        return false;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!timedOut && !isNetworkFault(reply->error(), status))
        return false;
    const qint64 after = Backoff::retryAfterMs(reply->rawHeader("Retry-After"), QDateTime::currentDateTimeUtc());
    if (after > m_retryCapMs)
        return false; // the server asks for longer than a request waits: reported now
    const Resend resend = *it;
    const qint64 delay
        = std::max(Backoff::delayMs(resend.attempt, m_retryFirstMs, m_retryCapMs, Backoff::draw()), after);
    qInfo().noquote() << QStringLiteral("request to %1 failed (%2, HTTP %3), retrying in %4 ms")
                             .arg(resend.request.url().toString())
                             .arg(timedOut ? QStringLiteral("time-out") : reply->errorString())
                             .arg(status)
                             .arg(delay);
    ++m_waitingResends;
    QTimer::singleShot(delay, this, [this, resend] {
        --m_waitingResends;
        send(resend.request, resend.payload, resend.attempt + 1);
    });
    emit retryScheduled(delay);
    return true;
}

void KVAbstractNetwork::send(const QNetworkRequest &request, const QByteArray &body, int attempt)
{
    // Without this header Qt asks for gzip and inflates the answer itself,
    // with no limit on what a small body inflates to. Asked for identity, it
    // hands over the bytes as sent, which the cap below then bounds.
    QNetworkRequest identity(request);
    identity.setRawHeader("Accept-Encoding", "identity");
    QNetworkReply *reply = m_manager->post(identity, body);
    m_pending.insert(reply, QByteArray());
    if (attempt >= 0)
        m_resend.insert(reply, {request, body, attempt});
    // The body is taken as it arrives, so Qt holds no more than this at a
    // time, whatever the server sends.
    reply->setReadBufferSize(kReadBufferBytes);

    // Each reply is watched on its own (not through the client's finished
    // signal), so overlapping posts and a client shared between objects
    // never mix up their replies.
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyfinsh(reply); });
    // A shared client that goes first takes its replies with it: forgotten here, they are
    // not touched again when this object goes.
    connect(reply, &QObject::destroyed, this, [this, reply] {
        m_pending.remove(reply);
        m_resend.remove(reply);
    });
    connect(reply, &QNetworkReply::sslErrors, this,
        [this, reply](const QList<QSslError> &errors) { replySSLError(reply, errors); });
    connect(reply, &QIODevice::readyRead, this, [this, reply] {
        auto it = m_pending.find(reply);
        if (it == m_pending.end() || reply->property(kOversizeProperty).toBool())
            return;
        if (!takeAvailable(reply, *it)) {
            it->clear();
            reply->abort(); // reports finished, with the body dropped
        }
    });

    auto *timeout = new KVQReplyTimeout(reply, m_timeoutMs);
    connect(timeout, &KVQReplyTimeout::timeout, this, [this, reply] { onReplyTimeout(reply); });

    // A reply that failed at once (an address without a scheme, say) may be
    // finished already; it must still report, once.
    if (reply->isFinished())
        QMetaObject::invokeMethod(
            this, [this, reply] { replyfinsh(reply); }, Qt::QueuedConnection);
}

bool KVAbstractNetwork::takeAvailable(QNetworkReply *reply, QByteArray &body) const
{
    const qint64 available = reply->bytesAvailable();
    if (available <= 0)
        return !reply->property(kOversizeProperty).toBool();
    if (body.size() + available > m_replyLimit) {
        if (!reply->property(kOversizeProperty).toBool()) {
            qWarning().noquote() << QStringLiteral("Reply of %1 is larger than %2 bytes, aborted")
                                        .arg(reply->request().url().toString())
                                        .arg(m_replyLimit);
            reply->setProperty(kOversizeProperty, true);
        }
        return false;
    }
    body.append(reply->read(available));
    return true;
}

void KVAbstractNetwork::release(QNetworkReply *reply)
{
    m_pending.remove(reply);
    m_resend.remove(reply);
    reply->disconnect(this);
    reply->deleteLater(); // takes its KVQReplyTimeout with it
}

void KVAbstractNetwork::onReplyTimeout(QNetworkReply *reply)
{
    if (!m_pending.contains(reply))
        return;
    qInfo() << "network timeout";
    const bool again = resendLater(reply, true);
    // Released before abort(), so the finished report abort() raises reaches
    // nobody: this post reports through the error signal only.
    release(reply);
    reply->disconnect();
    reply->abort();
    if (!again)
        replyError();
}

void KVAbstractNetwork::replySSLError(QNetworkReply *reply, QList<QSslError> errors)
{
    Q_UNUSED(reply);
    Q_UNUSED(errors);
}

void KVAbstractNetwork::replyError()
{
    qInfo() << "replyError";
    handleReplyError();
}

void KVAbstractNetwork::replyfinsh(QNetworkReply *reply)
{
    // A reply that was timed out, or that is not ours, is ignored.
    if (!reply || !m_pending.contains(reply))
        return;
    QByteArray body = m_pending.value(reply);
    const bool complete = takeAvailable(reply, body);
    if (complete && resendLater(reply, false)) {
        release(reply);
        return;
    }
    release(reply);
    if (!complete) {
        qWarning() << "Reply body dropped: too large";
        body.clear();
    }
    qDebug().noquote() << "result data :" << QString::fromUtf8(logExcerpt(body));

    if (reply->request().attribute(QNetworkRequest::User).toBool()) {
        const bool hadBody = !body.isEmpty();
        body = uncompressGzip(body, m_replyLimit);
        swapEach2Bytes(body);
        if (hadBody && body.isEmpty())
            qWarning() << "Scrambled reply is not a complete gzip or zlib stream";
        qDebug().noquote() << "result data new swapEach2Bytes:" << QString::fromUtf8(logExcerpt(body))
                           << "last:" << QString::fromUtf8(logExcerpt(body));
    }
    handleReplyFinished(ApiResult::fromReplyBody(body));
}

void KVAbstractNetwork::handleReplyFinished(ApiResult apiresult)
{
    Q_UNUSED(apiresult);
    qInfo() << "replyfinsh";
}

void KVAbstractNetwork::handleReplyError()
{
    qInfo() << "replyError";
}
