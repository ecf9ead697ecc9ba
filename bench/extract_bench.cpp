// Drives the archive workers the way the launcher does, for bench/extract.sh.
//   extract_bench <archive> <output folder>
//       one archive through a ZlibHelper on a worker thread
//   extract_bench --package <app folder> <install folder> <version> <url>...
//       a package through ZiplibManager; the archives are in <app folder>/Downloads
// Prints the wall time in seconds on the last line; exits 1 on an extraction error.

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "benchapp.h"
#include "extract/ziplibmanager.h"
#include "extract/zlibhelper.h"
#include "install/gamefiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QElapsedTimer clock;
    int rc = 0;

    if (args.size() >= 4 && args.first() == QLatin1String("--package")) {
        const QString appDir = args.at(1);
        useBenchAppFolder(appDir);
        GameFiles::instance()->setInstallDir(args.at(2));
        const QString version = args.at(3);
        GameFiles::instance()->clearUnzipRecords(version);
        ZiplibManager manager;
        QObject::connect(&manager, &ZiplibManager::unzipProgressFinish, &app, [&] { app.exit(0); });
        QObject::connect(&manager, &ZiplibManager::sigZipsError, &app, [&](const QString &, const QStringList &urls) {
            std::fprintf(stderr, "failed: %s\n", qPrintable(urls.join(' ')));
            app.exit(1);
        });
        clock.start();
        manager.startExtract(version, args.mid(4));
        rc = manager.isBusy() ? app.exec() : 0;
    } else if (args.size() == 2) {
        QThread thread;
        auto *helper = new ZlibHelper;
        helper->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, helper, &QObject::deleteLater);
        QObject::connect(helper, &ZlibHelper::sigProgress, &app, [&](const QString &, qlonglong v, qlonglong t) {
            if (v == t)
                app.exit(0);
        });
        QObject::connect(helper, &ZlibHelper::sigError, &app, [&](const QString &msg, const QString &) {
            std::fprintf(stderr, "%s\n", qPrintable(msg));
            app.exit(1);
        });
        thread.start();
        clock.start();
        emit helper->operation_signal_extract(QStringLiteral("bench"), args.at(0), args.at(1));
        rc = app.exec();
        thread.quit();
        thread.wait();
    } else {
        std::fprintf(stderr, "usage: extract_bench <archive> <out> | --package <app> <install> <version> <url>...\n");
        return 2;
    }
    std::printf("%.3f\n", clock.elapsed() / 1000.0);
    return rc;
}
