#include "launch/checkprocessthread.h"

#include "platform/platform.h"

CheckProcessThread::CheckProcessThread(QObject *parent, const QString &executableName, qint64 processId)
    : QThread(parent)
    , m_executableName(executableName)
    , m_processId(processId)
{ }

CheckProcessThread::~CheckProcessThread()
{
    requestInterruption();
    wait();
}

bool CheckProcessThread::matchesName(const QString &processName, const QString &executableName)
{
    return !executableName.isEmpty() && processName.startsWith(executableName, Qt::CaseSensitive);
}

bool CheckProcessThread::isGameRunning() const
{
    if (m_processId > 0)
        return Platform::isProcessRunning(m_processId);
    const QStringList names = Platform::runningProcessNames();
    for (const QString &name : names) {
        if (matchesName(name, m_executableName))
            return true;
    }
    return false;
}

void CheckProcessThread::run()
{
    constexpr int sliceMs = 50;
    while (!isInterruptionRequested()) {
        emit signal_is_open(isGameRunning());
        for (int waited = 0; waited < kPollMs && !isInterruptionRequested(); waited += sliceMs)
            msleep(sliceMs);
    }
}
