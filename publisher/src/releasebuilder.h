#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Turns a folder with one game tree per version (its sub-folders, named after the
// versions) into the release part of a content folder: for every version the full
// package split into archives, the differential package against the version before
// it, optionally the small-files document with its loose files, digest lists, and
// for every game id "games/<id>/releases.json", which the server answers from.
class ReleaseBuilder
{
public:
    struct Options
    {
        QString versionsDir;
        QString contentDir;
        QStringList gameIds;
        QString name = QStringLiteral("quillmere");
        QString format = QStringLiteral("7z"); // "7z" or "zip"
        qint64 partSize = 0; // unpacked bytes per archive; 0 = one archive
        int level = -1; // compression level, -1 = the format's default, 0 = stored
        QStringList forced; // versions whose update is forced
        QStringList held; // versions built but not yet published (see "publish")
        bool smallFiles = false; // also write the small-files document and its files
    };

    struct FileEntry
    {
        QString relative; // with "/" separators
        QString absolute;
        qint64 size = 0;
        QString md5;
        int mode = 0644;
    };

    struct Part
    {
        QString fileName;
        qint64 unpacked = 0;
        qint64 packed = 0;
        QString md5;
    };

    // A release of the launcher itself: its application folder's files.
    struct LauncherRelease
    {
        QString treeDir; // the files as they lie beside the launcher (relative paths kept)
        QString contentDir;
        QString version;
        QString message; // the update page's notes
        bool held = false; // built, but the launcher service keeps offering what it offered
    };

    explicit ReleaseBuilder(const Options &options);

    // Packs the tree into one zip whose name declares its unpacked and packed
    // size and its MD5 like a game package,
    // "files/launcher/<version>/quillmere-launcher-<version>-1_origin_..._size_..._md5_<hex>.zip",
    // and keeps the launcher service's answer for it in "launcher/<version>.json";
    // unless held, that answer becomes "launcher" in services.json.
    static bool buildLauncher(const LauncherRelease &release, QString *error);
    // Makes the built launcher release `version` the one the launcher service
    // offers. False (with `error`) when there is no such release.
    static bool offerLauncher(const QString &contentDir, const QString &version, QString *error);

    bool run(QString *error);

    // The files of one game tree, sorted by path; symbolic links are left out.
    static bool scanTree(const QString &root, QVector<FileEntry> *files, QString *error);

private:
    bool writeParts(const QVector<FileEntry> &files, const QString &baseName, const QString &outDir,
        QVector<Part> *parts, QString *error) const;
    bool writeArchive(const QVector<FileEntry> &files, const QString &path, QString *error) const;
    QJsonObject packageObject(const QString &version, const QVector<Part> &parts, qint64 realSize) const;
    bool writeSmallFiles(const QString &version, const QVector<FileEntry> &files, const QString &outDir,
        QJsonObject *package, QString *error) const;

    Options m_options;
};
