#include "api/requestthrottle.h"

#include <QDateTime>

RequestThrottle::RequestThrottle(qint64 intervalMs, Clock clock)
    : m_intervalMs(intervalMs)
    , m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentMSecsSinceEpoch))
{ }

bool RequestThrottle::tryAcquire()
{
    const qint64 now = m_clock();
    if (m_lastSend != 0 && now >= m_lastSend && now - m_lastSend < m_intervalMs)
        return false;
    m_lastSend = now;
    return true;
}
