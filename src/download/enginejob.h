#pragma once

#include <QMetaObject>
#include <QObject>
#include <QtGlobal>

#include <utility>

// The run bookkeeping shared by the download engines and the extraction
// manager. One run at a time; each run has a generation, and a run ends
// exactly once: endRun() is true for the first end only and moves the
// generation on, so that whatever the run's workers reported and is still
// queued (or arrives after the end) is recognised as stale in one place,
// current(), and dropped.
//
// Not a QObject: the owner is, and hands itself in as the context of queued
// reports. Lives on the owner's thread; no locks.
class EngineJob
{
public:
    bool isRunning() const { return m_active; }
    // The generation of the running run, or of the next one while idle.
    quint64 generation() const { return m_generation; }

protected:
    // Begins a run; false (and nothing changes) while one is running.
    bool beginRun()
    {
        if (m_active)
            return false;
        m_active = true;
        return true;
    }
    // Ends the running run: true the first time, false when no run is going
    // (a second end, or a report that came too late), which the caller then drops.
    bool endRun()
    {
        if (!m_active)
            return false;
        m_active = false;
        ++m_generation;
        return true;
    }
    // Whether a report of `generation` belongs to the running run.
    bool isCurrent(quint64 generation) const { return m_active && generation == m_generation; }

    // `handler` bound to the running run: called later with the report's
    // arguments only while the run that was running here is still going.
    template<typename F> auto current(F handler) const
    {
        const quint64 generation = m_generation;
        return [this, generation, handler](auto &&...args) {
            if (isCurrent(generation))
                handler(std::forward<decltype(args)>(args)...);
        };
    }
    // Runs `handler` from `context`'s event loop if the running run is still going then.
    template<typename F> void laterInRun(QObject *context, F handler) const
    {
        QMetaObject::invokeMethod(context, current(std::move(handler)), Qt::QueuedConnection);
    }

private:
    quint64 m_generation = 0;
    bool m_active = false;
};
