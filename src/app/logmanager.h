#pragma once

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>

// The process-wide message handler. Every qDebug/qInfo/qWarning/... of the
// launcher passes through it: filtered by the "loglevel" setting, stamped
// with the local time and level, written to standard output and to
// "logs/log.txt", which rolls over to "yyyy-MM-dd.log" when the day changes.
//
// Lines are buffered and flushed once a second, when the application's event
// loop ends, at process exit and right after a fatal message. A log file that
// cannot be written is reported once on standard error.
//
// Messages from any thread are serialised by one mutex. A message raised
// while the log itself is working on the same thread (the roll-over
// reporting a failure) is kept aside and written right after the current
// one, never waiting on the mutex its own thread holds.
class LogManager : public QObject
{
    Q_OBJECT
public:
    // The launcher's log: built on first call, which installs the handler.
    static LogManager *instance();

    // A log writing into `logDir` with its own clock, not installed as the
    // handler (tests drive it through write()).
    explicit LogManager(const QString &logDir, std::function<QDateTime()> clock = &QDateTime::currentDateTime,
        QObject *parent = nullptr);
    ~LogManager() override;

    static QString bannerText();

    // The level word of a message type and whether `logLevel` lets it through.
    static QString levelWord(QtMsgType type);
    static bool passes(QtMsgType type, int logLevel);

    // Formats and writes one message as the handler does.
    void write(QtMsgType type, const QString &message);

    // Writes buffered lines to disk.
    void flush();

    // Moves "log.txt" to its dated name when the day has changed.
    void rolloverCheck();

    // A descriptor of the launcher's log file for a crash handler, which may
    // only write() to it; -1 while there is none. Lines still buffered in the
    // stream are not in the file.
    static int crashDescriptor();

    QString logDir() const { return m_logDir; }
    QString currentLogPath() const;

private:
    static void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void writeLocked(QtMsgType type, const QString &message);
    void rolloverLocked();
    void openLocked(QIODevice::OpenMode mode);
    void updateCrashDescriptorLocked();
    void drainDeferredLocked();
    void note(const QString &message);
    void reportUnwritableLocked(const QString &reason);
    bool archive(const QString &datedPath);

    QString m_logDir;
    std::function<QDateTime()> m_clock;
    QDate m_fileDate;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<QTextStream> m_stream;
    QMutex m_mutex;
    QList<QPair<QtMsgType, QString>> m_deferred;
    bool m_reportedUnwritable = false;
    QTimer m_rolloverTimer;
    QTimer m_flushTimer;
};
