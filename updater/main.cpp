// quillmere-update: replaces the launcher it was started by with a new version.
//
//   quillmere-update --app-dir <folder> --launcher <file name> --wait-pid <pid>
//                    --version <version> --url <package address> [--language <code>]
//
// The window speaks the language the launcher names (zh, en, ja, ko, zh_TC);
// English without one.
//
// Exit codes: 0 updated, 1 the new version did not start and the previous one
// was restored, 2 nothing was replaced (the previous launcher is started again).

#include "updaterlanguage.h"
#include "updatewindow.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/logmanager.h"
#include "selfupdate/selfupdater.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <vector>

namespace {

QFile *s_logFile = nullptr;
QMutex s_logMutex;

// Every line goes to "<app>/logs/updater.log" and to standard error; the
// launcher's own log is left to the launcher, which runs at the same time.
void logLine(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    const QByteArray line = QStringLiteral("[%1] [%2]: %3\n")
                                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
                                    LogManager::levelWord(type), message)
                                .toUtf8();
    QMutexLocker lock(&s_logMutex);
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    if (s_logFile) {
        s_logFile->write(line);
        s_logFile->flush();
    }
}

void openLog(const QString &appDir)
{
    const QString folder = appDir + QStringLiteral("/logs");
    QDir().mkpath(folder);
    s_logFile = new QFile(folder + QStringLiteral("/updater.log"));
    if (!s_logFile->open(QIODevice::Append | QIODevice::Text)) {
        std::fprintf(stderr, "The updater's log cannot be written\n");
        delete s_logFile;
        s_logFile = nullptr;
    }
}

// For the tests of an interrupted update: QUILLMERE_UPDATER_KILL_AT_STEP=n ends
// the process with SIGKILL at the n-th step that changes the disk.
int s_killAtStep = 0;
void countStep()
{
    static int steps = 0;
    if (++steps == s_killAtStep)
        std::raise(SIGKILL);
}

bool readRequest(const QStringList &arguments, SelfUpdateRequest *request, QString *language)
{
    QCommandLineParser parser;
    const QCommandLineOption appDir(
        QStringLiteral("app-dir"), QStringLiteral("The launcher's folder."), QStringLiteral("folder"));
    const QCommandLineOption launcher(
        QStringLiteral("launcher"), QStringLiteral("The launcher's file name."), QStringLiteral("name"));
    const QCommandLineOption pid(
        QStringLiteral("wait-pid"), QStringLiteral("The launcher's process."), QStringLiteral("pid"));
    const QCommandLineOption version(
        QStringLiteral("version"), QStringLiteral("The new version."), QStringLiteral("version"));
    const QCommandLineOption url(
        QStringLiteral("url"), QStringLiteral("The package's address."), QStringLiteral("url"));
    const QCommandLineOption languageCode(QStringLiteral("language"),
        QStringLiteral("The window's language, as the launcher's (zh, en, ja, ko, zh_TC)."), QStringLiteral("code"));
    parser.addOptions({appDir, launcher, pid, version, url, languageCode});
    const QCommandLineOption help = parser.addHelpOption();
    // Options this updater does not know (a newer launcher's) are passed over:
    // ending on them would leave the player with no launcher at all.
    const bool parsed = parser.parse(arguments);
    if (!parsed && parser.unknownOptionNames().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return false;
    }
    for (const QString &unknown : parser.unknownOptionNames())
        std::fprintf(stderr, "quillmere-update: option --%s ignored\n", qPrintable(unknown));
    if (parser.isSet(help))
        parser.showHelp(0);
    request->appDir = QDir(parser.value(appDir)).absolutePath();
    request->launcherName = parser.value(launcher);
    request->waitPid = parser.value(pid).toLongLong();
    request->version = parser.value(version);
    request->url = parser.value(url);
    *language = parser.value(languageCode);
    return parser.isSet(appDir) && parser.isSet(launcher) && parser.isSet(version) && parser.isSet(url);
}

// Without a display the window is drawn off screen: the update still runs.
std::vector<char *> withPlatform(int argc, char *argv[])
{
    std::vector<char *> args(argv, argv + argc);
    static char option[] = "-platform";
    static char offscreen[] = "offscreen";
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        args.insert(args.begin() + 1, {option, offscreen});
    }
    args.push_back(nullptr);
    return args;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<char *> args = withPlatform(argc, argv);
    int count = int(args.size()) - 1;
    QApplication app(count, args.data());
    SelfUpdateRequest request;
    QString language;
    if (!readRequest(QCoreApplication::arguments(), &request, &language)) {
        std::fprintf(stderr,
            "usage: quillmere-update --app-dir <folder> --launcher <name> --wait-pid <pid> "
            "--version <version> --url <address> [--language <code>]\n");
        return 2;
    }
    openLog(request.appDir);
    qInstallMessageHandler(logLine);
    s_killAtStep = qEnvironmentVariableIntValue("QUILLMERE_UPDATER_KILL_AT_STEP");
    if (s_killAtStep > 0)
        SelfUpdateJournal::setStepHook(countStep);

    AppDir::setPath(request.appDir);
    request.gameDir = LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir"));

    QTranslator translator;
    UpdaterLanguage::install(language, &translator);
    UpdateWindow window(request.version);
    SelfUpdater updater(request);
    QObject::connect(&updater, &SelfUpdater::stageChanged, &window, &UpdateWindow::showStage);
    QObject::connect(&updater, &SelfUpdater::progress, &window, &UpdateWindow::showProgress);
    int exitCode = 2;
    QObject::connect(&updater, &SelfUpdater::finished, &window, [&window, &exitCode](SelfUpdater::Result result) {
        window.showResult(result);
        exitCode = result == SelfUpdater::Result::Updated ? 0 : result == SelfUpdater::Result::RolledBack ? 1 : 2;
        QCoreApplication::quit();
    });
    window.show();
    QTimer::singleShot(0, &updater, &SelfUpdater::start);
    app.exec();
    return exitCode;
}
