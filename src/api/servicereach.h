#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Whether the launcher's services answer, and the probes that find them again.
//
// Told of each answer and each network failure of the service requests. After
// a failure the services count as away: a probe goes out after a backoff with
// full jitter (first up to firstMs, doubling up to capMs), then the next, and
// so on, each counted down second by second, until an answer comes; then they
// are back, once. A probe that gets no report at all is simply followed by the
// next one.
class ServiceReach : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        // Sends a request whose outcome comes back through answered() or failed().
        std::function<void()> probe;
        qint64 firstMs = 5000;
        qint64 capMs = 60000;
        // Draws in [0, 1) for the jitter; null: a random one.
        std::function<double()> random;
    };

    explicit ServiceReach(Collaborators collaborators, QObject *parent = nullptr);

    bool away() const { return m_away; }
    // Whole seconds until the next probe, rounded up (0 while one is out).
    int secondsLeft() const;

    void answered();
    void failed();

signals:
    // away() or secondsLeft() changed.
    void changed();
    // The services answer again after being away.
    void back();

private:
    void scheduleProbe();
    void tick();

    Collaborators m_collaborators;
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_dueMs = 0;
    int m_attempt = 0;
    bool m_away = false;
};
