#include "install/gamefiles.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"
#include "install/gameversioninfo.h"
#include "install/installlocator.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegExp>
#include <QUrl>

namespace {

ProcessSingleton<GameFiles> s_instance;

const QString kGame = QStringLiteral("Game");
const QString kLauncher = QStringLiteral("Launcher");
const QString kInstalledVersion = QStringLiteral("game_exe_install_version");
const QString kInstallDir = QStringLiteral("game_exe_install_dir");

LauncherConfig *config()
{
    return LauncherConfig::instance();
}

qint64 numberBetween(const QString &name, const QString &open, const QString &close)
{
    const int start = name.indexOf(open);
    const int end = name.indexOf(close);
    if (start < 0 || end < 0)
        return 0;
    const int from = start + open.size();
    if (end < from)
        return 0;
    bool ok = false;
    const qint64 value = name.mid(from, end - from).toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

} // namespace

GameFiles *GameFiles::instance()
{
    return s_instance.get([] { return new GameFiles; });
}

QString GameFiles::targetVersion() const
{
    return config()->readString(kGame, QStringLiteral("gameversion"));
}

void GameFiles::setTargetVersion(const QString &version)
{
    config()->writeString(kGame, QStringLiteral("gameversion"), version);
}

InstallStatus GameFiles::status() const
{
    int status = config()->readInt(kGame, QStringLiteral("status"));
    if (status == static_cast<int>(InstallStatus::Absent) && recoverInstalledState())
        status = static_cast<int>(InstallStatus::Installed);
    qInfo().noquote() << QStringLiteral("**Game** - downloadStatus : %1").arg(status);
    return static_cast<InstallStatus>(status);
}

bool GameFiles::recoverInstalledState() const
{
    const QString version = installedVersion();
    if (version.isEmpty() || config()->registryValue(kInstallDir).isEmpty())
        return false;
    const QString dir = installDir();
    const bool versionFile = QFileInfo(dir + QLatin1Char('/') + InstallLocator::VersionFileName).isFile()
        || QFileInfo(dir + QStringLiteral("/version.txt")).isFile();
    if (!versionFile || !QFileInfo(gameExePath()).isFile())
        return false;
    if (config()->readString(kLauncher, QStringLiteral("game_install_path")).isEmpty())
        config()->writeString(kLauncher, QStringLiteral("game_install_path"), dir);
    config()->writeString(kGame, QStringLiteral("gameversion"), version);
    config()->writeInt(kGame, QStringLiteral("status"), static_cast<int>(InstallStatus::Installed));
    qWarning().noquote() << QStringLiteral("**Game** - the settings hold no install state; the native store names "
                                           "version %1 in %2 and the game is there: recorded as installed")
                                .arg(version, dir);
    return true;
}

void GameFiles::setStatus(InstallStatus status)
{
    config()->writeInt(kGame, QStringLiteral("status"), static_cast<int>(status));
}

int GameFiles::updateType() const
{
    const int type = config()->readInt(kGame, QStringLiteral("updatetype"));
    return type == -1 ? 1 : type;
}

void GameFiles::setUpdateType(int type)
{
    config()->writeInt(kGame, QStringLiteral("updatetype"), type);
}

void GameFiles::setTotalSize(qint64 size)
{
    config()->writeValue(kGame, QStringLiteral("totalsize"), size);
}

QString GameFiles::installedVersion() const
{
    return config()->registryValue(kInstalledVersion);
}

void GameFiles::setInstalledVersion(const QString &version)
{
    config()->setRegistryValue(kInstalledVersion, version);
}

QString GameFiles::installDir() const
{
    QString dir = recordedInstallDir();
    if (dir.isEmpty())
        dir = AppDir::filePath(config()->manifestValue(QStringLiteral("gameExeDir")));
    return dir;
}

QString GameFiles::recordedInstallDir() const
{
    const QString dir = config()->readString(kLauncher, QStringLiteral("game_install_path"));
    return dir.isEmpty() ? config()->registryValue(kInstallDir) : dir;
}

void GameFiles::setInstallDir(const QString &path)
{
    const QString trimmed = path.trimmed();
    config()->writeString(kLauncher, QStringLiteral("game_install_path"), trimmed);
    config()->setRegistryValue(kInstallDir, trimmed);
}

QString GameFiles::gameExePath() const
{
    return installDir() + QLatin1Char('/') + config()->manifestValue(QStringLiteral("gameExeFile"));
}

QString GameFiles::packageFileName(const QString &url)
{
    const QString name = QUrl(url).fileName(QUrl::FullyDecoded);
    bool usable = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
    for (const QChar c : name) {
        if (!usable)
            break;
        usable = c != QLatin1Char('/') && c != QLatin1Char('\\') && c != QLatin1Char(':')
            && c.category() != QChar::Other_Control;
    }
    if (usable)
        return name;
    qWarning().noquote() << QStringLiteral("Error msg : unusable address, no plain file name in [%1]").arg(url);
    return QString();
}

QString GameFiles::downloadFilePath(const QString &url) const
{
    const QString name = packageFileName(url);
    return name.isEmpty() ? QString() : AppDir::filePath(QStringLiteral("Downloads/")) + name;
}

QString GameFiles::tempFilePath(const QString &url) const
{
    const QString path = downloadFilePath(url);
    return path.isEmpty() ? QString() : path + QStringLiteral(".tmp");
}

qint64 GameFiles::fileNameSize(const QString &url) const
{
    const QString name = QFileInfo(downloadFilePath(url)).fileName();
    const int start = name.indexOf(QLatin1String("size_"));
    const int end = name.indexOf(QLatin1String("_md5"));
    if (start >= 0 && end >= 0)
        qDebug().noquote() << QStringLiteral("sizeString: %1  ").arg(name.mid(start + 5, end - start - 5));
    return numberBetween(name, QStringLiteral("size_"), QStringLiteral("_md5"));
}

QByteArray GameFiles::fileNameMd5(const QString &url) const
{
    const QString name = packageFileName(url);
    const int marker = name.indexOf(QLatin1String("_md5_"));
    if (marker < 0)
        return {};
    const QByteArray digest = name.mid(marker + 5, 32).toLatin1().toLower();
    if (digest.size() != 32)
        return {};
    for (const char c : digest) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return {};
    }
    return digest;
}

qint64 GameFiles::originSize(const QString &url) const
{
    return numberBetween(
        QFileInfo(downloadFilePath(url)).fileName(), QStringLiteral("origin_"), QStringLiteral("_size"));
}

QString GameFiles::unzipGroup(const QString &version)
{
    return QStringLiteral("UNZIP-") + version;
}

QString GameFiles::archiveKey(const QString &url)
{
    // Keys of the settings store may not hold "/" or ":"; the address is
    // stored percent-encoded.
    return QString::fromLatin1(url.toUtf8().toPercentEncoding());
}

void GameFiles::markArchiveExtracted(const QString &version, const QString &url)
{
    config()->writeInt(unzipGroup(version), archiveKey(url), 1);
}

void GameFiles::markArchiveFailed(const QString &version, const QString &url)
{
    config()->writeInt(unzipGroup(version), archiveKey(url), 0);
}

QStringList GameFiles::unzippedArchives(const QString &version) const
{
    QStringList done;
    const QString group = unzipGroup(version);
    const QStringList keys = config()->keys(group);
    for (const QString &key : keys) {
        if (config()->readInt(group, key) == 1)
            done.append(key);
    }
    return done;
}

void GameFiles::clearUnzipRecords(const QString &version)
{
    config()->removeGroup(unzipGroup(version));
}

void GameFiles::clearInstallRecords(const QString &version)
{
    config()->removeGroup(kGame);
    config()->removeRegistryValue(kInstalledVersion);
    config()->removeGroup(unzipGroup(version));
    // Records of other versions would make a later install of that version
    // skip archives whose files are gone.
    const QStringList groups = config()->groups();
    for (const QString &group : groups) {
        if (group.startsWith(unzipGroup(QString())))
            config()->removeGroup(group);
    }
}

int GameFiles::removeDroppedFiles(const QStringList &relativePaths) const
{
    const QString root = installDir();
    int removed = 0;
    for (const QString &relative : relativePaths) {
        if (!isSafeRelativePath(relative)) {
            qWarning().noquote() << "A dropped file outside the game folder is not deleted:" << relative;
            continue;
        }
        const QStringList parts = relative.split(QRegExp(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts);
        QString path = root;
        bool throughLink = false;
        bool folderMissing = false;
        for (int i = 0; i + 1 < parts.size() && !throughLink && !folderMissing; ++i) {
            path += QLatin1Char('/') + parts.at(i);
            const QFileInfo folder(path);
            throughLink = folder.isSymLink();
            folderMissing = !folder.isDir();
        }
        if (throughLink) {
            qWarning().noquote() << "A dropped file behind a linked folder is not deleted:" << relative;
            continue;
        }
        path += QLatin1Char('/') + parts.last();
        const QFileInfo file(path);
        if (folderMissing || (!file.exists() && !file.isSymLink()))
            continue; // already gone
        if (file.isDir() && !file.isSymLink()) {
            qInfo().noquote() << "A dropped path is a folder and stays:" << relative;
            continue;
        }
        QFile dropped(path);
        if (dropped.remove() || dropped.remove()) {
            ++removed;
            qInfo().noquote() << "Dropped by the update:" << relative;
        } else {
            qWarning().noquote() << "A dropped file cannot be deleted:" << path << dropped.errorString();
        }
    }
    return removed;
}

void GameFiles::deleteFile(const QString &path) const
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QFile file(path);
    if (file.remove() || file.remove())
        return;
    qInfo().noquote() << QStringLiteral("[%1]-Delete file failed:%2").arg(path, file.errorString());
}

bool GameFiles::isGameInstalled(qint64 minSize) const
{
    if (installedVersion().isEmpty()) {
        qInfo("can not find the gameverion in config.ini!");
        return false;
    }
    const QString exe = gameExePath();
    if (!QFileInfo(exe).isFile())
        return false;
    qInfo().noquote() << QStringLiteral("Can find the exe in the installPath - %1").arg(exe);
    if (FileUtil::folderSize(installDir()) >= minSize) {
        qInfo("game exe dir is right!");
        return true;
    }
    return false;
}
