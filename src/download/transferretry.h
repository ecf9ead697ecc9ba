#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

// How a failed transfer is taken up again, shared by the download engines.
//
// A failure for a network reason (refused, reset, time-out, stall, 5xx, 408,
// 429) is retried after an exponential backoff with full jitter, or after the
// server's Retry-After when that is longer, and from another host when one is
// at hand; a content fault (declared size or digest wrong, any other 4xx) gets
// one fetch from the start, then is reported.
namespace TransferRetry {

enum class Kind {
    Network, // retry later, resuming from the bytes on disk
    Content, // the file is of no use: fetch it once more from its start
    Final, // nothing a retry can mend (an unusable address, a file that vanished)
};

// `errorCode` as the transfers report it, `httpStatus` the answer's status (0: none).
Kind classify(int errorCode, int httpStatus);

// Full jitter: a delay drawn uniformly from [0, min(capMs, firstMs * 2^attempt)];
// `unit` is the draw, in [0, 1).
qint64 backoffMs(int attempt, qint64 firstMs, qint64 capMs, double unit);

// A Retry-After value (seconds, or an HTTP date) in milliseconds from `now`;
// -1 when absent or unreadable. Never negative otherwise.
qint64 retryAfterMs(const QByteArray &value, const QDateTime &now);

// "scheme://host:port" of an address (empty for one without a host).
QString baseOf(const QString &url);
// `url` with its scheme, host and port replaced by those of `base`.
QString onBase(const QString &url, const QString &base);

// The package mirror bases of environment `runningType` (1 development, 2 test,
// 3 release): the manifest's "<Dev|Test|Release>_package_mirrors", separated by
// commas or spaces; empty when the key is absent.
QStringList manifestMirrors(int runningType, const QMap<QString, QString> &manifest);

} // namespace TransferRetry

// The hosts that serve the same files: an address's own host and the mirror
// bases. A host that fails a transfer is set aside for a while; the next
// transfer goes to the first host in order that is not, or, when all are set
// aside, to the one that comes back first. Times are a monotonic clock's
// milliseconds, handed in.
class HostPool
{
public:
    explicit HostPool(const QStringList &mirrors = {}, qint64 setAsideMs = 30000);

    QStringList mirrors() const { return m_mirrors; }
    // The host to fetch `url` from now.
    QString pick(const QString &url, qint64 now) const;
    // Sets `base` aside until `now + max(setAside, atLeastMs)`.
    void setAside(const QString &base, qint64 now, qint64 atLeastMs = 0);
    // Whether `url` has a host that is not set aside.
    bool hasHostFor(const QString &url, qint64 now) const;

private:
    QStringList candidates(const QString &url) const;

    QStringList m_mirrors;
    qint64 m_setAsideMs;
    QHash<QString, qint64> m_asideUntil;
};
