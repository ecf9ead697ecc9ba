// Loaded into a Qt program with QT_PLUGIN_PATH=<build>/bench/probe and
// QT_QPA_GENERIC_PLUGINS=stallprobe: a timer on the GUI thread ticks every
// kTickMs; a tick late by more than that means the thread was busy, and the
// longest such gap is the longest stall of the GUI thread. Every second the
// probe writes to the file named by STALL_PROBE_OUT one line:
// "<longest ms> <at s> <longest ms after the first 20 s> <seconds running>".
#include <QElapsedTimer>
#include <QFile>
#include <QGenericPlugin>
#include <QTimer>

namespace {

constexpr qint64 kTickMs = 10;
constexpr qint64 kWarmUpMs = 20000;

class StallProbe : public QObject
{
public:
    StallProbe()
        : m_out(qEnvironmentVariable("STALL_PROBE_OUT"))
    {
        m_clock.start();
        m_tick.setTimerType(Qt::PreciseTimer);
        connect(&m_tick, &QTimer::timeout, this, [this] { tick(); });
        m_tick.start(kTickMs);
        connect(&m_report, &QTimer::timeout, this, [this] { report(); });
        m_report.start(1000);
    }

private:
    void tick()
    {
        const qint64 now = m_clock.elapsed();
        const qint64 late = now - m_last - kTickMs;
        m_last = now;
        if (late > m_longest) {
            m_longest = late;
            m_longestAt = now;
        }
        if (now > kWarmUpMs)
            m_longestLater = qMax(m_longestLater, late);
    }
    void report()
    {
        QFile file(m_out);
        if (m_out.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(QByteArray::number(m_longest) + ' ' + QByteArray::number(m_longestAt / 1000) + ' '
            + QByteArray::number(m_longestLater) + ' ' + QByteArray::number(m_clock.elapsed() / 1000) + '\n');
    }

    QString m_out;
    QElapsedTimer m_clock;
    QTimer m_tick;
    QTimer m_report;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_longestAt = 0;
    qint64 m_longestLater = 0;
};

} // namespace

class StallProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "stall_probe.json")
public:
    QObject *create(const QString &, const QString &) override { return new StallProbe; }
};

#include "stall_probe.moc"
