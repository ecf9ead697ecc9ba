#include "content/notificationplugin.h"

#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "api/serverurls.h"
#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"
#include "app/safepicture.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtConcurrent>

namespace {

ProcessSingleton<NotificationPlugin> s_instance;

const QString kMessageGroup = QStringLiteral("MESSAGE");
const QString kMessageId = QStringLiteral("MessageID");

} // namespace

NotificationPlugin *NotificationPlugin::instance()
{
    return s_instance.get([] {
        auto *plugin = new NotificationPlugin(Collaborators());
        if (QCoreApplication::instance())
            plugin->moveToThread(QCoreApplication::instance()->thread());
        return plugin;
    });
}

NotificationPlugin::NotificationPlugin(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    m_imageLoader = m_collaborators.manager ? m_collaborators.manager : new QNetworkAccessManager(this);
    m_imageFetch = new FileFetch(m_imageLoader, m_collaborators.maxImageBytes, m_collaborators.imageStallMs, this);
    connect(m_imageFetch, &FileFetch::finished, this, &NotificationPlugin::onImageFetched);
}

NotificationPlugin::~NotificationPlugin()
{
    m_imageFetch->abort();
}

QString NotificationPlugin::activityUrl(const QString &path) const
{
    const QString base
        = m_collaborators.activityBase ? m_collaborators.activityBase() : ServerUrls::instance()->activityHost();
    return base + path;
}

void NotificationPlugin::saveMessageId(int id)
{
    LauncherConfig *config = LauncherConfig::instance();
    if (config->readInt(kMessageGroup, kMessageId) != id)
        config->writeInt(kMessageGroup, kMessageId, id);
}

void NotificationPlugin::requestNotification()
{
    if (!LauncherConfig::instance()->readBool(QStringLiteral("Launcher"), QStringLiteral("notification_enable"), true))
        return;
    if (!m_request) {
        qDebug("processNewMessage");
        m_request = new NotificationAlertRequest(m_imageLoader, this);
        m_request->setReplyTimeout(m_collaborators.replyTimeoutMs);
        m_request->setRetries(KVAbstractNetwork::kServiceRetries);
        connect(m_request, &KVAbstractNetwork::signalReplyfinsh, this, &NotificationPlugin::onReply);
    }
    const NotificationRequsetInfo record;
    m_request->postRequest(
        0, record.toJson(), activityUrl(QStringLiteral("/activity/pc/launcher/message")), true, false);
}

void NotificationPlugin::onReply(const ApiResult &result)
{
    qDebug().noquote() << "NotificationAlertRequest1 =  " + result.msg;
    if (result.code != 200 || result.msg.isEmpty())
        return;
    const QJsonDocument document = QJsonDocument::fromJson(result.data.toUtf8());
    if (!document.isObject()) {
        qInfo("NotificationAlertRequest: the answer holds no alert");
        return;
    }
    const QJsonObject data = document.object();
    m_messageId = data.value(QStringLiteral("messageId")).toInt(0);
    m_title = data.value(QStringLiteral("title")).toString();
    m_content = data.value(QStringLiteral("content")).toString();
    m_bannerUrl = data.value(QStringLiteral("bannerUrl")).toString();
    m_linkUrl = data.value(QStringLiteral("linkUrl")).toString();
    qDebug().noquote() << "NotificationAlertRequest2 =  " + m_title + m_content + m_bannerUrl + "linkUrl" + m_linkUrl;
    if (m_messageId == 0) {
        qDebug("NotificationAlertRequest22222222222");
        return;
    }
    if (m_messageId == LauncherConfig::instance()->readInt(kMessageGroup, kMessageId)) {
        if (!m_imageCache.isEmpty())
            qInfo().noquote() << QStringLiteral("NotificationAlertRequest：no new message");
        return;
    }
    ++m_cycle;
    if (m_imageFetch->isRunning() && m_fetchingUrl != m_bannerUrl) {
        m_imageFetch->abort(); // for an alert that was replaced
        m_fetchingUrl.clear();
    }
    if (const QImage *cached = m_imageCache.object(m_bannerUrl)) {
        emit alertReady(m_messageId, m_title, m_content, *cached);
        return;
    }
    fetchImage();
}

QString NotificationPlugin::imageTempPath() const
{
    const QString folder = m_collaborators.imageFolder.isEmpty() ? AppDir::filePath(QStringLiteral("Images"))
                                                                 : m_collaborators.imageFolder;
    QDir().mkpath(folder);
    // A file per download: an image still being decoded is not overwritten.
    return QStringLiteral("%1/alert_%2.part").arg(folder).arg(m_cycle);
}

void NotificationPlugin::fetchImage()
{
    const QUrl url(m_bannerUrl);
    if (!SafePicture::isFetchable(url)) {
        if (m_refusedUrl != m_bannerUrl) {
            m_refusedUrl = m_bannerUrl;
            qWarning().noquote()
                << QStringLiteral("Alert image refused, not a web address: %1").arg(m_bannerUrl.left(200));
        }
        announce(QImage());
        return;
    }
    // One download at a time: the same image still arriving serves this alert too.
    if (m_imageFetch->isRunning()) {
        if (m_fetchingUrl == m_bannerUrl)
            return;
        m_imageFetch->abort();
    }
    m_fetchingUrl = m_bannerUrl;
    m_fetchingPath = imageTempPath();
    if (!m_imageFetch->start(url, m_fetchingPath)) {
        qWarning().noquote() << QStringLiteral("Alert image not loaded: cannot write %1").arg(m_fetchingPath);
        m_fetchingUrl.clear();
        announce(QImage());
    }
}

void NotificationPlugin::onImageFetched(bool ok, const QString &error)
{
    const QString url = m_fetchingUrl;
    const QString path = m_fetchingPath;
    m_fetchingUrl.clear();
    if (!ok) {
        qWarning().noquote() << QStringLiteral("Alert image not loaded: %1").arg(error);
        qInfo().noquote() << "onImageDownloaded:" + url;
        if (url == m_bannerUrl)
            announce(QImage());
        return;
    }
    const quint64 ticket = ++m_decodeTicket;
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket, url] {
        watcher->deleteLater();
        if (ticket == m_decodeTicket)
            onImageDecoded(watcher->result(), url);
    });
    watcher->setFuture(QtConcurrent::run([path] {
        const QImage image = readImage(path);
        QFile::remove(path);
        return image;
    }));
}

QImage NotificationPlugin::readImage(const QString &path)
{
    QString why;
    const QImage image
        = SafePicture::decode(path, QSize(kMaxImageSide, kMaxImageSide), QSize(kImageFitSide, kImageFitSide), &why);
    if (image.isNull())
        qWarning().noquote() << QStringLiteral("Alert image refused: %1").arg(why);
    return image;
}

void NotificationPlugin::onImageDecoded(const QImage &image, const QString &url)
{
    qInfo().noquote() << "onImageDownloaded:" + url;
    if (!image.isNull())
        m_imageCache.insert(url, new QImage(image), int(qMin<qint64>(image.sizeInBytes(), INT_MAX)));
    if (url != m_bannerUrl) {
        qInfo("onImageDownloaded: the alert was replaced meanwhile");
        return;
    }
    announce(image);
}

void NotificationPlugin::announce(const QImage &image)
{
    // Shown with the built-in picture when its own failed, and seen all the same.
    emit alertReady(m_messageId, m_title, m_content, image);
    saveMessageId(m_messageId);
}

void NotificationPlugin::onMessageClicked()
{
    emit messageOpened(m_messageId, m_linkUrl);
}

void NotificationPlugin::onMessageClosed()
{
    saveMessageId(m_messageId);
    emit messageDismissed(m_linkUrl);
}
