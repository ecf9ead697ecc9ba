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

    // While the sends fail for want of an answer, the wait after the last one
    // doubles with each failure in a row, up to kMaxBackoffMs (never below the
    // interval); an answer brings the interval back.
    static constexpr qint64 kMaxBackoffMs = 30 * 60 * 1000;
    void failed() { ++m_failures; }
    void answered() { m_failures = 0; }
    int failures() const { return m_failures; }
    // The wait now required after a send.
    qint64 waitMs() const;

    qint64 lastSend() const { return m_lastSend; } // 0 = never
    void reset() { m_lastSend = 0; }

private:
    qint64 m_intervalMs;
    Clock m_clock;
    qint64 m_lastSend = 0;
    int m_failures = 0;
};
