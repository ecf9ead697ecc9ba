#include "support/autoinstaller.h"

#include "download/kvdownloadtaskmanager.h"
#include "extract/ziplibmanager.h"
#include "install/gameinstallplugin.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "mainwindow/mainwindow.h"

#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void click(QWidget *parent, const char *name)
{
    if (auto *button = parent->findChild<QPushButton *>(QLatin1String(name)))
        button->click();
}

} // namespace

AutoInstaller::AutoInstaller(const QString &serviceBase, qint64 rateLimit, bool verbose)
    : m_verbose(verbose)
{
    GameInstallPlugin::Collaborators pluginParts;
    pluginParts.updateServiceBase = [serviceBase] {
        return serviceBase;
    };
    pluginParts.manager = &m_network;
    pluginParts.runningType = 1;
    m_plugin = new GameInstallPlugin(pluginParts, this);

    InstallSession::Collaborators parts;
    parts.installPlugin = m_plugin;
    parts.makeEngine = [rateLimit](int, QObject *parent) {
        DownloadCollaborators downloads;
        downloads.rateLimit = rateLimit;
        return InstallSession::downloadPort(new KVDownloadTaskManager(parent, downloads));
    };
    parts.makeExtractor = [verbose](QObject *parent) {
        auto *extractor = new ZiplibManager(nullptr, parent);
        if (verbose) {
            connect(extractor, &ZiplibManager::sigProgress, extractor, [](qlonglong value, qlonglong total) {
                say("extract " + QByteArray::number(value) + ' ' + QByteArray::number(total));
            });
        }
        return InstallSession::extractPort(extractor);
    };
    parts.retryDelayMs = 10;
    MainWindow::Collaborators window;
    window.session = new InstallSession(parts);
    m_window = std::make_unique<MainWindow>(window);
    connect(m_window.get(), &MainWindow::stateChanged, this, [this](MainWindow::State state) {
        if (m_verbose)
            say("state " + QByteArray::number(int(state)));
        // After the window has finished its own handling of the change.
        QTimer::singleShot(0, this, [this, state] { answer(int(state)); });
    });
}

AutoInstaller::~AutoInstaller() = default;

void AutoInstaller::start()
{
    m_window->show();
}

void AutoInstaller::answer(int state)
{
    MainWindow *window = m_window.get();
    switch (MainWindow::State(state)) {
    case MainWindow::State::GetGame:
        if (m_verbose)
            say("package " + m_plugin->gameVersionInfo().packageUrls.value(0).toUtf8());
        click(window, "pushButton_install");
        if (window->downloadPathDialog())
            click(window->downloadPathDialog(), "pushButton_pathdownload");
        break;
    case MainWindow::State::Update:
        click(window, "pushButton_update");
        break;
    case MainWindow::State::Paused:
        click(window, "pushButton_play");
        break;
    case MainWindow::State::NeedUnzip:
        click(window, "pushButton_needToUnzip");
        break;
    case MainWindow::State::Play:
        if (m_verbose)
            say("installed");
        emit installed();
        break;
    default:
        break;
    }
}
