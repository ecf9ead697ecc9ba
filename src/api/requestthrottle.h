#pragma once

#include <QtGlobal>

#include <functional>

// Refuses a send that comes too soon after the previous one. The callers keep
// one per kind of request and log their own "timelimit return." line.
class RequestThrottle
{
public:
    using Clock = std::function<qint64()>; // milliseconds since the epoch

    explicit RequestThrottle(qint64 intervalMs, Clock clock = {});

    // True (and the send time recorded) when nothing was sent yet or the last
    // send lies `intervalMs` or more in the past. A clock set back behind the
    // last send also lets the send through, so a clock change cannot block a
    // caller for hours.
    bool tryAcquire();

    qint64 lastSend() const { return m_lastSend; } // 0 = never
    void reset() { m_lastSend = 0; }

private:
    qint64 m_intervalMs;
    Clock m_clock;
    qint64 m_lastSend = 0;
};
