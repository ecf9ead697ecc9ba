#pragma once

#include <QSet>
#include <QString>
#include <QVector>

#include "install/installmanifest.h"

struct archive_entry;
#include <QtGlobal>

#include <atomic>
#include <functional>

// Limits that keep one archive from filling the disk. A package names the size
// it unpacks to ("origin_<bytes>_size"); an archive that claims or writes well
// past that, or that would leave the drive nearly full, or that holds an absurd
// number of entries, is taken for a decompression bomb and stopped. An archive
// whose name declares nothing (the background video, anything a server sends)
// may unpack to a multiple of its own size: real content packs by a small
// factor, a bomb by hundreds or thousands.
struct ExtractLimits
{
    qint64 declaredSize = 0; // unpacked bytes the file name declares; 0 when it declares none
    qint64 maxEntries = 1000000; // a full game holds some ten thousand files
    qint64 minFreeSpace = 32LL * 1024 * 1024; // stop before the drive is this close to full
    qint64 maxRatio = 100; // unpacked bytes per archive byte when nothing is declared
    qint64 ratioFloor = 64LL * 1024 * 1024; // a small archive may always unpack to this much
    qint64 maxSize = 1LL << 40; // what this use accepts at most, declared or not
};

// Extracts one Zip or 7z archive into a folder through libarchive. The format
// is recognised from the content, never from the name. Shared by the two
// archive workers; it runs on the caller's thread and reports through plain
// callbacks.
//
// Every archive is hostile until proven otherwise: a first pass over the
// headers (cheap for both formats: Zip reads its central directory, 7z skips
// solid blocks without decoding them) refuses absolute names, "..", links that
// lead out of the folder, special files, too many entries and a declared size
// far past the name's, before anything is written. The second pass checks
// every entry again, refuses to write through symbolic links, and counts the
// bytes as they are written, so a lying header cannot get past the limits
// either. Data is written block by block as it is decoded.
class ArchiveExtractor
{
public:
    enum class Result { Ok, Failed, Cancelled };

    struct Callbacks
    {
        std::function<void(qint64 total)> total; // once, before the first entry is written
        // Bytes written so far, throttled; always below the total until the archive is done,
        // so that a value equal to the total means "complete".
        std::function<void(qint64 done)> progress;
        std::function<void(const QString &name)> file; // each entry, before it is written
    };

    ArchiveExtractor(const QString &archivePath, const QString &outputDir);

    void setLimits(const ExtractLimits &limits) { m_limits = limits; }
    // Checked before every entry and every data block; may be set from any thread.
    void setCancelFlag(const std::atomic_bool *flag) { m_cancel = flag; }

    Result run(const Callbacks &callbacks);

    // Keeps the place, size and XXH3-128 of every file written (writtenFiles() after run()).
    void setRecordFiles(bool on) { m_record = on; }
    QVector<ManifestEntry> writtenFiles() const { return m_files; }
    // Writes only the regular files at these places (as cleanPath() gives them, UTF-8) and
    // passes over every other entry; empty: every entry.
    void setOnlyEntries(const QSet<QByteArray> &places) { m_only = places; }

    // Valid after run(): the readable reason of a failure, and the bytes written.
    QString errorString() const { return m_error; }
    // Valid after a failed run(): the fault lies in the archive itself (not an archive, damaged,
    // hostile, a bomb, entries that are not what their headers say), so the file is of no use
    // and is best fetched again. False when the drive or the folder failed.
    bool archiveRejected() const { return m_rejected; }
    qint64 totalSize() const { return m_total; }
    qint64 writtenSize() const { return m_written; }

    // The unpacked size a package file name declares between the first "origin_" and
    // the first "_size"; 0 when it declares none.
    static qint64 declaredSize(const QString &fileName);

    // Why an entry must not be written, or an empty text when it may. `path`, `symlink` and
    // `hardlink` are the entry's names as stored; `type` is its libarchive file type
    // (AE_IFREG, AE_IFDIR, AE_IFLNK, ...; 0 for a hard link without a type). `pathIsText` is
    // false for a name that is no text in the archive's encoding (a legacy code page): its bytes
    // come one per character, and "\" is one of its bytes, not a separator.
    static QString entryProblem(
        const QString &path, unsigned type, const QString &symlink, const QString &hardlink, bool pathIsText = true);

    // The entry path reduced to its plain components joined by "/" ("." and empty ones dropped,
    // "\" taken as a separator as Windows tools write it, unless the name is no text). Empty for
    // the folder itself.
    static QString cleanPath(const QString &path, bool isText = true);

private:
    struct Pass;
    struct EntryData;

    bool scan();
    // The second pass: every entry written, in the archive's order.
    Result extract();
    Result extractEntry(Pass &pass, struct archive_entry *entry);
    // Writes one file's data blocks, within the limits.
    Result copyData(Pass &pass, EntryData &data);
    // Whether `grown` more bytes stay within the allowance and leave the drive room.
    Result checkRoom(Pass &pass, qint64 grown);
    // A failed write: the drive is named when it is full.
    Result writeFailed(Pass &pass);
    QString driveFullText(const QString &archiveName, qint64 freeBytes) const;
    Result failed(const QString &message);
    Result rejected(const QString &message);
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    bool fail(const QString &message);
    bool reject(const QString &message);
    qint64 allowance() const;
    QString allowanceText() const;

    QString m_archivePath;
    QString m_outputDir;
    ExtractLimits m_limits;
    const std::atomic_bool *m_cancel = nullptr;
    Callbacks m_callbacks;
    QString m_error;
    bool m_rejected = false;
    qint64 m_archiveSize = 0;
    qint64 m_total = 0;
    qint64 m_entries = 0;
    qint64 m_written = 0;
    bool m_record = false;
    QVector<ManifestEntry> m_files;
    QSet<QByteArray> m_only;
};
