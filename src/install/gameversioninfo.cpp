#include "install/gameversioninfo.h"

#include "app/kvapplication.h"
#include "app/launcherconfig.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

namespace {

void registerTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<GameVersionInfo>("GameVersionInfo");
        qRegisterMetaType<GameFileDownloadInfo>("GameFileDownloadInfo");
        qRegisterMetaType<DownloadFileInfo>("DownloadFileInfo");
        qRegisterMetaType<QList<DownloadFileInfo>>("QList<DownloadFileInfo>");
        return true;
    }();
    Q_UNUSED(registered)
}

QJsonObject objectOf(const QString &data)
{
    if (data.isEmpty())
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(data.toUtf8());
    return document.isObject() ? document.object() : QJsonObject();
}

// JSON true, a non-zero number, or a text other than "", "0" and "false".
bool boolOf(const QJsonValue &value)
{
    return value.toVariant().toBool();
}

// A number or a numeric text; anything else, or a negative size, is 0.
qint64 sizeOf(const QJsonValue &value)
{
    bool ok = false;
    const qint64 size = value.toVariant().toLongLong(&ok);
    return ok && size > 0 ? size : 0;
}

PackageGroup packageOf(const QJsonValue &value)
{
    PackageGroup group;
    const QJsonObject object = value.toObject();
    if (object.isEmpty())
        return group;
    group.packageMd5 = object.value(QStringLiteral("packageMd5")).toString();
    group.packageRealSize = sizeOf(object.value(QStringLiteral("packageRealSize")));
    group.packageSize = sizeOf(object.value(QStringLiteral("packageSize")));
    group.packageJson = object.value(QStringLiteral("packageJson")).toString();
    const QJsonValue type = object.value(QStringLiteral("downloadType"));
    group.downloadType = type.isDouble() ? type.toInt() : 0;
    const QJsonArray urls = object.value(QStringLiteral("packageUrls")).toArray();
    for (const QJsonValue &url : urls)
        group.packageUrls.append(url.toVariant().toString());
    const QJsonArray removed = object.value(QStringLiteral("removedFiles")).toArray();
    for (const QJsonValue &path : removed) {
        if (path.isString())
            group.removedFiles.append(path.toString());
    }
    return group;
}

} // namespace

GameCurrentRequestInfo::GameCurrentRequestInfo(const QString &currentVersion)
{
    fill(currentVersion, KVApplication::instance()->runningType());
}

GameCurrentRequestInfo::GameCurrentRequestInfo(
    const QString &currentVersion, const DeviceInfo &device, const AppPackageInfo &package, int runningType)
    : ApiRequestBean(device, package)
{
    fill(currentVersion, runningType);
}

void GameCurrentRequestInfo::fill(const QString &version, int runningType)
{
    const LauncherConfig *config = LauncherConfig::instance();
    gameId = config->manifestValue(QStringLiteral("gameId"));
    envType = runningType == 3 ? 4 : runningType;
    channelId = config->manifestValue(QStringLiteral("channelId")).toInt();
    subChannelId = config->manifestValue(QStringLiteral("subChannelId"));
    currentVersion = version;
    sign = signOf(signedText());
}

QString GameCurrentRequestInfo::signedText() const
{
    return QStringLiteral("%1_%2_%3_%4_%5_%6")
        .arg(gameId)
        .arg(osType)
        .arg(envType)
        .arg(channelId)
        .arg(subChannelId)
        .arg(currentVersion);
}

QString GameCurrentRequestInfo::signOf(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QJsonObject GameCurrentRequestInfo::toJson() const
{
    QJsonObject json = m_json;
    json.insert(QStringLiteral("gameId"), gameId);
    json.insert(QStringLiteral("osType"), osType);
    json.insert(QStringLiteral("envType"), envType);
    json.insert(QStringLiteral("channelId"), channelId);
    json.insert(QStringLiteral("subChannelId"), subChannelId);
    json.insert(QStringLiteral("currentVersion"), currentVersion);
    json.insert(QStringLiteral("sign"), sign);
    json.insert(QStringLiteral("targetVersion"), targetVersion);
    return json;
}

GameVersionInfo::GameVersionInfo()
{
    registerTypes();
}

GameVersionInfo GameVersionInfo::fromVersionReply(const QString &data)
{
    GameVersionInfo info;
    const QJsonObject object = objectOf(data);
    info.latestVersion = object.value(QStringLiteral("latestVersion")).toString();
    info.forceUpdate = boolOf(object.value(QStringLiteral("forceUpdate")));
    return info;
}

void GameVersionInfo::takePackage(const GameFileDownloadInfo &resource)
{
    const PackageGroup &chosen = resource.chosenPackage;
    latestVersion = resource.targetVersion;
    downloadType = chosen.downloadType;
    packageUrls = chosen.packageUrls;
    packageRealSize = chosen.packageRealSize;
    packageSize = chosen.packageSize;
    packageJson = chosen.packageJson;
    packageMd5 = chosen.packageMd5;
    removedFiles = chosen.removedFiles;
    updateType = resource.updateType;
}

GameFileDownloadInfo::GameFileDownloadInfo()
{
    registerTypes();
}

GameFileDownloadInfo GameFileDownloadInfo::fromResourceReply(const QString &data)
{
    GameFileDownloadInfo info;
    const QJsonObject object = objectOf(data);
    info.targetVersion = object.value(QStringLiteral("targetVersion")).toString();
    info.forceUpdate = boolOf(object.value(QStringLiteral("forceUpdate")));
    info.fullPackage = packageOf(object.value(QStringLiteral("fullPackage")));
    info.diffPackage = packageOf(object.value(QStringLiteral("diffPackage")));
    if (!info.diffPackage.packageUrls.isEmpty()) {
        info.chosenPackage = info.diffPackage;
        info.updateType = 2;
    } else {
        info.chosenPackage = info.fullPackage;
        info.updateType = 1;
    }
    return info;
}

bool isSafeRelativePath(const QString &dest)
{
    if (dest.isEmpty() || dest.startsWith(QLatin1Char('/')) || dest.startsWith(QLatin1Char('\\')))
        return false;
    if (dest.size() >= 2 && dest.at(1) == QLatin1Char(':')) // a drive letter
        return false;
    const QStringList parts = dest.split(QRegExp(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts);
    if (parts.isEmpty() || QDir::cleanPath(parts.join(QLatin1Char('/'))) == QLatin1String("."))
        return false;
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool parseSmallFilesDocument(const QByteArray &text, QString *packedHost, QList<DownloadFileInfo> *files)
{
    registerTypes();
    packedHost->clear();
    files->clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        qInfo().noquote() << QStringLiteral("Json error : %1").arg(error.error);
        return false;
    }
    if (!document.isObject()) {
        qInfo("Json error : the small-files document is not an object");
        return false;
    }
    const QJsonObject object = document.object();
    QList<DownloadFileInfo> parsed;
    const QJsonArray entries = object.value(QStringLiteral("smallFilesInfo")).toArray();
    for (const QJsonValue &entry : entries) {
        if (!entry.isObject())
            continue;
        const QJsonObject file = entry.toObject();
        DownloadFileInfo info;
        info.dest = file.value(QStringLiteral("dest")).toString();
        info.md5 = file.value(QStringLiteral("md5")).toString();
        info.size = sizeOf(file.value(QStringLiteral("size")));
        if (!isSafeRelativePath(info.dest)) {
            qWarning().noquote() << QStringLiteral("Refused the small-files document: \"%1\" is not a path inside "
                                                   "the game folder")
                                        .arg(info.dest);
            return false;
        }
        parsed.append(info);
    }
    *packedHost = object.value(QStringLiteral("packedhost")).toString();
    *files = parsed;
    return true;
}
