// The launcher's side of bench/install.sh: the real main window installing the
// game from the given service into a fresh application folder, as a player
// would. Prints "installed <wall ms> <cpu ms> <peak bytes>", the CPU time
// being user + system of the whole process and the peak the most the
// application folder held (archives, partial files and the game), sampled
// every 20 ms.
//   install_bench <application folder> <service base>

#include "app/language.h"
#include "support/autoinstaller.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <sys/resource.h>

static qint64 bytesIn(const QString &folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: install_bench <application folder> <service base>\n", stderr);
        return 2;
    }
    quillmereInitUiResources();
    QTranslator translator; // the window's texts in English, as a player's launcher shows them
    if (translator.load(Language::translationFile(1)))
        QCoreApplication::installTranslator(&translator);
    TestEnv env(QString::fromLocal8Bit(argv[1]), 1);
    QElapsedTimer elapsed;
    elapsed.start();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    qint64 peak = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &app, [&] { peak = qMax(peak, bytesIn(folder)); });
    sampler.start(20);
    AutoInstaller installer(QString::fromLocal8Bit(argv[2]), -1, false);
    QObject::connect(&installer, &AutoInstaller::installed, &app, [&] {
        peak = qMax(peak, bytesIn(folder));
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const qint64 cpuMs = (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
        std::printf("installed %lld %lld %lld\n", static_cast<long long>(elapsed.elapsed()),
            static_cast<long long>(cpuMs), static_cast<long long>(peak));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    installer.start();
    return QApplication::exec();
}
