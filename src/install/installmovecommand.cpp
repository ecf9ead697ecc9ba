#include "install/installmovecommand.h"

#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "app/singleinstanceguard.h"
#include "install/gamefiles.h"
#include "install/installmover.h"
#include "platform/platform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// A process of the game's executable, started by anyone. The name must match
// whole: the launcher's own name begins with the game's.
bool gameProcessRunning()
{
    const QString exe = LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile"));
    const QStringList names = Platform::runningProcessNames();
    return !exe.isEmpty()
        && std::any_of(names.cbegin(), names.cend(), [&](const QString &name) { return name == exe; });
}

bool gameInstalled()
{
    GameFiles *files = GameFiles::instance();
    return files->status() == InstallStatus::Installed && QFileInfo(files->gameExePath()).isFile();
}

} // namespace

CommandLine::Verb InstallMoveCommand::verb()
{
    CommandLine::Verb verb {QCommandLineOption(QStringLiteral("move-install"),
                                QStringLiteral("Moves the installed game to <DIR>, a new or empty folder, "
                                               "and prints the progress. Exit code 0: moved; 1: refused or "
                                               "failed, the game stays where it was; 2: could not run."),
                                QStringLiteral("DIR")),
        {}, nullptr};
    verb.run = [](const CommandLine::Context &context) {
        return run(context.parser.value(QStringLiteral("move-install")), context.out, context.err);
    };
    return verb;
}

int InstallMoveCommand::run(const QString &to, QTextStream &out, QTextStream &err)
{
    if (to.trimmed().isEmpty()) {
        err << QCoreApplication::translate("InstallMoveCommand", "Name the folder to move the game to.") << "\n";
        return CommandLine::CouldNotRun;
    }
    // The launcher's own guard, held for the whole move: a launcher that runs
    // refuses the move (and comes forward, as for any second start), and one
    // started meanwhile hands over to this process and leaves.
    SingleInstanceGuard guard(SingleInstanceGuard::launcherKey());
    if (guard.claim() != SingleInstanceGuard::First) {
        err << QCoreApplication::translate(
            "InstallMoveCommand", "The launcher is running. Close it, then move the game.")
            << "\n";
        return CommandLine::Refused;
    }
    if (!gameInstalled()) {
        err << QCoreApplication::translate("InstallMover", "There is no installed game to move.") << "\n";
        return CommandLine::Refused;
    }
    InstallMover::Collaborators c = InstallMover::forRecordedGame();
    c.gameRunning = gameProcessRunning;
    InstallMover mover(c);
    int lastPercent = -1;
    QObject::connect(
        &mover, &InstallMover::progress, &mover, [&](qint64 bytes, qint64 total, int files, int totalFiles) {
            const int percent = total > 0 ? int(bytes * 100 / total) : 100;
            if (percent == lastPercent && files != totalFiles)
                return;
            lastPercent = percent;
            out << InstallMover::progressText(bytes, total, files, totalFiles) << "\n";
            out.flush();
        });
    int code = CommandLine::CouldNotRun;
    bool ended = false;
    QObject::connect(
        &mover, &InstallMover::finished, &mover, [&](InstallMover::Outcome outcome, const QString &message) {
            ended = true;
            (outcome == InstallMover::Outcome::Moved ? out : err) << message << "\n";
            code = outcome == InstallMover::Outcome::Moved ? CommandLine::Done : CommandLine::Refused;
            QCoreApplication::exit(code);
        });
    out << InstallMover::startText(c.from, QFileInfo(to).absoluteFilePath()) << "\n";
    out.flush();
    // Ctrl+C or SIGTERM stop the copy: its staging folder is removed and the
    // game stays where it was. The loop runs on until the mover says so.
    OrderlyQuit quit;
    quit.addStopHook([&mover] { mover.cancel(); });
    quit.watchTerminationSignals();
    mover.start(to);
    QCoreApplication::exec();
    if (!ended)
        QCoreApplication::exec();
    return code;
}
