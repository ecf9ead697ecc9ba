#include "update/appinstallplugin.h"

#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"
#include "app/safepicture.h"
#include "app/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
#include <QThread>
#include <QtConcurrent>

namespace {

ProcessSingleton<Appinstallplugin> s_instance;

void registerTypes()
{
    static const int ids[] = {qRegisterMetaType<AppDownloadInfoPtr>("AppDownloadInfoPtr"),
        qRegisterMetaType<QList<BannerImageInfo>>("QList<BannerImageInfo>"),
        qRegisterMetaType<QList<AppNewsInfo>>("QList<AppNewsInfo>")};
    Q_UNUSED(ids)
}

// Why the picture at `path` is no usable banner (an error page saved as a
// picture, a cut download, gigapixels); empty when it is one. Checked by the
// declared size first, then decoded small; runs on a worker.
QString bannerProblem(const QString &path)
{
    QString why;
    const QSize cap(BannerImageInfo::kMaxSide, BannerImageInfo::kMaxSide);
    if (SafePicture::decode(path, cap, QSize(64, 64), &why).isNull())
        return why.isEmpty() ? QStringLiteral("it cannot be read") : why;
    return QString();
}

// A server answer for the log: a long one is cut short.
QString cutForLog(const QString &text)
{
    const int limit = Appinstallplugin::kMaxLoggedChars;
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("... (%1 characters)").arg(text.size());
}

void postVersionRequest(AppVersionRequest *request, const ServerUrls &urls, const QString &version)
{
    AppCurrentRequestInfo body;
    body.version = version;
    request->postRequest(0, body.toJson(), urls.hostUrl(Appinstallplugin::versionPath()), false, true);
}

} // namespace

Appinstallplugin *Appinstallplugin::instance()
{
    return s_instance.get([] {
        auto *plugin = new Appinstallplugin(*ServerUrls::instance(), LauncherConfig::applicationVersion());
        // Built on whatever thread asks first; it works on the GUI thread.
        if (QCoreApplication::instance())
            plugin->moveToThread(QCoreApplication::instance()->thread());
        return plugin;
    });
}

Appinstallplugin::Appinstallplugin(const ServerUrls &urls, const QString &currentVersion,
    QNetworkAccessManager *network, RequestThrottle::Clock clock, QObject *parent)
    : QObject(parent)
    , m_urls(urls)
    , m_currentVersion(currentVersion)
    , m_network(network ? network : new QNetworkAccessManager(this))
    , m_clock(clock ? std::move(clock) : RequestThrottle::Clock([] { return QDateTime::currentMSecsSinceEpoch(); }))
    , m_throttle(kCheckIntervalMs, m_clock)
    , m_baseInfoThrottle(kBaseInfoIntervalMs, m_clock)
    , m_replyTimeoutMs(KVAbstractNetwork::kDefaultTimeoutMs)
    , m_bannerFetch(new FileFetch(m_network, kMaxBannerBytes, kBannerStallMs, this))
{
    registerTypes();
    connect(m_bannerFetch, &FileFetch::finished, this, &Appinstallplugin::onBannerFetched);
}

Appinstallplugin::~Appinstallplugin()
{
    abandonBanner(QStringLiteral("the launcher is closing"));
    // The request objects release their replies, which belong to the network
    // manager: they go while it is still there (it may be a child created first).
    qDeleteAll(findChildren<KVAbstractNetwork *>(QString(), Qt::FindDirectChildrenOnly));
}

qint64 Appinstallplugin::nowMs() const
{
    return m_clock();
}

void Appinstallplugin::checkUpdateInServer()
{
    if (!m_throttle.tryAcquire()) {
        qInfo("checkUpdateInServer timelimit return.");
        return;
    }
    if (!m_request) {
        m_request = new AppVersionRequest(m_network, this);
        m_request->setReplyTimeout(m_replyTimeoutMs);
        m_request->setRetries(KVAbstractNetwork::kServiceRetries);
        connect(m_request, &AppVersionRequest::signalReplyfinsh, this, &Appinstallplugin::onAppVersionReply);
        connect(m_request, &AppVersionRequest::signalReplyError, this, [this] { m_throttle.failed(); });
    }
    postVersionRequest(m_request, m_urls, m_currentVersion);
}

void Appinstallplugin::servicesBack()
{
    m_throttle.answered();
    m_throttle.reset();
    m_baseInfoThrottle.reset();
    checkUpdateInServer();
    requestBaseAppInfo();
}

void Appinstallplugin::onAppVersionReply(const ApiResult &result)
{
    if (result.code > 0)
        m_throttle.answered();
    else
        m_throttle.failed();
    if (result.code != 200) {
        qInfo().noquote()
            << QStringLiteral("Get app version from server fail. code:%1,msg:%2.").arg(result.code).arg(result.msg);
        return;
    }
    const AppDownloadInfoPtr info = AppDownloadInfo::fromReplyData(result.data);
    if (!info || !needsAppUpdate(m_currentVersion, info->latestVersion))
        return;
    if (m_skippedVersions.contains(info->latestVersion)) {
        qInfo().noquote() << QStringLiteral("Launcher %1 did not start here before and was rolled back; it is not "
                                            "offered again automatically")
                                 .arg(info->latestVersion);
        return;
    }
    qInfo().noquote() << QStringLiteral("need to update app!!! old Version :") + m_currentVersion
            + QStringLiteral("New Version is :") + info->latestVersion;
    emit notifyAppUpdate(info);
}

// --- base information -----------------------------------------------------

void Appinstallplugin::requestBaseAppInfo()
{
    if (!m_baseInfoThrottle.tryAcquire()) {
        qInfo("requestBaseAppInfo timelimit return.");
        return;
    }
    if (!m_baseInfoRequest) {
        m_baseInfoRequest = new AppBaseInfoRequest(m_network, this);
        m_baseInfoRequest->setReplyTimeout(m_replyTimeoutMs);
        m_baseInfoRequest->setRetries(KVAbstractNetwork::kServiceRetries);
        connect(m_baseInfoRequest, &AppBaseInfoRequest::signalReplyfinsh, this, &Appinstallplugin::onBaseInfoReply);
    }
    const AppBaseInfo body;
    m_baseInfoRequest->postRequest(
        0, body.toJson(), m_urls.activityUrl(QStringLiteral("/activity/pc/launcher/base-info")), true, false);
}

void Appinstallplugin::onBaseInfoReply(const ApiResult &result)
{
    if (result.code != 200) {
        qInfo().noquote()
            << QStringLiteral("Get app baseInfo from server fail. code:%1,msg:%2.").arg(result.code).arg(result.msg);
        return;
    }
    qInfo("Get app baseInfo from server success.");
    m_baseInfo = AppBaseInfo::fromReplyData(result.data);
    emit baseInfoUpdate();
}

// --- banners ---------------------------------------------------------------

QString Appinstallplugin::bannerCachePath()
{
    return QStringLiteral("%1%2").arg(AppDir::path() + QStringLiteral("/Images/"), QStringLiteral("banner_en.json"));
}

void Appinstallplugin::nrequestBannerImage(const QString &gameId)
{
    m_banners.clear();
    ++m_bannerPass;
    abandonBanner(QStringLiteral("a new banner list was asked for"));
    m_bannerBusy = true;
    auto *request = new BannerImageRequest(m_network, this);
    request->setReplyTimeout(m_replyTimeoutMs);
    request->setRetries(KVAbstractNetwork::kServiceRetries);
    // One request object per call: it goes when its answer (or time-out) is handled.
    const int pass = m_bannerPass;
    connect(request, &BannerImageRequest::signalReplyfinsh, this, [this, request, pass](const ApiResult &result) {
        request->deleteLater();
        // The answer to a list asked for before the last one is not used.
        if (pass == m_bannerPass)
            onBannerListReply(result);
    });
    connect(request, &BannerImageRequest::signalReplyError, this, [this, request, pass] {
        request->deleteLater();
        if (pass == m_bannerPass)
            m_bannerBusy = false;
    });
    const QString url = m_urls.activityUrl(QStringLiteral("/activity/pc/launcher/banner"));
    const QJsonObject body = BannerRequestInfo(gameId).toJson();
    qInfo().noquote() << QStringLiteral("nrequestBannerImage url :") + url;
    qInfo().noquote() << QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact));
    request->postRequest(0, body, url, true, false);
}

void Appinstallplugin::onBannerListReply(const ApiResult &result)
{
    // Busy again below only when there are pictures to fetch.
    m_bannerBusy = false;
    if (result.code != 200) {
        qInfo().noquote() << QStringLiteral("nrequestBannerImage fail :") + cutForLog(result.data) + QStringLiteral(" ")
                + QString::number(result.code);
        return;
    }
    qInfo().noquote() << QStringLiteral("nrequestBannerImage success :") + cutForLog(result.data);
    const QJsonDocument document = QJsonDocument::fromJson(result.data.toUtf8());
    if (document.isNull())
        return;
    QDir().mkpath(AppDir::filePath(QStringLiteral("Images")));
    QSaveFile cache(bannerCachePath());
    if (!cache.open(QIODevice::WriteOnly) || cache.write(result.data.toUtf8()) < 0 || !cache.commit())
        qWarning().noquote() << QStringLiteral("Cannot write %1").arg(bannerCachePath());
    const QJsonValue images = document.object().value(QLatin1String("images"));
    if (!images.isArray()) {
        qInfo("images not in json ");
        return;
    }
    m_banners.clear();
    const qint64 now = nowMs();
    for (const QJsonValue &value : images.toArray()) {
        if (m_banners.size() == kMaxBanners) {
            qWarning("The banner list is longer than %d banners; the rest is left out.", kMaxBanners);
            break;
        }
        const QJsonObject image = value.toObject();
        const QString imageUrl = image.value(QLatin1String("imageUrl")).toString();
        const QString imageLink = image.value(QLatin1String("imageLink")).toString();
        qInfo().noquote() << QStringLiteral("imageUrl : ") + imageUrl;
        qInfo().noquote() << QStringLiteral("imageLink : ") + imageLink;
        const std::optional<BannerImageInfo> banner = BannerImageInfo::fromAnswer(imageUrl, imageLink, now);
        if (!banner) {
            qWarning().noquote()
                << QStringLiteral("Banner refused, its picture has no web address: %1").arg(imageUrl.left(200));
            continue;
        }
        m_banners.append(*banner);
        qInfo().noquote() << QStringLiteral("nrequestBannerImage banners:") + banner->fileName;
    }
    if (m_banners.isEmpty())
        return;
    m_bannerIndex = 0;
    m_bannerBusy = true;
    qInfo("downloadBanners banners times");
    const int pass = m_bannerPass;
    QMetaObject::invokeMethod(
        this,
        [this, pass] {
            if (pass == m_bannerPass)
                downloadBanners(m_bannerIndex);
        },
        Qt::QueuedConnection);
}

void Appinstallplugin::downloadBanners(int index)
{
    qDebug() << "downloadBanners_nowthread:" << QThread::currentThread() << "downloadBanners_basethread:" << thread()
             << index << m_banners.size();
    if (index < 0 || index > m_banners.size())
        return;
    if (index == m_banners.size()) {
        m_bannerBusy = false;
        emit bannerUpdate(m_banners);
        return;
    }
    m_bannerIndex = index;
    const BannerImageInfo &banner = m_banners.at(index);
    if (m_refusedBanners.contains(banner.imageUrl)) {
        // Refused for its picture: not fetched again while the address stays.
        m_banners.removeAt(index);
        downloadBanners(index);
        return;
    }
    qInfo().noquote() << QStringLiteral("image file imgPath") + banner.localPath;
    if (!QFileInfo::exists(banner.localPath)) {
        fetchBanner(index);
        return;
    }
    const QString path = banner.localPath;
    checkBanner(path, [this, index, path](const QString &problem) {
        if (problem.isEmpty()) {
            qInfo().noquote() << QStringLiteral("image file has downloaded  ") + path;
            downloadBanners(index + 1);
            return;
        }
        qWarning().noquote() << QStringLiteral("Banner picture does not decode, fetched again: %1").arg(path);
        QFile::remove(path);
        fetchBanner(index);
    });
}

void Appinstallplugin::checkBanner(const QString &path, const std::function<void(const QString &)> &done)
{
    const int pass = m_bannerPass;
    auto *watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, pass, done] {
        watcher->deleteLater();
        if (pass == m_bannerPass)
            done(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([path] { return bannerProblem(path); }));
}

void Appinstallplugin::fetchBanner(int index)
{
    const BannerImageInfo &banner = m_banners.at(index);
    qInfo().noquote() << QStringLiteral("image file start downloaded  ") + banner.fileName;
    QDir().mkpath(AppDir::filePath(QStringLiteral("Images")));
    // The picture takes its name only once it is whole: a cut or killed
    // download leaves no file that a later pass would take for the picture.
    if (!m_bannerFetch->start(QUrl(banner.imageUrl), banner.localPath + QStringLiteral(".part"))) {
        qWarning().noquote() << QStringLiteral("保存失败：") + banner.localPath + QStringLiteral(".part");
        m_bannerBusy = false;
        return;
    }
    qInfo().noquote() << QStringLiteral("image file setUrl:") + banner.imageUrl;
}

void Appinstallplugin::onBannerFetched(bool ok, const QString &error, int networkError)
{
    const BannerImageInfo banner = m_banners.value(m_bannerIndex);
    const QString temp = banner.localPath + QStringLiteral(".part");
    if (!ok) {
        if (networkError != 0) {
            qWarning().noquote() << QStringLiteral("Banner_SETTING_GROUP_Error msg : ") + error
                    + QStringLiteral(" ,code: ") + QString::number(networkError);
        }
        // The pass stops here; the next one starts again from this banner.
        qWarning().noquote() << QStringLiteral("Banner download ended: %1")
                                    .arg(networkError != 0 ? QStringLiteral("下载失败：") + error : error);
        m_bannerBusy = false;
        return;
    }
    checkBanner(temp, [this](const QString &problem) { keepBanner(problem); });
}

void Appinstallplugin::keepBanner(const QString &problem)
{
    const BannerImageInfo banner = m_banners.value(m_bannerIndex);
    const QString temp = banner.localPath + QStringLiteral(".part");
    int next = m_bannerIndex + 1;
    if (!problem.isEmpty()) {
        // Left out of this pass and the later ones while the address stays.
        qWarning().noquote() << QStringLiteral("Banner picture dropped, %1: %2").arg(problem, banner.imageUrl);
        QFile::remove(temp);
        if (m_refusedBanners.size() >= kMaxBanners)
            m_refusedBanners.clear();
        m_refusedBanners.insert(banner.imageUrl);
        m_banners.removeAt(m_bannerIndex);
        next = m_bannerIndex;
    } else {
        QFile::remove(banner.localPath);
        if (!QFile::rename(temp, banner.localPath)) {
            qWarning().noquote() << QStringLiteral("保存失败：") + banner.localPath;
            QFile::remove(temp);
            m_bannerBusy = false;
            return;
        }
        qInfo().noquote() << QStringLiteral("已保存图片：") + banner.localPath;
    }
    const int pass = m_bannerPass;
    QMetaObject::invokeMethod(
        this,
        [this, pass, next] {
            if (pass == m_bannerPass)
                downloadBanners(next);
        },
        Qt::QueuedConnection);
}

void Appinstallplugin::abandonBanner(const QString &why)
{
    m_bannerBusy = false;
    if (!m_bannerFetch->isRunning())
        return;
    qWarning().noquote() << QStringLiteral("Banner download ended: %1").arg(why);
    m_bannerFetch->abort();
}

// --- news ------------------------------------------------------------------

QString Appinstallplugin::newsQueryUrl(int runningType, const QMap<QString, QString> &manifest)
{
    static const char *const keys[] = {"Dev_news_host", "Test_news_host", "Release_news_host"};
    if (runningType < 1 || runningType > 3)
        return QString();
    const QString base = manifest.value(QString::fromLatin1(keys[runningType - 1]));
    return base.isEmpty() ? QString() : base + newsQueryPath();
}

void Appinstallplugin::requestNewsData(int informationType, const QString &url)
{
    auto *request = new AppNewsRequest(m_network, this);
    request->setReplyTimeout(m_replyTimeoutMs);
    request->setRetries(KVAbstractNetwork::kServiceRetries);
    request->setReplyLimit(kNewsReplyBytes);
    connect(
        request, &AppNewsRequest::signalReplyfinsh, this, [this, request, informationType](const ApiResult &result) {
            request->deleteLater();
            onNewsReply(informationType, result);
        });
    connect(request, &AppNewsRequest::signalReplyError, request, &QObject::deleteLater);
    request->postRequest(0, NewsRequestInfo(informationType).toJson(), url, true, false);
}

void Appinstallplugin::onNewsReply(int informationType, const ApiResult &result)
{
    m_news.clear();
    if (result.code != 200) {
        qInfo().noquote() << QStringLiteral("requestNewsData fail :") + cutForLog(result.data) + QStringLiteral(" ")
                + QString::number(result.code);
        return;
    }
    qDebug().noquote() << QStringLiteral("requestNewsData success :") + cutForLog(result.data)
            + QStringLiteral("informationType :") + QString::number(informationType);
    // At most the page asked for.
    const std::optional<QList<AppNewsInfo>> list
        = AppNewsInfo::listFromReplyData(result.data, informationType, NewsRequestInfo(informationType).pageSize);
    if (!list) {
        qInfo("pageData not in json ");
        return;
    }
    m_news = *list;
    emit newsUpdate(m_news);
}

LauncherVersionCheck::LauncherVersionCheck(
    const ServerUrls &urls, const QString &currentVersion, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_urls(urls)
    , m_currentVersion(currentVersion)
    , m_request(new AppVersionRequest(network, this))
{
    registerTypes();
    connect(m_request, &AppVersionRequest::signalReplyfinsh, this, &LauncherVersionCheck::onReply);
    connect(m_request, &AppVersionRequest::signalReplyError, this, &QObject::deleteLater);
}

void LauncherVersionCheck::start()
{
    postVersionRequest(m_request, m_urls, m_currentVersion);
}

QString LauncherVersionCheck::upToDateText(const QString &currentVersion)
{
    //: %1 is the launcher's version.
    return tr("Current version:%1").arg(currentVersion) + QStringLiteral("\n\n")
        + tr("You have updated to the latest Version.");
}

QString LauncherVersionCheck::rolledBackText(const QString &failed, const QString &restored)
{
    //: %1 is the launcher version that failed to start, %2 the version put back.
    return tr("The launcher update to version %1 did not start, so version %2 was put back. "
              "Version %1 will not be offered again automatically.")
        .arg(failed, restored);
}

void LauncherVersionCheck::onReply(const ApiResult &result)
{
    qInfo().noquote() << QStringLiteral("ApiPath_App_Version =  ") + result.msg;
    deleteLater();
    if (result.code != 200)
        return;
    const AppDownloadInfoPtr info = AppDownloadInfo::fromReplyData(result.data);
    if (info && needsAppUpdate(m_currentVersion, info->latestVersion)) {
        qInfo().noquote() << QStringLiteral("need to update app!!! New Version is :") + info->latestVersion;
        emit newerVersion(info);
        return;
    }
    emit upToDate(upToDateText(m_currentVersion));
}
