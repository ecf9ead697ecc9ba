#include "download/downloadfiletask.h"

#include "app/texts.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QFileInfo>
#include <QSslSocket>

DownloadFileTask::DownloadFileTask(QObject *parent, QNetworkAccessManager *network)
    : RangedTransfer(network, parent)
{
    qInfo().noquote() << QStringLiteral("Support https : %1 , openssl buildversion: %2 , version : %3")
                             .arg(QSslSocket::supportsSsl() ? 1 : 0)
                             .arg(QSslSocket::sslLibraryBuildVersionString(), QSslSocket::sslLibraryVersionString());
}

DownloadFileTask::~DownloadFileTask()
{
    qDebug().noquote() << QStringLiteral("~ DownloadFileTask clear\u00b7\u00b7\u00b7 m_url : %1").arg(m_url);
}

void DownloadFileTask::startDownload(const QString &url, const QString &dest, int divisor)
{
    startDownload(url, dest, GameFiles::instance()->installDir(), divisor);
}

void DownloadFileTask::startDownload(const QString &url, const QString &dest, const QString &installDir, int)
{
    if (!m_isStopped)
        return;
    zeroCounters();
    beginFile();
    m_url = url;
    m_realfilePath = installDir + QLatin1Char('/') + dest;
    m_downloadFileFullPath = m_realfilePath + QStringLiteral(".tmp");

    const QFileInfo realFile(m_realfilePath);
    if (realFile.exists() && realFile.isFile()) {
        qInfo().noquote() << QStringLiteral("realfileInfo : %1").arg(realFile.size());
        qInfo().noquote() << QStringLiteral("onFinished - url : %1").arg(m_url);
        emit signalStartConnect();
        emit signalReplyFinished(200, 0, QString(), m_realfilePath, sizeText(quint64(realFile.size())), m_url);
        return;
    }
    const QFileInfo partial(m_downloadFileFullPath);
    m_resumeOffset = partial.exists() && partial.isFile() ? partial.size() : 0;
    sendRequest(false);
}

void DownloadFileTask::stopDownload()
{
    stopTransfer();
}
