#include "launch/gamelauncher.h"

#include "app/appdir.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "install/gamefiles.h"
#include "launch/checkprocessthread.h"
#include "platform/platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

GameLauncher::GameLauncher(QObject *parent)
    : QObject(parent)
{
    m_watchDelay.setSingleShot(true);
    m_watchDelay.setInterval(kWatchDelayMs);
    connect(&m_watchDelay, &QTimer::timeout, this, &GameLauncher::CheckGameExeList);
}

GameLauncher::~GameLauncher()
{
    stopWatch();
}

bool GameLauncher::launch(QString *error)
{
    LauncherConfig *config = LauncherConfig::instance();
    const QString program = GameFiles::instance()->gameExePath();
    // The stored folder is the game's working folder; without one the game
    // starts in its own folder rather than wherever the launcher was started.
    QString workingDir = config->readString(QStringLiteral("Launcher"), QStringLiteral("game_install_path"));
    if (workingDir.isEmpty())
        workingDir = QFileInfo(program).absolutePath();

    QStringList arguments;
    if (KVApplication::instance()->isDebug())
        arguments << QStringLiteral("enLauncher");

    const QFileInfo exe(program);
    if (!exe.isFile()) {
        qWarning().noquote() << "The game cannot be started: no executable at" << program;
        *error = tr("invalidPath");
        return false;
    }
    stopWatch();
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, workingDir, &pid)) {
        qWarning().noquote() << "The game cannot be started:" << program << "in" << workingDir;
        *error = tr("gameStartFailed");
        return false;
    }
    qInfo().noquote() << QStringLiteral("The game is started: %1 (process %2)").arg(program).arg(pid);
    m_processId = pid;
    m_executableName = config->manifestValue(QStringLiteral("gameExeFile"));

    if (config->readBool(QStringLiteral("Launcher"), QStringLiteral("popup_on_gameexit"), true))
        m_watchDelay.start();
    removeLeftoverArchives(AppDir::filePath(QStringLiteral("Downloads/")));
    return true;
}

bool GameLauncher::isWatching() const
{
    return m_watchDelay.isActive() || (m_watch && m_watch->isRunning());
}

bool GameLauncher::isGameRunning() const
{
    return m_processId > 0 && Platform::isProcessRunning(m_processId);
}

void GameLauncher::CheckGameExeList()
{
    stopWatch();
    m_watch = std::make_unique<CheckProcessThread>(nullptr, m_executableName, m_processId);
    connect(
        m_watch.get(), &CheckProcessThread::signal_is_open, this, &GameLauncher::onWatchResult, Qt::QueuedConnection);
    m_watch->start(QThread::InheritPriority);
}

void GameLauncher::onWatchResult(bool isOpen)
{
    // A result already queued when the watch stopped changes nothing.
    if (!m_watch || m_watch.get() != sender())
        return;
    emit watched(isOpen);
    if (isOpen) {
        qInfo().noquote() << QStringLiteral("%1 is running").arg(m_executableName);
        return;
    }
    qInfo().noquote() << QStringLiteral("%1 is closed").arg(m_executableName);
    m_watch->requestInterruption();
    emit gameEnded();
}

void GameLauncher::stopWatch()
{
    m_watchDelay.stop();
    if (!m_watch)
        return;
    m_watch->requestInterruption();
    m_watch->wait();
    m_watch.reset();
}

int GameLauncher::removeLeftoverArchives(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        qInfo().noquote() << QStringLiteral("%1 is not here").arg(folder);
        return 0;
    }
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    if (entries.isEmpty()) {
        qInfo().noquote() << QStringLiteral("%1 is not null").arg(folder);
        return 0;
    }
    int removed = 0;
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || !entry.absoluteFilePath().endsWith(QLatin1String(".7z"), Qt::CaseSensitive))
            continue;
        qInfo().noquote() << QStringLiteral("%1 will be remove ").arg(entry.fileName());
        QFile file(entry.absoluteFilePath());
        if (file.remove())
            ++removed;
        else
            qWarning().noquote() << QStringLiteral("filePath remove fail : %1").arg(int(file.error()));
    }
    return removed;
}
