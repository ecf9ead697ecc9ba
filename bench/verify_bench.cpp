// Drives the installed-files check the way the launcher does, for bench/verify.sh.
//   verify_bench record <tree> <manifest>
//       lists every file of the tree with its size and XXH3-128 (read once) and writes
//       the manifest; prints "<xxh128>  <relative path>" per file, as "xxhsum -H2" does
//   verify_bench verify <tree> <manifest>
//       the full check of the tree against the manifest; exits 1 unless it is intact
//   verify_bench extract <archive> <output folder> --record|--plain
//       one archive through ArchiveExtractor, recording each file's digest or not
// Prints the wall time in seconds on the last line (standard error); with
// VERIFY_BENCH_PHASES set, verify also prints the CPU spent before and during the check.

#include "extract/archiveextractor.h"
#include "install/gameverify.h"
#include "install/installmanifest.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <ctime>

namespace {

int record(const QString &tree, const QString &path)
{
    InstallManifest manifest;
    manifest.version = QStringLiteral("bench");
    QDirIterator it(tree, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QByteArray block(1 << 20, Qt::Uninitialized);
    StreamXxh128 hash;
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        hash.reset();
        qint64 n;
        while ((n = file.read(block.data(), block.size())) > 0)
            hash.add(block.constData(), size_t(n));
        ManifestEntry entry;
        entry.place = QFile::encodeName(file.fileName().mid(tree.size() + 1));
        entry.size = file.size();
        entry.xxh128 = hash.hexResult();
        std::printf("%s  %s\n", entry.xxh128.constData(), entry.place.constData());
        manifest.put(entry);
    }
    return manifest.save(path) ? 0 : 1;
}

int verify(const QString &tree, const QString &path)
{
    InstallManifest manifest;
    QString error;
    if (!InstallManifest::load(path, &manifest, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const std::clock_t cpu = std::clock();
    const VerifyReport report = verifyInstall(tree, manifest, VerifyMode::Full);
    if (qEnvironmentVariableIsSet("VERIFY_BENCH_PHASES"))
        std::fprintf(stderr, "before the check %.1f ms cpu, the check %.1f ms cpu\n", cpu * 1000.0 / CLOCKS_PER_SEC,
            (std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
    if (report.outcome != VerifyReport::Outcome::Intact) {
        std::fprintf(stderr, "%s", qPrintable(report.toText()));
        return 1;
    }
    return 0;
}

int extract(const QString &archive, const QString &out, bool recordFiles)
{
    ArchiveExtractor extractor(archive, out);
    extractor.setRecordFiles(recordFiles);
    if (extractor.run({}) != ArchiveExtractor::Result::Ok) {
        std::fprintf(stderr, "%s\n", qPrintable(extractor.errorString()));
        return 1;
    }
    return recordFiles && extractor.writtenFiles().isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    // No application object: the check needs none, and xxhsum starts without one too.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QElapsedTimer clock;
    clock.start();
    int rc = 2;
    if (args.size() == 3 && args[0] == QLatin1String("record"))
        rc = record(args[1], args[2]);
    else if (args.size() == 3 && args[0] == QLatin1String("verify"))
        rc = verify(args[1], args[2]);
    else if (args.size() == 4 && args[0] == QLatin1String("extract"))
        rc = extract(args[1], args[2], args[3] == QLatin1String("--record"));
    else
        std::fprintf(stderr,
            "usage: verify_bench record|verify <tree> <manifest> | extract <archive> <out> "
            "--record|--plain\n");
    std::fprintf(stderr, "%.3f\n", clock.elapsed() / 1000.0);
    return rc;
}
