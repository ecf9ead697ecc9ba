#pragma once

#include <QMetaType>

// Builders of small test archives, made at run time: libarchive's writer for the
// hand-shaped ones (hostile names, links), 7zz for the 7z variants it writes best.

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

inline bool write(const QString &path, const QList<Entry> &entries, Format format = Format::Zip)
{
    struct archive *a = archive_write_new();
    if (format == Format::Zip)
        archive_write_set_format_zip(a);
    else if (format == Format::SevenZip)
        archive_write_set_format_7zip(a);
    else
        archive_write_set_format_pax_restricted(a);
    if (archive_write_open_filename(a, QFile::encodeName(path).constData()) != ARCHIVE_OK) {
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
    QByteArray data;
    data.reserve(size);
    for (int i = 0; data.size() < size; ++i)
        data += QByteArray(1, seed) + QByteArray::number(qint64(i) * 7919 % 10007) + ' ';
    data.truncate(size);
    return data;
}

} // namespace TestArchives

Q_DECLARE_METATYPE(QList<TestArchives::Entry>)
