#include "app/crashhandler.h"
#include "app/kvapplication.h"
#include "app/language.h"
#include "app/launcherconfig.h"
#include "app/launcherrestart.h"
#include "app/orderlyquit.h"
#include "app/singleinstanceguard.h"
#include "db/dbmanager.h"
#include "install/gameinstallplugin.h"
#include "install/installlocator.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/quitwiring.h"
#include "mainwindow/settingswiring.h"
#include "platform/platform.h"
#include "settings/crashnotice.h"
#include "settings/settingsmodel.h"
#include "update/updatemanager.h"
#include "widgets/basewidget.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QQuickWindow>
#include <QScreen>
#include <QTextCodec>
#include <QTranslator>
#include <QWindow>

namespace {

// A later copy asked for the window: back from the task bar or the tray, in front.
void bringForward(QWidget *window)
{
    BaseWidget::bringForward(window);
    qInfo().noquote() << QStringLiteral("The window is brought forward (visible %1, minimised %2)")
                             .arg(window->isVisible() ? QStringLiteral("yes") : QStringLiteral("no"),
                                 window->isMinimized() ? QStringLiteral("yes") : QStringLiteral("no"));
}

// Logs once, when the window is first on screen: the start-up time as the
// player sees it, from the process start (bench/startup.sh reads it).
class FirstExposure : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            qInfo().noquote() << QStringLiteral("The main window is on screen %1 ms after the process start")
                                     .arg(Platform::msSinceProcessStart());
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(LauncherConfig::applicationVersion());
    QElapsedTimer elapsed;
    elapsed.start();

    LauncherConfig *config = LauncherConfig::instance();
    const QString displayName = config->manifestValue(QStringLiteral("app_displayname"));

    // Before anything is written: a second copy only hands over and leaves.
    SingleInstanceGuard guard(displayName);
    if (guard.claim() == SingleInstanceGuard::HandedOver) {
        qInfo() << "The launcher is already running; its window was brought forward";
        return -1;
    }
    // From here on SIGTERM and SIGINT (log-out, Ctrl+C) end the launcher in
    // order, also while it is still starting: the quit runs once the loop does.
    OrderlyQuit::instance()->watchTerminationSignals();

    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));

    const int languageIndex
        = Language::chooseIndex(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")),
            LauncherConfig::launcherType(), QLocale::system().uiLanguages());
    config->setLanguageIndex(languageIndex);

    quillmereInitUiResources();
    QTranslator translator;
    const bool translated = translator.load(Language::translationFile(languageIndex));

    const QString crashRecordPath = CrashHandler::defaultRecordPath();
    CrashHandler::install(crashRecordPath);

    if (translated)
        QCoreApplication::installTranslator(&translator);

    KVApplication *state = KVApplication::instance();
    // Filled from the stores on a worker while the start goes on.
    auto *settings = new SettingsModel(state);
    state->setSettingsModel(settings);
    settings->fillFromStore();
    qInfo().noquote()
        << QStringLiteral("Interface language %1 (index %2)").arg(Language::code(languageIndex)).arg(languageIndex);
    // Read once the log is installed, so that it is in the log too.
    const CrashHandler::Record crash = CrashHandler::readRecord(crashRecordPath);
    if (crash.isValid())
        qWarning().noquote() << "The launcher crashed last time:" << CrashHandler::noticeText(crash);

    KVApplication::createDataFolders();
    emit DbManager::instance()->initWorker(QString());

    // The window is deleted here, after the loop, and nowhere else: the quit
    // only stops what runs and leaves the loop.
    MainWindow *window = MainWindow::instance();
    window->setLanguageCode(Language::code(languageIndex));
    window->setWindowTitle(displayName);
    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    window->move((available.width() - window->width()) / 2, (available.height() - window->height()) / 2);
    window->show();
    if (QWindow *handle = window->windowHandle())
        handle->installEventFilter(new FirstExposure(handle));
    state->setMainWindow(window);
    const std::function<QWidget *()> openSettings = SettingsWiring::attach(window, settings);
    UpdateManager::instance()->promotePendingUpdater();

    qDebug() << "Time to open the application:" << elapsed.elapsed() << "milliseconds";
    qDebug() << "Application Version:" << LauncherConfig::applicationVersion();

    if (crash.isValid()) {
        CrashNotice::open(window, CrashHandler::noticeText(crash));
        qInfo() << "The crash notice is shown";
        CrashHandler::clearRecord(crashRecordPath);
    }

    QObject::connect(&guard, &SingleInstanceGuard::activationRequested, window, [window] { bringForward(window); });

    // The window hides to the tray and a game may run with no window shown:
    // only the orderly quit ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    OrderlyQuit *quit = OrderlyQuit::instance();
    quit->setFinalStep([] {
        constexpr int stopMs = 3000;
        if (!DbManager::instance()->stopWorker(stopMs))
            qWarning() << "The database worker did not stop within" << stopMs << "ms; leaving it";
    });
    QuitWiring::attach(quit, window, settings);

    // What the settings window's actions call: the language change's
    // restart, the location of an existing install and the game check.
    LauncherRestart restart;
    InstallLocator::Collaborators located;
    located.plugin = GameInstallPlugin::instance();
    located.busy = [window] {
        return window->isInstallIng();
    };
    located.refreshMainButton = [window] {
        window->refreshMainButton();
    };
    InstallLocator locator(std::move(located));
    settings->actions().restart = [&restart](int index) {
        restart.restart(index);
    };
    settings->actions().locate = [&locator](const QString &file) {
        return locator.locate(file);
    };
    settings->actions().checkGameVersion = [window] {
        window->updatePrompt()->checkGameVersion();
    };
    // The game check's question and tips sit over the settings while they are open.
    window->updatePrompt()->setSettingsHost(openSettings, [settings] { settings->closeSettings(); });

    const int result = QApplication::exec();
    delete window;
    // Only now may a restarted copy start: it must find the guard free.
    restart.finish(guard);
    return result;
}
