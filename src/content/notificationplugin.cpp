#include "content/notificationplugin.h"

#include "api/requestclasses.h"
#include "api/requestrecords.h"
#include "api/serverurls.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

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
}

NotificationPlugin::~NotificationPlugin()
{
    if (m_imageReply) {
        m_imageReply->disconnect(this);
        m_imageReply->abort();
        m_imageReply->deleteLater();
    }
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
    const auto cached = m_imageCache.constFind(m_bannerUrl);
    if (cached != m_imageCache.constEnd()) {
        emit alertReady(m_messageId, m_title, m_content, cached.value());
        return;
    }
    fetchImage();
}

void NotificationPlugin::fetchImage()
{
    const quint64 cycle = m_cycle;
    QNetworkReply *reply = m_imageLoader->get(QNetworkRequest(QUrl(m_bannerUrl)));
    m_imageReply = reply;
    const qint64 cap = m_collaborators.maxImageBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, cap](qint64 received, qint64 total) {
        if (received > cap || total > cap) {
            qWarning().noquote()
                << QStringLiteral("Alert image larger than %1 bytes: %2").arg(cap).arg(reply->url().toString());
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    const QString url = m_bannerUrl;
    connect(reply, &QNetworkReply::finished, this, [this, reply, cycle, url] { onImageDownloaded(reply, cycle, url); });
}

QImage NotificationPlugin::readImage(const QByteArray &body)
{
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxImageSide || size.height() > kMaxImageSide) {
        qWarning() << "Alert image refused, declared size" << size;
        return QImage();
    }
    return reader.read();
}

void NotificationPlugin::onImageDownloaded(QNetworkReply *reply, quint64 cycle, const QString &url)
{
    reply->deleteLater();
    QImage image;
    if (reply->error() == QNetworkReply::NoError && !reply->property("tooLarge").toBool()) {
        image = readImage(reply->read(m_collaborators.maxImageBytes));
        if (!image.isNull())
            m_imageCache.insert(url, image);
    } else {
        qWarning().noquote() << QStringLiteral("Alert image not loaded: %1").arg(reply->errorString());
    }
    qInfo().noquote() << "onImageDownloaded:" + url;
    if (cycle != m_cycle) {
        qInfo("onImageDownloaded: the alert was replaced meanwhile");
        return;
    }
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
