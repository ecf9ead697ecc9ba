// The launcher's side of bench/install.sh: the real main window installing the
// game from the given service into a fresh application folder, as a player
// would (download, then extraction). Prints "installed <wall ms> <cpu ms>",
// the CPU time being user + system of the whole process.
//   install_bench <application folder> <service base>

#include "support/autoinstaller.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: install_bench <application folder> <service base>\n", stderr);
        return 2;
    }
    quillmereInitUiResources();
    TestEnv env(QString::fromLocal8Bit(argv[1]), 1);
    QElapsedTimer elapsed;
    elapsed.start();
    AutoInstaller installer(QString::fromLocal8Bit(argv[2]), -1, false);
    QObject::connect(&installer, &AutoInstaller::installed, &app, [&elapsed] {
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const qint64 cpuMs = (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
        std::printf("installed %lld %lld\n", static_cast<long long>(elapsed.elapsed()), static_cast<long long>(cpuMs));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    installer.start();
    return QApplication::exec();
}
