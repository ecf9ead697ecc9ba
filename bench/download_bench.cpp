// Drives the download engines the way the launcher does, for bench/download.sh and
// for the download tests that need a separate process (a killed download, a full disk).
//   download_bench <app folder> package <package size> <url>...
//       a package through KVDownloadTaskManager into <app folder>/Downloads
//   download_bench <app folder> smallfiles <package size> <document url> <install folder>
//       a small-files document through DownloadFilesManager
// Options before the folder: --speed KIB (the "downloadspeed" setting), --verbose
// (the engine's log on standard error), --peak-rss (print the peak resident memory),
// --ca FILE (also trust the PEM certificates in FILE, for a host with a test certificate).
// Prints one line per event ("progress <bytes present>", "finished <code>",
// "error <url> <code>", "dirspace", "stopped") and the wall time in seconds last.
// Exits 0 on success, 1 on a download error, 2 on a full disk, 3 on bad usage.

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "benchapp.h"
#include "download/downloadfilesmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "install/gamefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTextStream>

#include <cstdio>

namespace {

bool g_verbose = false;

void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (g_verbose || (type != QtDebugMsg && type != QtInfoMsg))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void trustCertificates(const QString &path)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    for (const QSslCertificate &certificate : QSslCertificate::fromPath(path))
        configuration.addCaCertificate(certificate);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quietHandler);
    QStringList args = app.arguments().mid(1);
    int speed = 0;
    bool peakRss = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--speed") && !args.isEmpty())
            speed = args.takeFirst().toInt();
        else if (option == QLatin1String("--verbose"))
            g_verbose = true;
        else if (option == QLatin1String("--peak-rss"))
            peakRss = true;
        else if (option == QLatin1String("--ca") && !args.isEmpty())
            trustCertificates(args.takeFirst());
    }
    if (args.size() < 4 || (args.at(1) != QLatin1String("package") && args.at(1) != QLatin1String("smallfiles"))
        || (args.at(1) == QLatin1String("smallfiles") && args.size() < 5)) {
        std::fprintf(stderr,
            "usage: download_bench [--speed KIB] [--verbose] [--peak-rss] [--ca FILE] <app folder> "
            "package <size> <url>... | smallfiles <size> <document url> <install folder>\n");
        return 3;
    }
    const QString appDir = args.at(0);
    useBenchAppFolder(appDir);
    if (speed > 0)
        LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"), speed);
    else
        LauncherConfig::instance()->removeKey(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"));

    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.updateType = 1;
    record.packageSize = args.at(2).toLongLong();
    DownloadInterface *engine = nullptr;
    if (args.at(1) == QLatin1String("package")) {
        record.packageUrls = args.mid(3);
        engine = new KVDownloadTaskManager(&app);
    } else {
        record.downloadType = 1;
        record.packageJson = args.at(3);
        record.packageUrls = QStringList {args.at(3)};
        GameFiles::instance()->setInstallDir(args.at(4));
        engine = new DownloadFilesManager(&app);
    }

    QElapsedTimer clock;
    int rc = 0;
    QObject::connect(engine, &DownloadInterface::signalDownloadProcess, [](const KorvaneObject::DownloadingInfo &info) {
        say(QStringLiteral("progress %1 %2% %3 %4")
                .arg(info.downloadedSize, info.percent, info.downloadSpeed, info.timeLeft));
    });
    QObject::connect(engine, &DownloadInterface::signalReplyFinished, [&](int code, const QString &total) {
        say(QStringLiteral("finished %1 %2").arg(code).arg(total));
        app.quit();
    });
    QObject::connect(engine, &DownloadInterface::signalDownloadError, [&](const QString &url, int code) {
        say(QStringLiteral("error %1 %2").arg(url).arg(code));
        rc = 1;
        app.quit();
    });
    QObject::connect(engine, &DownloadInterface::signalDirSpaceLimit, [&](const QString &total) {
        say(QStringLiteral("dirspace %1").arg(total));
        rc = 2;
    });
    QObject::connect(engine, &DownloadInterface::signalDownloadStop, [&] {
        say(QStringLiteral("stopped"));
        if (rc == 0)
            rc = 1;
        app.quit();
    });
    clock.start();
    engine->startDownload(record);
    app.exec();
    if (peakRss)
        say(QStringLiteral("peak-rss-kb %1").arg(peakRssKb()));
    say(QString::number(double(clock.nsecsElapsed()) / 1e9, 'f', 3));
    return rc;
}
