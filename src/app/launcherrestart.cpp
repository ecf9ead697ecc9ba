#include "app/launcherrestart.h"

#include "app/language.h"
#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "app/singleinstanceguard.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

LauncherRestart::LauncherRestart(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{ }

void LauncherRestart::restart(int index)
{
    if (index < 0 || index >= Language::Count) {
        qWarning() << "No restart for an unknown language index" << index;
        return;
    }
    if (m_collaborators.storeLanguage)
        m_collaborators.storeLanguage(index);
    else
        LauncherConfig::instance()->setLanguageIndex(index);
    m_pending = true;
    qInfo().noquote() << QStringLiteral("restart app - language index %1: quitting first").arg(index);
    if (m_collaborators.quit)
        m_collaborators.quit();
    else
        OrderlyQuit::instance()->request();
}

qint64 LauncherRestart::finish(SingleInstanceGuard &guard)
{
    guard.release();
    if (!m_pending)
        return 0;
    m_pending = false;
    const QString program = QDir::fromNativeSeparators(
        m_collaborators.program.isEmpty() ? QCoreApplication::applicationFilePath() : m_collaborators.program);
    qInfo().noquote() << "restart app - appExeDir =" + QFileInfo(program).absolutePath();
    qInfo().noquote() << "restart app - appExePath =" + program;
    qint64 pid = 0;
    if (m_collaborators.start)
        pid = m_collaborators.start(program);
    else if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath(), &pid))
        pid = 0;
    if (pid <= 0) {
        qWarning().noquote() << "restart app - the launcher could not be started:" << program;
        return 0;
    }
    return pid;
}
