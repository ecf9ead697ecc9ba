#include "extract/verifycommand.h"

#include "app/singleinstanceguard.h"
#include "extract/gamerepair.h"
#include "install/gamefiles.h"
#include "install/gameverify.h"
#include "install/installmanifest.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

namespace {

QString progressLine(const QString &phase, const VerifyProgress &p)
{
    QString line = QStringLiteral("%1: %2/%3 files, %4/%5 MB")
                       .arg(phase)
                       .arg(p.filesDone)
                       .arg(p.filesTotal)
                       .arg(p.bytesDone >> 20)
                       .arg(p.bytesTotal >> 20);
    if (p.secondsLeft >= 0)
        line += QStringLiteral(", about %1 s left").arg(p.secondsLeft);
    return line;
}

int exitCode(const VerifyReport &report)
{
    switch (report.outcome) {
    case VerifyReport::Outcome::Intact:
        return 0;
    case VerifyReport::Outcome::Damaged:
        return 1;
    default:
        return 2;
    }
}

void print(const VerifyReport &report, bool json, QTextStream &out)
{
    if (json)
        out << QJsonDocument(report.toJson()).toJson(QJsonDocument::Indented);
    else
        out << report.toText();
    out.flush();
}

VerifyReport runCheck(const QString &dir, const InstallManifest &manifest, VerifyMode mode, QTextStream &err)
{
    GameVerifier verifier;
    QEventLoop loop;
    VerifyReport report;
    const QString phase = mode == VerifyMode::Full ? QStringLiteral("full check") : QStringLiteral("quick check");
    QObject::connect(&verifier, &GameVerifier::progress, &loop, [&](const VerifyProgress &p) {
        err << progressLine(phase, p) << '\n';
        err.flush();
    });
    QObject::connect(&verifier, &GameVerifier::finished, &loop, [&](const VerifyReport &done) {
        report = done;
        loop.quit();
    });
    verifier.start(dir, manifest, mode);
    loop.exec();
    return report;
}

VerifyReport runRepair(const QString &dir, const InstallManifest &manifest, const VerifyReport &found, QTextStream &err)
{
    GameRepair repair(dir, manifest);
    QEventLoop loop;
    VerifyReport report = found;
    QObject::connect(&repair, &GameRepair::progress, &loop, [&](const QString &phase, qint64 done, qint64 total) {
        err << QStringLiteral("repair, %1: %2/%3").arg(phase).arg(done).arg(total) << '\n';
        err.flush();
    });
    QObject::connect(&repair, &GameRepair::finished, &loop, [&](const VerifyReport &done) {
        report = done;
        loop.quit();
    });
    repair.start(found);
    loop.exec();
    return report;
}

} // namespace

CommandLine::Verb VerifyCommand::verb()
{
    CommandLine::Verb verb {
        QCommandLineOption(QStringLiteral("verify"),
            QStringLiteral("Checks the installed game's files against the record of its install: each "
                           "present with its size. Exit code 0: intact or repaired; 1: damage left; "
                           "2: could not check.")),
        {QCommandLineOption(QStringLiteral("full"), QStringLiteral("With --verify: checks every file's digest too.")),
            QCommandLineOption(QStringLiteral("repair"),
                QStringLiteral("With --verify: fetches again what is missing or damaged, then checks again.")),
            QCommandLineOption(
                QStringLiteral("json"), QStringLiteral("With --verify: the report as one JSON object."))},
        nullptr};
    verb.run = [](const CommandLine::Context &context) {
        VerifyCommandOptions options;
        options.full = context.parser.isSet(QStringLiteral("full"));
        options.repair = context.parser.isSet(QStringLiteral("repair"));
        options.json = context.parser.isSet(QStringLiteral("json"));
        // A repair writes into the game folder: never beside a running launcher,
        // which may be installing or playing. The guard is held to the end.
        SingleInstanceGuard guard(SingleInstanceGuard::launcherKey());
        if (options.repair && guard.claim() != SingleInstanceGuard::First) {
            context.err << QStringLiteral("The launcher is running; close it before a repair.") << "\n";
            return int(CommandLine::Refused);
        }
        return runVerifyCommand(options, context.out, context.err);
    };
    return verb;
}

int runVerifyCommand(const VerifyCommandOptions &options, QTextStream &out, QTextStream &err)
{
    GameFiles *files = GameFiles::instance();
    VerifyReport report;
    const QString version = files->installedVersion();
    InstallManifest manifest;
    if (version.isEmpty() || files->status() != InstallStatus::Installed) {
        report.error = QStringLiteral("no game is installed (or an install is under way)");
    } else if (!InstallManifest::load(InstallManifest::pathOf(version), &manifest, &report.error)) {
        report.error += QStringLiteral("; version %1 was installed without a record of its files").arg(version);
    } else {
        const QString dir = files->installDir();
        report = runCheck(dir, manifest, options.full ? VerifyMode::Full : VerifyMode::Quick, err);
        if (options.repair && report.outcome == VerifyReport::Outcome::Damaged) {
            print(report, false, err);
            report = runRepair(dir, manifest, report, err);
        }
    }
    report.version = version;
    print(report, options.json, out);
    return exitCode(report);
}
