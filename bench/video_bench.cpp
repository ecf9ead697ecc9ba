// Drives the background video label offscreen for a while and prints what
// the user would feel: the process's CPU use, the share of ticks whose frame
// was decoded in time, and the longest stall of the GUI thread.
//   video_bench <launcher folder> <seconds> play|inpaint|stopped
// "inpaint" is the naive label for comparison: each paint reads and decodes
// its frame from disk on the GUI thread.

#include "benchapp.h"
#include "db/dbmanager.h"
#include "home/movielabel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class PaintDecodeLabel : public QLabel
{
public:
    explicit PaintDecodeLabel(const QString &folder)
    {
        for (const QFileInfo &entry : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
            m_frames << entry.absoluteFilePath();
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_index = (m_index + 1) % m_frames.size();
            ++ticks;
            update();
        });
        m_timer.start(MovieLabel::refreshFor(-1));
    }
    qint64 ticks = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, MovieLabel::kFrameWidth, MovieLabel::kFrameHeight), QImage(m_frames.at(m_index)));
    }

private:
    QStringList m_frames;
    int m_index = 0;
    QTimer m_timer;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: video_bench <launcher folder> <seconds> play|inpaint|stopped\n");
        return 2;
    }
    const QString appDir = QString::fromLocal8Bit(argv[1]);
    const int seconds = atoi(argv[2]);
    const char *mode = argv[3];
    useBenchAppFolder(appDir);
    QDir().mkpath(appDir + QStringLiteral("/AppData"));
    DbManager db(appDir + QStringLiteral("/AppData/korvanedb.sql3"));
    emit db.initWorker(QString());

    MovieLabel label(&db);
    PaintDecodeLabel *naive = nullptr;
    QWidget *shown = &label;
    if (std::strcmp(mode, "inpaint") == 0) {
        naive = new PaintDecodeLabel(appDir + QStringLiteral("/QtQuick/WebPage/video/default"));
        shown = naive;
    } else {
        label.setPixmap(QPixmap(MovieLabel::kFrameWidth, MovieLabel::kFrameHeight));
        QObject::connect(&label, &MovieLabel::loadFinish, &label, [&label, mode] {
            if (std::strcmp(mode, "play") == 0)
                label.startPlay();
        });
        label.loadVideo();
    }
    shown->resize(MovieLabel::kFrameWidth, MovieLabel::kFrameHeight);
    shown->show();

    // A fine-grained timer on the GUI thread: the longest gap between two of
    // its ticks, beyond its own interval, is the longest the thread was busy.
    constexpr int probeMs = 2;
    QElapsedTimer sinceProbe;
    qint64 longestStallMs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(
        &probe, &QTimer::timeout, [&] { longestStallMs = qMax(longestStallMs, sinceProbe.restart() - probeMs); });

    double cpuAtStart = 0;
    QElapsedTimer wall;
    // The first second (loading, first decodes) is not measured.
    QTimer::singleShot(1000, [&] {
        cpuAtStart = cpuSeconds();
        wall.start();
        sinceProbe.start();
        probe.start(probeMs);
    });
    qint64 ticksAtStart = 0;
    qint64 readyAtStart = 0;
    QTimer::singleShot(1000, [&] {
        ticksAtStart = naive ? naive->ticks : label.ticks();
        readyAtStart = naive ? naive->ticks : label.readyTicks();
    });
    QTimer::singleShot(1000 + seconds * 1000, [&] {
        const double cpu = cpuSeconds() - cpuAtStart;
        const double elapsed = wall.elapsed() / 1000.0;
        const qint64 ticks = (naive ? naive->ticks : label.ticks()) - ticksAtStart;
        const qint64 ready = (naive ? naive->ticks : label.readyTicks()) - readyAtStart;
        std::printf("%-8s cpu %5.1f %%  ticks %5lld  ready %5.1f %%  longest GUI stall %lld ms\n", mode,
            100.0 * cpu / elapsed, static_cast<long long>(ticks), ticks ? 100.0 * ready / ticks : 0.0,
            static_cast<long long>(longestStallMs));
        app.quit();
    });
    const int rc = app.exec();
    delete naive;
    return rc;
}
