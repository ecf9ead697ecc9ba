#include "download/kvdownloadtaskmanager.h"

#include "app/appdir.h"
#include "app/texts.h"
#include "download/downloadratelimiter.h"
#include "download/kvdownloadmanager.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

KVDownloadTaskManager::KVDownloadTaskManager(QObject *parent, DownloadCollaborators collaborators)
    : DownloadInterface(parent, std::move(collaborators))
{ }

KVDownloadTaskManager::~KVDownloadTaskManager() = default;

void KVDownloadTaskManager::startDownload(GameVersionInfo versionInfo)
{
    if (m_isRunning)
        return;
    const QString downloads = AppDir::filePath(QStringLiteral("Downloads/"));
    if (!QFileInfo::exists(downloads))
        QDir().mkpath(downloads);

    m_versionInfo = versionInfo;
    m_isRunning = true;
    resetState();
    startTiming();
    m_presentBytes = 0;
    m_downloadedBytes = 0;

    GameFiles *files = GameFiles::instance();
    files->setTargetVersion(m_versionInfo.latestVersion);
    files->setStatus(1);
    files->setTotalSize(m_versionInfo.packageRealSize);
    files->setUpdateType(m_versionInfo.updateType);
    m_totalBytes = m_versionInfo.packageSize;

    for (const QString &url : qAsConst(m_versionInfo.packageUrls)) {
        const QFileInfo finalFile(files->downloadFilePath(url));
        if (finalFile.isFile()) {
            m_presentBytes += finalFile.size();
            continue;
        }
        const QFileInfo partial(files->tempFilePath(url));
        if (partial.isFile())
            m_presentBytes += partial.size();
        if (!needToDownloadUrls.contains(url))
            needToDownloadUrls.append(url);
    }
    if (needToDownloadUrls.isEmpty()) {
        finishAll();
        m_isRunning = false;
        return;
    }
    m_downloadedBytes = m_presentBytes;
    m_lastDownloadedBytes = m_presentBytes;

    // One budget for every file of the run.
    const std::shared_ptr<DownloadRateLimiter> limiter = makeRateLimiter();
    for (const QString &url : qAsConst(needToDownloadUrls)) {
        qDebug().noquote() << QStringLiteral("URL&List url - %1 , needToDownloadUrls size : %2")
                                  .arg(url)
                                  .arg(needToDownloadUrls.size());
        QNetworkAccessManager *network
            = m_collaborators.networkFactory ? m_collaborators.networkFactory(this) : nullptr;
        auto *worker = new KVDownloadManager(url, this, network);
        worker->setRateLimiter(limiter);
        worker->setTransferTimeout(m_collaborators.transferTimeoutMs);
        worker->setLowSpeedLimit(m_collaborators.lowSpeedBytesPerSecond, m_collaborators.lowSpeedWindowMs);
        // The record's size and digest are those of the package's one file when it has only one.
        if (m_versionInfo.packageUrls.size() == 1)
            worker->declareContent(m_versionInfo.packageSize, m_versionInfo.packageMd5.toLatin1());
        m_managers.insert(url, worker);

        connect(worker, &KVDownloadManager::signalDownloadProcess, this,
            [this](const KorvaneObject::DownloadingInfo &info) { addProgress(info.bytesReceived); });
        connect(worker, &KVDownloadManager::signalReplyFinished, this,
            [this](int successCode, int errorCode, QString errorMsg, QString path, QString, QString fileUrl) {
                QMetaObject::invokeMethod(
                    this, [=] { onFileFinished(successCode, errorCode, errorMsg, path, fileUrl); },
                    Qt::QueuedConnection);
            });
        connect(worker, &KVDownloadManager::signalDirSpaceLimit, this, [this](const QString &) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    stopDownload();
                    emit signalDirSpaceLimit(sizeText(quint64(std::max<qint64>(0, m_versionInfo.packageSize))));
                },
                Qt::QueuedConnection);
        });
        connect(worker, &KVDownloadManager::signalDownloadStop, this, [this](const QString &fileUrl) {
            qDebug("-----------------signalDownloadStop---------------");
            QMetaObject::invokeMethod(
                this, [=] { onWorkerStopped(fileUrl); }, Qt::QueuedConnection);
        });
        connect(worker, &KVDownloadManager::signalStartConnect, this, [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!m_progressSeen)
                        emit signalStartConnect();
                },
                Qt::QueuedConnection);
        });
        startTiming();
        worker->startDownload(m_managers.size());
    }
}

void KVDownloadTaskManager::onFileFinished(
    int successCode, int errorCode, const QString &errorMsg, const QString &path, const QString &url)
{
    qInfo().noquote() << QStringLiteral("m_realfilePath = %2").arg(path);
    if (KVDownloadManager *worker = m_managers.value(url)) {
        worker->disconnect(this);
        worker->deleteLater();
    }
    m_managers.remove(url);

    if (errorCode != 0) {
        qInfo().noquote()
            << QStringLiteral("this task [%1] is fail,errorCode :%2 ").arg(QFileInfo(path).fileName()).arg(errorCode);
        m_failedTasks.insert(url, errorCode);
        track(QStringLiteral("launcher_downloadgame_finish"),
            {{QStringLiteral("result"), QStringLiteral("fail")}, {QStringLiteral("downloadfail_url"), url},
                {QStringLiteral("downloadfail_code"), errorCode}, {QStringLiteral("result_msg"), errorMsg}});
    } else {
        qInfo().noquote() << QStringLiteral("HasDownloaded: %1 , successCode = %2").arg(url).arg(successCode);
    }
    if (m_stopping) {
        completeStopIfDone();
        return;
    }
    if (!m_isRunning)
        return; // a late report of a run that was stopped
    if (!m_managers.isEmpty())
        return;
    if (!m_failedTasks.isEmpty()) {
        notifyDownloadError(m_failedTasks.firstKey(), m_failedTasks.first());
    } else {
        qInfo("All Task Has Finished");
        GameFiles::instance()->setStatus(6);
        finishAll();
    }
    m_progressSeen = false;
    m_isRunning = false;
}

void KVDownloadTaskManager::finishAll()
{
    m_failedTasks.clear();
    emit signalReplyFinished(200, sizeText(quint64(std::max<qint64>(0, m_totalBytes))));
}

void KVDownloadTaskManager::notifyDownloadError(QString url, int code)
{
    qInfo().noquote() << QStringLiteral("--notifyDownloadError-url:%1").arg(url);
    m_isRunning = false;
    emit signalDownloadError(url, code);
    removeFailedFiles();
}

bool KVDownloadTaskManager::removeFailedFiles()
{
    GameFiles *files = GameFiles::instance();
    for (auto it = m_failedTasks.cbegin(); it != m_failedTasks.cend(); ++it) {
        // Content errors (access denied, not found, gone ...): a retry starts over.
        if (it.value() < 201 || it.value() > 299)
            continue;
        files->deleteFile(files->tempFilePath(it.key()));
        files->deleteFile(files->downloadFilePath(it.key()));
    }
    return true;
}

void KVDownloadTaskManager::stopDownload()
{
    m_isRunning = false;
    if (m_managers.isEmpty())
        return;
    m_stopping = true;
    const auto workers = m_managers;
    for (KVDownloadManager *worker : workers) {
        if (worker)
            worker->stopDownload();
    }
    // Workers that were no longer running send no report.
    QMetaObject::invokeMethod(
        this, [this] { completeStopIfDone(); }, Qt::QueuedConnection);
}

void KVDownloadTaskManager::closeDownload()
{
    m_isRunning = false;
    m_stopping = !m_managers.isEmpty();
    for (auto it = m_managers.begin(); it != m_managers.end(); ++it) {
        if (!it.value())
            continue;
        it.value()->closeDownload();
        it.value()->deleteLater();
        it.value() = nullptr;
    }
    if (m_stopping)
        QMetaObject::invokeMethod(
            this, [this] { completeStopIfDone(); }, Qt::QueuedConnection);
}

void KVDownloadTaskManager::onWorkerStopped(const QString &url)
{
    Q_UNUSED(url)
    ++m_stopCount;
    completeStopIfDone();
}

void KVDownloadTaskManager::completeStopIfDone()
{
    if (!m_stopping)
        return;
    // Every worker has either reported its stop or is no longer running.
    for (KVDownloadManager *worker : qAsConst(m_managers)) {
        if (worker && !worker->isStopped())
            return;
    }
    qInfo("All Download Tasks Has Stop");
    m_stopping = false;
    m_progressSeen = false;
    m_isRunning = false;
    m_stopCount = 0;
    for (KVDownloadManager *worker : qAsConst(m_managers)) {
        if (worker) {
            worker->disconnect(this);
            worker->deleteLater();
        }
    }
    m_managers.clear();
    emit signalDownloadStop();
}

void KVDownloadTaskManager::resetState()
{
    m_startMs = 0;
    m_stopCount = 0;
    m_stopping = false;
    needToDownloadUrls.clear();
    m_failedTasks.clear();
    for (KVDownloadManager *worker : qAsConst(m_managers)) {
        if (worker) {
            worker->disconnect(this);
            worker->deleteLater();
        }
    }
    m_managers.clear();
}

void KVDownloadTaskManager::startTiming()
{
    m_isRunning = true;
    restartClock();
    m_startMs = elapsedMs();
    m_lastEmitMs = 0;
}
