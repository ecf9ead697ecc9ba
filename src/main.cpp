#include "app/appdir.h"
#include "app/commandline.h"
#include "app/crashhandler.h"
#include "app/kvapplication.h"
#include "app/language.h"
#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "app/singleinstanceguard.h"
#include "app/weblink.h"
#include "extract/verifycommand.h"
#include "install/gamefiles.h"
#include "install/installmovecommand.h"
#include "mainwindow/launcherroot.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/startupcheck.h"
#include "platform/platform.h"
#include "selfupdate/selfupdatejournal.h"
#include "settings/crashnotice.h"
#include "update/appinstallplugin.h"
#include "update/launcherupdaterecord.h"
#include "update/updatemanager.h"
#include "update/updaterlaunch.h"
#include "widgets/basewidget.h"
#include "widgets/hidpi.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QQuickWindow>
#include <QScreen>
#include <QTextCodec>
#include <QTextStream>
#include <QTranslator>
#include <QUrl>
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
            // An updater that started this launcher waits for this to keep it.
            UpdaterLaunch::reportReady(LauncherConfig::applicationVersion());
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

// Centred on the primary screen and shown; the first exposure is logged.
void showCentred(QWidget *window)
{
    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    window->move((available.width() - window->width()) / 2, (available.height() - window->height()) / 2);
    window->show();
    if (QWindow *handle = window->windowHandle())
        handle->installEventFilter(new FirstExposure(handle));
}

// The interface language: the stored choice, else the edition's and the
// system's. Returns whether its translation was installed.
bool installLanguage(QTranslator &translator)
{
    LauncherConfig *config = LauncherConfig::instance();
    const int index
        = Language::chooseIndex(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")),
            LauncherConfig::launcherType(), QLocale::system().uiLanguages());
    config->setLanguageIndex(index);
    quillmereInitUiResources();
    return translator.load(Language::translationFile(index));
}

// The command line speaks through its own output; the log's lines would only
// get in the way of scripts reading it. Fatal messages still reach stderr.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << message << "\n";
}

void logDataFolder()
{
    if (AppDir::keepsDataBesideProgram())
        qInfo().noquote()
            << QStringLiteral("The launcher keeps its data beside its executable in %1").arg(AppDir::path());
    else
        qInfo().noquote() << QStringLiteral("The launcher's folder %1 is read-only; its data is kept in %2")
                                 .arg(AppDir::programPath(), AppDir::path());
}

// Answers the command line without a window (no display needed) and returns
// the exit code. Every verb is added here.
int runCommandLine(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(LauncherConfig::applicationVersion());
    qInstallMessageHandler(quietMessages);
    AppDir::settle();
    // The language as the window would choose it, but nothing is stored.
    LauncherConfig *config = LauncherConfig::instance();
    const int index
        = Language::chooseIndex(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")),
            LauncherConfig::launcherType(), QLocale::system().uiLanguages());
    quillmereInitUiResources();
    QTranslator translator;
    if (translator.load(Language::translationFile(index)))
        QCoreApplication::installTranslator(&translator);

    CommandLine commandLine;
    commandLine.addVerb(InstallMoveCommand::verb());
    commandLine.addVerb(VerifyCommand::verb());
    QTextStream out(stdout);
    QTextStream err(stderr);
    return commandLine.run(QCoreApplication::arguments(), out, err);
}

// In the development environment, "dev_service_base" in [Launcher] puts every
// service on one stand-in of the developer's choice instead of the manifest's
// fixed port (a second stand-in beside the demo's, say). Empty elsewhere.
QString developmentServiceBase()
{
    if (KVApplication::instance()->runningType() != 1)
        return QString();
    const QString base = LauncherConfig::instance()
                             ->readString(QStringLiteral("Launcher"), QStringLiteral("dev_service_base"))
                             .trimmed();
    if (base.isEmpty())
        return QString();
    if (!isWebLink(QUrl(base, QUrl::StrictMode))) {
        qWarning().noquote()
            << QStringLiteral("dev_service_base is no web address, the manifest's hosts serve: %1").arg(base.left(200));
        return QString();
    }
    qInfo().noquote() << QStringLiteral("Development services at %1 (dev_service_base)").arg(base);
    return base;
}

// What the last launcher update left, in the log too.
LauncherUpdateRecord readUpdateRecord()
{
    const LauncherUpdateRecord record = LauncherUpdateRecord::read(LauncherUpdateRecord::defaultPath());
    qInfo().noquote() << record.describe();
    return record;
}

// Once after an update that was put back: a notice over the window.
void tellOfRollback(QWidget *window, const LauncherUpdateRecord &record)
{
    if (!record.noticeDue())
        return;
    const QString restored
        = record.restoredVersion.isEmpty() ? LauncherConfig::applicationVersion() : record.restoredVersion;
    CrashNotice::open(window, LauncherVersionCheck::rolledBackText(record.version, restored))
        ->setObjectName(QStringLiteral("launcherRollbackNotice"));
    qInfo().noquote() << QStringLiteral("The launcher update notice is shown: %1 was rolled back to %2")
                             .arg(record.version, restored);
    LauncherUpdateRecord::markNoticeShown(LauncherUpdateRecord::defaultPath());
}

} // namespace

int main(int argc, char *argv[])
{
    if (CommandLine::wanted(argc, argv))
        return runCommandLine(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    HiDpi::prepareApplication();
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(LauncherConfig::applicationVersion());
    QElapsedTimer elapsed;
    elapsed.start();
    // Before anything reads the launcher's folder.
    AppDir::settle();

    // Before anything is written: a second copy only hands over and leaves.
    SingleInstanceGuard guard(SingleInstanceGuard::launcherKey());
    if (guard.claim() == SingleInstanceGuard::HandedOver) {
        qInfo() << "The launcher is already running; its window was brought forward";
        return -1;
    }
    // From here on SIGTERM and SIGINT (log-out, Ctrl+C) end the launcher in
    // order, also while it is still starting: the quit runs once the loop does.
    OrderlyQuit::instance()->watchTerminationSignals();

    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    QTranslator translator;
    const bool translated = installLanguage(translator);

    const QString crashRecordPath = CrashHandler::defaultRecordPath();
    CrashHandler::install(crashRecordPath);
    if (translated)
        QCoreApplication::installTranslator(&translator);

    // Installs the log.
    KVApplication::instance();
    logDataFolder();
    // A launcher update that was cut off is finished or put back before
    // anything of the launcher's own is read (nothing while an updater runs).
    SelfUpdateJournal::recover(AppDir::programPath());
    const int languageIndex = LauncherConfig::instance()->languageIndex();
    qInfo().noquote()
        << QStringLiteral("Interface language %1 (index %2)").arg(Language::code(languageIndex)).arg(languageIndex);
    // Read once the log is installed, so that it is in the log too.
    const CrashHandler::Record crash = CrashHandler::readRecord(crashRecordPath);
    if (crash.isValid())
        qWarning().noquote() << "The launcher crashed last time:" << CrashHandler::noticeText(crash);

    // Read before the window resumes anything: the records as the last run left them.
    const bool checkFiles = StartupCheck::due(crash.isValid(), GameFiles::instance()->status());

    LauncherRoot::Overrides overrides;
    overrides.serviceBase = developmentServiceBase();
    LauncherRoot root(overrides);
    // The versions that did not start here stay out of the automatic check
    // (whose answer comes once the loop runs).
    const LauncherUpdateRecord updateRecord = readUpdateRecord();
    root.appPlugin()->setSkippedVersions(updateRecord.failedVersions);
    MainWindow *window = root.window();
    showCentred(window);
    if (checkFiles)
        window->checkGameFilesWhenReady();
    UpdateManager::instance()->promotePendingUpdater();

    qDebug() << "Time to open the application:" << elapsed.elapsed() << "milliseconds";
    qDebug() << "Application Version:" << LauncherConfig::applicationVersion();

    if (crash.isValid()) {
        CrashNotice::open(window, CrashNotice::text(crash.code, crash.address));
        qInfo() << "The crash notice is shown";
        CrashHandler::clearRecord(crashRecordPath);
    }
    tellOfRollback(window, updateRecord);

    QObject::connect(&guard, &SingleInstanceGuard::activationRequested, window, [window] { bringForward(window); });

    // The window hides to the tray and a game may run with no window shown:
    // only the orderly quit ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    const int result = QApplication::exec();
    root.finish(guard);
    return result;
}
