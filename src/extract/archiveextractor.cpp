#include "extract/archiveextractor.h"

#include "app/fileutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <limits>
#include <memory>

namespace {

// Large read blocks let libarchive hand out decoded data with fewer copies.
constexpr size_t kReadBlock = 1024 * 1024;
constexpr qint64 kMiB = 1024 * 1024;
// How much may be written between two looks at the drive's free space.
constexpr qint64 kFreeSpaceStep = 16 * kMiB;
constexpr qint64 kProgressIntervalMs = 100;

struct ReadFree
{
    void operator()(struct archive *a) const { archive_read_free(a); }
};
struct WriteFree
{
    void operator()(struct archive *a) const { archive_write_free(a); }
};
using Reader = std::unique_ptr<struct archive, ReadFree>;
using Writer = std::unique_ptr<struct archive, WriteFree>;

QString libError(struct archive *a)
{
    const char *text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}

// An entry name in Unicode: the archive's own encoding converted by libarchive,
// or the raw bytes when the conversion fails.
QString entryText(const char *utf8, const char *raw)
{
    if (utf8)
        return QString::fromUtf8(utf8);
    return raw ? QFile::decodeName(raw) : QString();
}

QString entryPath(struct archive_entry *e)
{
    return entryText(archive_entry_pathname_utf8(e), archive_entry_pathname(e));
}

QString entrySymlink(struct archive_entry *e)
{
    return entryText(archive_entry_symlink_utf8(e), archive_entry_symlink(e));
}

QString entryHardlink(struct archive_entry *e)
{
    return entryText(archive_entry_hardlink_utf8(e), archive_entry_hardlink(e));
}

QStringList components(const QString &path)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList parts = path.split(separators, Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    return parts;
}

bool isAbsolute(const QString &path)
{
    if (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return true;
    // "C:..." is a Windows drive path even without a separator after the colon.
    return path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter();
}

bool addSize(qint64 &sum, qint64 add)
{
    if (add < 0)
        add = 0;
    if (sum > std::numeric_limits<qint64>::max() - add)
        return false;
    sum += add;
    return true;
}

} // namespace

ArchiveExtractor::ArchiveExtractor(const QString &archivePath, const QString &outputDir)
    : m_archivePath(archivePath)
    , m_outputDir(outputDir)
{ }

qint64 ArchiveExtractor::declaredSize(const QString &fileName)
{
    const QString open = QStringLiteral("origin_");
    const int start = fileName.indexOf(open);
    const int end = fileName.indexOf(QStringLiteral("_size"));
    if (start < 0 || end < start + open.size())
        return 0;
    bool ok = false;
    const qint64 value = fileName.mid(start + open.size(), end - start - open.size()).toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

QString ArchiveExtractor::cleanPath(const QString &path)
{
    return components(path).join(QLatin1Char('/'));
}

QString ArchiveExtractor::entryProblem(
    const QString &path, unsigned type, const QString &symlink, const QString &hardlink)
{
    if (path.isEmpty())
        return QStringLiteral("an entry has no name");
    if (isAbsolute(path))
        return QStringLiteral("entry \"%1\" has an absolute path").arg(path);
    const QStringList parts = components(path);
    if (parts.contains(QStringLiteral("..")))
        return QStringLiteral("entry \"%1\" leads out of the folder").arg(path);

    const bool isHardlink = !hardlink.isEmpty();
    if (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK && !(type == 0 && isHardlink))
        return QStringLiteral("entry \"%1\" is a special file (type %2)").arg(path).arg(type, 0, 8);
    if (parts.isEmpty() && type != AE_IFDIR)
        return QStringLiteral("entry \"%1\" names the folder itself").arg(path);

    if (isHardlink) {
        if (isAbsolute(hardlink) || components(hardlink).contains(QStringLiteral("..")))
            return QStringLiteral("entry \"%1\" is a hard link that leads out of the folder").arg(path);
        if (components(hardlink).isEmpty())
            return QStringLiteral("entry \"%1\" is a hard link to the folder itself").arg(path);
    }

    if (type == AE_IFLNK) {
        if (symlink.isEmpty())
            return QStringLiteral("entry \"%1\" is a symbolic link without a target").arg(path);
        if (isAbsolute(symlink))
            return QStringLiteral("entry \"%1\" is a symbolic link to an absolute path").arg(path);
        // The target may climb with leading ".." through the real folders that hold the link,
        // never further than the output folder. A ".." after a name is refused: that name may
        // itself be a link (now or made by a later entry), and climbing out of it leaves the
        // folder no matter how the text reads.
        const int depth = parts.size() - 1;
        int up = 0;
        bool descended = false;
        for (const QString &part : components(symlink)) {
            if (part == QLatin1String("..")) {
                if (descended)
                    return QStringLiteral("entry \"%1\" is a symbolic link whose target climbs back (\"%2\")")
                        .arg(path, symlink);
                ++up;
            } else {
                descended = true;
            }
        }
        if (up > depth)
            return QStringLiteral("entry \"%1\" is a symbolic link that leads out of the folder (\"%2\")")
                .arg(path, symlink);
    }
    return QString();
}

qint64 ArchiveExtractor::allowance() const
{
    const qint64 declared = m_limits.declaredSize;
    if (declared <= 0 || declared > std::numeric_limits<qint64>::max() / 2)
        return std::numeric_limits<qint64>::max();
    // Names are written by the publisher's packager and match the content; the slack only
    // absorbs rounding, while a bomb expands by orders of magnitude.
    return declared + declared / 4 + kMiB;
}

bool ArchiveExtractor::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

namespace {

Reader openReader(const QString &path, QString *error)
{
    Reader reader(archive_read_new());
    archive_read_support_format_zip(reader.get());
    archive_read_support_format_7zip(reader.get());
    // 7z needs to seek; a file opened by name can.
    if (archive_read_open_filename(reader.get(), QFile::encodeName(path).constData(), kReadBlock) != ARCHIVE_OK) {
        const QString name = QFileInfo(path).fileName();
        if (archive_format(reader.get()) == 0)
            *error = QStringLiteral("%1 is neither a Zip nor a 7z archive (%2)").arg(name, libError(reader.get()));
        else
            *error = QStringLiteral("cannot open %1: %2").arg(name, libError(reader.get()));
        return nullptr;
    }
    return reader;
}

// The header of the next entry; ARCHIVE_EOF at the end, ARCHIVE_FATAL with `error` set.
int nextHeader(struct archive *a, struct archive_entry **entry, const QString &archivePath, QString *error)
{
    const int r = archive_read_next_header(a, entry);
    if (r == ARCHIVE_EOF || r >= ARCHIVE_WARN)
        return r == ARCHIVE_EOF ? ARCHIVE_EOF : ARCHIVE_OK;
    const QString name = QFileInfo(archivePath).fileName();
    if (archive_format(a) == 0)
        *error = QStringLiteral("%1 is neither a Zip nor a 7z archive (%2)").arg(name, libError(a));
    else
        *error = QStringLiteral("%1 is damaged: %2").arg(name, libError(a));
    return ARCHIVE_FATAL;
}

} // namespace

bool ArchiveExtractor::scan()
{
    Reader reader = openReader(m_archivePath, &m_error);
    if (!reader)
        return false;
    const qint64 limit = allowance();
    struct archive_entry *entry = nullptr;
    for (;;) {
        if (cancelled())
            return false;
        const int r = nextHeader(reader.get(), &entry, m_archivePath, &m_error);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK)
            return false;
        if (++m_entries > m_limits.maxEntries)
            return fail(QStringLiteral("%1 holds more than %2 entries")
                            .arg(QFileInfo(m_archivePath).fileName())
                            .arg(m_limits.maxEntries));
        const QString problem
            = entryProblem(entryPath(entry), archive_entry_filetype(entry), entrySymlink(entry), entryHardlink(entry));
        if (!problem.isEmpty())
            return fail(problem);
        if (archive_entry_filetype(entry) == AE_IFREG && archive_entry_size_is_set(entry)
            && !addSize(m_total, archive_entry_size(entry)))
            m_total = std::numeric_limits<qint64>::max();
        if (m_total > limit)
            return fail(QStringLiteral("%1 unpacks to more than %2 bytes, far past the %3 its name declares")
                            .arg(QFileInfo(m_archivePath).fileName())
                            .arg(m_total)
                            .arg(m_limits.declaredSize));
    }
    return true;
}

ArchiveExtractor::Result ArchiveExtractor::extract()
{
    Reader reader = openReader(m_archivePath, &m_error);
    if (!reader)
        return Result::Failed;
    Writer writer(archive_write_disk_new());
    // Owners, ACLs, extended attributes and flags mean nothing for a game folder, and user
    // look-ups are slow, so only times and the permission bits (without set-id bits, under
    // the umask) are restored. libarchive refuses ".." and writing through a symbolic link
    // with these flags; entryProblem() covers what it lets through (links that point out).
    archive_write_disk_set_options(
        writer.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS);

    const qint64 limit = allowance();
    const QString name = QFileInfo(m_archivePath).fileName();
    qint64 nextSpaceCheck = 0;
    qint64 entries = 0;
    QElapsedTimer sinceReport;
    struct archive_entry *entry = nullptr;

    for (;;) {
        if (cancelled())
            return Result::Cancelled;
        const int r = nextHeader(reader.get(), &entry, m_archivePath, &m_error);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK)
            return Result::Failed;
        // The headers were checked by scan(); a second look costs little and does not trust
        // that the file is still the one scanned.
        const QString path = entryPath(entry);
        const unsigned type = archive_entry_filetype(entry);
        const QString symlink = entrySymlink(entry);
        const QString hardlink = entryHardlink(entry);
        const QString problem = entryProblem(path, type, symlink, hardlink);
        if (!problem.isEmpty() || ++entries > m_limits.maxEntries) {
            fail(problem.isEmpty() ? QStringLiteral("%1 changed while it was extracted").arg(name) : problem);
            return Result::Failed;
        }
        const QString relative = cleanPath(path);
        if (relative.isEmpty())
            continue; // the output folder itself
        const QString target = m_outputDir + QLatin1Char('/') + relative;
        archive_entry_copy_pathname(entry, QFile::encodeName(target).constData());
        if (!hardlink.isEmpty())
            archive_entry_copy_hardlink(
                entry, QFile::encodeName(m_outputDir + QLatin1Char('/') + cleanPath(hardlink)).constData());
        if (type == AE_IFLNK)
            archive_entry_copy_symlink(entry, QFile::encodeName(symlink).constData());
        // Keep the executable bits; make sure the launcher can rewrite what it installed.
        if (type == AE_IFDIR)
            archive_entry_set_perm(entry, (archive_entry_perm(entry) & 0777) | 0700);
        else if (type != AE_IFLNK)
            archive_entry_set_perm(entry, (archive_entry_perm(entry) & 0777) | 0600);

        if (m_callbacks.file)
            m_callbacks.file(relative);
        if (archive_write_header(writer.get(), entry) < ARCHIVE_WARN) {
            fail(QStringLiteral("cannot write %1: %2").arg(relative, libError(writer.get())));
            return Result::Failed;
        }

        if (type == AE_IFREG) {
            qint64 entryEnd = 0;
            for (;;) {
                if (cancelled())
                    return Result::Cancelled;
                const void *block = nullptr;
                size_t size = 0;
                la_int64_t offset = 0;
                const int rd = archive_read_data_block(reader.get(), &block, &size, &offset);
                if (rd == ARCHIVE_EOF)
                    break;
                if (rd < ARCHIVE_WARN) {
                    fail(QStringLiteral("%1 is damaged at %2: %3").arg(name, relative, libError(reader.get())));
                    return Result::Failed;
                }
                const qint64 end = qint64(offset) + qint64(size);
                const qint64 grown = end > entryEnd ? end - entryEnd : 0;
                if (m_written > limit - grown) {
                    writer.reset(); // close the file before removing it
                    QFile::remove(target);
                    fail(QStringLiteral("%1 expands past %2 bytes, far more than the %3 its name declares; stopped")
                             .arg(name)
                             .arg(limit)
                             .arg(m_limits.declaredSize));
                    return Result::Failed;
                }
                if (m_written + grown >= nextSpaceCheck) {
                    const qint64 free = FileUtil::freeSpace(m_outputDir);
                    if (free < m_limits.minFreeSpace + grown) {
                        writer.reset();
                        QFile::remove(target);
                        fail(QStringLiteral("the drive of %1 is full (%2 bytes free); %3 stopped")
                                 .arg(m_outputDir)
                                 .arg(free)
                                 .arg(name));
                        return Result::Failed;
                    }
                    nextSpaceCheck = m_written + grown + kFreeSpaceStep;
                }
                if (size > 0 && archive_write_data_block(writer.get(), block, size, offset) < ARCHIVE_WARN) {
                    fail(QStringLiteral("cannot write %1: %2").arg(relative, libError(writer.get())));
                    return Result::Failed;
                }
                entryEnd = qMax(entryEnd, end);
                m_written += grown;
                if (m_callbacks.progress && m_written < m_total
                    && (!sinceReport.isValid() || sinceReport.elapsed() >= kProgressIntervalMs)) {
                    m_callbacks.progress(m_written);
                    sinceReport.start();
                }
            }
        }
        if (archive_write_finish_entry(writer.get()) < ARCHIVE_WARN) {
            fail(QStringLiteral("cannot write %1: %2").arg(relative, libError(writer.get())));
            return Result::Failed;
        }
    }
    // Folder times and permissions are set last, when nothing more goes into them.
    if (archive_write_close(writer.get()) < ARCHIVE_WARN) {
        fail(QStringLiteral("cannot finish %1: %2").arg(name, libError(writer.get())));
        return Result::Failed;
    }
    return Result::Ok;
}

ArchiveExtractor::Result ArchiveExtractor::run(const Callbacks &callbacks)
{
    m_callbacks = callbacks;
    m_error.clear();
    m_total = m_entries = m_written = 0;

    if (!QFileInfo(m_archivePath).isFile()) {
        fail(QStringLiteral("cannot open %1: no such file").arg(m_archivePath));
        return Result::Failed;
    }
    // libarchive refuses to write through a symbolic link anywhere in a path, so the output
    // folder is named by its real path.
    QDir().mkpath(m_outputDir);
    const QString real = QFileInfo(m_outputDir).canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isDir()) {
        fail(QStringLiteral("cannot create the folder %1").arg(m_outputDir));
        return Result::Failed;
    }
    m_outputDir = real;

    if (!scan())
        return cancelled() && m_error.isEmpty() ? Result::Cancelled : Result::Failed;
    if (m_callbacks.total)
        m_callbacks.total(m_total);
    const Result result = extract();
    if (result == Result::Ok)
        m_total = qMax(m_total, m_written);
    return result;
}
