#pragma once

#include "api/apiresult.h"
#include "api/appbaseinfo.h"
#include "api/filefetch.h"
#include "api/requestthrottle.h"
#include "api/serverurls.h"
#include "update/appdownloadinfo.h"
#include "update/appnewsinfo.h"
#include "update/bannerimageinfo.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

class AppBaseInfoRequest;
class AppVersionRequest;
class QNetworkAccessManager;

// The launcher's own plug-in. Asks the launcher service, at most once every
// five minutes, whether a newer launcher exists, and announces one through
// notifyAppUpdate(). Fetches the home page's content from the home-content
// service: the base information (at most once every five minutes), the banner
// list with its pictures (kept in "Images/"), and the news lists.
//
// All requests and picture downloads share the plug-in's one network manager.
class Appinstallplugin : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kCheckIntervalMs = 300000;
    static constexpr qint64 kBaseInfoIntervalMs = 300000;
    // A banner is a small picture: more than this is not one.
    static constexpr qint64 kMaxBannerBytes = 8 * 1024 * 1024;
    // A banner download that receives nothing for this long fails.
    static constexpr int kBannerStallMs = 15000;
    // A carousel shows a handful: a longer list is cut, so that a pass stays short.
    static constexpr int kMaxBanners = 20;
    // Answers are logged cut to this many characters.
    static constexpr int kMaxLoggedChars = 2000;

    static Appinstallplugin *instance();

    // `urls`: where the launcher service is; `currentVersion`: the running
    // launcher's version; `clock`: milliseconds since the epoch.
    Appinstallplugin(const ServerUrls &urls, const QString &currentVersion, QNetworkAccessManager *network = nullptr,
        RequestThrottle::Clock clock = {}, QObject *parent = nullptr);
    ~Appinstallplugin() override;

    // The automatic check: skipped (and logged) within five minutes of the
    // previous one, which counts from the send, answered or not.
    void checkUpdateInServer();
    // Versions this check does not announce: they failed to start here and
    // were rolled back (the user's own check still offers them).
    void setSkippedVersions(const QStringList &versions) { m_skippedVersions = versions; }
    // The services answer again: the launcher check and the base information
    // go out now, the backoff forgotten.
    void servicesBack();

    static QString versionPath() { return QStringLiteral("/pc/launcher/version"); }

    // The base information; skipped (and logged) within five minutes of the
    // previous request, which counts from the send.
    void requestBaseAppInfo();
    // The last base information answered; none before the first, or when the
    // last answer held none.
    std::optional<AppBaseInfo> baseInfo() const { return m_baseInfo; }

    // Asks for the banner list of `gameId` and then fetches every picture not
    // yet in "Images/", one after another; bannerUpdate() when all are there.
    // A new call abandons a pass still running.
    void nrequestBannerImage(const QString &gameId);
    // Continues the banner pass at banner `index`.
    void downloadBanners(int index);
    QList<BannerImageInfo> banners() const { return m_banners; }
    // From nrequestBannerImage() until its pass ends: with bannerUpdate(), at
    // a failed picture, or with an answer that lists no banner.
    bool isFetchingBanners() const { return m_bannerBusy; }
    // "Images/banner_en.json", the text of the last banner answer's data.
    static QString bannerCachePath();

    // Asks the news service at `url` for the news of one information type;
    // newsUpdate() with its entries.
    void requestNewsData(int informationType, const QString &url);
    QList<AppNewsInfo> news() const { return m_news; }

    // The news query's address of an environment (1 development, 2 test, 3
    // release) from a manifest's "*_news_host" keys; empty when it has none.
    static QString newsQueryUrl(int runningType, const QMap<QString, QString> &manifest);
    // A page of news is a few kilobytes; a larger answer is dropped unparsed.
    static constexpr qint64 kNewsReplyBytes = 256 * 1024;
    static QString newsQueryPath() { return QStringLiteral("/activity/official/websites/information/query"); }

    // The time-out of requests made from now on (5000 ms unless changed).
    void setReplyTimeout(int milliseconds) { m_replyTimeoutMs = milliseconds; }

signals:
    void notifyAppUpdate(AppDownloadInfoPtr downloadInfo);
    void baseInfoUpdate();
    void bannerUpdate(QList<BannerImageInfo> banners);
    void newsUpdate(QList<AppNewsInfo> newsInfo);

private slots:
    void onAppVersionReply(const ApiResult &result);

private:
    void onBaseInfoReply(const ApiResult &result);
    void onBannerListReply(const ApiResult &result);
    void onNewsReply(int informationType, const ApiResult &result);
    void fetchBanner(int index);
    void onBannerFetched(bool ok, const QString &error, int networkError);
    // Checks the picture at `path` on a worker; `done` gets why it is no
    // usable banner (empty when it is one), unless a new pass began meanwhile.
    void checkBanner(const QString &path, const std::function<void(const QString &)> &done);
    // Keeps the checked picture of the banner in flight, or drops the banner.
    void keepBanner(const QString &problem);
    // Ends the banner download in flight: closes and removes its temporary file.
    void abandonBanner(const QString &why);
    qint64 nowMs() const;

    ServerUrls m_urls;
    QString m_currentVersion;
    QNetworkAccessManager *m_network = nullptr;
    RequestThrottle::Clock m_clock;
    RequestThrottle m_throttle;
    RequestThrottle m_baseInfoThrottle;
    int m_replyTimeoutMs;
    AppVersionRequest *m_request = nullptr;
    QStringList m_skippedVersions;
    AppBaseInfoRequest *m_baseInfoRequest = nullptr;
    std::optional<AppBaseInfo> m_baseInfo;

    QList<BannerImageInfo> m_banners;
    int m_bannerIndex = 0;
    int m_bannerPass = 0; // a new list abandons the steps of the previous one
    bool m_bannerBusy = false;
    FileFetch *m_bannerFetch = nullptr; // the banner in flight, into "<picture>.part"
    // Addresses whose picture was refused; left out of later passes.
    QSet<QString> m_refusedBanners;

    QList<AppNewsInfo> m_news;
};

// The check behind the settings page's "Check Version": a new request per
// press, no time limit. Reports a newer launcher, the up-to-date tip text, or
// nothing (failure or time-out), then deletes itself.
class LauncherVersionCheck : public QObject
{
    Q_OBJECT
public:
    LauncherVersionCheck(const ServerUrls &urls, const QString &currentVersion,
        QNetworkAccessManager *network = nullptr, QObject *parent = nullptr);

    void start();

    // "Current version: <v>", an empty line, and the up-to-date sentence.
    static QString upToDateText(const QString &currentVersion);
    // The notice after an update whose launcher `failed` did not start and
    // `restored` was put back.
    static QString rolledBackText(const QString &failed, const QString &restored);

signals:
    void newerVersion(AppDownloadInfoPtr downloadInfo);
    void upToDate(QString tipText);

private:
    void onReply(const ApiResult &result);

    ServerUrls m_urls;
    QString m_currentVersion;
    AppVersionRequest *m_request = nullptr;
};
