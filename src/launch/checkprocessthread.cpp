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
    // The manifest may name the executable with a folder ("bin/quillmere").
    const QString exe = executableName.mid(executableName.lastIndexOf(QLatin1Char('/')) + 1);
    if (exe.isEmpty() || processName.isEmpty())
        return false;
    if (processName == exe)
        return true;
    // A start script that runs the real binary beside it ("quillmere" runs
    // "quillmere.x86_64"): the name, a dot, then a suffix. Another program
    // that merely begins with the name ("quillmere-launcher") is not the game.
    if (processName.size() > exe.size() + 1 && processName.startsWith(exe)
        && processName.at(exe.size()) == QLatin1Char('.'))
        return true;
    // The kernel's short name, the last resort of the process list, is cut.
    return processName.size() == kShortNameLength && exe.startsWith(processName);
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
