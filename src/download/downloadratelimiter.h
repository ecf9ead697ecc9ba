#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <functional>
#include <memory>

// A token bucket shared by every transfer of one engine, so that the user's
// speed limit caps the engine's total rate however many files run at once.
// Tokens are bytes; they refill continuously at the rate and the bucket holds
// at most a tenth of a second's worth, so a pause never turns into a burst.
// Lives on the engine's thread; no locks.
//
// A limiter made by following() keeps to the user's limit while it runs: when
// the settings are saved, publishRate() hands the new limit to every such
// limiter of the process, which takes it at its next look (every read of a
// transfer, and at least every kFollowMs while it waits); 0 lifts the limit.
class DownloadRateLimiter
{
public:
    // `bytesPerSecond` 0 or less: no limit. `clockMs` null: a monotonic clock.
    explicit DownloadRateLimiter(qint64 bytesPerSecond = 0, std::function<qint64()> clockMs = nullptr);

    // A limiter at the configured rate that follows every rate published later.
    static std::shared_ptr<DownloadRateLimiter> following(std::function<qint64()> clockMs = nullptr);

    // The user's limit changed (bytes per second; 0 or less: none): every
    // following limiter takes it. Safe from any thread.
    static void publishRate(qint64 bytesPerSecond);
    // Publishes the limit the settings now ask for.
    static void publishConfiguredRate() { publishRate(configuredRate()); }

    // The longest a paced transfer waits before it looks at the limit again.
    static constexpr int kFollowMs = 200;

    bool isLimited() { return rate() > 0; }
    qint64 rate();

    // Takes up to `wanted` bytes and returns how many were granted (0 while empty).
    qint64 take(qint64 wanted);

    // Milliseconds until `bytes` (at most the bucket's size) can be taken; at least 1.
    int msUntil(qint64 bytes);

    // The bucket's size in bytes.
    qint64 capacity()
    {
        follow();
        return m_capacity;
    }

    // The limit the settings ask for, in bytes per second: "downloadspeed" in
    // KiB per second, 0 when it is missing or not positive (no limit).
    static qint64 configuredRate();

private:
    void refill();
    // Takes a rate published since the last look.
    void follow();
    void setRate(qint64 bytesPerSecond);

    bool m_following = false;
    quint64 m_seenSerial = 0;
    qint64 m_rate = 0;
    qint64 m_capacity = 0;
    double m_tokens = 0;
    qint64 m_lastMs = 0;
    std::function<qint64()> m_clock;
    QElapsedTimer m_timer;
};
