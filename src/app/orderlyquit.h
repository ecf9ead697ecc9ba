#pragma once

#include <QObject>
#include <QVector>

#include <functional>

class QSocketNotifier;

// The one way the launcher ends: every owner of a thread, a download or a
// timer has registered a stop step; the quit runs them in order on the GUI
// thread, then the final step (the database worker's bounded stop, which the
// others may still need), then leaves the event loop. The tray, the close question and SIGTERM/SIGINT (log-out,
// Ctrl+C) all come here. Whoever owns the main window deletes it after the
// loop returns; the quit itself deletes nothing.
class OrderlyQuit : public QObject
{
    Q_OBJECT
public:
    // The launcher's quit, built on first call on the GUI thread.
    static OrderlyQuit *instance();

    explicit OrderlyQuit(QObject *parent = nullptr);
    ~OrderlyQuit() override;

    // A step run at quit (stop the download engine, cancel extraction, stop
    // and wait for the watch thread, stop timers), in the order added.
    void addStopHook(const std::function<void()> &hook);

    // The step run after every stop hook.
    void setFinalStep(const std::function<void()> &step);

    // Turns SIGTERM and SIGINT into request(). Once per process.
    bool watchTerminationSignals();

    bool isQuitting() const { return m_quitting; }

public slots:
    // Queues the quit on this object's thread; later requests are ignored.
    void request();

signals:
    // Right before the event loop is told to quit.
    void stopped();

private:
    void run();

    QVector<std::function<void()>> m_hooks;
    std::function<void()> m_finalStep;
    bool m_quitting = false;
    bool m_queued = false;
    QSocketNotifier *m_signalNotifier = nullptr;
};
