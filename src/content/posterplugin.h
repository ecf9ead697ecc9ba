#pragma once

#include "api/apiresult.h"
#include "api/filefetch.h"
#include "api/kvabstractnetwork.h"
#include "api/requestthrottle.h"
#include "app/basebean.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>

class DbManager;
class KVDownloadManager;
class PosterRequest;
class QNetworkAccessManager;
class QNetworkReply;
class ZiplibTask;

enum class PosterType {
    Image = 0, // the poster changed
    Video = 1, // the background video is ready, or the video step ended without a new one
};
Q_DECLARE_METATYPE(PosterType)

// Keeps the home page's poster and background video current. At most once
// every five minutes it asks the home-content service for the poster and for
// the video address; the poster image is streamed into "Images/", checked by
// its digest and kept in two slots ("poster_next" waits for its online time,
// "poster_current" is shown); the video archive is downloaded into
// "Downloads/", extracted into "QtQuick/WebPage/video/<name>/" and recorded in
// the database's "bgvideo" row, so the same address is not fetched again.
//
// Widget-free; lives on the GUI thread. posterUpdate() tells the window what
// to refresh.
class PosterPlugin : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kCheckIntervalMs = 300000;
    // A poster is one picture: more than this is not one.
    static constexpr qint64 kMaxPosterBytes = 32 * 1024 * 1024;
    static constexpr int kPosterStallMs = 15000;
    // Without a screen to measure, a poster may declare at most this.
    static constexpr int kFallbackPosterWidth = 7680;
    static constexpr int kFallbackPosterHeight = 4320;

    struct Collaborators
    {
        // Base of the home-content service; null: the running environment's.
        std::function<QString()> activityBase;
        QNetworkAccessManager *manager = nullptr; // null: the plug-in owns one
        RequestThrottle::Clock clock; // null: the system clock
        DbManager *database = nullptr; // null: the launcher's database
        int replyTimeoutMs = KVAbstractNetwork::kDefaultTimeoutMs;
        int posterStallMs = kPosterStallMs;
        qint64 maxPosterBytes = kMaxPosterBytes;
        // The largest poster accepted, by its declared size; empty: twice
        // the primary screen (posterSideCap()).
        QSize maxPosterSide;
        DeviceInfo device;
        AppPackageInfo package;
    };

    // The process-wide plug-in with the launcher's own collaborators.
    static PosterPlugin *instance();

    explicit PosterPlugin(Collaborators collaborators, QObject *parent = nullptr);
    ~PosterPlugin() override;

    // One check pass; ignored within kCheckIntervalMs of the last one started.
    void checkPosterInServer();
    // The services answer again: the check goes out now, its backoff forgotten.
    void servicesBack();

    // Installs the edition's default video (its archive is expected in
    // "Downloads/" already) unless the database already records it.
    void useDefaultVideo();

    // The folder name a video address is extracted under; empty for an
    // address whose file name cannot name a folder inside "video/". Each
    // extraction goes to a fresh folder "<name>~<n>" beside it, so the
    // frames being played are never overwritten.
    static QString videoFolder(const QString &url);
    // The newest complete extraction of `url`; empty when there is none.
    static QString installedVideoFolder(const QString &url);
    // Twice the primary screen's size in device pixels (a fallback without one).
    static QSize posterSideCap();
    // The manifest allows the background video ("show_video" exactly "true")
    // and the service did not switch it off ("VIDEO" / "show_video" 0).
    static bool videoEnabled();

signals:
    void posterUpdate(PosterType type);

private:
    struct VideoRecord
    {
        QString url;
        bool show = true;
    };

    QString activityUrl(const QString &path) const;
    // True (logged once per address) when `url` is no web address.
    bool refuseAddress(const QString &url, const QString &what);
    QSize posterCap() const;
    qint64 nowMs() const;

    void onPosterReply(const ApiResult &result);
    void downloadPoster(const QString &data);
    void onPosterFetched(bool ok, const QString &error);

    void onVideoReply(const ApiResult &result);
    void onVideoTimeout();
    void checkRecordedVideo(const VideoRecord &record, bool download);
    void onDatabaseAnswer(int requestId, bool success, const QVariantList &rows);
    void downloadVideo(const VideoRecord &record);
    void unzipVideo(const VideoRecord &record);
    void onVideoExtracted(bool ok, const QString &error);
    // Moves a complete extraction into a fresh folder; false when it holds
    // no frame or cannot be moved.
    bool installExtracted(QString *error);
    void endDownload();
    void endVideoStep();
    bool videoBusy() const;

    Collaborators m_collaborators;
    RequestThrottle m_throttle;
    QNetworkAccessManager *m_manager = nullptr;
    DbManager *m_database = nullptr;
    PosterRequest *m_posterRequest = nullptr;
    PosterRequest *m_videoRequest = nullptr;

    // The poster download in flight.
    FileFetch *m_posterFetch = nullptr; // a child, so it moves with the plug-in
    QString m_posterData;
    // A poster refused for its picture: not fetched again until the address
    // or the digest changes.
    QString m_refusedPoster;
    QString m_refusedAddress; // logged once

    // The video step in flight: its database query, downloader or extraction.
    int m_videoQueryId = 0;
    bool m_videoQueryDownloads = true;
    VideoRecord m_video;
    KVDownloadManager *m_downloader = nullptr;
    ZiplibTask *m_unzipTask = nullptr;
    QString m_unzipTemp;
    QString m_unzipArchive;
};
