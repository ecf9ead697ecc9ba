#include "download/rangedtransfer.h"

#include "api/httpstatus.h"
#include "app/fileutil.h"
#include "app/texts.h"
#include "download/downloadratelimiter.h"
#include "download/streamdigest.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

namespace {

constexpr qint64 kChunk = 256 * 1024;
// One chunk: the network thread hands over a whole chunk per wake-up. Every
// transfer gets the same, however many run side by side (the speed limit's
// token bucket paces them, not the buffer).
constexpr qint64 kUnlimitedBuffer = kChunk;
constexpr qint64 kLimitedBufferMax = 64 * 1024;
// What is read of an error page before the transfer gives up on it.
constexpr qint64 kMaxErrorBody = 8 * 1024;

// "bytes 100-199/1000" -> 100, 199, 1000 (total -1 for "*"); "bytes */1000" -> -1, -1, 1000.
bool parseContentRange(const QByteArray &header, qint64 *first, qint64 *last, qint64 *total)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*bytes\\s+(?:(\\d+)-(\\d+)|\\*)/(\\d+|\\*)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header));
    if (!match.hasMatch())
        return false;
    bool ok = true;
    *first = match.captured(1).isEmpty() ? -1 : match.captured(1).toLongLong(&ok);
    if (!ok)
        return false;
    *last = match.captured(2).isEmpty() ? -1 : match.captured(2).toLongLong(&ok);
    if (!ok)
        return false;
    *total = match.captured(3) == QLatin1String("*") ? -1 : match.captured(3).toLongLong(&ok);
    return ok && (*first < 0 || *last >= *first) && (*total < 0 || *last < *total);
}

} // namespace

RangedTransfer::RangedTransfer(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_networkManagerOwned = m_network;
    }
    m_idleTimer.setSingleShot(true);
    m_wakeTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &RangedTransfer::onTimeout);
    connect(&m_wakeTimer, &QTimer::timeout, this, &RangedTransfer::onReadyRead);
    connect(&m_lowSpeedTimer, &QTimer::timeout, this, &RangedTransfer::onLowSpeedCheck);
}

RangedTransfer::~RangedTransfer()
{
    delete m_digest;
    m_digest = nullptr;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    closeTempFile();
    if (m_networkManagerOwned)
        m_networkManagerOwned->deleteLater();
}

qint64 RangedTransfer::readBufferSize() const
{
    return m_reply ? m_reply->readBufferSize() : 0;
}

qint64 RangedTransfer::unlimitedBufferSize()
{
    return kUnlimitedBuffer;
}

void RangedTransfer::setLowSpeedLimit(qint64 bytesPerSecond, int windowMs)
{
    m_lowSpeedRate = std::max<qint64>(0, bytesPerSecond);
    m_lowSpeedWindowMs = std::max(0, windowMs);
}

void RangedTransfer::declareContent(qint64 size, const QByteArray &md5)
{
    if (size > 0 && !m_declaredSizes.contains(size))
        m_declaredSizes.append(size);
    const QByteArray digest = md5.trimmed().toLower();
    if (!digest.isEmpty() && !m_declaredMd5s.contains(digest))
        m_declaredMd5s.append(digest);
}

void RangedTransfer::beginFile()
{
    m_restarted = false;
}

bool RangedTransfer::completeIfWhole()
{
    const qint64 expected = declaredSize();
    if (expected <= 0 || expected != m_resumeOffset)
        return false;
    m_bytesTotal = expected;
    m_isStopped = false;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_isStopped)
                completeSuccess(200, QString());
        },
        Qt::QueuedConnection);
    return true;
}

void RangedTransfer::startDigest()
{
    if (m_declaredMd5s.isEmpty())
        return;
    if (!m_digest) {
        m_digest = new StreamDigest(this);
        connect(m_digest, &StreamDigest::ready, this, &RangedTransfer::onDigestReady);
        // Reading resumes once the digest has caught up.
        connect(m_digest, &StreamDigest::drained, this, &RangedTransfer::onReadyRead);
    }
    m_digest->restart(m_downloadFileFullPath, m_resumeOffset);
}

void RangedTransfer::zeroCounters()
{
    m_bytesReceived = 0;
    m_bytesTotal = 0;
    m_lastBytesReceived = 0;
    m_bytesDelta = 0;
    m_resumeOffset = 0;
}

QString RangedTransfer::sizeTextOfTotal() const
{
    return sizeText(quint64(std::max<qint64>(0, m_bytesTotal)));
}

void RangedTransfer::sendRequest(bool logRange)
{
    m_logRange = logRange;
    m_answer = Answer::Unchecked;
    m_networkDone = false;
    m_expectedSize = -1;
    m_status = 0;
    m_retryAfter.clear();
    m_discarded = 0;
    m_lastBytesReceived = m_resumeOffset;
    m_bytesReceived = m_resumeOffset;

    QNetworkRequest request {QUrl(sourceUrl())};
    const QString range = QStringLiteral("bytes=%1-").arg(m_resumeOffset);
    if (logRange)
        qInfo().noquote() << QStringLiteral("strRange : ") + range;
    if (!m_sourceUrl.isEmpty() && m_sourceUrl != m_url)
        qInfo().noquote() << QStringLiteral("from host : %1 - %2").arg(m_sourceUrl, m_url);
    request.setRawHeader("Range", range.toLatin1());
    // Asking for anything else lets the network layer inflate a body without limit.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // HTTP/2 where a TLS host offers it: many files over one connection.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, true);

    m_isStopped = false;
    FileUtil::createParentFolder(m_downloadFileFullPath);
    if (!m_tempFile)
        m_tempFile = new QFile(m_downloadFileFullPath);

    m_reply = m_network->get(request);
    emit signalStartConnect();

    // The reply's own buffer stays bounded in every mode, so memory is flat and a
    // paced transfer makes the server wait instead of piling data up here.
    m_reply->setReadBufferSize(readBufferCap());

    connect(m_reply, &QNetworkReply::downloadProgress, this, &RangedTransfer::onDownloadProgress);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &RangedTransfer::checkAnswer);
    connect(m_reply, &QNetworkReply::readyRead, this, &RangedTransfer::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &RangedTransfer::onFinished);
    if (m_timeoutMs > 0)
        m_idleTimer.start(m_timeoutMs);
    m_windowStartBytes = m_bytesReceived;
    m_heldBackInWindow = false;
    if (m_lowSpeedRate > 0 && m_lowSpeedWindowMs > 0)
        m_lowSpeedTimer.start(m_lowSpeedWindowMs);
}

void RangedTransfer::checkAnswer()
{
    if (!m_reply || m_answer != Answer::Unchecked)
        return;
    const QVariant statusValue = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusValue.isValid()) {
        // No answer at all (refused, reset, unreachable): nothing to judge the
        // partial file by, so it stays as it is for the next attempt.
        if (m_reply->error() != QNetworkReply::NoError)
            return;
        // Not HTTP (a local file, for one): the body is the whole file.
        if (m_reply->isFinished() || m_reply->bytesAvailable() > 0) {
            if (m_resumeOffset > 0)
                restartFromZero(QStringLiteral("no range support"));
            m_answer = Answer::Accepted;
            openTempFile();
        }
        return;
    }
    m_status = statusValue.toInt();
    m_retryAfter = m_reply->rawHeader("Retry-After");
    if (m_status >= 300 && m_status < 400 && !m_reply->isFinished())
        return; // a redirect being followed
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    if ((m_status == 200 || m_status == 206) && !encoding.isEmpty() && encoding != "identity") {
        failContent(m_status,
            QStringLiteral("Error msg : refused a body with Content-Encoding %1 - %2")
                .arg(QString::fromLatin1(encoding), m_url));
        return;
    }
    if (m_status == 206) {
        qint64 first = -1, last = -1, total = -1;
        if (!parseContentRange(m_reply->rawHeader("Content-Range"), &first, &last, &total) || first < 0) {
            qWarning().noquote() << QStringLiteral("Error msg : malformed Content-Range [%1] - %2")
                                        .arg(QString::fromLatin1(m_reply->rawHeader("Content-Range")), m_url);
            m_answer = Answer::Refused;
            return;
        }
        if (first != m_resumeOffset) {
            if (first != 0) {
                // A piece we cannot place: ask for the whole file again, once.
                qWarning().noquote() << QStringLiteral("Error msg : range starts at %1 instead of %2 - %3")
                                            .arg(first)
                                            .arg(m_resumeOffset)
                                            .arg(m_url);
                if (m_restarted) {
                    m_answer = Answer::Refused;
                    return;
                }
                m_restarted = true;
                disconnectNetWork();
                restartFromZero(QStringLiteral("misplaced range"));
                sendRequest(m_logRange);
                return;
            }
            restartFromZero(QStringLiteral("range starts at 0"));
        }
        m_expectedSize = total >= 0 ? total : last + 1;
        if (total < 0 && declaredSize() > 0)
            m_expectedSize = declaredSize();
        if (!serverSizeAgrees())
            return;
        m_answer = Answer::Accepted;
        openTempFile();
        return;
    }
    if (m_status == 200) {
        // The whole file, whatever was asked: appending it to a partial file would corrupt it.
        if (m_resumeOffset > 0)
            restartFromZero(QStringLiteral("server ignored the range"));
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        m_expectedSize = length.isValid() ? length.toLongLong() : -1;
        if (m_expectedSize >= 0 && !serverSizeAgrees())
            return;
        m_answer = Answer::Accepted;
        openTempFile();
        return;
    }
    m_answer = Answer::Refused; // error pages never reach the file
}

void RangedTransfer::restartFromZero(const QString &why)
{
    qWarning().noquote() << QStringLiteral("Error msg : %1, restarting [%2] from 0 instead of %3")
                                .arg(why, m_downloadFileFullPath)
                                .arg(m_resumeOffset);
    if (openTempFile())
        m_tempFile->resize(0);
    else
        QFile::resize(m_downloadFileFullPath, 0);
    // Take back what the partial file had counted, so progress stays right.
    m_bytesDelta = -m_resumeOffset;
    m_resumeOffset = 0;
    m_bytesReceived = 0;
    m_lastBytesReceived = 0;
    m_windowStartBytes = 0;
    startDigest();
    if (m_bytesDelta != 0) {
        emitProgress();
    }
}

bool RangedTransfer::openTempFile()
{
    if (!m_tempFile)
        m_tempFile = new QFile(m_downloadFileFullPath);
    if (m_tempFile->isOpen())
        return true;
    if (!m_tempFile->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        qWarning().noquote() << QStringLiteral("Error msg : cannot open [%1] - %2")
                                    .arg(m_downloadFileFullPath, m_tempFile->errorString());
        return false;
    }
    return true;
}

void RangedTransfer::closeTempFile()
{
    if (!m_tempFile)
        return;
    if (m_tempFile->isOpen()) {
        const bool flushed = m_tempFile->flush();
        qInfo().noquote() << QStringLiteral("flushfile - result : %1").arg(flushed ? 1 : 0);
        qInfo().noquote()
            << QStringLiteral("m_tempFile - permissions : %1").arg(static_cast<int>(m_tempFile->permissions()));
        m_tempFile->close();
    }
    delete m_tempFile;
    m_tempFile = nullptr;
}

void RangedTransfer::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    Q_UNUSED(bytesReceived)
    if (m_isStopped)
        return;
    if (m_timeoutMs > 0)
        m_idleTimer.start(m_timeoutMs);
    if (m_answer == Answer::Accepted) {
        if (m_expectedSize >= 0)
            m_bytesTotal = m_expectedSize;
        else if (bytesTotal > 0)
            m_bytesTotal = bytesTotal + m_resumeOffset;
    }
}

void RangedTransfer::onReadyRead()
{
    if (m_isStopped || !m_reply)
        return;
    try {
        drain();
    } catch (const std::exception &error) {
        qInfo().noquote() << QStringLiteral("Error Message : %1").arg(QString::fromLocal8Bit(error.what()));
        failTransfer(codeValue(DownloadCode::NoStatus),
            QStringLiteral("exception msg : %1").arg(QString::fromLocal8Bit(error.what())));
    }
}

void RangedTransfer::drain()
{
    if (m_answer == Answer::Unchecked)
        checkAnswer();
    if (!m_reply)
        return;
    if (m_answer == Answer::Unchecked) {
        if (!m_networkDone)
            return; // headers of the final answer still to come
        m_answer = Answer::Refused;
    }
    const bool going = m_answer == Answer::Refused ? discardErrorBody() : writeAvailable();
    if (going && m_networkDone && m_reply && m_reply->bytesAvailable() <= 0)
        finishTransfer();
}

bool RangedTransfer::discardErrorBody()
{
    char sink[4096];
    qint64 got = 0;
    while (m_discarded <= kMaxErrorBody && (got = m_reply->read(sink, sizeof sink)) > 0)
        m_discarded += got;
    if (m_discarded <= kMaxErrorBody)
        return true;
    // Nothing of it is wanted: a long or endless error page is not read to its end.
    failTransfer(m_status >= 400 ? int(networkErrorOfStatus(m_status)) : int(QNetworkReply::ProtocolFailure),
        QStringLiteral("Error msg : unexpected answer, HTTP status %1; its body was left after %2 bytes - %3")
            .arg(m_status)
            .arg(m_discarded)
            .arg(m_url));
    return false;
}

bool RangedTransfer::writeAvailable()
{
    if (m_buffer.size() < kChunk)
        m_buffer.resize(kChunk);
    fitReadBuffer();
    qint64 written = 0;
    for (;;) {
        const qint64 available = m_reply->bytesAvailable();
        if (available <= 0)
            break;
        if (m_digest && m_digest->pending() > StreamDigest::kMaxPending) {
            m_heldBackInWindow = true; // resumed by the digest's drained()
            break;
        }
        const qint64 wanted = pacedAmount(available, m_bytesReceived + written);
        if (wanted == 0)
            break;
        const Piece piece = writePiece(wanted, &written);
        if (piece == Piece::Ended)
            return false;
        if (piece == Piece::None)
            break;
    }
    if (written > 0) {
        m_bytesReceived += written;
        if (m_timeoutMs > 0)
            m_idleTimer.start(m_timeoutMs);
        emitProgress();
    }
    return true;
}

qint64 RangedTransfer::pacedAmount(qint64 available, qint64 received)
{
    qint64 wanted = std::min(available, kChunk);
    // Never more than one byte past the bound: enough to know the body is too long.
    const qint64 bound = bodyBound();
    if (bound >= 0)
        wanted = std::min(wanted, std::max<qint64>(1, bound - received + 1));
    if (!m_limiter || !m_limiter->isLimited())
        return wanted;
    const qint64 asked = std::min(wanted, m_limiter->capacity());
    wanted = m_limiter->take(asked);
    if (wanted < asked)
        m_heldBackInWindow = true;
    if (wanted == 0 && !m_wakeTimer.isActive())
        m_wakeTimer.start(m_limiter->msUntil(std::min<qint64>(available, 16 * 1024)));
    return wanted;
}

RangedTransfer::Piece RangedTransfer::writePiece(qint64 wanted, qint64 *written)
{
    // With a digest the piece is read into a buffer of its own, which the
    // digest's thread then shares without a copy.
    QByteArray piece;
    const char *data = m_buffer.constData();
    qint64 got = 0;
    if (m_digest) {
        piece = m_reply->read(wanted);
        got = piece.size();
        data = piece.constData();
    } else {
        got = m_reply->read(m_buffer.data(), wanted);
    }
    if (got <= 0)
        return Piece::None;
    const qint64 put = m_tempFile && m_tempFile->isOpen() ? m_tempFile->write(data, got) : -1;
    if (put != got) {
        // Disk full or any other write failure: what is on disk stays for a resume.
        const int error = errno;
        m_bytesReceived += std::max<qint64>(0, put) + *written;
        writeFailed(error);
        return Piece::Ended;
    }
    if (m_digest)
        m_digest->add(piece);
    *written += got;
    const qint64 bound = bodyBound();
    if (bound >= 0 && m_bytesReceived + *written > bound) {
        // An endless or overlong body: stopped at once, before it fills the disk.
        m_bytesReceived += *written;
        failContent(m_status, QStringLiteral("Error msg : the server sent more than %1 - %2").arg(boundText(), m_url));
        return Piece::Ended;
    }
    return Piece::Written;
}

qint64 RangedTransfer::bodyBound() const
{
    qint64 bound = -1;
    auto lower = [&bound](qint64 value) {
        if (value >= 0 && (bound < 0 || value < bound))
            bound = value;
    };
    if (declaredSize() > 0)
        lower(declaredSize());
    lower(m_expectedSize);
    if (m_bodyCeiling > 0)
        lower(m_bodyCeiling);
    return bound;
}

QString RangedTransfer::boundText() const
{
    const qint64 bound = bodyBound();
    if (declaredSize() > 0 && bound == declaredSize())
        return QStringLiteral("the declared %1 bytes").arg(bound);
    if (bound == m_expectedSize)
        return QStringLiteral("the %1 bytes it announced").arg(bound);
    return QStringLiteral("the %1 bytes this download accepts").arg(bound);
}

void RangedTransfer::writeFailed(int error)
{
    const QString folder = QFileInfo(m_downloadFileFullPath).absolutePath();
    const bool full
        = error == ENOSPC || error == EDQUOT || (m_tempFile && m_tempFile->error() == QFileDevice::ResourceError);
    if (full) {
        qWarning().noquote() << QStringLiteral("Error msg : the drive is full: %1 free in [%2]; cannot write [%3]")
                                    .arg(sizeText(quint64(std::max<qint64>(0, FileUtil::freeSpace(folder)))), folder,
                                        QFileInfo(m_downloadFileFullPath).fileName());
    } else {
        qWarning().noquote() << QStringLiteral("Error msg : write to [%1] failed - %2")
                                    .arg(m_downloadFileFullPath,
                                        error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                                   : QStringLiteral("not open"));
    }
    const QString total = sizeTextOfTotal();
    onWriteFailed();
    emit signalDirSpaceLimit(total);
}

void RangedTransfer::fitReadBuffer()
{
    // The limit may have changed since the request was sent.
    const qint64 cap = readBufferCap();
    if (m_reply->readBufferSize() != cap)
        m_reply->setReadBufferSize(cap);
}

qint64 RangedTransfer::readBufferCap() const
{
    if (m_limiter && m_limiter->isLimited())
        return std::min(kLimitedBufferMax, std::max<qint64>(8 * 1024, m_limiter->rate() / 10));
    return unlimitedBufferSize();
}

void RangedTransfer::onWriteFailed()
{
    stopTransfer();
}

void RangedTransfer::emitProgress()
{
    m_bytesDelta += m_bytesReceived - m_lastBytesReceived;
    m_lastBytesReceived = m_bytesReceived;
    KorvaneObject::DownloadingInfo info;
    info.url = m_url;
    info.bytesReceived = m_bytesDelta;
    m_bytesDelta = 0;
    emit signalDownloadProcess(info);
}

void RangedTransfer::onFinished()
{
    if (!m_reply || m_isStopped)
        return;
    m_networkDone = true;
    m_idleTimer.stop();
    try {
        if (m_answer == Answer::Unchecked)
            checkAnswer();
        drain();
    } catch (const std::exception &error) {
        qInfo().noquote() << QStringLiteral("exception msg : %1").arg(QString::fromLocal8Bit(error.what()));
        failTransfer(codeValue(DownloadCode::NoStatus),
            QStringLiteral("exception msg : %1").arg(QString::fromLocal8Bit(error.what())));
    }
}

void RangedTransfer::onTimeout()
{
    if (m_isStopped || !m_reply)
        return;
    if (m_wakeTimer.isActive() || (m_reply->bytesAvailable() > 0 && m_answer == Answer::Accepted)) {
        // Paced by the speed limit, not stalled.
        m_idleTimer.start(m_timeoutMs);
        return;
    }
    failTransfer(
        QNetworkReply::TimeoutError, QStringLiteral("Error msg : no data for %1 ms - %2").arg(m_timeoutMs).arg(m_url));
}

void RangedTransfer::onLowSpeedCheck()
{
    if (m_isStopped || !m_reply) {
        m_lowSpeedTimer.stop();
        return;
    }
    const qint64 got = m_bytesReceived - m_windowStartBytes;
    // Data waiting in the reply while paced is our own doing, not the server's.
    const bool heldBack = m_heldBackInWindow || m_wakeTimer.isActive()
        || (m_answer == Answer::Accepted && m_reply->bytesAvailable() > 0);
    m_windowStartBytes = m_bytesReceived;
    m_heldBackInWindow = false;
    if (heldBack || got * 1000 >= m_lowSpeedRate * m_lowSpeedWindowMs)
        return;
    failTransfer(QNetworkReply::TimeoutError,
        QStringLiteral("Error msg : %1 bytes in %2 ms, slower than %3 bytes/s - %4")
            .arg(got)
            .arg(m_lowSpeedWindowMs)
            .arg(m_lowSpeedRate)
            .arg(m_url));
}

bool RangedTransfer::serverSizeAgrees()
{
    if (declaredSize() <= 0 || m_expectedSize == declaredSize())
        return true;
    failContent(m_status,
        QStringLiteral("Error msg : the server's file has %1 bytes, %2 declared - %3")
            .arg(m_expectedSize)
            .arg(declaredSize())
            .arg(m_url));
    return false;
}

void RangedTransfer::failContent(int status, const QString &message)
{
    qWarning().noquote() << message;
    disconnectNetWork();
    closeTempFile();
    removeFile(m_downloadFileFullPath);
    m_isStopped = true;
    if (dropsNetworkOnFailure())
        dropNetwork();
    report(status, ContentErrorCode, message, m_realfilePath);
}

void RangedTransfer::failTransfer(int errorCode, const QString &message)
{
    qInfo().noquote() << QStringLiteral("Error msg : %1,Error code : %2").arg(message).arg(errorCode);
    disconnectNetWork();
    m_isStopped = true;
    if (dropsNetworkOnFailure())
        dropNetwork();
    report(codeValue(DownloadCode::NoStatus), errorCode, message, m_realfilePath);
}

void RangedTransfer::finishTransfer()
{
    m_idleTimer.stop();
    m_wakeTimer.stop();
    m_lowSpeedTimer.stop();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    const QByteArray contentRange = reply->rawHeader("Content-Range");
    qInfo().noquote() << QStringLiteral("onFinished - url : %1").arg(m_url);
    m_isStopped = true;
    closeTempFile();

    if (m_status == 416 && m_resumeOffset > 0) {
        qint64 first = -1, last = -1, total = -1;
        parseContentRange(contentRange, &first, &last, &total);
        if (total == m_resumeOffset) {
            // The partial file already holds the whole file.
            m_bytesTotal = total;
            completeSuccess(206);
            return;
        }
        if (!m_restarted) {
            m_restarted = true;
            restartFromZero(QStringLiteral("range past the end of the file"));
            m_status = 0;
            sendRequest(m_logRange);
            return;
        }
    }
    if (error != QNetworkReply::NoError) {
        // Keeps the partial file for a later resume (content errors are the owner's call).
        qInfo().noquote() << QStringLiteral("onFinished - Error msg : ") + errorText;
        qInfo().noquote() << QStringLiteral("Error msg : %1,Error code : %2").arg(errorText).arg(int(error));
        if (dropsNetworkOnFailure())
            dropNetwork();
        report(codeValue(DownloadCode::NoStatus), int(error), errorText, m_realfilePath);
        return;
    }
    if (m_answer != Answer::Accepted) {
        const QString message
            = QStringLiteral("Error msg : unexpected answer, HTTP status %1 - %2").arg(m_status).arg(m_url);
        qWarning().noquote() << message;
        if (dropsNetworkOnFailure())
            dropNetwork();
        report(m_status, QNetworkReply::ProtocolFailure, message, m_realfilePath);
        return;
    }
    const qint64 size = QFileInfo(m_downloadFileFullPath).size();
    if (m_expectedSize >= 0 && size != m_expectedSize) {
        const QString message = QStringLiteral("Error msg : incomplete download [%1] - %2 of %3 bytes")
                                    .arg(m_downloadFileFullPath)
                                    .arg(size)
                                    .arg(m_expectedSize);
        qWarning().noquote() << message;
        if (size > m_expectedSize)
            removeFile(m_downloadFileFullPath); // can never become right
        if (dropsNetworkOnFailure())
            dropNetwork();
        report(m_status, IncompleteCode, message, m_realfilePath);
        return;
    }
    if (m_bytesTotal <= 0)
        m_bytesTotal = size;
    completeSuccess(m_status);
}

void RangedTransfer::completeSuccess(int status, const QString &successMessage)
{
    if (!QFileInfo::exists(m_downloadFileFullPath)) {
        const QString message = QStringLiteral("Error msg : Can not find the file - [%1]").arg(m_downloadFileFullPath);
        qInfo().noquote() << message;
        report(codeValue(DownloadCode::FileMissing), codeValue(DownloadCode::FileMissing), message, m_realfilePath);
        return;
    }
    const qint64 size = QFileInfo(m_downloadFileFullPath).size();
    for (const qint64 declared : qAsConst(m_declaredSizes)) {
        if (size != declared) {
            failContent(status,
                QStringLiteral("Error msg : [%1] has %2 bytes, %3 declared")
                    .arg(m_downloadFileFullPath)
                    .arg(size)
                    .arg(declared));
            return;
        }
    }
    if (m_digest && !m_declaredMd5s.isEmpty()) {
        // Running until the digest has caught up; a stop in between keeps the file.
        m_isStopped = false;
        m_verifying = true;
        m_verifyStatus = status;
        m_verifyMessage = successMessage;
        m_digest->finish();
        return;
    }
    acceptFile(status, successMessage);
}

void RangedTransfer::onDigestReady(const QByteArray &md5, const QString &error)
{
    if (!m_verifying)
        return;
    m_verifying = false;
    m_isStopped = true;
    if (!error.isEmpty()) {
        failContent(
            m_verifyStatus, QStringLiteral("Error msg : no digest of [%1]: %2").arg(m_downloadFileFullPath, error));
        return;
    }
    for (const QByteArray &declared : qAsConst(m_declaredMd5s)) {
        if (md5 != declared) {
            failContent(m_verifyStatus,
                QStringLiteral("Error msg : [%1] has the digest %2, %3 declared")
                    .arg(m_downloadFileFullPath, QString::fromLatin1(md5), QString::fromLatin1(declared)));
            return;
        }
    }
    qInfo().noquote()
        << QStringLiteral("digest checked - [%1] %2").arg(m_downloadFileFullPath, QString::fromLatin1(md5));
    acceptFile(m_verifyStatus, m_verifyMessage);
}

void RangedTransfer::acceptFile(int status, const QString &successMessage)
{
    QString error;
    if (!moveFile(m_downloadFileFullPath, m_realfilePath, &error)) {
        const QString message
            = QStringLiteral("Error msg : rename download file:[%1], failmsg : %2").arg(m_downloadFileFullPath, error);
        // The partial file is kept: it may be whole, and nothing is thrown away for a rename.
        qInfo().noquote() << message;
        report(codeValue(DownloadCode::FileMissing), codeValue(DownloadCode::FileMissing), message, m_realfilePath);
        return;
    }
    qInfo().noquote() << QStringLiteral("onFinished - statusCode  : %1").arg(status);
    report(status, 0, successMessage, m_realfilePath);
}

bool RangedTransfer::moveFile(const QString &from, const QString &to, QString *error)
{
    QFile source(from);
    if (QFileInfo::exists(to))
        QFile::remove(to);
    if (source.rename(to))
        return true;
    if (error)
        *error = source.errorString();
    return false;
}

void RangedTransfer::report(int successCode, int errorCode, const QString &message, const QString &path)
{
    m_isStopped = true;
    emit signalReplyFinished(successCode, errorCode, message, path, sizeTextOfTotal(), m_url);
}

void RangedTransfer::stopTransfer()
{
    if (m_isStopped)
        return;
    m_isStopped = true;
    zeroCounters();
    disconnectNetWork();
    emit signalDownloadStop(m_url);
}

void RangedTransfer::disconnectNetWork()
{
    m_idleTimer.stop();
    m_wakeTimer.stop();
    m_lowSpeedTimer.stop();
    // Whatever the transfer was, it is over: its digest is not wanted any more.
    m_verifying = false;
    if (m_digest)
        m_digest->abandon();
    if (!m_reply)
        return;
    qDebug("m_reply --->disconnectNetWork");
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    closeTempFile();
}

void RangedTransfer::dropNetwork()
{
    if (!m_network)
        return;
    // A manager handed in by the owner is shared: its connections are not ours to drop.
    if (m_networkManagerOwned) {
        m_network->clearConnectionCache();
        m_networkManagerOwned->deleteLater();
    }
    m_network = nullptr;
}

void RangedTransfer::removeFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    qInfo().noquote() << QStringLiteral("removeFile -----exists------ >filePath:") + path;
    if (!QFile::remove(path) && !QFile::remove(path) && QFileInfo::exists(path))
        qInfo().noquote() << QStringLiteral("Delete file failed:") + path;
}
