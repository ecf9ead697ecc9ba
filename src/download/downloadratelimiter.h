#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <functional>

// A token bucket shared by every transfer of one engine, so that the user's
// speed limit caps the engine's total rate however many files run at once.
// Tokens are bytes; they refill continuously at the rate and the bucket holds
// at most a tenth of a second's worth, so a pause never turns into a burst.
// Lives on the engine's thread; no locks.
class DownloadRateLimiter
{
public:
    // `bytesPerSecond` 0 or less: no limit. `clockMs` null: a monotonic clock.
    explicit DownloadRateLimiter(qint64 bytesPerSecond = 0, std::function<qint64()> clockMs = nullptr);

    bool isLimited() const { return m_rate > 0; }
    qint64 rate() const { return m_rate; }

    // Takes up to `wanted` bytes and returns how many were granted (0 while empty).
    qint64 take(qint64 wanted);

    // Milliseconds until `bytes` (at most the bucket's size) can be taken; at least 1.
    int msUntil(qint64 bytes);

    // The bucket's size in bytes.
    qint64 capacity() const { return m_capacity; }

    // The limit the settings ask for, in bytes per second: "downloadspeed" in
    // KiB per second, 0 when it is missing or not positive (no limit).
    static qint64 configuredRate();

private:
    void refill();

    qint64 m_rate = 0;
    qint64 m_capacity = 0;
    double m_tokens = 0;
    qint64 m_lastMs = 0;
    std::function<qint64()> m_clock;
    QElapsedTimer m_timer;
};
