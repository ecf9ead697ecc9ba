// The reference of bench/startup.sh: a bare Qt widgets program that shows a
// 1280 x 720 window and prints, when it is first on screen, the milliseconds
// since the process start, measured as the launcher measures its own.

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

qint64 msSinceProcessStart()
{
    QFile file(QStringLiteral("/proc/self/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.read(4096);
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000
        - fields.value(19).toLongLong() * 1000 / sysconf(_SC_CLK_TCK);
}

class FirstExposure : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            std::printf("on screen %lld ms after the process start\n", static_cast<long long>(msSinceProcessStart()));
            std::fflush(stdout);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(1280, 720);
    window.show();
    FirstExposure exposure;
    window.windowHandle()->installEventFilter(&exposure);
    return QApplication::exec();
}
