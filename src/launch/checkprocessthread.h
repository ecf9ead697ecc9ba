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

    // Whether a running process's file name counts as the game: it starts with
    // the executable name, compared case-sensitively.
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
