#include "api/servicereach.h"

#include "api/backoff.h"

#include <QDebug>

#include <algorithm>

ServiceReach::ServiceReach(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    m_clock.start();
    m_ticker.setInterval(1000);
    connect(&m_ticker, &QTimer::timeout, this, &ServiceReach::tick);
}

int ServiceReach::secondsLeft() const
{
    if (!m_away)
        return 0;
    const qint64 left = std::max<qint64>(0, m_dueMs - m_clock.elapsed());
    return int((left + 999) / 1000);
}

void ServiceReach::answered()
{
    if (!m_away)
        return;
    qInfo("the services answer again");
    m_away = false;
    m_attempt = 0;
    m_ticker.stop();
    emit changed();
    emit back();
}

void ServiceReach::failed()
{
    if (m_away)
        return; // the probes go on as scheduled
    qInfo("the services cannot be reached");
    m_away = true;
    m_attempt = 0;
    scheduleProbe();
}

void ServiceReach::scheduleProbe()
{
    const double draw = m_collaborators.random ? m_collaborators.random() : Backoff::draw();
    // At least a second, so that the count-down is never a burst of probes.
    const qint64 delay
        = std::max<qint64>(1000, Backoff::delayMs(m_attempt++, m_collaborators.firstMs, m_collaborators.capMs, draw));
    m_dueMs = m_clock.elapsed() + delay;
    m_ticker.start();
    emit changed();
}

void ServiceReach::tick()
{
    if (!m_away) {
        m_ticker.stop();
        return;
    }
    if (m_clock.elapsed() < m_dueMs) {
        emit changed();
        return;
    }
    scheduleProbe();
    if (m_collaborators.probe)
        m_collaborators.probe();
}
