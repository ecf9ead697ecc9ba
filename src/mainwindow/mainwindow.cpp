#include "mainwindow/mainwindow.h"

#include "app/launcherconfig.h"
#include "install/gameinstallplugin.h"
#include "update/appinstallplugin.h"

#include <QLabel>
#include <QVBoxLayout>

MainWindow *MainWindow::instance()
{
    static MainWindow *window = nullptr;
    if (!window)
        window = new MainWindow;
    return window;
}

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(1280, 720);
    setObjectName(QStringLiteral("MainWindow"));
    setStyleSheet(QStringLiteral("#MainWindow { background: #1b1f2a; } QLabel { color: #e8e2d0; }"));

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(LauncherConfig::instance()->manifestValue(QStringLiteral("app_displayname")), this);
    title->setAlignment(Qt::AlignCenter);
    QFont font = title->font();
    font.setPointSize(36);
    title->setFont(font);
    m_status = new QLabel(tr("Launcher %1").arg(LauncherConfig::applicationVersion()), this);
    m_status->setAlignment(Qt::AlignCenter);
    m_gameState = new QLabel(tr("Asking the update service..."), this);
    m_gameState->setAlignment(Qt::AlignCenter);
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(m_status);
    layout->addWidget(m_gameState);
    layout->addStretch();
    watchServices();
}

// What the update services say, until the install display takes over.
void MainWindow::watchServices()
{
    GameInstallPlugin *game = GameInstallPlugin::instance();
    connect(game, &GameInstallPlugin::needToDownload, this, [this](const GameVersionInfo &info) {
        m_gameState->setText(tr("Quillmere %1 is ready to install").arg(info.latestVersion));
    });
    connect(game, &GameInstallPlugin::needToUpdate, this, [this](const GameVersionInfo &info) {
        m_gameState->setText(tr("Update %1 is available").arg(info.latestVersion));
    });
    connect(game, &GameInstallPlugin::installed, this, [this] { m_gameState->setText(tr("The game is up to date")); });
    connect(game, &GameInstallPlugin::networkError, this,
        [this](const QString &) { m_gameState->setText(tr("The update service cannot be reached")); });
    connect(
        game, &GameInstallPlugin::gameoffline, this, [this](const QString &message) { m_gameState->setText(message); });
    game->requestGameVersionInfo();

    Appinstallplugin *launcher = Appinstallplugin::instance();
    connect(launcher, &Appinstallplugin::notifyAppUpdate, this, [this](const AppDownloadInfoPtr &info) {
        m_status->setText(
            tr("Launcher %1 (version %2 is available)").arg(LauncherConfig::applicationVersion(), info->latestVersion));
    });
    launcher->checkUpdateInServer();
}

void MainWindow::setLanguageCode(const QString &code)
{
    m_languageCode = code;
}
