#pragma once

#include <QString>
#include <QStringList>

// The install state kept between runs (settings store and native store) and
// the paths derived from it. Stateless: every call reads or writes the stores
// at that moment, so it may be used from any thread.
//
// Status values: -1/0 nothing started, 1 downloading (or interrupted),
// 6 all files downloaded, 7 extracting (or interrupted), 3 extraction failed,
// 5 installed.
class GameFiles
{
public:
    static GameFiles *instance();

    QString targetVersion() const;
    void setTargetVersion(const QString &version);
    int status() const;
    void setStatus(int status);
    int updateType() const; // 1 full, 2 differential
    void setUpdateType(int type);
    void setTotalSize(qint64 size);

    QString installedVersion() const;
    void setInstalledVersion(const QString &version);

    // The chosen install folder; the edition's game folder beside the launcher by default.
    QString installDir() const;
    void setInstallDir(const QString &path);
    QString gameExePath() const;

    // Where a package address is downloaded to, and its name while in progress.
    QString downloadFilePath(const QString &url) const;
    QString tempFilePath(const QString &url) const;

    // The packed ("size_" ... "_md5") and unpacked ("origin_" ... "_size")
    // sizes a package file name declares; 0 when a marker is missing or the
    // text between them is not a number.
    qint64 fileNameSize(const QString &url) const;
    qint64 originSize(const QString &url) const;

    // Per-version records of extracted (1) and failed (0) archives.
    void markArchiveExtracted(const QString &version, const QString &url);
    void markArchiveFailed(const QString &version, const QString &url);
    QStringList unzippedArchives(const QString &version) const; // percent-encoded addresses
    void clearUnzipRecords(const QString &version);
    // Forgets the install: group "Game", the installed version and every
    // extraction record (of `version` and of any other version).
    void clearInstallRecords(const QString &version);

    static QString unzipGroup(const QString &version);
    static QString archiveKey(const QString &url);

    // Deletes a file (two attempts), logging a failure.
    void deleteFile(const QString &path) const;

    // Installed: a version is recorded, the executable exists and the install
    // folder holds at least `minSize` bytes.
    bool isGameInstalled(qint64 minSize) const;

private:
    GameFiles() = default;
};
