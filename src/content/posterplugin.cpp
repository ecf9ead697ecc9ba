#include "content/posterplugin.h"

#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "api/serverurls.h"
#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "app/posterimageinfo.h"
#include "app/processsingleton.h"
#include "app/safepicture.h"
#include "db/dbmanager.h"
#include "download/kvdownloadmanager.h"
#include "extract/ziplibtask.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>

#include <memory>

namespace {

ProcessSingleton<PosterPlugin> s_instance;

const QString kLauncher = QStringLiteral("Launcher");
const QString kVideoGroup = QStringLiteral("VIDEO");
const QString kShowVideo = QStringLiteral("show_video");

LauncherConfig *config()
{
    return LauncherConfig::instance();
}

} // namespace

PosterPlugin *PosterPlugin::instance()
{
    return s_instance.get([] {
        const KVApplication *app = KVApplication::instance();
        Collaborators collaborators;
        collaborators.device = app->deviceInfo();
        collaborators.package = app->packageInfo();
        auto *plugin = new PosterPlugin(std::move(collaborators));
        // Its replies and database answers arrive on the thread it lives on.
        if (QCoreApplication::instance())
            plugin->moveToThread(QCoreApplication::instance()->thread());
        return plugin;
    });
}

PosterPlugin::PosterPlugin(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
    , m_throttle(kCheckIntervalMs, m_collaborators.clock)
{
    qRegisterMetaType<PosterType>("PosterType");
    m_manager = m_collaborators.manager ? m_collaborators.manager : new QNetworkAccessManager(this);
    m_database = m_collaborators.database ? m_collaborators.database : DbManager::instance();
    connect(m_database, &DbManager::operationCompleted, this, &PosterPlugin::onDatabaseAnswer);
    m_posterFetch = new FileFetch(m_manager, m_collaborators.maxPosterBytes, m_collaborators.posterStallMs, this);
    connect(m_posterFetch, &FileFetch::finished, this, &PosterPlugin::onPosterFetched);
}

PosterPlugin::~PosterPlugin()
{
    m_posterFetch->abort();
    delete m_downloader;
    if (m_unzipTask) {
        m_unzipTask->cancel();
        delete m_unzipTask; // waits for its thread
    }
}

QString PosterPlugin::activityUrl(const QString &path) const
{
    const QString base
        = m_collaborators.activityBase ? m_collaborators.activityBase() : ServerUrls::instance()->activityHost();
    return base + path;
}

qint64 PosterPlugin::nowMs() const
{
    return m_collaborators.clock ? m_collaborators.clock() : QDateTime::currentMSecsSinceEpoch();
}

bool PosterPlugin::refuseAddress(const QString &url, const QString &what)
{
    if (SafePicture::isFetchable(QUrl(url.trimmed())))
        return false;
    if (m_refusedAddress != url) {
        m_refusedAddress = url;
        qWarning().noquote() << QStringLiteral("%1 refused, not a web address: %2").arg(what, url.left(200));
    }
    return true;
}

QSize PosterPlugin::posterSideCap()
{
    const QScreen *screen
        = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return QSize(kFallbackPosterWidth, kFallbackPosterHeight);
    return screen->size() * screen->devicePixelRatio() * 2;
}

QSize PosterPlugin::posterCap() const
{
    return m_collaborators.maxPosterSide.isEmpty() ? posterSideCap() : m_collaborators.maxPosterSide;
}

QString PosterPlugin::videoFolder(const QString &url)
{
    const QString name = QFileInfo(QUrl(url.trimmed()).fileName()).completeBaseName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')))
        return QString();
    return AppDir::filePath(QStringLiteral("QtQuick/WebPage/video/")) + name;
}

namespace {

// The extractions of the video named `base`, newest first: "<base>~<n>" by
// descending n, then "<base>" itself (an extraction of an earlier version).
QStringList extractionsOf(const QString &base)
{
    const QFileInfo info(base);
    const QString name = info.fileName();
    const QRegularExpression fresh(QStringLiteral("^%1~(\\d{1,9})$").arg(QRegularExpression::escape(name)));
    QMap<int, QString> found;
    const QStringList entries = QDir(info.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry == name) {
            found.insert(0, base);
            continue;
        }
        const QRegularExpressionMatch match = fresh.match(entry);
        if (match.hasMatch())
            found.insert(match.captured(1).toInt() + 1, info.path() + QLatin1Char('/') + entry);
    }
    QStringList newestFirst;
    for (auto it = found.constEnd(); it != found.constBegin();)
        newestFirst.append(*--it);
    return newestFirst;
}

} // namespace

QString PosterPlugin::installedVideoFolder(const QString &url)
{
    const QString base = videoFolder(url);
    return base.isEmpty() ? QString() : extractionsOf(base).value(0);
}

bool PosterPlugin::videoEnabled()
{
    return config()->manifestValue(kShowVideo) == QLatin1String("true")
        && config()->readInt(kVideoGroup, kShowVideo) != 0;
}

void PosterPlugin::checkPosterInServer()
{
    if (!m_throttle.tryAcquire()) {
        qDebug("checkPosterInServer timelimit return.");
        return;
    }
    qDebug("checkPosterInServer start");
    if (!m_posterRequest) {
        m_posterRequest = new PosterRequest(m_manager, this);
        m_posterRequest->setReplyTimeout(m_collaborators.replyTimeoutMs);
        m_posterRequest->setRetries(KVAbstractNetwork::kServiceRetries);
        connect(m_posterRequest, &KVAbstractNetwork::signalReplyfinsh, this, &PosterPlugin::onPosterReply);
        connect(m_posterRequest, &KVAbstractNetwork::signalReplyError, this, [this] { m_throttle.failed(); });
    }
    if (!m_videoRequest) {
        m_videoRequest = new PosterRequest(m_manager, this);
        m_videoRequest->setReplyTimeout(m_collaborators.replyTimeoutMs);
        m_videoRequest->setRetries(KVAbstractNetwork::kServiceRetries);
        connect(m_videoRequest, &KVAbstractNetwork::signalReplyfinsh, this, &PosterPlugin::onVideoReply);
        connect(m_videoRequest, &KVAbstractNetwork::signalReplyError, this, &PosterPlugin::onVideoTimeout);
    }
    const PosterRequestInfo poster(m_collaborators.device, m_collaborators.package);
    m_posterRequest->postRequest(
        0, poster.toJson(), activityUrl(QStringLiteral("/activity/pc/launcher/images")), true, false);
    const VideoRequestInfo video(m_collaborators.device, m_collaborators.package);
    m_videoRequest->postRequest(
        0, video.toJson(), activityUrl(QStringLiteral("/activity/pc/launcher/base-info")), true, false);
}

// --- poster ----------------------------------------------------------------

void PosterPlugin::servicesBack()
{
    m_throttle.answered();
    m_throttle.reset();
    checkPosterInServer();
}

void PosterPlugin::onPosterReply(const ApiResult &result)
{
    if (result.code > 0)
        m_throttle.answered();
    else
        m_throttle.failed();
    if (result.code != 200) {
        qInfo().noquote() << QStringLiteral("Poster image checkupdate failed:%1").arg(result.msg);
        return;
    }
    qDebug().noquote() << QStringLiteral("checkPosterInServer data: %1").arg(result.data);
    const std::optional<PosterImageInfo> info = PosterImageInfo::fromData(result.data);
    if (!info)
        return;
    const QString refusalKey = info->imageUrl + QLatin1Char('#') + info->md5.toLower();
    if (refusalKey == m_refusedPoster) {
        qDebug("The poster announced was refused before; it is not fetched again");
        return;
    }
    if (refuseAddress(info->imageUrl, QStringLiteral("Poster image")))
        return;
    const QString gi = info->imagePath();
    if (QFileInfo::exists(gi)) {
        if (info->matches(FileUtil::md5OfFile(gi))) {
            if (SafePicture::declaredWithin(SafePicture::declaredSize(gi), posterCap())) {
                config()->writeString(kLauncher, QStringLiteral("poster_next"), PosterImageInfo::toStored(result.data));
                return;
            }
            qWarning().noquote() << QStringLiteral("Poster image refused, its picture is too large: %1").arg(gi);
            m_refusedPoster = refusalKey;
        }
        QFile::remove(gi);
        if (refusalKey == m_refusedPoster)
            return;
    }
    if (m_posterFetch->isRunning()) {
        if (m_posterData == result.data)
            return; // the same poster is still arriving
        qWarning("Poster image download failed: a newer poster was announced");
        m_posterFetch->abort();
    }
    downloadPoster(result.data);
}

void PosterPlugin::downloadPoster(const QString &data)
{
    const std::optional<PosterImageInfo> info = PosterImageInfo::fromData(data);
    QDir().mkpath(AppDir::filePath(QStringLiteral("Images")));
    if (!m_posterFetch->start(QUrl(info->imageUrl), info->tempPath())) {
        qWarning("Failed to open Poster image for writing");
        return;
    }
    m_posterData = data;
}

void PosterPlugin::onPosterFetched(bool ok, const QString &error)
{
    if (!ok) {
        qWarning().noquote() << QStringLiteral("Poster image download failed: %1").arg(error);
        return;
    }
    const PosterImageInfo info = *PosterImageInfo::fromData(m_posterData);
    const QString temp = info.tempPath();
    const QString gi = info.imagePath();
    if (!info.matches(FileUtil::md5OfFile(temp))) {
        qWarning().noquote() << QStringLiteral("Poster image does not match its digest: %1").arg(info.imageUrl);
        QFile::remove(temp);
        return;
    }
    // Checked by its declared size before anything decodes it: a small file
    // may declare gigapixels.
    const QSize declared = SafePicture::declaredSize(temp);
    if (!SafePicture::declaredWithin(declared, posterCap())) {
        qWarning().noquote() << QStringLiteral("Poster image refused, it declares %1 x %2 pixels: %3")
                                    .arg(declared.width())
                                    .arg(declared.height())
                                    .arg(info.imageUrl);
        m_refusedPoster = info.imageUrl + QLatin1Char('#') + info.md5.toLower();
        QFile::remove(temp);
        return;
    }
    QFile::remove(gi);
    if (!QFile::rename(temp, gi)) {
        qWarning("Failed to rename poster image");
        QFile::remove(temp);
        return;
    }
    qInfo("Poster image renamed successfully");
    const QString stored = PosterImageInfo::toStored(m_posterData);
    config()->writeString(kLauncher, QStringLiteral("poster_next"), stored);
    if (nowMs() / 1000 >= info.onlineTime) {
        config()->writeString(kLauncher, QStringLiteral("poster_current"), stored);
        emit posterUpdate(PosterType::Image);
    }
    qInfo("Poster image downloaded successfully");
}

// --- background video ------------------------------------------------------

void PosterPlugin::onVideoReply(const ApiResult &result)
{
    if (result.code != 200) {
        qInfo().noquote()
            << QStringLiteral("Get VideoZips from server fail. code:%1,msg:%2.").arg(result.code).arg(result.msg);
        useDefaultVideo();
        return;
    }
    const QJsonObject data = QJsonDocument::fromJson(result.data.toUtf8()).object();
    VideoRecord record;
    record.url = data.value(QStringLiteral("bgVideoUrl")).toString();
    record.show = data.value(QStringLiteral("isShowBgVideo")).toVariant().toBool();
    if (record.url.isEmpty()) {
        qInfo("Get null VideoZips from parseJsonString.");
        useDefaultVideo();
        return;
    }
    if (!record.show) {
        config()->writeInt(kVideoGroup, kShowVideo, 0);
        qWarning("Do not show the video !");
        return;
    }
    // The service may switch the video back on after switching it off.
    if (config()->readInt(kVideoGroup, kShowVideo) == 0)
        config()->writeInt(kVideoGroup, kShowVideo, 1);
    checkRecordedVideo(record, true);
}

void PosterPlugin::onVideoTimeout()
{
    qInfo().noquote() << QStringLiteral("Get VideoZips from server fail. code:%1,msg:%2.").arg(404).arg(QString());
    useDefaultVideo();
}

void PosterPlugin::useDefaultVideo()
{
    if (config()->manifestValue(kShowVideo) != QLatin1String("true"))
        return;
    VideoRecord record;
    record.url = QStringLiteral("%1/%2").arg(
        config()->manifestValue(QStringLiteral("officalweb")), config()->manifestValue(QStringLiteral("video_url")));
    record.show = true;
    checkRecordedVideo(record, false);
}

bool PosterPlugin::videoBusy() const
{
    return m_videoQueryId != 0 || m_downloader || m_unzipTask;
}

void PosterPlugin::checkRecordedVideo(const VideoRecord &record, bool download)
{
    // One video step at a time: a slow download must not be started twice.
    if (videoBusy()) {
        qInfo("video - the previous video step is still running");
        return;
    }
    m_video = record;
    m_videoQueryDownloads = download;
    m_videoQueryId = m_database->queryBgVideo(manifestGameId());
}

void PosterPlugin::onDatabaseAnswer(int requestId, bool success, const QVariantList &rows)
{
    if (requestId == 0 || requestId != m_videoQueryId)
        return;
    m_videoQueryId = 0;
    const QString recorded = success && !rows.isEmpty()
        ? rows.first().toMap().value(QStringLiteral("bgVideoUrl")).toString().trimmed()
        : QString();
    if (!recorded.isEmpty() && recorded == m_video.url.trimmed() && !installedVideoFolder(m_video.url).isEmpty()) {
        qInfo("DB has video data! Do not download");
        emit posterUpdate(PosterType::Video);
        return;
    }
    if (m_videoQueryDownloads)
        downloadVideo(m_video);
    else
        unzipVideo(m_video);
}

void PosterPlugin::downloadVideo(const VideoRecord &record)
{
    if (refuseAddress(record.url, QStringLiteral("Background video"))) {
        emit posterUpdate(PosterType::Video);
        return;
    }
    if (videoFolder(record.url).isEmpty()) {
        qWarning().noquote() << QStringLiteral("video - unusable address: %1").arg(record.url);
        emit posterUpdate(PosterType::Video);
        return;
    }
    qInfo().noquote() << QStringLiteral("start to downloadVideo - url : %1").arg(record.url);
    m_downloader = new KVDownloadManager(nullptr, m_manager);
    connect(m_downloader, &RangedTransfer::signalReplyFinished, this,
        [this](int successCode, int errorCode, const QString &errorMsg) {
            if (errorCode != 0) {
                qDebug().noquote() << QStringLiteral("video - this task [%1] is fail ")
                                          .arg(QFileInfo(videoFolder(m_video.url)).fileName())
                                   << errorMsg;
                endDownload();
                return;
            }
            qInfo().noquote()
                << QStringLiteral("video - HasDownloaded: %1 , successCode = %2").arg(m_video.url).arg(successCode);
            unzipVideo(m_video);
        });
    connect(m_downloader, &KVDownloadManager::signalDownloaded, this, [this](const QString &, const QString &url) {
        qDebug().noquote() << url;
        unzipVideo(m_video);
    });
    // A write that failed (a full disk) stops the transfer with these alone.
    connect(m_downloader, &RangedTransfer::signalDirSpaceLimit, this, [this](const QString &total) {
        qWarning().noquote() << QStringLiteral("video - the archive cannot be written, %1 bytes needed").arg(total);
    });
    connect(m_downloader, &RangedTransfer::signalDownloadStop, this, [this] {
        qWarning().noquote() << QStringLiteral("video - the download stopped: %1").arg(m_video.url);
        endDownload();
    });
    m_downloader->setUrl(record.url.trimmed());
    m_downloader->startDownload(1);
}

void PosterPlugin::endDownload()
{
    if (m_downloader) {
        m_downloader->disconnect(this);
        m_downloader->deleteLater();
        m_downloader = nullptr;
    }
    emit posterUpdate(PosterType::Video);
}

void PosterPlugin::unzipVideo(const VideoRecord &record)
{
    // Only the first of the downloader's two reports leads here; the
    // downloader has done its work.
    if (m_downloader) {
        m_downloader->disconnect(this);
        m_downloader->deleteLater();
        m_downloader = nullptr;
    }
    const QString folder = videoFolder(record.url);
    const QString archive = AppDir::filePath(QStringLiteral("Downloads/")) + QUrl(record.url.trimmed()).fileName();
    if (folder.isEmpty() || !QFileInfo(archive).isFile()) {
        qWarning().noquote()
            << QStringLiteral("video - unzipFail-error:%1").arg(QStringLiteral("no archive at ") + archive);
        emit posterUpdate(PosterType::Video);
        return;
    }
    // Extracted beside the folders being played and moved into a fresh one
    // once complete, so a failed extraction never leaves a half-written video.
    m_unzipTemp = folder + QStringLiteral(".extracting");
    m_unzipArchive = archive;
    QDir(m_unzipTemp).removeRecursively();
    m_unzipTask = new ZiplibTask(nullptr, record.url, archive, m_unzipTemp);
    m_unzipTask->setObjectName(QFileInfo(archive).fileName());
    auto completed = std::make_shared<bool>(false);
    auto error = std::make_shared<QString>();
    connect(
        m_unzipTask, &ZiplibTask::sigProgress, this, [completed](const QString &, qlonglong value, qlonglong total) {
            if (value == total)
                *completed = true;
        });
    connect(m_unzipTask, &ZiplibTask::sigError, this, [error](const QString &msg) { *error = msg; });
    connect(m_unzipTask, &ZiplibTask::sigCancelled, this, [error] { *error = QStringLiteral("cancelled"); });
    // The thread's end is the one completion of the task, however many
    // progress reports reached the total.
    connect(m_unzipTask, &QThread::finished, this, [this, completed, error] {
        onVideoExtracted(*completed && error->isEmpty(), error->isEmpty() ? QStringLiteral("incomplete") : *error);
    });
    m_unzipTask->start(QThread::InheritPriority);
}

bool PosterPlugin::installExtracted(QString *error)
{
    if (QDir(m_unzipTemp).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty()) {
        *error = QStringLiteral("the archive holds no frame");
        return false;
    }
    const QString base = videoFolder(m_video.url);
    const QStringList earlier = extractionsOf(base);
    const QString newest = earlier.value(0);
    const QString prefix = base + QLatin1Char('~');
    const int number = newest.startsWith(prefix) ? newest.mid(prefix.size()).toInt() + 1 : 0;
    const QString fresh = prefix + QString::number(number);
    if (!QDir().rename(m_unzipTemp, fresh)) {
        *error = QStringLiteral("cannot move %1 into place").arg(m_unzipTemp);
        return false;
    }
    // The newest earlier extraction may still be playing until the player
    // loads the fresh one; the older ones go.
    for (int i = 1; i < earlier.size(); ++i)
        QDir(earlier.at(i)).removeRecursively();
    return true;
}

void PosterPlugin::onVideoExtracted(bool ok, const QString &error)
{
    if (!m_unzipTask)
        return;
    m_unzipTask->deleteLater();
    m_unzipTask = nullptr;
    QString why = error;
    if (ok)
        ok = installExtracted(&why);
    if (!ok) {
        qWarning().noquote() << QStringLiteral("video - unzipFail-error:%1").arg(why);
        QDir(m_unzipTemp).removeRecursively();
        // An archive that does not give a video (an error page saved under
        // its name) is fetched again on the next pass.
        if (m_videoQueryDownloads && QFile::remove(m_unzipArchive))
            qWarning().noquote() << QStringLiteral("video - unusable archive removed: %1").arg(m_unzipArchive);
        emit posterUpdate(PosterType::Video);
        return;
    }
    qInfo().noquote() << QStringLiteral("video - unzipfinish-filename:%1").arg(QUrl(m_video.url.trimmed()).fileName());
    m_database->insertOrReplace(QStringLiteral("bgvideo"),
        {{QStringLiteral("bgVideoUrl"), m_video.url}, {QStringLiteral("isShowBgVideo"), m_video.show ? 1 : 0},
            {QStringLiteral("gameId"), manifestGameId()}});
    emit posterUpdate(PosterType::Video);
}
