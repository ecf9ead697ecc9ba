#include "app/logmanager.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

ProcessSingleton<LogManager> s_instance;
std::atomic<int> s_crashDescriptor {-1};

// The log whose locked section this thread is in, if any.
thread_local const LogManager *t_holder = nullptr;

class InLogScope
{
public:
    explicit InLogScope(const LogManager *log)
        : m_previous(t_holder)
    {
        t_holder = log;
    }
    ~InLogScope() { t_holder = m_previous; }

private:
    const LogManager *m_previous;
};

} // namespace

LogManager *LogManager::instance()
{
    return s_instance.get(
        [] {
            // Built first and outside the handler: what it reports while it is
            // being built then reaches the default output instead of being lost
            // to Qt's guard against messages raised inside a handler.
            LauncherConfig::instance();
            return new LogManager(AppDir::filePath(QStringLiteral("logs/")));
        },
        [](LogManager *log) {
            qInstallMessageHandler(&LogManager::messageHandler);
            {
                QMutexLocker lock(&log->m_mutex);
                log->updateCrashDescriptorLocked();
            }
            // Lines wait in the stream for the once-a-second flush, which
            // stops with the event loop: flush when the loop ends and when
            // the process exits, so the last second of the log is kept.
            if (QCoreApplication *app = QCoreApplication::instance())
                QObject::connect(app, &QCoreApplication::aboutToQuit, log, &LogManager::flush, Qt::DirectConnection);
            std::atexit([] {
                if (LogManager *current = s_instance.peek())
                    current->flush();
            });
        });
}

LogManager::LogManager(const QString &logDir, std::function<QDateTime()> clock, QObject *parent)
    : QObject(parent)
    , m_logDir(QDir::cleanPath(logDir))
    , m_clock(std::move(clock))
{
    const QFileInfo current(currentLogPath());
    if (current.exists())
        m_fileDate = current.lastModified().date();
    rolloverCheck();

    m_rolloverTimer.setInterval(600000);
    connect(&m_rolloverTimer, &QTimer::timeout, this, &LogManager::rolloverCheck);
    m_rolloverTimer.start();
    m_flushTimer.setInterval(1000);
    connect(&m_flushTimer, &QTimer::timeout, this, &LogManager::flush);
    m_flushTimer.start();
}

LogManager::~LogManager()
{
    flush();
}

QString LogManager::bannerText()
{
    const QString stars(53, QLatin1Char('*'));
    return stars + QStringLiteral("Log Start") + stars;
}

QString LogManager::currentLogPath() const
{
    return m_logDir + QStringLiteral("/log.txt");
}

QString LogManager::levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("DEBUG");
    case QtInfoMsg:
        return QStringLiteral("INFO");
    case QtWarningMsg:
        return QStringLiteral("WARN");
    case QtCriticalMsg:
        return QStringLiteral("ERROR");
    case QtFatalMsg:
        return QStringLiteral("FATAL");
    }
    return QStringLiteral("unknow");
}

bool LogManager::passes(QtMsgType type, int logLevel)
{
    if (logLevel == -1)
        logLevel = 4;
    if (logLevel == 6)
        return true;
    // The levels are sets, not thresholds.
    switch (type) {
    case QtDebugMsg:
        return logLevel == 5;
    case QtInfoMsg:
        return logLevel == 4;
    case QtWarningMsg:
        return logLevel == 3 || logLevel == 4;
    case QtCriticalMsg:
        return logLevel == 2;
    case QtFatalMsg:
        return logLevel == 1;
    }
    return false;
}

void LogManager::messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (LogManager *log = s_instance.peek())
        log->write(type, message);
}

void LogManager::write(QtMsgType type, const QString &message)
{
    if (t_holder == this) {
        // Re-entered from inside the locked section on this thread: the
        // outer call writes it once it is done with its own line.
        m_deferred.append(qMakePair(type, message));
        return;
    }
    QMutexLocker lock(&m_mutex);
    InLogScope scope(this);
    writeLocked(type, message);
    drainDeferredLocked();
    // Qt aborts the process right after a fatal message: whatever is still
    // buffered (the fatal line included) must be on disk now.
    if (type == QtFatalMsg && m_stream)
        m_stream->flush();
}

// Reports from inside the locked section: written once the section's own work
// is done. (Qt hands a message raised inside a handler to stderr, not back to
// the handler, so qInfo() here would miss the file.)
void LogManager::note(const QString &message)
{
    m_deferred.append(qMakePair(QtInfoMsg, message));
}

void LogManager::drainDeferredLocked()
{
    while (!m_deferred.isEmpty()) {
        const auto next = m_deferred.takeFirst();
        writeLocked(next.first, next.second);
    }
}

void LogManager::writeLocked(QtMsgType type, const QString &message)
{
    const QString stamp = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QString line;
    if (message.contains(bannerText())) {
        line = QStringLiteral("[%1] %2\n\n").arg(stamp, message);
    } else {
        const int level = LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("loglevel"));
        if (!passes(type, level))
            return;
        line = QStringLiteral("[%1] [%2]: %3\n").arg(stamp, levelWord(type), message);
    }

    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);

    if (m_stream)
        *m_stream << line;
}

void LogManager::flush()
{
    QMutexLocker lock(&m_mutex);
    InLogScope scope(this);
    if (m_stream)
        m_stream->flush();
    drainDeferredLocked();
}

void LogManager::rolloverCheck()
{
    QMutexLocker lock(&m_mutex);
    InLogScope scope(this);
    rolloverLocked();
    drainDeferredLocked();
}

void LogManager::openLocked(QIODevice::OpenMode mode)
{
    m_stream.reset();
    m_file.reset(new QFile(currentLogPath()));
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Text | mode)) {
        reportUnwritableLocked(m_file->errorString());
        m_file.reset();
        updateCrashDescriptorLocked();
        return;
    }
    m_stream.reset(new QTextStream(m_file.get()));
    m_stream->setCodec("UTF-8");
    updateCrashDescriptorLocked();
}

int LogManager::crashDescriptor()
{
    return s_crashDescriptor.load();
}

// A duplicate of the file's descriptor, so that a crash handler never writes
// to one that the roll-over has just closed (and maybe handed to another file).
void LogManager::updateCrashDescriptorLocked()
{
    if (s_instance.peek() != this)
        return;
    const int descriptor = m_file ? ::fcntl(m_file->handle(), F_DUPFD_CLOEXEC, 0) : -1;
    const int previous = s_crashDescriptor.exchange(descriptor);
    if (previous >= 0)
        ::close(previous);
}

void LogManager::rolloverLocked()
{
    QDir dir(m_logDir);
    if (!dir.exists() && !dir.mkpath(QStringLiteral("."))) {
        reportUnwritableLocked(QStringLiteral("the folder cannot be created"));
        return;
    }

    if (!m_file)
        openLocked(QIODevice::Append);
    if (!m_fileDate.isValid())
        m_fileDate = m_clock().date();

    const QDate today = m_clock().date();
    if (today == m_fileDate)
        return;

    if (m_stream)
        m_stream->flush();
    m_stream.reset();
    m_file.reset();
    const bool moved = archive(
        m_logDir + QLatin1Char('/') + m_fileDate.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log"));
    // A "log.txt" that could not be moved away is appended to, never truncated.
    openLocked(moved ? QIODevice::Truncate : QIODevice::Append);
    m_fileDate = today;
}

// Without a log file the only trace is standard output, which nobody may be
// reading: say once, on standard error, that the log is not being kept.
// (Written directly: a message from here would come back to this log.)
void LogManager::reportUnwritableLocked(const QString &reason)
{
    if (m_reportedUnwritable)
        return;
    m_reportedUnwritable = true;
    const QByteArray text = QStringLiteral("Cannot write the log file %1 (%2); messages go to standard output only\n")
                                .arg(QDir::toNativeSeparators(currentLogPath()), reason)
                                .toLocal8Bit();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
}

// Moves the finished day's "log.txt" to its dated name. A dated file that is
// already there (the clock was set back, or a second launcher ran that day)
// keeps its lines and gets the new ones appended, so no day's log is lost.
bool LogManager::archive(const QString &datedPath)
{
    const QString current = currentLogPath();
    if (!QFile::exists(current))
        return true;
    if (!QFile::exists(datedPath)) {
        if (QFile::rename(current, datedPath))
            return true;
        note(QStringLiteral("Can not move the log to %1").arg(datedPath));
        return false;
    } else {
        QFile source(current);
        QFile target(datedPath);
        if (source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly | QIODevice::Append)) {
            while (!source.atEnd()) {
                const QByteArray chunk = source.read(1 << 16);
                if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
                    note(QStringLiteral("Can not append the log to %1").arg(datedPath));
                    return false;
                }
            }
        } else {
            note(QStringLiteral("Can not append the log to %1").arg(datedPath));
            return false;
        }
    }
    if (!QFile::remove(current) && !QFile::remove(current)) {
        // Its lines are safe in the dated file; the new day starts it afresh.
        note(QStringLiteral("Delete file failed: \"%1\"").arg(current));
    }
    return true;
}
