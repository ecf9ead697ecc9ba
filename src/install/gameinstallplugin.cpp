#include "install/gameinstallplugin.h"

#include "api/requestclasses.h"
#include "api/serverurls.h"
#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/kvapplication.h"
#include "app/processsingleton.h"
#include "app/texts.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace {

ProcessSingleton<GameInstallPlugin> s_instance;

const QString kVersionPath = QStringLiteral("/diff-update/version");
const QString kResourcePath = QStringLiteral("/diff-update/resource");

GameFiles *files()
{
    return GameFiles::instance();
}

QString downloadsFolder()
{
    return AppDir::filePath(QStringLiteral("Downloads/"));
}

// The name a package address is stored under must stay a plain file name in
// the downloads folder: the engines and every clean-up use the same rule.
bool isSafeFileName(const QString &url)
{
    return !GameFiles::packageFileName(url).isEmpty();
}

} // namespace

GameInstallPlugin *GameInstallPlugin::instance()
{
    return s_instance.get([] {
        const KVApplication *app = KVApplication::instance();
        Collaborators collaborators;
        collaborators.updateServiceBase = [] {
            return ServerUrls::instance()->hotUpdateHost();
        };
        collaborators.device = app->deviceInfo();
        collaborators.package = app->packageInfo();
        collaborators.runningType = app->runningType();
        return new GameInstallPlugin(std::move(collaborators));
    });
}

GameInstallPlugin::GameInstallPlugin(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
    , m_throttle(kQueryIntervalMs, m_collaborators.clock)
{
    qRegisterMetaType<KorvaneObject::DownloadingInfo>("KorvaneObject::DownloadingInfo");
}

GameInstallPlugin::~GameInstallPlugin() = default;

GameVersionRequest *GameInstallPlugin::makeRequest(const char *what)
{
    qDebug("new GameVersionRequest() (%s)", what);
    auto *request = new GameVersionRequest(m_collaborators.manager, this);
    request->setReplyTimeout(m_collaborators.replyTimeoutMs);
    request->setRetries(KVAbstractNetwork::kServiceRetries);
    return request;
}

GameCurrentRequestInfo GameInstallPlugin::requestRecord(const QString &currentVersion) const
{
    return GameCurrentRequestInfo(
        currentVersion, m_collaborators.device, m_collaborators.package, m_collaborators.runningType);
}

QString GameInstallPlugin::updateServiceUrl(const QString &path) const
{
    const QString base = m_collaborators.updateServiceBase ? m_collaborators.updateServiceBase()
                                                           : ServerUrls::instance()->hotUpdateHost();
    return base + path;
}

void GameInstallPlugin::requestGameVersionInfoNow()
{
    m_throttle.reset();
    requestGameVersionInfo();
}

void GameInstallPlugin::requestGameVersionInfo()
{
    if (!m_throttle.tryAcquire()) {
        qDebug("requestGameVersionInfo timelimit return.");
        return;
    }
    const GameCurrentRequestInfo record = requestRecord(files()->targetVersion());
    if (!m_versionRequest) {
        m_versionRequest = makeRequest("version query");
        connect(m_versionRequest, &KVAbstractNetwork::signalReplyfinsh, this, &GameInstallPlugin::onVersionReply);
        connect(m_versionRequest, &KVAbstractNetwork::signalReplyError, this, [this] {
            m_throttle.failed();
            emit serviceReached(false);
            emit networkError(tr("CannotgetVersionInfo"));
        });
    }
    const QString url = updateServiceUrl(kVersionPath);
    m_versionRequest->postRequest(0, record.toJson(), url, true, false);
    qDebug().noquote() << "url: " + url;
}

void GameInstallPlugin::onVersionReply(const ApiResult &result)
{
    if (result.code > 0)
        m_throttle.answered();
    else
        m_throttle.failed();
    emit serviceReached(result.code > 0);
    if (result.code == 200) {
        const GameVersionInfo latest = GameVersionInfo::fromVersionReply(result.data);
        if (latest.latestVersion.isEmpty()) {
            qWarning("**Game** - the version answer names no latest version");
            emit networkError(tr("CannotgetVersionInfo"));
            return;
        }
        qInfo().noquote() << "**Game** - latestGameVersion from server: " + latest.latestVersion;
        // The same answer as the one already acted on, with its package known: nothing new.
        const bool holdsPackage = !m_info.packageUrls.isEmpty() && m_info.packageSize != 0;
        if (m_info.latestVersion != latest.latestVersion || !holdsPackage)
            processLatestVersion(latest);
        return;
    }
    if (result.code == 4001) {
        qInfo().noquote()
            << QStringLiteral("**Game** - Game_Version_Null : %1 , msg : %2").arg(result.code).arg(result.msg);
        emit gameoffline(result.msg);
        return;
    }
    if (result.code > 0) {
        emit gameoffline(QStringLiteral("%1_%2").arg(result.code).arg(result.msg));
        return;
    }
    // No network or an unreadable answer: the next query tries again.
    qInfo().noquote()
        << QStringLiteral("**Game** - version query failed, code : %1 , msg : %2").arg(result.code).arg(result.msg);
    emit versionQueryFailed();
}

void GameInstallPlugin::processLatestVersion(const GameVersionInfo &latest)
{
    const QString targetVersion = files()->targetVersion();
    const QString installedVersion = files()->installedVersion();
    const InstallStatus status = files()->status();

    if (status == InstallStatus::Absent || status == InstallStatus::NotStarted) {
        m_isUpdate = false;
        m_info = latest;
        requestGameResource(QString(), m_info.latestVersion);
        return;
    }
    if (status == InstallStatus::Installed) {
        m_info = latest;
        if (latest.forceUpdate && needsAppUpdate(targetVersion, latest.latestVersion)) {
            m_isUpdate = true;
            clearDownloadsFolder();
            requestGameResource(installedVersion, m_info.latestVersion);
        } else {
            // A newer version that is not forced waits for the user's check.
            emit installed();
        }
        return;
    }
    if (!needsAppUpdate(targetVersion, latest.latestVersion)) {
        // The recorded download is for the latest version or a later one: ask
        // for the same kind of package again.
        m_info = latest;
        m_isUpdate = false;
        const QString installedNow = files()->installedVersion();
        const int updateType = files()->updateType();
        const InstallStatus statusNow = files()->status();
        if (!isUnfinished(statusNow))
            return;
        if (updateType == 2)
            requestGameResource(installedNow, m_info.latestVersion);
        else
            requestGameResource(QString(), m_info.latestVersion);
        return;
    }
    m_info = latest;
    processNewerVersion();
}

void GameInstallPlugin::processNewerVersion()
{
    const QString targetVersion = files()->targetVersion();
    const QString installedVersion = files()->installedVersion();
    const int updateType = files()->updateType();
    const InstallStatus status = files()->status();
    if (!isUnfinished(status))
        return;

    if (m_info.forceUpdate) {
        m_isUpdate = true;
        qInfo().noquote()
            << QStringLiteral("**Game** - Old Game Version need to update FullPackage : %1").arg(m_info.latestVersion);
        clearDownloadsFolder();
        requestGameResource(m_info.latestVersion, m_info.latestVersion);
        return;
    }
    // Not forced: the unfinished download is continued for its own version.
    m_isUpdate = false;
    if (updateType == 2) {
        qInfo().noquote() << QStringLiteral("**Game** - Request DiffPackage gameVersion: %1,targetVersion:%2")
                                 .arg(installedVersion, targetVersion);
        requestGameResource(installedVersion, targetVersion);
    } else {
        qInfo().noquote() << QStringLiteral("**Game** - Request FullPackage gameVersion: %1,targetVersion:%2")
                                 .arg(targetVersion, targetVersion);
        requestGameResource(targetVersion, targetVersion);
    }
}

void GameInstallPlugin::clearDownloadsFolder()
{
    const QString folder = downloadsFolder();
    if (QFileInfo::exists(folder))
        FileUtil::removeFolder(folder);
    // The engines write into the folder; leave it there, empty.
    QDir().mkpath(folder);
}

void GameInstallPlugin::requestGameResource(const QString &current, const QString &target)
{
    GameCurrentRequestInfo record = requestRecord(current);
    record.targetVersion = target.isEmpty() ? m_info.latestVersion : target;
    if (!m_resourceRequest) {
        m_resourceRequest = makeRequest("package query");
        connect(m_resourceRequest, &KVAbstractNetwork::signalReplyfinsh, this, &GameInstallPlugin::onResourceReply);
        // A time-out here leaves the state as it is; the next version query asks again.
    }
    const QString url = updateServiceUrl(kResourcePath);
    m_resourceRequest->postRequest(0, record.toJson(), url, true, false);
    qDebug().noquote() << "url: " + url;
}

bool GameInstallPlugin::acceptPackage(const GameFileDownloadInfo &resource, const char *caller)
{
    if (!resource.offersPackage()) {
        qWarning("**Game** - %s: the package answer offers no package", caller);
        return false;
    }
    // Every address must give a distinct plain file name: two addresses with
    // one name would be downloaded over each other, and a name such as ".."
    // would point the download, the resume and the clean-up out of the
    // downloads folder.
    QSet<QString> names;
    for (const QString &url : resource.chosenPackage.packageUrls) {
        const QString name = QUrl(url).fileName();
        if (!isSafeFileName(url) || names.contains(name)) {
            qWarning().noquote() << QStringLiteral("**Game** - %1: refused the package answer, unusable address \"%2\"")
                                        .arg(QLatin1String(caller), url);
            return false;
        }
        names.insert(name);
    }
    return true;
}

void GameInstallPlugin::onResourceReply(const ApiResult &result)
{
    if (result.code == 200) {
        const GameFileDownloadInfo resource = GameFileDownloadInfo::fromResourceReply(result.data);
        if (!acceptPackage(resource, "requestGameResource")) {
            emit networkError(tr("CannotgetVersionInfo"));
            return;
        }
        m_info.takePackage(resource);
        qInfo().noquote() << QStringLiteral("**Game** - targetVersion: %1, updateType: %2, 1=full,2=diff!")
                                 .arg(resource.targetVersion)
                                 .arg(resource.updateType);
        if (m_isUpdate) {
            emit needToUpdate(m_info);
            return;
        }
        switch (files()->status()) {
        case InstallStatus::Downloading:
            reportDownloadState();
            break;
        case InstallStatus::ExtractFailed:
        case InstallStatus::Downloaded:
        case InstallStatus::Extracting:
            checkDownloadedPackages();
            break;
        case InstallStatus::Installed:
            // The install may have finished meanwhile; it counts only when the
            // game is really there.
            if (files()->isGameInstalled(m_info.packageRealSize))
                emit installed();
            else
                emit needToDownload(m_info);
            break;
        case InstallStatus::Absent:
        case InstallStatus::NotStarted:
            emit needToDownload(m_info);
            break;
        default: // a number this launcher never stores
            break;
        }
        return;
    }
    if (result.code == 4001) {
        emit gameoffline(result.msg);
        qInfo().noquote()
            << QStringLiteral("**Game** - Game_Version_Null : %1 , msg : %2").arg(result.code).arg(result.msg);
        return;
    }
    if (result.code <= 0) {
        qInfo().noquote()
            << QStringLiteral("**Game** - error code : %1 , error msg : %2").arg(result.code).arg(result.msg);
        return;
    }
    qInfo().noquote()
        << QStringLiteral("**Game** - package query answered code : %1 , msg : %2").arg(result.code).arg(result.msg);
}

void GameInstallPlugin::reportDownloadState()
{
    const KorvaneObject::DownloadingInfo progress = currentDownloadingInfo();
    if (progress.downloadedSize.isEmpty())
        emit needToDownload(m_info);
    else
        emit downloading(progress);
}

KorvaneObject::DownloadingInfo GameInstallPlugin::currentDownloadingInfo() const
{
    KorvaneObject::DownloadingInfo progress;
    if (m_info.downloadType != 0)
        return progress;
    qint64 sum = 0;
    // Archives extracted already (and deleted) were downloaded.
    const QStringList extracted = files()->unzippedArchives(m_info.latestVersion);
    for (const QString &url : m_info.packageUrls) {
        if (extracted.contains(GameFiles::archiveKey(url))) {
            sum += files()->fileNameSize(url);
            continue;
        }
        const QFileInfo done(files()->downloadFilePath(url));
        if (done.isFile()) {
            qInfo().noquote() << QStringLiteral("**Game** - this file [%1] download finish").arg(done.fileName());
            sum += done.size();
        }
        const QFileInfo partial(files()->tempFilePath(url));
        if (partial.isFile()) {
            qInfo().noquote() << QStringLiteral("**Game** - this file [%1] is downloading").arg(partial.fileName());
            sum += partial.size();
        }
    }
    if (sum > 0) {
        progress.totalSize = sizeText(quint64(qMax<qint64>(m_info.packageSize, 0)));
        progress.downloadedSize = sizeText(quint64(sum));
        // A package of unknown size (0) has no percent; more bytes on disk than
        // the package declares (stale files of the same name) show as complete.
        const qint64 percent = m_info.packageSize > 0 ? qMin<qint64>(sum * 100 / m_info.packageSize, 100) : 0;
        progress.percent = QString::number(percent);
        progress.bytesReceived = sum;
    }
    return progress;
}

void GameInstallPlugin::checkDownloadedPackages()
{
    bool missing = false;
    const QStringList extracted = files()->unzippedArchives(m_info.latestVersion);
    for (const QString &url : m_info.packageUrls) {
        if (extracted.contains(GameFiles::archiveKey(url)))
            continue; // extracted and deleted while the package downloaded
        const QFileInfo file(files()->downloadFilePath(url));
        if (!file.isFile()) {
            qInfo().noquote() << "**Game** - This file is not here - " + file.absoluteFilePath();
            missing = true;
        }
    }
    if (missing)
        reportDownloadState();
    else
        emit needToUnzip();
}

void GameInstallPlugin::RemoveDownloadZip()
{
    if (m_info.packageUrls.isEmpty() || m_info.packageSize == 0)
        return;
    for (const QString &url : m_info.packageUrls) {
        const QFileInfo file(files()->downloadFilePath(url));
        qInfo().noquote() << " RemoveDownloadZip:" + file.absoluteFilePath();
        if (file.isFile())
            FileUtil::removeFileTwice(file.absoluteFilePath());
    }
}

void GameInstallPlugin::checkVersionWithPrompt(bool quiet)
{
    m_checkVersion = files()->targetVersion();
    m_checkQuiet = quiet;
    const GameCurrentRequestInfo record = requestRecord(m_checkVersion);
    if (!m_checkRequest) {
        m_checkRequest = makeRequest("version check");
        connect(m_checkRequest, &KVAbstractNetwork::signalReplyfinsh, this, &GameInstallPlugin::onCheckReply);
        // A time-out of the user's check changes nothing.
    }
    const QString url = updateServiceUrl(kVersionPath);
    m_checkRequest->postRequest(0, record.toJson(), url, true, false);
    qDebug().noquote() << "url: " + url;
}

void GameInstallPlugin::onCheckReply(const ApiResult &result)
{
    if (result.code == 200) {
        const QString latest = GameVersionInfo::fromVersionReply(result.data).latestVersion;
        if (latest.isEmpty()) {
            emit networkError(tr("CannotgetVersionInfo"));
            return;
        }
        if (needsAppUpdate(m_checkVersion, latest)) {
            qInfo().noquote() << "need to update Game!!! new gameversion : " + latest;
            qInfo().noquote() << "need to update game!!! current mc Version is :" + m_info.latestVersion;
            emit updatePromptRequested(latest);
            return;
        }
        qInfo("Is New Version now");
        if (!m_checkQuiet)
            emit versionIsNew(latest);
        return;
    }
    if (result.code <= 0) {
        emit networkError(tr("CannotgetVersionInfo"));
        return;
    }
    if (result.code == 4001)
        emit gameoffline(result.msg);
}

void GameInstallPlugin::requestTargetGameDownloadFileResource(const QString &target)
{
    GameCurrentRequestInfo record = requestRecord(files()->installedVersion());
    record.targetVersion = target;
    if (!m_targetRequest) {
        m_targetRequest = makeRequest("update package query");
        connect(m_targetRequest, &KVAbstractNetwork::signalReplyfinsh, this, &GameInstallPlugin::onTargetReply);
        connect(m_targetRequest, &KVAbstractNetwork::signalReplyError, this, &GameInstallPlugin::updatePromptFinished);
    }
    const QString url = updateServiceUrl(kResourcePath);
    m_targetRequest->postRequest(0, record.toJson(), url, true, false);
    qDebug().noquote() << "url: " + url;
}

void GameInstallPlugin::queryLatestVersionOnce(QObject *context, std::function<void(const ApiResult *reply)> done)
{
    const GameCurrentRequestInfo record = requestRecord(files()->targetVersion());
    GameVersionRequest *request = makeRequest("manual version check");
    // A request per check, so an older check's late answer never reaches a
    // newer one; freed once it has answered either way.
    connect(request, &KVAbstractNetwork::signalReplyfinsh, context, [done](const ApiResult &reply) { done(&reply); });
    connect(request, &KVAbstractNetwork::signalReplyError, context, [done] { done(nullptr); });
    connect(request, &KVAbstractNetwork::signalReplyfinsh, request, &QObject::deleteLater);
    connect(request, &KVAbstractNetwork::signalReplyError, request, &QObject::deleteLater);
    const QString url = updateServiceUrl(kVersionPath);
    request->postRequest(0, record.toJson(), url, true, false);
    qDebug().noquote() << "url: " + url;
}

void GameInstallPlugin::onTargetReply(const ApiResult &result)
{
    // Whatever the answer, the question has been answered: a question left
    // open with its buttons disabled would hold the window for good.
    emit updatePromptFinished();
    if (result.code == 200) {
        const GameFileDownloadInfo resource = GameFileDownloadInfo::fromResourceReply(result.data);
        if (!acceptPackage(resource, "requestTargetGameDownloadFileResource")) {
            emit networkError(tr("CannotgetVersionInfo"));
            return;
        }
        m_info.takePackage(resource);
        qInfo().noquote() << QStringLiteral(
            "**Game** - requestTargetGameDownloadFileResource - targetVersion: %1, updateType: %2, 1=full,2=diff!")
                                 .arg(resource.targetVersion)
                                 .arg(resource.updateType);
        qInfo("Update new Version!");
        emit updateNewVersionNow();
        return;
    }
    if (result.code == 4001) {
        emit gameoffline(result.msg);
        return;
    }
    qInfo().noquote() << QStringLiteral(
        "**Game** - requestTargetGameDownloadFileResource -  error code : %1 , error msg : %2")
                             .arg(result.code)
                             .arg(result.msg);
}
