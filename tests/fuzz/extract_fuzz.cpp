// libFuzzer target: damaged and hostile archives through the archive worker. Each input is
// written to a file and extracted by ZlibHelper into <tmp>/out; the run must neither crash
// nor leave anything outside <tmp>/out (a sentinel folder beside it must stay empty, and no
// other name may appear beside it). The name declares 1 MiB unpacked, so a bomb is stopped
// after a few MiB.

#include "extract/zlibhelper.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *root()
{
    static QTemporaryDir dir;
    return &dir;
}

[[noreturn]] void escaped(const QString &what)
{
    qFatal("extract_fuzz: written outside the output folder: %s", qPrintable(what));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false;*.warning=false");
    QDir().mkpath(root()->filePath(QStringLiteral("outside")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString base = root()->path();
    const QString archive = base + QStringLiteral("/input_origin_1048576_size_1_md5_0.bin");
    const QString out = base + QStringLiteral("/out");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    ZlibHelper helper;
    ExtractLimits limits;
    limits.maxEntries = 5000;
    helper.setLimits(limits);
    helper.operation_slot_extract(QStringLiteral("fuzz"), archive, out);

    // Nothing beside the output folder but the input and the sentinel, and the sentinel empty.
    const QStringList names
        = QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name != QLatin1String("out") && name != QLatin1String("outside") && name != QFileInfo(archive).fileName())
            escaped(name);
    }
    if (!QDir(base + QStringLiteral("/outside")).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        escaped(QStringLiteral("outside/"));
    // Every link made points inside the output folder.
    const QString realOut = QFileInfo(out).canonicalFilePath();
    QDirIterator it(
        out, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (!info.isSymLink())
            continue;
        const QString target
            = QFileInfo(info.absolutePath() + QLatin1Char('/') + info.symLinkTarget()).absoluteFilePath();
        const QString clean
            = QDir::cleanPath(QFileInfo(info.symLinkTarget()).isAbsolute() ? info.symLinkTarget() : target);
        if (!realOut.isEmpty() && !clean.startsWith(realOut + QLatin1Char('/')) && clean != realOut)
            escaped(info.filePath() + QStringLiteral(" -> ") + info.symLinkTarget());
    }
    // QDir::removeRecursively removes links themselves, never what they point to.
    QDir(out).removeRecursively();
    return 0;
}
