#include "extract/archiveextractor.h"

#include "app/fileutil.h"
#include "extract/folderwriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
using Reader = std::unique_ptr<struct archive, ReadFree>;

QString libError(struct archive *a)
{
    const char *text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}

// An entry name as text: the archive's own encoding converted by libarchive. A name that is
// no text in it (a legacy code page without a marker, as old Zip tools write) keeps its raw
// bytes, one per character, and they become the Linux file name unchanged, as other Linux
// tools do: decoding them would turn every unknown byte into the same replacement character,
// and two different names into one.
struct Name
{
    QString text;
    bool isText = true;
};

Name entryName(const char *utf8, const char *raw)
{
    if (utf8)
        return {QString::fromUtf8(utf8), true};
    return {raw ? QString::fromLatin1(raw) : QString(), false};
}

QByteArray nameBytes(const QString &text, bool isText)
{
    return isText ? QFile::encodeName(text) : text.toLatin1();
}

Name entryPath(struct archive_entry *e)
{
    return entryName(archive_entry_pathname_utf8(e), archive_entry_pathname(e));
}

Name entrySymlink(struct archive_entry *e)
{
    return entryName(archive_entry_symlink_utf8(e), archive_entry_symlink(e));
}

Name entryHardlink(struct archive_entry *e)
{
    return entryName(archive_entry_hardlink_utf8(e), archive_entry_hardlink(e));
}

// Windows tools write "\" as a separator; in a name that is no text it is the second byte of
// a character (Shift-JIS) and splits nothing.
QStringList components(const QString &path, bool isText = true)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList parts
        = isText ? path.split(separators, Qt::SkipEmptyParts) : path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));
    return parts;
}

// Where an entry lands below the output folder, as the bytes of a file path; empty for the
// folder itself.
QByteArray placeOf(const Name &name)
{
    return nameBytes(components(name.text, name.isText).join(QLatin1Char('/')), name.isText);
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

QString ArchiveExtractor::cleanPath(const QString &path, bool isText)
{
    return components(path, isText).join(QLatin1Char('/'));
}

QString ArchiveExtractor::entryProblem(
    const QString &path, unsigned type, const QString &symlink, const QString &hardlink, bool pathIsText)
{
    if (path.isEmpty())
        return QStringLiteral("an entry has no name");
    if (isAbsolute(path))
        return QStringLiteral("entry \"%1\" has an absolute path").arg(path);
    const QStringList parts = components(path, pathIsText);
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
    constexpr qint64 unlimited = std::numeric_limits<qint64>::max();
    const qint64 cap = m_limits.maxSize > 0 ? m_limits.maxSize : unlimited;
    const qint64 declared = m_limits.declaredSize;
    // Names are written by the publisher's packager and match the content; the slack only
    // absorbs rounding, while a bomb expands by orders of magnitude.
    if (declared > 0)
        return qMin(cap, declared > unlimited / 2 ? unlimited : declared + declared / 4 + kMiB);
    const qint64 ratio = qMax<qint64>(1, m_limits.maxRatio);
    const qint64 byRatio = m_archiveSize > unlimited / ratio ? unlimited : m_archiveSize * ratio;
    return qMin(cap, qMax(m_limits.ratioFloor, byRatio));
}

QString ArchiveExtractor::allowanceText() const
{
    if (m_limits.declaredSize > 0 && allowance() < m_limits.maxSize)
        return QStringLiteral("far more than the %1 its name declares").arg(m_limits.declaredSize);
    if (m_limits.declaredSize <= 0 && allowance() < m_limits.maxSize)
        return QStringLiteral("far more than an archive of %1 bytes holds").arg(m_archiveSize);
    return QStringLiteral("more than this use accepts");
}

bool ArchiveExtractor::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool ArchiveExtractor::reject(const QString &message)
{
    if (m_error.isEmpty())
        m_rejected = true;
    return fail(message);
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

// A warning that a name could not be converted to the local encoding: the name is then read
// as raw bytes (entryName), so it harms nothing. Every other warning means damage.
bool isNameWarning(struct archive *a)
{
    const char *text = archive_error_string(a);
    return text && std::strstr(text, "cannot be converted");
}

// The header of the next entry; ARCHIVE_EOF at the end, ARCHIVE_FATAL with `error` set. A
// warning on a header (an inconsistent size or checksum between the two copies of a Zip
// header, a truncated archive) is damage: what could still be read is no complete install.
int nextHeader(struct archive *a, struct archive_entry **entry, const QString &archivePath, QString *error)
{
    const int r = archive_read_next_header(a, entry);
    if (r == ARCHIVE_EOF)
        return ARCHIVE_EOF;
    if (r == ARCHIVE_OK || (r == ARCHIVE_WARN && isNameWarning(a)))
        return ARCHIVE_OK;
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
    QString error;
    Reader reader = openReader(m_archivePath, &error);
    if (!reader)
        return reject(error);
    const qint64 limit = allowance();
    const QString archiveName = QFileInfo(m_archivePath).fileName();
    // Where each entry lands, and whether it is a folder: two entries on one path would have
    // the second silently replace the first.
    QHash<QByteArray, bool> places;
    struct archive_entry *entry = nullptr;
    for (;;) {
        if (cancelled())
            return false;
        const int r = nextHeader(reader.get(), &entry, m_archivePath, &error);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK)
            return reject(error);
        if (++m_entries > m_limits.maxEntries)
            return reject(QStringLiteral("%1 holds more than %2 entries").arg(archiveName).arg(m_limits.maxEntries));
        const Name path = entryPath(entry);
        const unsigned type = archive_entry_filetype(entry);
        const QString problem
            = entryProblem(path.text, type, entrySymlink(entry).text, entryHardlink(entry).text, path.isText);
        if (!problem.isEmpty())
            return reject(problem);
        const QByteArray place = placeOf(path);
        const bool isDir = type == AE_IFDIR;
        const auto seen = places.constFind(place);
        if (seen != places.constEnd() && !(isDir && seen.value()))
            return reject(QStringLiteral("%1 holds two entries for \"%2\"").arg(archiveName, path.text));
        places.insert(place, isDir);
        if (type == AE_IFREG && archive_entry_size_is_set(entry) && !addSize(m_total, archive_entry_size(entry)))
            m_total = std::numeric_limits<qint64>::max();
        if (m_total > limit)
            return reject(QStringLiteral("%1 unpacks to more than %2 bytes, %3")
                              .arg(archiveName)
                              .arg(m_total)
                              .arg(allowanceText()));
    }
    return true;
}

namespace {

FolderWriter::Times timesOf(struct archive_entry *e)
{
    FolderWriter::Times times;
    if (!archive_entry_mtime_is_set(e))
        return times;
    times.set = true;
    times.modified = {archive_entry_mtime(e), archive_entry_mtime_nsec(e)};
    if (archive_entry_atime_is_set(e))
        times.access = {archive_entry_atime(e), archive_entry_atime_nsec(e)};
    else
        times.access = {0, UTIME_NOW};
    return times;
}

} // namespace

// What the second pass carries from one entry to the next.
struct ArchiveExtractor::Pass
{
    Pass(Reader r, const QByteArray &root)
        : reader(std::move(r))
        , writer(root)
    { }
    Reader reader;
    FolderWriter writer;
    qint64 limit = 0;
    QString name; // the archive's file name, for messages
    qint64 nextSpaceCheck = 0;
    qint64 entries = 0;
    QElapsedTimer sinceReport;
};

// One data entry's blocks: where they go and how far they reached.
struct ArchiveExtractor::EntryData
{
    QString relative;
    qint64 declared = -1; // the size its header states; -1: none
    qint64 end = 0;
};

ArchiveExtractor::Result ArchiveExtractor::extract()
{
    QString error;
    Reader reader = openReader(m_archivePath, &error);
    if (!reader)
        return rejected(error);
    // Only times and the permission bits (without set-id bits, under the umask) are
    // restored: owners, ACLs, extended attributes and flags mean nothing for a game folder.
    // The writer opens every name relative to its folder and never through a link;
    // entryProblem() refuses what it would let through (links that point out).
    Pass pass(std::move(reader), QFile::encodeName(m_outputDir));
    if (!pass.writer.open())
        return failed(pass.writer.errorString());
    pass.writer.setRecording(m_record);
    pass.limit = allowance();
    pass.name = QFileInfo(m_archivePath).fileName();

    struct archive_entry *entry = nullptr;
    for (;;) {
        if (cancelled())
            return Result::Cancelled;
        const int r = nextHeader(pass.reader.get(), &entry, m_archivePath, &error);
        if (r == ARCHIVE_EOF)
            break;
        if (r != ARCHIVE_OK)
            return rejected(error);
        const Result result = extractEntry(pass, entry);
        if (result != Result::Ok)
            return result;
    }
    // Folder times are set last, when nothing more goes into them.
    if (!pass.writer.finish())
        return failed(QStringLiteral("cannot finish %1: %2").arg(pass.name, pass.writer.errorString()));
    if (m_record)
        m_files = pass.writer.writtenFiles();
    return Result::Ok;
}

ArchiveExtractor::Result ArchiveExtractor::extractEntry(Pass &pass, struct archive_entry *entry)
{
    // The headers were checked by scan(); a second look costs little and does not trust
    // that the file is still the one scanned.
    const Name path = entryPath(entry);
    const unsigned type = archive_entry_filetype(entry);
    const Name symlink = entrySymlink(entry);
    const Name hardlink = entryHardlink(entry);
    const QString problem = entryProblem(path.text, type, symlink.text, hardlink.text, path.isText);
    if (!problem.isEmpty() || ++pass.entries > m_limits.maxEntries)
        return rejected(
            problem.isEmpty() ? QStringLiteral("%1 changed while it was extracted").arg(pass.name) : problem);
    const QByteArray place = placeOf(path);
    if (place.isEmpty())
        return Result::Ok; // the output folder itself
    if (!m_only.isEmpty() && (type != AE_IFREG || !hardlink.text.isEmpty() || !m_only.contains(place)))
        return Result::Ok; // not asked for: its data is skipped by the next header
    EntryData data;
    data.relative = path.isText ? QString::fromUtf8(place) : QString::fromLatin1(place);
    if (m_callbacks.file)
        m_callbacks.file(data.relative);

    // Keep the executable bits; make sure the launcher can rewrite what it installed.
    const mode_t perm = archive_entry_perm(entry) & 0777;
    bool made;
    if (type == AE_IFDIR)
        made = pass.writer.makeFolder(place, perm | 0700, timesOf(entry));
    else if (type == AE_IFLNK)
        made = pass.writer.makeSymlink(place, nameBytes(symlink.text, symlink.isText), timesOf(entry));
    else if (!hardlink.text.isEmpty())
        made = pass.writer.makeHardlink(place, placeOf(hardlink));
    else
        made = pass.writer.beginFile(place, perm | 0600);
    if (!made)
        return writeFailed(pass);
    if (type != AE_IFREG && hardlink.text.isEmpty())
        return Result::Ok;

    // A hard link's header may state the size of the file it names, without data.
    data.declared = archive_entry_size_is_set(entry) && hardlink.text.isEmpty() ? archive_entry_size(entry) : -1;
    // A file that did not come out whole is removed, never left under its final name
    // looking installed.
    Result result = copyData(pass, data);
    // A short entry would otherwise be left looking whole (or be filled up to the size
    // its header states: a 5-byte entry that claims 4 GiB becoming a 4 GiB file).
    if (result == Result::Ok && data.declared >= 0 && data.end != data.declared) {
        result = rejected(QStringLiteral("%1 is damaged at %2: %3 bytes where the header declares %4")
                              .arg(pass.name, data.relative)
                              .arg(data.end)
                              .arg(data.declared));
    }
    if (result != Result::Ok) {
        pass.writer.abandonFile();
        return result;
    }
    if (!pass.writer.endFile(data.end, timesOf(entry)))
        return writeFailed(pass);
    return Result::Ok;
}

ArchiveExtractor::Result ArchiveExtractor::copyData(Pass &pass, EntryData &data)
{
    for (;;) {
        if (cancelled())
            return Result::Cancelled;
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int rd = archive_read_data_block(pass.reader.get(), &block, &size, &offset);
        if (rd == ARCHIVE_EOF)
            return Result::Ok;
        // libarchive reports a checksum mismatch as a warning, with the entry's last data.
        if (rd != ARCHIVE_OK) {
            return rejected(
                QStringLiteral("%1 is damaged at %2: %3").arg(pass.name, data.relative, libError(pass.reader.get())));
        }
        const qint64 end = qint64(offset) + qint64(size);
        if (offset < 0 || (data.declared >= 0 && end > data.declared)) {
            return rejected(QStringLiteral("%1 is damaged at %2: more data than the header declares (%3 bytes)")
                                .arg(pass.name, data.relative)
                                .arg(data.declared));
        }
        const qint64 grown = end > data.end ? end - data.end : 0;
        const Result room = checkRoom(pass, grown);
        if (room != Result::Ok)
            return room;
        if (size > 0 && !pass.writer.writeData(block, size, offset))
            return writeFailed(pass);
        data.end = qMax(data.end, end);
        m_written += grown;
        if (m_callbacks.progress && m_written < m_total
            && (!pass.sinceReport.isValid() || pass.sinceReport.elapsed() >= kProgressIntervalMs)) {
            m_callbacks.progress(m_written);
            pass.sinceReport.start();
        }
    }
}

ArchiveExtractor::Result ArchiveExtractor::checkRoom(Pass &pass, qint64 grown)
{
    if (m_written > pass.limit - grown) {
        return rejected(QStringLiteral("%1 expands past %2 bytes, %3; stopped")
                            .arg(pass.name)
                            .arg(pass.limit)
                            .arg(allowanceText()));
    }
    if (m_written + grown < pass.nextSpaceCheck)
        return Result::Ok;
    const qint64 free = FileUtil::freeSpace(m_outputDir);
    if (free < m_limits.minFreeSpace + grown)
        return failed(driveFullText(pass.name, free));
    pass.nextSpaceCheck = m_written + grown + kFreeSpaceStep;
    return Result::Ok;
}

ArchiveExtractor::Result ArchiveExtractor::writeFailed(Pass &pass)
{
    if (pass.writer.errorNumber() == ENOSPC || pass.writer.errorNumber() == EDQUOT)
        return failed(driveFullText(pass.name, FileUtil::freeSpace(m_outputDir)) + QStringLiteral(" (")
            + pass.writer.errorString() + QLatin1Char(')'));
    return failed(pass.writer.errorString());
}

QString ArchiveExtractor::driveFullText(const QString &archiveName, qint64 freeBytes) const
{
    return QStringLiteral("the drive of %1 is full (%2 bytes free); %3 stopped")
        .arg(m_outputDir)
        .arg(std::max<qint64>(0, freeBytes))
        .arg(archiveName);
}

ArchiveExtractor::Result ArchiveExtractor::failed(const QString &message)
{
    fail(message);
    return Result::Failed;
}

ArchiveExtractor::Result ArchiveExtractor::rejected(const QString &message)
{
    reject(message);
    return Result::Failed;
}

ArchiveExtractor::Result ArchiveExtractor::run(const Callbacks &callbacks)
{
    m_callbacks = callbacks;
    m_error.clear();
    m_rejected = false;
    m_total = m_entries = m_written = 0;

    const QFileInfo archive(m_archivePath);
    if (!archive.isFile()) {
        fail(QStringLiteral("cannot open %1: no such file").arg(m_archivePath));
        return Result::Failed;
    }
    m_archiveSize = archive.size();
    // The output folder is named by its real path: the folders and messages below it then
    // name what is really written.
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
