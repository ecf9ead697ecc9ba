// quillmere-publisher: the publisher's services for one machine, and the release
// builder that writes what they serve. See publisher/README.md.

#include "publisherserver.h"
#include "releasebuilder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

void usage()
{
    std::fputs("usage:\n"
               "  quillmere-publisher [serve] --content DIR [--port N] [--verbose]\n"
               "        [--ignore-range] [--cut-body BYTES] [--stall-ms MS] [--status-500]\n"
               "        [--game-offline] [--fault-path PREFIX] [--cert FILE --key FILE]\n"
               "        [--files-host URL]\n"
               "  quillmere-publisher build --versions DIR --content DIR --game-id ID[,ID...]\n"
               "        [--name NAME] [--format 7z|zip] [--part-size BYTES] [--level N]\n"
               "        [--force VERSION]... [--hold VERSION]... [--small-files]\n"
               "  quillmere-publisher launcher --content DIR --tree DIR --version VERSION\n"
               "        [--message TEXT] [--hold]\n"
               "  quillmere-publisher publish --content DIR VERSION\n",
        stderr);
}

// Reads the value after option `i`, or fails with a message.
bool takeValue(const QStringList &args, int &i, QString *value)
{
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "quillmere-publisher: %s needs a value\n", qPrintable(args.at(i)));
        return false;
    }
    *value = args.at(++i);
    return true;
}

bool takeNumber(const QStringList &args, int &i, qint64 *number)
{
    QString text;
    if (!takeValue(args, i, &text))
        return false;
    bool ok = false;
    *number = text.toLongLong(&ok);
    if (!ok) {
        std::fprintf(
            stderr, "quillmere-publisher: %s wants a number, not %s\n", qPrintable(args.at(i - 1)), qPrintable(text));
        return false;
    }
    return true;
}

int build(const QStringList &args)
{
    ReleaseBuilder::Options options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        QString value;
        qint64 number = 0;
        if (arg == QLatin1String("--versions")) {
            if (!takeValue(args, i, &options.versionsDir))
                return 2;
        } else if (arg == QLatin1String("--content")) {
            if (!takeValue(args, i, &options.contentDir))
                return 2;
        } else if (arg == QLatin1String("--game-id")) {
            if (!takeValue(args, i, &value))
                return 2;
            options.gameIds += value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else if (arg == QLatin1String("--name")) {
            if (!takeValue(args, i, &options.name))
                return 2;
        } else if (arg == QLatin1String("--format")) {
            if (!takeValue(args, i, &options.format))
                return 2;
        } else if (arg == QLatin1String("--part-size")) {
            if (!takeNumber(args, i, &options.partSize))
                return 2;
        } else if (arg == QLatin1String("--level")) {
            if (!takeNumber(args, i, &number))
                return 2;
            options.level = static_cast<int>(number);
        } else if (arg == QLatin1String("--force")) {
            if (!takeValue(args, i, &value))
                return 2;
            options.forced << value;
        } else if (arg == QLatin1String("--small-files")) {
            options.smallFiles = true;
        } else if (arg == QLatin1String("--hold")) {
            if (!takeValue(args, i, &value))
                return 2;
            options.held << value;
        } else {
            std::fprintf(stderr, "quillmere-publisher build: unknown option %s\n", qPrintable(arg));
            usage();
            return 2;
        }
    }
    if (options.versionsDir.isEmpty() || options.contentDir.isEmpty()) {
        usage();
        return 2;
    }
    QString error;
    if (!ReleaseBuilder(options).run(&error)) {
        std::fprintf(stderr, "quillmere-publisher build: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

// Builds a release of the launcher itself from its application folder's files.
int launcher(const QStringList &args)
{
    ReleaseBuilder::LauncherRelease release;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--content")) {
            if (!takeValue(args, i, &release.contentDir))
                return 2;
        } else if (arg == QLatin1String("--tree")) {
            if (!takeValue(args, i, &release.treeDir))
                return 2;
        } else if (arg == QLatin1String("--version")) {
            if (!takeValue(args, i, &release.version))
                return 2;
        } else if (arg == QLatin1String("--message")) {
            if (!takeValue(args, i, &release.message))
                return 2;
        } else if (arg == QLatin1String("--hold")) {
            release.held = true;
        } else {
            std::fprintf(stderr, "quillmere-publisher launcher: unknown option %s\n", qPrintable(arg));
            usage();
            return 2;
        }
    }
    if (release.contentDir.isEmpty() || release.treeDir.isEmpty() || release.version.isEmpty()) {
        usage();
        return 2;
    }
    QString error;
    if (!ReleaseBuilder::buildLauncher(release, &error)) {
        std::fprintf(stderr, "quillmere-publisher launcher: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

int serve(const QStringList &args)
{
    PublisherServer::Options options;
    qint64 port = 8686;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        qint64 number = 0;
        if (arg == QLatin1String("--content")) {
            if (!takeValue(args, i, &options.contentDir))
                return 2;
        } else if (arg == QLatin1String("--port")) {
            if (!takeNumber(args, i, &port))
                return 2;
        } else if (arg == QLatin1String("--verbose")) {
            options.verbose = true;
        } else if (arg == QLatin1String("--files-host")) {
            if (!takeValue(args, i, &options.filesHost))
                return 2;
            while (options.filesHost.endsWith(QLatin1Char('/')))
                options.filesHost.chop(1);
        } else if (arg == QLatin1String("--ignore-range")) {
            options.faults.ignoreRange = true;
        } else if (arg == QLatin1String("--cut-body")) {
            if (!takeNumber(args, i, &options.faults.cutBodyAfter))
                return 2;
        } else if (arg == QLatin1String("--stall-ms")) {
            if (!takeNumber(args, i, &number))
                return 2;
            options.faults.stallMs = static_cast<int>(number);
        } else if (arg == QLatin1String("--status-500")) {
            options.faults.status500 = true;
        } else if (arg == QLatin1String("--game-offline")) {
            options.faults.gameOffline = true;
        } else if (arg == QLatin1String("--fault-path")) {
            if (!takeValue(args, i, &options.faults.pathPrefix))
                return 2;
        } else if (arg == QLatin1String("--cert")) {
            if (!takeValue(args, i, &options.certFile))
                return 2;
        } else if (arg == QLatin1String("--key")) {
            if (!takeValue(args, i, &options.keyFile))
                return 2;
        } else {
            std::fprintf(stderr, "quillmere-publisher: unknown option %s\n", qPrintable(arg));
            usage();
            return 2;
        }
    }
    if (options.contentDir.isEmpty() || port < 0 || port > 65535) {
        usage();
        return 2;
    }

    // SIGTERM and SIGINT are taken by one thread with sigwait, so the stop runs as a
    // normal call and not inside a signal handler. Blocked before any other thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PublisherServer server(options);
    if (!server.isValid()) {
        std::fprintf(stderr, "quillmere-publisher: cannot set up the server (certificate or key unusable?)\n");
        return 1;
    }
    const int bound = server.bind(static_cast<int>(port));
    if (bound < 0) {
        std::fprintf(stderr, "quillmere-publisher: cannot listen on 127.0.0.1:%lld\n", static_cast<long long>(port));
        return 1;
    }
    std::printf("%d\n", bound);
    std::fflush(stdout);
    std::fprintf(stderr, "quillmere-publisher: serving %s on 127.0.0.1:%d\n", qPrintable(options.contentDir), bound);

    std::thread waiter([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    });
    const bool ok = server.run();
    // The waiter may still sit in sigwait when the server ended on its own.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return ok ? 0 : 1;
}

// Publishes a release that was built held back: every game of the content
// folder offers it from the next request on (a running stand-in included).
int publish(const QStringList &args)
{
    QString contentDir;
    QString version;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--content")) {
            if (!takeValue(args, i, &contentDir))
                return 2;
        } else if (version.isEmpty() && !args.at(i).startsWith(QLatin1String("--"))) {
            version = args.at(i);
        } else {
            usage();
            return 2;
        }
    }
    if (contentDir.isEmpty() || version.isEmpty()) {
        usage();
        return 2;
    }
    int changed = 0;
    const QStringList games = QDir(contentDir + QStringLiteral("/games")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &game : games) {
        const QString path = contentDir + QStringLiteral("/games/") + game + QStringLiteral("/releases.json");
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        QJsonObject document = QJsonDocument::fromJson(in.readAll()).object();
        in.close();
        QJsonArray releases = document.value(QLatin1String("releases")).toArray();
        bool found = false;
        for (int r = 0; r < releases.size(); ++r) {
            QJsonObject release = releases.at(r).toObject();
            if (release.value(QLatin1String("version")).toString() != version)
                continue;
            found = true;
            release.insert(QStringLiteral("published"), true);
            releases.replace(r, release);
        }
        if (!found)
            continue;
        document.insert(QStringLiteral("releases"), releases);
        QSaveFile out(path);
        const QByteArray text = QJsonDocument(document).toJson();
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
            std::fprintf(stderr, "quillmere-publisher publish: cannot write %s\n", qPrintable(path));
            return 1;
        }
        ++changed;
    }
    // A launcher release of that version becomes the launcher service's answer.
    bool launcherOffered = false;
    if (QFile::exists(contentDir + QStringLiteral("/launcher/") + version + QStringLiteral(".json"))) {
        QString error;
        if (!ReleaseBuilder::offerLauncher(contentDir, version, &error)) {
            std::fprintf(stderr, "quillmere-publisher publish: %s\n", qPrintable(error));
            return 1;
        }
        launcherOffered = true;
        std::printf("published launcher %s\n", qPrintable(version));
    }
    if (changed == 0 && launcherOffered)
        return 0;
    if (changed == 0) {
        std::fprintf(stderr, "quillmere-publisher publish: no game of %s has a release %s\n", qPrintable(contentDir),
            qPrintable(version));
        return 1;
    }
    std::printf("published %s for %d game(s)\n", qPrintable(version), changed);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!args.isEmpty() && args.first() == QLatin1String("build"))
        return build(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("launcher"))
        return launcher(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("publish"))
        return publish(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("serve"))
        return serve(args.mid(1));
    if (!args.isEmpty() && (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))) {
        usage();
        return 0;
    }
    return serve(args);
}
