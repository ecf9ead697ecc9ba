#include "download/kvdownloadmanager.h"

#include "app/texts.h"
#include "download/downloadratelimiter.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

KVDownloadManager::KVDownloadManager(QObject *parent, QNetworkAccessManager *network)
    : RangedTransfer(network, parent)
{ }

KVDownloadManager::KVDownloadManager(const QString &url, QObject *parent, QNetworkAccessManager *network)
    : RangedTransfer(network, parent)
{
    qDebug().noquote() << QStringLiteral("new KVDownloadManager - >") + url;
    setUrl(url);
}

KVDownloadManager::~KVDownloadManager()
{
    qDebug().noquote() << QStringLiteral("~ KVDownloadManager clear - m_url : %1").arg(m_url);
}

void KVDownloadManager::setUrl(const QString &url)
{
    m_url = url;
    m_realfilePath = GameFiles::instance()->downloadFilePath(url);
    zeroCounters();
    // A package file name declares its size and digest.
    declareContent(GameFiles::instance()->fileNameSize(url), GameFiles::instance()->fileNameMd5(url));
}

void KVDownloadManager::startDownload(int)
{
    if (!m_isStopped)
        return;
    if (!hasNetwork()) {
        qWarning().noquote() << QStringLiteral("KVDownloadManager spent, not started again - %1").arg(m_url);
        return;
    }
    if (m_realfilePath.isEmpty()) {
        // Refused before anything is written: the name could point out of "Downloads/".
        const QString message = QStringLiteral("Error msg : unusable address - %1").arg(m_url);
        m_isStopped = false;
        dropNetwork();
        QMetaObject::invokeMethod(
            this,
            [this, message] {
                if (!m_isStopped)
                    report(-1, UnusableAddressCode, message, QString());
            },
            Qt::QueuedConnection);
        return;
    }
    const QFileInfo realFile(m_realfilePath);
    if (realFile.exists() && realFile.isFile()) {
        qInfo().noquote() << QStringLiteral("realfileInfo : %1").arg(realFile.size());
        m_isStopped = false;
        emit signalDownloaded(m_realfilePath, m_url);
        return;
    }
    m_downloadFileFullPath = GameFiles::instance()->tempFilePath(m_url);
    qInfo().noquote() << QStringLiteral("m_downloadFileFullPath : ") + m_downloadFileFullPath;
    const QFileInfo partial(m_downloadFileFullPath);
    m_resumeOffset = partial.exists() && partial.isFile() ? partial.size() : 0;

    beginFile();
    startDigest();
    if (completeIfWhole())
        return;
    if (!rateLimiter())
        setRateLimiter(DownloadRateLimiter::following());
    sendRequest(true);
}

void KVDownloadManager::stopDownload()
{
    if (m_isStopped)
        return;
    stopTransfer();
    dropNetwork();
}

void KVDownloadManager::onWriteFailed()
{
    stopDownload();
}

void KVDownloadManager::closeDownload()
{
    m_isStopped = true;
    zeroCounters();
    disconnectNetWork();
    emit signalDownloadStop(m_url);
    zeroCounters();
    removeFile(m_realfilePath);
    removeFile(m_downloadFileFullPath.isEmpty() ? GameFiles::instance()->tempFilePath(m_url) : m_downloadFileFullPath);
    dropNetwork();
}
