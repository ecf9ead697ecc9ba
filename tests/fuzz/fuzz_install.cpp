// Fuzzes what the update service controls: the version answer, the package
// answer with its full/differential choice, and the small-files document,
// whose destinations must never leave the game folder.
//
// Build and run (a separate build folder, clang):
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
//         -DCMAKE_CXX_COMPILER=clang++ -DQUILLMERE_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_install
//   mkdir -p build-fuzz/corpus-install && ASAN_OPTIONS=detect_leaks=0 build-fuzz/tests/fuzz/fuzz_install \
//         -max_total_time=300 -rss_limit_mb=2048 -max_len=65536 -detect_leaks=0 build-fuzz/corpus-install
//
// Leak checks off, per input and at exit: see fuzz_reply.cpp (Qt's own JSON
// parser leaks on repeated keys).
//
// The first input byte picks the parser, the rest is the text.

#include "install/gameversioninfo.h"

#include <QDir>
#include <QJsonDocument>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool samePackage(const PackageGroup &a, const PackageGroup &b)
{
    return a.downloadType == b.downloadType && a.packageUrls == b.packageUrls && a.packageRealSize == b.packageRealSize
        && a.packageSize == b.packageSize && a.packageJson == b.packageJson && a.packageMd5 == b.packageMd5;
}

void checkPackage(const PackageGroup &group)
{
    check(group.packageSize >= 0 && group.packageRealSize >= 0);
}

// Judged on its own terms, not through isSafeRelativePath: joined to a game
// folder and cleaned, the path stays strictly inside it.
bool staysInside(const QString &dest)
{
    const QString base = QStringLiteral("/game/folder");
    QString joined = dest;
    joined.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString clean = QDir::cleanPath(base + QLatin1Char('/') + joined);
    return clean.startsWith(base + QLatin1Char('/')) && clean.size() > base.size() + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);
    if (size == 0)
        return 0;

    const uint8_t mode = data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const QString text = QString::fromUtf8(bytes);

    switch (mode % 4) {
    case 0: { // version answer
        const GameVersionInfo info = GameVersionInfo::fromVersionReply(text);
        check(info.packageUrls.isEmpty() && info.packageSize == 0 && info.updateType == 0);
        if (!info.latestVersion.isEmpty())
            check(QJsonDocument::fromJson(text.toUtf8()).isObject());
        break;
    }
    case 1: { // package answer and the working record built from it
        const GameFileDownloadInfo resource = GameFileDownloadInfo::fromResourceReply(text);
        checkPackage(resource.fullPackage);
        checkPackage(resource.diffPackage);
        if (!resource.diffPackage.packageUrls.isEmpty()) {
            check(resource.updateType == 2 && samePackage(resource.chosenPackage, resource.diffPackage));
        } else {
            check(resource.updateType == 1 && samePackage(resource.chosenPackage, resource.fullPackage));
        }
        check(resource.offersPackage() == !resource.chosenPackage.packageUrls.isEmpty());
        GameVersionInfo info;
        info.takePackage(resource);
        check(info.latestVersion == resource.targetVersion && info.packageUrls == resource.chosenPackage.packageUrls
            && info.packageSize == resource.chosenPackage.packageSize && info.updateType == resource.updateType);
        check(info.isUnusable() == (info.packageUrls.isEmpty() || info.latestVersion.isEmpty()));
        break;
    }
    case 2: { // small-files document
        QString host;
        QList<DownloadFileInfo> files;
        const bool ok = parseSmallFilesDocument(bytes, &host, &files);
        if (!ok) {
            check(host.isEmpty() && files.isEmpty());
            break;
        }
        for (const DownloadFileInfo &file : files) {
            check(file.size >= 0);
            check(staysInside(file.dest));
        }
        break;
    }
    case 3: // the destination check alone, on any text
        if (isSafeRelativePath(text))
            check(staysInside(text));
        break;
    }
    return 0;
}
