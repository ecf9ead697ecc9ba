#include "download/downloadratelimiter.h"

#include "app/launcherconfig.h"

#include <algorithm>
#include <cmath>

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

void DownloadRateLimiter::refill()
{
    const qint64 now = m_clock();
    if (now <= m_lastMs)
        return;
    m_tokens = std::min<double>(double(m_capacity), m_tokens + double(now - m_lastMs) * double(m_rate) / 1000.0);
    m_lastMs = now;
}

qint64 DownloadRateLimiter::take(qint64 wanted)
{
    if (!isLimited())
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
    if (!isLimited())
        return 1;
    refill();
    const double missing = double(std::min(bytes, m_capacity)) - m_tokens;
    if (missing <= 0)
        return 1;
    return std::max(1, int(std::ceil(missing * 1000.0 / double(m_rate))));
}

qint64 DownloadRateLimiter::configuredRate()
{
    const int kib = LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"));
    return kib < 1 ? 0 : qint64(kib) * 1024;
}
