#include "download/downloadratelimiter.h"

#include "app/launcherconfig.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// The last published limit, and how many were published: a limiter that has
// seen the count takes nothing new.
std::atomic<qint64> g_publishedRate {0};
std::atomic<quint64> g_publishSerial {0};

} // namespace

DownloadRateLimiter::DownloadRateLimiter(qint64 bytesPerSecond, std::function<qint64()> clockMs)
    : m_rate(std::max<qint64>(0, bytesPerSecond))
    , m_clock(std::move(clockMs))
{
    if (!m_clock) {
        m_timer.start();
        m_clock = [this] {
            return m_timer.elapsed();
        };
    }
    // A tenth of a second, but never less than one read chunk of 8 KiB.
    m_capacity = std::max<qint64>(m_rate / 10, 8 * 1024);
    m_lastMs = m_clock();
    m_tokens = 0;
}

std::shared_ptr<DownloadRateLimiter> DownloadRateLimiter::following(std::function<qint64()> clockMs)
{
    // The serial first: a rate published while the setting is read is taken at the first look.
    const quint64 serial = g_publishSerial.load();
    auto limiter = std::make_shared<DownloadRateLimiter>(configuredRate(), std::move(clockMs));
    limiter->m_following = true;
    limiter->m_seenSerial = serial;
    return limiter;
}

void DownloadRateLimiter::publishRate(qint64 bytesPerSecond)
{
    g_publishedRate.store(std::max<qint64>(0, bytesPerSecond));
    g_publishSerial.fetch_add(1);
}

void DownloadRateLimiter::follow()
{
    if (!m_following)
        return;
    const quint64 serial = g_publishSerial.load();
    if (serial == m_seenSerial)
        return;
    m_seenSerial = serial;
    setRate(g_publishedRate.load());
}

void DownloadRateLimiter::setRate(qint64 bytesPerSecond)
{
    const qint64 rate = std::max<qint64>(0, bytesPerSecond);
    if (rate == m_rate)
        return;
    if (m_rate <= 0) {
        // Limited from now on: the bucket starts empty, as a new one does.
        m_lastMs = m_clock();
        m_tokens = 0;
    } else {
        refill();
    }
    m_rate = rate;
    m_capacity = std::max<qint64>(m_rate / 10, 8 * 1024);
    m_tokens = std::min<double>(m_tokens, double(m_capacity));
}

qint64 DownloadRateLimiter::rate()
{
    follow();
    return m_rate;
}

void DownloadRateLimiter::refill()
{
    if (m_rate <= 0)
        return;
    const qint64 now = m_clock();
    if (now <= m_lastMs)
        return;
    m_tokens = std::min<double>(double(m_capacity), m_tokens + double(now - m_lastMs) * double(m_rate) / 1000.0);
    m_lastMs = now;
}

qint64 DownloadRateLimiter::take(qint64 wanted)
{
    follow();
    if (m_rate <= 0)
        return wanted;
    if (wanted <= 0)
        return 0;
    refill();
    const qint64 granted = std::min<qint64>(wanted, qint64(m_tokens));
    m_tokens -= double(granted);
    return granted;
}

int DownloadRateLimiter::msUntil(qint64 bytes)
{
    follow();
    if (m_rate <= 0)
        return 1;
    refill();
    const double missing = double(std::min(bytes, m_capacity)) - m_tokens;
    if (missing <= 0)
        return 1;
    const int wait = std::max(1, int(std::ceil(missing * 1000.0 / double(m_rate))));
    // A following limiter looks again soon: a lifted limit must not wait out a slow rate's pause.
    return m_following ? std::min(wait, kFollowMs) : wait;
}

qint64 DownloadRateLimiter::configuredRate()
{
    const int kib = LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"));
    return kib < 1 ? 0 : qint64(kib) * 1024;
}
