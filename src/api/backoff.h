#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

// The waits before a failed transfer or service request is tried again.
namespace Backoff {

// Full jitter: a delay drawn uniformly from [0, min(capMs, firstMs * 2^attempt)];
// `unit` is the draw, in [0, 1).
qint64 delayMs(int attempt, qint64 firstMs, qint64 capMs, double unit);

// A Retry-After value (seconds, or an HTTP date) in milliseconds from `now`;
// -1 when absent or unreadable. Never negative otherwise.
qint64 retryAfterMs(const QByteArray &value, const QDateTime &now);

// A draw in [0, 1) for the jitter.
double draw();

} // namespace Backoff
