#pragma once

#include "api/apirequestbean.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// The signed body of the two game-update queries ("/diff-update/version" and
// "/diff-update/resource"). The sign covers everything but the target version.
class GameCurrentRequestInfo : public ApiRequestBean
{
public:
    // Device, package and running type from KVApplication.
    explicit GameCurrentRequestInfo(const QString &currentVersion);
    GameCurrentRequestInfo(
        const QString &currentVersion, const DeviceInfo &device, const AppPackageInfo &package, int runningType);

    QJsonObject toJson() const override;

    // The text that is signed and its MD5 in lower-case hexadecimal.
    QString signedText() const;
    static QString signOf(const QString &text);

    QString gameId;
    int osType = 2;
    int envType = 4; // the running type, release (3) sent as 4
    int channelId = 0;
    QString subChannelId;
    QString currentVersion;
    QString sign;
    QString targetVersion;

private:
    void fill(const QString &version, int runningType);
};

// One package offered by the update service.
// What a package installs, as the update service sends it and the settings
// store keeps it ("updatetype" of group "Game").
enum class UpdateType : int {
    Unknown = 0, // no package known yet
    Full = 1,
    Differential = 2, // only what changed; dropped files are listed
};

struct PackageGroup
{
    int downloadType = 0; // 0 archives, 1 a small-files document
    QStringList packageUrls;
    qint64 packageRealSize = 0;
    qint64 packageSize = 0;
    QString packageJson;
    QString packageMd5;
    // A differential package's files that the target version no longer has,
    // relative to the game folder.
    QStringList removedFiles;
};

// The launcher's working description of the version being installed.
class GameVersionInfo : public BaseBean
{
public:
    GameVersionInfo();

    // The version reply's data: latestVersion and forceUpdate; empty when unusable.
    static GameVersionInfo fromVersionReply(const QString &data);

    // Takes the chosen package of a resource reply (latestVersion <- its targetVersion).
    void takePackage(const class GameFileDownloadInfo &resource);

    // No package addresses or no version: nothing can be installed from it.
    bool isUnusable() const { return packageUrls.isEmpty() || latestVersion.isEmpty(); }

    QString latestVersion;
    bool forceUpdate = false;
    int downloadType = 0;
    QStringList packageUrls;
    qint64 packageRealSize = 0;
    qint64 packageSize = 0;
    QString packageJson;
    QString packageMd5;
    QStringList removedFiles; // of a differential package: deleted once it is extracted
    int updateType = 0; // 1 full, 2 differential, 0 while no package is known
};

// One resource reply: the full and the differential package and the one chosen.
class GameFileDownloadInfo : public BaseBean
{
public:
    GameFileDownloadInfo();

    // The differential package when it has addresses, else the full one.
    static GameFileDownloadInfo fromResourceReply(const QString &data);

    bool offersPackage() const { return !fullPackage.packageUrls.isEmpty() || !diffPackage.packageUrls.isEmpty(); }

    QString targetVersion;
    bool forceUpdate = false;
    PackageGroup fullPackage;
    PackageGroup diffPackage;
    PackageGroup chosenPackage;
    int updateType = 1;
};

// One file of a small-files document.
struct DownloadFileInfo
{
    QString dest; // relative to the game folder
    QString md5;
    qint64 size = 0;
};

// Parses a small-files document into its base address and files. False (with
// an empty address and list, and the reason logged) when the text is not a
// JSON object or a destination is absolute or leaves the game folder: the
// whole document is refused rather than installed in part.
bool parseSmallFilesDocument(const QByteArray &text, QString *packedHost, QList<DownloadFileInfo> *files);

// True when `dest` names a place inside the game folder: relative, no ".."
// part, no drive letter, not empty.
bool isSafeRelativePath(const QString &dest);

Q_DECLARE_METATYPE(GameVersionInfo)
Q_DECLARE_METATYPE(GameFileDownloadInfo)
Q_DECLARE_METATYPE(DownloadFileInfo)
