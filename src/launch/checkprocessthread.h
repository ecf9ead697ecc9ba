#pragma once

#include <QString>
#include <QThread>

// Watches a started game from a thread of its own and reports, once per poll,
// whether it still runs. The process id from the start is the sure sign; the
// executable name, matched against the process list, serves only when the id
// is unknown. Stopped by an interruption request, which ends the wait between
// polls at once.
class CheckProcessThread : public QThread
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 2000;

    // `processId` 0: match by `executableName` alone.
    CheckProcessThread(QObject *parent, const QString &executableName, qint64 processId = 0);
    ~CheckProcessThread() override;

    QString executableName() const { return m_executableName; }
    qint64 processId() const { return m_processId; }

    // The length the kernel cuts a process's short name ("comm") to.
    static constexpr int kShortNameLength = 15;

    // Whether a running process's file name counts as the game, compared
    // case-sensitively with the executable's file name: the same name; the
    // name followed by a dot and a suffix (the binary a start script runs);
    // or, for a name cut at the kernel's short-name length, its beginning.
    static bool matchesName(const QString &processName, const QString &executableName);

signals:
    void signal_is_open(bool isopen);

protected:
    void run() override;

private:
    bool isGameRunning() const;

    const QString m_executableName;
    const qint64 m_processId;
};
