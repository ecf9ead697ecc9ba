#pragma once

#include "api/apiresult.h"
#include "api/filefetch.h"
#include "api/kvabstractnetwork.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class NotificationAlertRequest;
class QNetworkAccessManager;

// Asks the home-content service for the current notification alert, decides
// whether it is new (its id against "MESSAGE" / "MessageID", the last alert
// seen), fetches its banner image and announces the alert through
// alertReady(); NotificationView::present() shows it. The view reports the
// user's click and close back through onMessageClicked() / onMessageClosed().
//
// Widget-free; lives on the GUI thread.
class NotificationPlugin : public QObject
{
    Q_OBJECT
public:
    // A banner image is a small picture: larger bodies or pictures are refused
    // (a small PNG may declare gigapixels) and the built-in picture is shown.
    static constexpr qint64 kMaxImageBytes = 8 * 1024 * 1024;
    static constexpr int kMaxImageSide = 4096;
    // An image is decoded no larger than this (the alert is 460 x 230).
    static constexpr int kImageFitSide = 1024;
    // A download that receives nothing for this long fails.
    static constexpr int kImageStallMs = 15000;
    // The decoded images kept for alerts shown again, by bytes.
    static constexpr int kImageCacheBytes = 16 * 1024 * 1024;

    struct Collaborators
    {
        // Base of the home-content service; null: the running environment's.
        std::function<QString()> activityBase;
        QNetworkAccessManager *manager = nullptr; // null: the plug-in owns one
        int replyTimeoutMs = KVAbstractNetwork::kDefaultTimeoutMs;
        qint64 maxImageBytes = kMaxImageBytes;
        int imageStallMs = kImageStallMs;
        // Where the image being fetched is written; empty: "Images/" of the
        // application directory.
        QString imageFolder;
    };

    static NotificationPlugin *instance();

    explicit NotificationPlugin(Collaborators collaborators, QObject *parent = nullptr);
    ~NotificationPlugin() override;

    // One request cycle; nothing when "notification_enable" is off.
    void requestNotification();

    // Stores `id` as the last alert seen ("MESSAGE" / "MessageID").
    void saveMessageId(int id);

    int messageId() const { return m_messageId; }
    QString linkUrl() const { return m_linkUrl; }

    // The image of an alert banner file, or null when it is not a picture
    // within the caps; scaled down to kImageFitSide. Runs on a worker.
    static QImage readImage(const QString &path);

    // The bytes the cached images take.
    int cachedImageBytes() const { return m_imageCache.totalCost(); }

signals:
    void messageOpened(int messageId, QString messageUrl);
    void messageDismissed(QString linkUrl);
    // An alert to show. A null image means the built-in picture.
    void alertReady(int messageId, QString title, QString content, QImage image);

public slots:
    void onMessageClicked();
    void onMessageClosed();

private:
    QString activityUrl(const QString &path) const;
    void onReply(const ApiResult &result);
    void fetchImage();
    void onImageFetched(bool ok, const QString &error);
    void onImageDecoded(const QImage &image, const QString &url);
    void announce(const QImage &image);
    QString imageTempPath() const;

    Collaborators m_collaborators;
    QNetworkAccessManager *m_imageLoader = nullptr;
    NotificationAlertRequest *m_request = nullptr;
    int m_messageId = 0;
    QString m_title;
    QString m_content;
    QString m_linkUrl;
    QString m_bannerUrl;
    QCache<QString, QImage> m_imageCache {kImageCacheBytes};
    // Each alert announced gets a new number; an image of an older one is not
    // shown with the newer alert's texts.
    quint64 m_cycle = 0;
    // The one image download at a time, and the address it fetches.
    FileFetch *m_imageFetch = nullptr;
    QString m_fetchingUrl;
    QString m_fetchingPath;
    QString m_refusedUrl; // logged once
    // The image being decoded on a worker; a newer one supersedes it.
    quint64 m_decodeTicket = 0;
};
