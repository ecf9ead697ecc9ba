#pragma once

#include "api/apiresult.h"
#include "api/kvabstractnetwork.h"

#include <QImage>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class NotificationAlertRequest;
class QNetworkAccessManager;
class QNetworkReply;

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

    struct Collaborators
    {
        // Base of the home-content service; null: the running environment's.
        std::function<QString()> activityBase;
        QNetworkAccessManager *manager = nullptr; // null: the plug-in owns one
        int replyTimeoutMs = KVAbstractNetwork::kDefaultTimeoutMs;
        qint64 maxImageBytes = kMaxImageBytes;
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

    // The image of an alert banner body, or null when it is not a picture
    // within the caps.
    static QImage readImage(const QByteArray &body);

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
    void onImageDownloaded(QNetworkReply *reply, quint64 cycle, const QString &url);

    Collaborators m_collaborators;
    QNetworkAccessManager *m_imageLoader = nullptr;
    NotificationAlertRequest *m_request = nullptr;
    int m_messageId = 0;
    QString m_title;
    QString m_content;
    QString m_linkUrl;
    QString m_bannerUrl;
    QMap<QString, QImage> m_imageCache;
    // Each alert announced gets a new number; an image reply of an older one
    // is not shown with the newer alert's texts.
    quint64 m_cycle = 0;
    QPointer<QNetworkReply> m_imageReply;
};
