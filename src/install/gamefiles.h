#pragma once

#include <QString>
#include <QStringList>

// The install state kept between runs (settings store and native store) and
// the paths derived from it. Stateless: every call reads or writes the stores
// at that moment, so it may be used from any thread.

// The install status as the settings store keeps it between runs ("status" in
// group "Game"); the numbers are the stored values.
enum class InstallStatus : int {
    Absent = -1, // nothing stored yet
    NotStarted = 0,
    Downloading = 1, // or interrupted
    ExtractFailed = 3,
    Installed = 5,
    Downloaded = 6, // every package file is complete
    Extracting = 7, // or interrupted
};

// An install or update that began and has not ended (it resumes at the next start).
inline bool isUnfinished(InstallStatus status)
{
    return status == InstallStatus::Downloading || status == InstallStatus::ExtractFailed
        || status == InstallStatus::Downloaded || status == InstallStatus::Extracting;
}

class GameFiles
{
public:
    static GameFiles *instance();

    QString targetVersion() const;
    void setTargetVersion(const QString &version);
    // The stored status; a lost one is recovered from the native store when
    // the game is there (see recoverInstalledState()).
    InstallStatus status() const;
    void setStatus(InstallStatus status);
    int updateType() const; // 1 full, 2 differential
    void setUpdateType(int type);
    void setTotalSize(qint64 size);

    QString installedVersion() const;
    void setInstalledVersion(const QString &version);

    // The chosen install folder; the edition's game folder beside the launcher by default.
    QString installDir() const;
    void setInstallDir(const QString &path);
    // The install folder as the launcher recorded it (chosen before a
    // download, or located); empty when none was recorded.
    QString recordedInstallDir() const;
    QString gameExePath() const;

    // The file name a package address is stored under: its last path segment,
    // decoded. Empty, with a warning, when that is no plain file name (empty,
    // "." or "..", or holding "/", a back-slash, ":" or a control character), which
    // could name the folder itself or a place outside it.
    static QString packageFileName(const QString &url);
    // Where a package address is downloaded to, and its name while in
    // progress; empty for an address without a usable file name, so nothing
    // is written, resumed or deleted for it.
    QString downloadFilePath(const QString &url) const;
    QString tempFilePath(const QString &url) const;

    // The packed ("size_" ... "_md5") and unpacked ("origin_" ... "_size")
    // sizes a package file name declares; 0 when a marker is missing or the
    // text between them is not a number.
    qint64 fileNameSize(const QString &url) const;
    // The digest a package file name declares: 32 hexadecimal digits after
    // "_md5_", lower-case; empty when there are none.
    QByteArray fileNameMd5(const QString &url) const;
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

    // Deletes the files of the install folder that a differential update
    // dropped (paths relative to it, from the update service). A path that is
    // absolute, climbs out with "..", or leads through a linked folder is
    // refused and logged, so nothing outside the game is touched; folders
    // stay. Returns how many files were deleted.
    int removeDroppedFiles(const QStringList &relativePaths) const;

    // Deletes a file (two attempts), logging a failure.
    void deleteFile(const QString &path) const;

    // Installed: a version is recorded, the executable exists and the install
    // folder holds at least `minSize` bytes.
    bool isGameInstalled(qint64 minSize) const;

private:
    GameFiles() = default;

    // The settings store lost the install state (a damaged file is set aside
    // and begun afresh) while the native store still names the installed
    // version and folder: when the executable and the version file are there,
    // the state is written again as installed and logged. False otherwise.
    bool recoverInstalledState() const;
};
