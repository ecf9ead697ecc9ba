#include "api/requestthrottle.h"

#include "api/backoff.h"

#include <QDateTime>

#include <algorithm>

RequestThrottle::RequestThrottle(qint64 intervalMs, Clock clock)
    : m_intervalMs(intervalMs)
    , m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentMSecsSinceEpoch))
{ }

bool RequestThrottle::tryAcquire()
{
    const qint64 now = m_clock();
    if (m_lastSend != 0 && now >= m_lastSend && now - m_lastSend < waitMs())
        return false;
    m_lastSend = now;
    return true;
}

qint64 RequestThrottle::waitMs() const
{
    if (m_failures == 0)
        return m_intervalMs;
    const qint64 cap = std::max(m_intervalMs, kMaxBackoffMs);
    return Backoff::delayMs(m_failures, m_intervalMs, cap, 1.0);
}
