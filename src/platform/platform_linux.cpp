#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

QByteArray readSmallFile(const QString &path, qint64 limit = qint64(64) * 1024)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(limit);
}

QString autoStartFile(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/")
        + name + QStringLiteral(".desktop");
}

// Desktop entries quote an Exec argument that holds blanks; the launcher path
// is the entry's whole command line.
QString desktopExec(const QString &path)
{
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString Platform::hardwareUuid()
{
    return QString::fromLatin1(readSmallFile(QStringLiteral("/etc/machine-id"), 256)).trimmed();
}

QString Platform::systemVolumeSerial()
{
    return {};
}

QString Platform::cpuName()
{
    const QString text = QString::fromUtf8(readSmallFile(QStringLiteral("/proc/cpuinfo"), 1 << 20));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("model name")))
            continue;
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon >= 0)
            return line.mid(colon + 1).simplified();
    }
    return {};
}

bool Platform::isAutoStartRegistered(const QString &name, const QString &executablePath)
{
    const QString text = QString::fromUtf8(readSmallFile(autoStartFile(name)));
    const QString wanted = QStringLiteral("Exec=") + desktopExec(executablePath);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed() == wanted)
            return true;
    }
    return false;
}

bool Platform::setAutoStart(const QString &name, const QString &executablePath, bool enabled)
{
    const QString path = autoStartFile(name);
    if (!enabled)
        return !QFile::exists(path) || QFile::remove(path);
    if (isAutoStartRegistered(name, executablePath))
        return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << name << "\n"
        << "Exec=" << desktopExec(executablePath) << "\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    return file.commit();
}

QStringList Platform::runningProcessNames()
{
    QStringList names;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool isPid = false;
        const qint64 id = pid.toLongLong(&isPid);
        // A process that ended but was not yet collected by its parent no
        // longer runs: the game that just quit is not reported as running.
        if (!isPid || !isProcessRunning(id))
            continue;
        const QString base = QStringLiteral("/proc/") + pid;
        // The executable link names the real file; it is unreadable for other
        // users' processes, where the command line still tells the name.
        QString exe = QFileInfo(base + QStringLiteral("/exe")).symLinkTarget();
        if (exe.isEmpty()) {
            const QByteArray cmdline = readSmallFile(base + QStringLiteral("/cmdline"), 4096);
            exe = QString::fromLocal8Bit(cmdline.left(cmdline.indexOf('\0')));
        }
        QString name = QFileInfo(exe).fileName();
        if (name.endsWith(QLatin1String(" (deleted)")))
            name.chop(10);
        if (name.isEmpty()) // "comm" is cut at 15 characters: the last resort
            name = QString::fromLocal8Bit(readSmallFile(base + QStringLiteral("/comm"), 64)).trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

bool Platform::isProcessRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    // "pid (name) S ...": the state follows the last ')', as the name itself
    // may hold blanks and parentheses.
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid), 1024);
    const int close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return false;
    const char state = stat.at(close + 2);
    return state != 'Z' && state != 'X' && state != 'x';
}

qint64 Platform::msSinceProcessStart()
{
    // Field 22 of /proc/self/stat: the start in clock ticks since boot, on
    // the clock that CLOCK_BOOTTIME reads.
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/self/stat"), 4096);
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    constexpr int startField = 22 - 3; // fields after the name start at the state, field 3
    if (fields.size() <= startField)
        return -1;
    bool ok = false;
    const qint64 startTicks = fields.at(startField).toLongLong(&ok);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now {};
    if (!ok || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return -1;
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - startTicks * 1000 / ticksPerSecond;
}

int Platform::processHandleCount()
{
    QDir fds(QStringLiteral("/proc/self/fd"));
    if (!fds.exists())
        return -1;
    return fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

bool Platform::x11ShowsTranslucency(int x11Screen)
{
    // A connection of our own to the display Qt uses (the toolkit does not
    // hand out its own without private headers), made once and kept: a
    // pop-up shown at every hover asks each time.
    static xcb_connection_t *const connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return true;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(x11Screen);
    // Only if it exists: an atom nobody made was never owned.
    std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void *)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr),
        free);
    if (!atom)
        return true;
    if (atom->atom == XCB_ATOM_NONE)
        return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, void (*)(void *)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr), free);
    return !owner || owner->owner != XCB_NONE;
}
