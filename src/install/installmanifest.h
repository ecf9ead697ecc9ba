#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class GameVersionInfo;

// The XXH3-128 of a byte stream, in the canonical (big-endian) hexadecimal form that
// "xxhsum -H2" prints. Fed block by block; result() may be asked once per reset().
class StreamXxh128
{
public:
    StreamXxh128();
    ~StreamXxh128();
    StreamXxh128(const StreamXxh128 &) = delete;
    StreamXxh128 &operator=(const StreamXxh128 &) = delete;

    void reset();
    void add(const void *data, size_t size);
    // `count` zero bytes (a hole in a sparse entry).
    void addZeros(qint64 count);
    QByteArray hexResult();

private:
    void *m_state = nullptr;
};

// One file an install wrote: its place below the game folder (plain components joined by
// "/", as the archive named it), its size and digest, and where it came from.
struct ManifestEntry
{
    QByteArray place;
    qint64 size = 0;
    QByteArray xxh128; // lower-case hexadecimal; empty when only an MD5 is known
    QByteArray md5; // lower-case hexadecimal, from the service's document; may be empty
    QString source; // the package address (archive) holding the file; empty for small files
};

// The files an installed version consists of, kept beside the install records (one file
// per version under AppDir's "manifests/", written whole or not at all). Only files the
// install wrote are listed: what the game makes later (settings, saves, logs) never is.
//
// While archives are extracted, every archive's files are staged in a part of their own
// ("manifests/staging/<package file name>.files"), so an install that stops and resumes
// keeps what the earlier run recorded; commit() makes the version's manifest from the
// parts of its packages (a differential package: over the previous manifest, its dropped
// files taken out) or, for a small-files install, from the service's document.
class InstallManifest
{
public:
    enum class Kind { Archives, SmallFiles };

    QString version;
    Kind kind = Kind::Archives;
    QString document; // small files: the document's address
    QString documentMd5;
    QVector<ManifestEntry> entries;

    int indexOf(const QByteArray &place) const;
    // Adds or replaces the entry of its place.
    void put(const ManifestEntry &entry);
    void remove(const QByteArray &place);
    qint64 totalBytes() const;

    // The folder manifests live in, and where a version's is stored.
    static QString folder();
    static QString stagingFolder();
    static QString pathOf(const QString &version);

    bool save(const QString &path, QString *error = nullptr) const;
    // False, with the reason, when the file is missing or not a manifest.
    static bool load(const QString &path, InstallManifest *manifest, QString *error = nullptr);

    // Stages the files extracted from one package. False (logged) when it cannot be written.
    static bool stagePart(const QString &stagingFolder, const QString &url, const QVector<ManifestEntry> &files);
    // Makes and stores the manifest of the version just installed; `previousVersion` is the one
    // installed before (its manifest is the base of a differential package and is removed once
    // the new one is stored). False, logged, when nothing could be stored; the install stands.
    static bool commit(const GameVersionInfo &info, const QString &previousVersion);
    // The manifest a small-files install of `info` wrote, from the service's document kept
    // in the downloads folder (sizes and MD5 from it); for an install made before its files
    // were recorded. False, with the reason, when that document is missing, is not the one
    // `info` names (its MD5) or cannot be read. Reads the document: not on the GUI thread.
    static bool fromSmallFilesDocument(const GameVersionInfo &info, InstallManifest *manifest, QString *error);

private:
    mutable QHash<QByteArray, int> m_index;
    void reindex() const;
};
