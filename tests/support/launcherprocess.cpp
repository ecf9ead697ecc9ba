#include "support/launcherprocess.h"

#include <QProcessEnvironment>

#include <csignal>

LauncherProcess::LauncherProcess(
    const QString &program, const QString &tempDir, const QMap<QString, QString> &variables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tempDir);
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        environment.insert(it.key(), it.value());
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, [this] { m_output += m_process.readAll(); });
    m_process.start(program, {});
}

LauncherProcess::~LauncherProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

void LauncherProcess::signal(int number)
{
    ::kill(pid_t(m_process.processId()), number);
}
