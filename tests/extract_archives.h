#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QMetaType>

// Builders of small test archives, made at run time: libarchive's writer for the
// hand-shaped ones (hostile names, links), 7zz for the 7z variants it writes best, and a
// stored Zip written byte by byte for what no writer produces (names in a legacy code page,
// sizes that lie), plus the damage done to them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

namespace TestArchives {

struct Entry
{
    QByteArray path;
    QByteArray data;
    unsigned type = AE_IFREG;
    int perm = 0644;
    QByteArray symlink;
    QByteArray hardlink;
};

inline Entry file(const QByteArray &path, const QByteArray &data, int perm = 0644)
{
    return Entry {path, data, AE_IFREG, perm, {}, {}};
}
inline Entry dir(const QByteArray &path)
{
    return Entry {path, {}, AE_IFDIR, 0755, {}, {}};
}
inline Entry linkEntry(const QByteArray &path, const QByteArray &target)
{
    return Entry {path, {}, AE_IFLNK, 0777, target, {}};
}

enum class Format { Zip, SevenZip, Tar };

// `options` are libarchive's writer options ("7zip:compression=store", ...).
inline bool write(
    const QString &path, const QList<Entry> &entries, Format format = Format::Zip, const char *options = nullptr)
{
    struct archive *a = archive_write_new();
    if (format == Format::Zip)
        archive_write_set_format_zip(a);
    else if (format == Format::SevenZip)
        archive_write_set_format_7zip(a);
    else
        archive_write_set_format_pax_restricted(a);
    if ((options && archive_write_set_options(a, options) != ARCHIVE_OK)
        || archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK) {
        archive_write_free(a);
        return false;
    }
    for (const Entry &e : entries) {
        struct archive_entry *entry = archive_entry_new();
        archive_entry_copy_pathname(entry, e.path.constData());
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, e.perm);
        archive_entry_set_mtime(entry, 1700000000, 0);
        if (!e.symlink.isEmpty())
            archive_entry_copy_symlink(entry, e.symlink.constData());
        if (!e.hardlink.isEmpty())
            archive_entry_copy_hardlink(entry, e.hardlink.constData());
        archive_entry_set_size(entry, e.type == AE_IFREG ? e.data.size() : 0);
        archive_write_header(a, entry);
        if (e.type == AE_IFREG && !e.data.isEmpty())
            archive_write_data(a, e.data.constData(), e.data.size());
        archive_entry_free(entry);
    }
    const bool ok = archive_write_close(a) == ARCHIVE_OK;
    archive_write_free(a);
    return ok;
}

// One entry of a stored Zip: `name` as raw bytes, marked as UTF-8 or not (a legacy code page),
// and the uncompressed size its headers declare (-1: the true size).
struct RawZipEntry
{
    QByteArray name;
    QByteArray data;
    bool utf8 = true;
    qint64 declaredSize = -1;
};

// A Zip of stored entries, local headers then the central directory. A declared size past
// 32 bits goes into a Zip64 extra field.
inline QByteArray storedZip(const QList<RawZipEntry> &entries)
{
    QByteArray out;
    QByteArray central;
    auto le = [](QByteArray &to, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to += char((value >> (8 * i)) & 0xff);
    };
    for (const RawZipEntry &e : entries) {
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(e.data.constData()), uInt(e.data.size())));
        const qint64 declared = e.declaredSize < 0 ? e.data.size() : e.declaredSize;
        const bool zip64 = declared >= 0xffffffffLL;
        const quint32 size = zip64 ? 0xffffffffu : quint32(declared);
        const quint32 packed = zip64 ? 0xffffffffu : quint32(e.data.size());
        QByteArray extra;
        if (zip64) {
            le(extra, 0x0001, 2);
            le(extra, 16, 2);
            le(extra, quint32(declared), 4);
            le(extra, quint32(declared >> 32), 4);
            le(extra, quint32(e.data.size()), 4);
            le(extra, 0, 4);
        }
        const quint32 offset = quint32(out.size());
        const int flags = e.utf8 ? 0x0800 : 0;
        // signature, version needed, flags, method (stored), time, date (1 Jan 1980), crc, sizes, name, extra
        le(out, 0x04034b50, 4);
        le(out, zip64 ? 45 : 20, 2);
        le(out, flags, 2);
        le(out, 0, 2);
        le(out, 0, 2);
        le(out, 0x21, 2);
        le(out, crc, 4);
        le(out, packed, 4);
        le(out, size, 4);
        le(out, quint32(e.name.size()), 2);
        le(out, quint32(extra.size()), 2);
        out += e.name + extra + e.data;

        le(central, 0x02014b50, 4);
        le(central, 0x031e, 2); // made by a Unix tool, so the mode below counts
        le(central, zip64 ? 45 : 20, 2);
        le(central, flags, 2);
        le(central, 0, 2);
        le(central, 0, 2);
        le(central, 0x21, 2);
        le(central, crc, 4);
        le(central, packed, 4);
        le(central, size, 4);
        le(central, quint32(e.name.size()), 2);
        le(central, quint32(extra.size()), 2);
        le(central, 0, 2); // comment
        le(central, 0, 2); // disk
        le(central, 0, 2); // internal attributes
        le(central, quint32(0100644) << 16, 4);
        le(central, offset, 4);
        central += e.name + extra;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    le(out, 0x06054b50, 4);
    le(out, 0, 2);
    le(out, 0, 2);
    le(out, quint32(entries.size()), 2);
    le(out, quint32(entries.size()), 2);
    le(out, quint32(central.size()), 4);
    le(out, centralOffset, 4);
    le(out, 0, 2);
    return out;
}

// Flips one bit of a file a third of the way in, where the data of a packed entry lies.
inline bool flipBitAtThird(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || f.size() < 3)
        return false;
    QByteArray bytes = f.readAll();
    bytes[bytes.size() / 3] = char(bytes[bytes.size() / 3] ^ 0x10);
    return f.seek(0) && f.write(bytes) == bytes.size();
}

inline bool have7zz()
{
    return !QStandardPaths::findExecutable(QStringLiteral("7zz")).isEmpty();
}

// Packs the content of `folder` with 7zz and the given switches ("-ms=off", "-mf=BCJ", ...).
inline bool sevenZip(const QString &archive, const QString &folder, const QStringList &switches)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    QStringList args {QStringLiteral("a"), QStringLiteral("-t7z"), QStringLiteral("-bd"), QStringLiteral("-y")};
    // 7zz adds ".7z" to a name without a suffix: pack under a known name, then rename.
    const QString packed = QFileInfo(archive).absoluteFilePath() + QStringLiteral(".packing.7z");
    args << switches << packed << QStringLiteral(".");
    p.start(QStringLiteral("7zz"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    QFile::remove(archive);
    return QFile::rename(packed, archive);
}

inline void writeFile(const QString &path, const QByteArray &data, QFile::Permissions perms = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(data);
    f.close();
    if (perms)
        f.setPermissions(perms);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bytes that compress somewhat: a repeated pattern with a counter in it.
inline QByteArray payload(int size, char seed)
{
    // The seed and a number, then a blank, repeated: written in place, as a
    // piece at a time costs seconds for the larger payloads under the sanitizers.
    QByteArray data(size, Qt::Uninitialized);
    char piece[24];
    for (qint64 i = 0, at = 0; at < size; ++i) {
        const int n = std::snprintf(piece, sizeof piece, "%c%lld ", seed, static_cast<long long>(i * 7919 % 10007));
        const qint64 take = std::min<qint64>(n, size - at);
        std::memcpy(data.data() + at, piece, size_t(take));
        at += take;
    }
    return data;
}

} // namespace TestArchives

Q_DECLARE_METATYPE(QList<TestArchives::Entry>)
