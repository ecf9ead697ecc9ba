#pragma once

#include "api/apiresult.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QSslError>

class QNetworkAccessManager;

// The transport every server call shares. Posts a JSON request (plain, or
// scrambled: indented JSON, pair-swapped and masked, gzip), guards each reply
// with its own time-out counted from the post, unscrambles the reply when the
// request was scrambled, and turns the reply envelope into an ApiResult.
//
// Every post reports exactly once: handleReplyFinished() for a reply that
// completed (whatever its transfer error: an unusable body is code -1), or
// handleReplyError() when the time-out struck first. Posts may overlap; each
// reply carries its own state. Replies and their timers are deleted as soon
// as they are handled, so an object reused for weeks does not grow.
//
// Belongs to the thread that creates it, which must run an event loop.
class KVAbstractNetwork : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    // Repeats of a service query that failed for a network reason (setRetries).
    static constexpr int kServiceRetries = 2;
    // A reply body larger than this, as received or once unscrambled, is
    // dropped and treated as empty (a code -1 result): no endpoint answers
    // more than a few kilobytes.
    static constexpr qint64 kMaxReplyBytes = 16 * 1024 * 1024;
    // How much of a reply Qt buffers before this object takes it.
    static constexpr qint64 kReadBufferBytes = 256 * 1024;

    // `manager` null: the object creates its own HTTP client, destroyed with
    // it (which aborts its replies). Otherwise the given client is used and
    // must outlive this object; this object still cleans up its own replies.
    explicit KVAbstractNetwork(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr);
    ~KVAbstractNetwork() override;

    // Only requestKind 0 sends anything.
    void postRequest(int requestKind, const QJsonObject &body, const QString &url, bool asJson, bool scrambled);

    // The analytics form: "appid" and the four "TA-Integration-*" headers, a
    // Base64 text of the gzip of `body` in UTF-8. The reply is never unscrambled.
    void postDataTrackRequest(int requestKind, const QString &appid, const QString &body, const QString &url);

    // The largest reply body taken from now on (kMaxReplyBytes unless
    // changed); an endpoint whose answer is known to be small sets less, so
    // that a runaway answer is dropped before it is parsed.
    void setReplyLimit(qint64 bytes) { m_replyLimit = qBound<qint64>(1, bytes, kMaxReplyBytes); }
    qint64 replyLimit() const { return m_replyLimit; }

    // The time-out of posts made from now on (5000 ms unless changed).
    void setReplyTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int replyTimeout() const { return m_timeoutMs; }

    // A service post that fails for a network reason (isNetworkFault, or its
    // time-out) is posted again up to `retries` times, each after a backoff
    // with full jitter (first up to `firstMs`, doubling up to `capMs`) or the
    // answer's Retry-After when that is longer; a Retry-After beyond `capMs`
    // is not waited for. Only the last attempt reports. None unless set;
    // analytics posts are never repeated.
    void setRetries(int retries, qint64 firstMs = 1000, qint64 capMs = 60000);
    int retries() const { return m_retries; }
    // Refused, reset, unreachable, timed out, or answered 5xx, 408 or 429.
    static bool isNetworkFault(QNetworkReply::NetworkError error, int httpStatus);

    // Posts that have not reported yet: replies not yet handled, and failed
    // posts waiting to go out again.
    int pendingReplyCount() const { return m_pending.size() + m_waitingResends; }

    QNetworkAccessManager *networkAccessManager() const { return m_manager; }

    // The "lang" header value of a language index; empty for an index
    // outside the table (the header is then left out).
    static QByteArray languageCode(int languageIndex);

signals:
    void signalReplyError();
    void signalReplyfinsh(ApiResult apiresult);
    // A failed post goes out again in `ms`.
    void retryScheduled(qint64 ms);

public slots:
    // TLS errors are not ignored: such a reply ends with an error and an empty body.
    void replySSLError(QNetworkReply *reply, QList<QSslError> errors);
    void replyError();
    void replyfinsh(QNetworkReply *reply);

protected:
    virtual void handleReplyFinished(ApiResult apiresult);
    virtual void handleReplyError();

private:
    // `attempt` -1: never repeated; otherwise the post's repeat count so far.
    void send(const QNetworkRequest &request, const QByteArray &body, int attempt = -1);
    // Schedules the post of `reply` again when the retries allow; the caller releases the reply.
    bool resendLater(QNetworkReply *reply, bool timedOut);
    void onReplyTimeout(QNetworkReply *reply);
    void release(QNetworkReply *reply);
    // Moves what the reply has ready into `body`; false (and nothing moved)
    // once the body would pass the reply limit.
    bool takeAvailable(QNetworkReply *reply, QByteArray &body) const;

    QNetworkAccessManager *m_manager = nullptr;
    QHash<QNetworkReply *, QByteArray> m_pending; // reply -> body received so far
    struct Resend
    {
        QNetworkRequest request;
        QByteArray payload;
        int attempt = 0;
    };
    QHash<QNetworkReply *, Resend> m_resend; // the repeatable posts
    int m_retries = 0;
    int m_waitingResends = 0;
    qint64 m_retryFirstMs = 1000;
    qint64 m_retryCapMs = 60000;
    int m_timeoutMs = kDefaultTimeoutMs;
    qint64 m_replyLimit = kMaxReplyBytes;
};
