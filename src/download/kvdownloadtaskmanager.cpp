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

#include <algorithm>
#include <limits>

KVDownloadTaskManager::KVDownloadTaskManager(QObject *parent, DownloadCollaborators collaborators)
    : DownloadInterface(parent, std::move(collaborators))
    , m_hosts(m_collaborators.mirrors, m_collaborators.hostSetAsideMs)
{
    m_retryTicker.setInterval(1000);
    connect(&m_retryTicker, &QTimer::timeout, this, &KVDownloadTaskManager::onRetryTick);
}

KVDownloadTaskManager::~KVDownloadTaskManager() = default;

void KVDownloadTaskManager::startDownload(GameVersionInfo versionInfo)
{
    if (isRunning())
        return;
    const QString downloads = AppDir::filePath(QStringLiteral("Downloads/"));
    if (!QFileInfo::exists(downloads))
        QDir().mkpath(downloads);

    m_versionInfo = versionInfo;
    resetState();
    beginRun();
    startTiming();
    m_presentBytes = 0;
    m_downloadedBytes = 0;

    GameFiles *files = GameFiles::instance();
    files->setTargetVersion(m_versionInfo.latestVersion);
    files->setStatus(InstallStatus::Downloading);
    files->setTotalSize(m_versionInfo.packageRealSize);
    files->setUpdateType(m_versionInfo.updateType);
    m_totalBytes = m_versionInfo.packageSize;
    collectMissing();
    if (needToDownloadUrls.isEmpty()) {
        // Reported from the event loop, as every other end of a run: the caller
        // has returned and connected whatever it needs by then.
        laterInRun(this, [this] { finishAll(); });
        return;
    }
    m_downloadedBytes = m_presentBytes;
    m_lastDownloadedBytes = m_presentBytes;

    // One budget for every file of the run.
    m_limiter = makeRateLimiter();
    m_waitingUrls = needToDownloadUrls;
    admitWaiting();
}

void KVDownloadTaskManager::admitWaiting()
{
    if (!isRunning())
        return;
    GameFiles *files = GameFiles::instance();
    const QStringList waiting = m_waitingUrls;
    for (const QString &url : waiting) {
        if (m_admit && !m_admit(url))
            break; // in package order: a later file never overtakes a held one
        m_waitingUrls.removeOne(url);
        // The time without progress counts from the file's start, not the run's:
        // a file held back by the disk budget has not stalled.
        FileRetry &retry = m_retries[url];
        retry.lastProgressMs = nowMs();
        retry.bytes = QFileInfo(files->tempFilePath(url)).size();
        startWorker(url, m_limiter);
    }
}

void KVDownloadTaskManager::collectMissing()
{
    GameFiles *files = GameFiles::instance();
    // An archive already extracted for this version is not fetched again.
    const QStringList extracted = files->unzippedArchives(m_versionInfo.latestVersion);
    for (const QString &url : qAsConst(m_versionInfo.packageUrls)) {
        if (extracted.contains(GameFiles::archiveKey(url))) {
            m_presentBytes += files->fileNameSize(url);
            continue;
        }
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
}

void KVDownloadTaskManager::startWorker(const QString &url, const std::shared_ptr<DownloadRateLimiter> &limiter)
{
    qDebug().noquote()
        << QStringLiteral("URL&List url - %1 , needToDownloadUrls size : %2").arg(url).arg(needToDownloadUrls.size());
    QNetworkAccessManager *network = m_collaborators.networkFactory ? m_collaborators.networkFactory(this) : nullptr;
    auto *worker = new KVDownloadManager(url, this, network);
    const QString host = m_hosts.pick(url, nowMs());
    if (host != TransferRetry::baseOf(url))
        worker->setSourceUrl(TransferRetry::onBase(url, host));
    worker->setRateLimiter(limiter);
    worker->setTransferTimeout(m_collaborators.transferTimeoutMs);
    worker->setLowSpeedLimit(m_collaborators.lowSpeedBytesPerSecond, m_collaborators.lowSpeedWindowMs);
    // The record's size and digest are those of the package's one file when it has only one.
    if (m_versionInfo.packageUrls.size() == 1)
        worker->declareContent(m_versionInfo.packageSize, m_versionInfo.packageMd5.toLatin1());
    // No file of a package is larger than the whole package.
    worker->setBodyCeiling(std::max<qint64>(0, m_versionInfo.packageSize));
    m_managers.insert(url, worker);

    // Every report is handled from the event loop, and only while this run goes on.
    connect(worker, &KVDownloadManager::signalDownloadProcess, this,
        current([this, url](const KorvaneObject::DownloadingInfo &info) { countProgress(url, info.bytesReceived); }));
    connect(worker, &KVDownloadManager::signalReplyFinished, this,
        current([this](int successCode, int errorCode, QString errorMsg, QString path, QString, QString fileUrl) {
            laterInRun(this, [=] { onFileFinished(successCode, errorCode, errorMsg, path, fileUrl); });
        }));
    // Only the first failing worker of a run ends it; the others' notices are stale by then.
    connect(worker, &KVDownloadManager::signalDirSpaceLimit, this, current([this](const QString &) {
        laterInRun(this, [this] { finishRun({Outcome::DriveFull, QString(), 0}); });
    }));
    // A run's stop is reported by finishRun(), once for all workers.
    connect(worker, &KVDownloadManager::signalDownloadStop, this,
        [] { qDebug("-----------------signalDownloadStop---------------"); });
    connect(worker, &KVDownloadManager::signalStartConnect, this, current([this] {
        laterInRun(this, [this] {
            if (!m_progressSeen)
                emit signalStartConnect();
        });
    }));
    startTiming();
    worker->startDownload(m_managers.size());
}

void KVDownloadTaskManager::onFileFinished(
    int successCode, int errorCode, const QString &errorMsg, const QString &path, const QString &url)
{
    qInfo().noquote() << QStringLiteral("m_realfilePath = %2").arg(path);
    int status = 0;
    QByteArray retryAfter;
    QString source = url;
    if (KVDownloadManager *worker = m_managers.value(url)) {
        status = worker->httpStatus();
        retryAfter = worker->retryAfter();
        source = worker->sourceUrl();
        worker->disconnect(this);
        worker->deleteLater();
    }
    m_managers.remove(url);

    if (errorCode != 0 && takeUpAgain(url, source, errorCode, status, retryAfter))
        return;
    if (errorCode != 0) {
        qInfo().noquote()
            << QStringLiteral("this task [%1] is fail,errorCode :%2 ").arg(QFileInfo(path).fileName()).arg(errorCode);
        m_failedTasks.insert(url, errorCode);
        track(QStringLiteral("launcher_downloadgame_finish"),
            {{QStringLiteral("result"), QStringLiteral("fail")}, {QStringLiteral("downloadfail_url"), url},
                {QStringLiteral("downloadfail_code"), errorCode}, {QStringLiteral("result_msg"), errorMsg}});
    } else {
        qInfo().noquote() << QStringLiteral("HasDownloaded: %1 , successCode = %2").arg(url).arg(successCode);
        emit signalFileDownloaded(url);
    }
    if (!m_managers.isEmpty() || !m_waiting.isEmpty())
        return;
    if (!m_waitingUrls.isEmpty() && m_failedTasks.isEmpty()) {
        admitWaiting();
        if (!m_managers.isEmpty() || !m_waitingUrls.isEmpty())
            return; // held files start when the admission lets them
    }
    if (!m_failedTasks.isEmpty()) {
        notifyDownloadError(m_failedTasks.firstKey(), m_failedTasks.first());
        return;
    }
    qInfo("All Task Has Finished");
    GameFiles::instance()->setStatus(InstallStatus::Downloaded);
    finishAll();
}

void KVDownloadTaskManager::countProgress(const QString &url, qint64 bytes)
{
    FileRetry &retry = m_retries[url];
    retry.bytes += bytes;
    if (bytes > 0) {
        retry.lastProgressMs = nowMs();
        retry.attempts = 0;
    }
    addProgress(bytes);
}

bool KVDownloadTaskManager::takeUpAgain(
    const QString &url, const QString &source, int errorCode, int status, const QByteArray &after)
{
    using namespace TransferRetry;
    const Kind kind = classify(errorCode, status);
    if (kind == Kind::Final || m_collaborators.giveUpAfterMs <= 0)
        return false;
    FileRetry &retry = m_retries[url];
    const qint64 now = nowMs();
    const qint64 afterMs = retryAfterMs(after, QDateTime::currentDateTimeUtc());
    m_hosts.setAside(baseOf(source), now, afterMs);
    if (kind == Kind::Content) {
        if (retry.refetched)
            return false;
        retry.refetched = true;
        qWarning().noquote() << QStringLiteral("content fault %1 (HTTP %2), fetching [%3] once more from its start")
                                    .arg(errorCode)
                                    .arg(status)
                                    .arg(url);
        GameFiles::instance()->deleteFile(GameFiles::instance()->tempFilePath(url));
        addProgress(-retry.bytes); // what the deleted part had counted
        retry.bytes = 0;
        restartLater(url, 0);
        return true;
    }
    if (now - retry.lastProgressMs >= m_collaborators.giveUpAfterMs) {
        qWarning().noquote()
            << QStringLiteral("no progress for %1 ms, giving up - %2").arg(now - retry.lastProgressMs).arg(url);
        return false;
    }
    qint64 delay = 0;
    if (!m_hosts.hasHostFor(url, now)) {
        const qint64 backoff
            = backoffMs(retry.attempts++, m_collaborators.backoffFirstMs, m_collaborators.backoffCapMs, jitterDraw());
        delay = std::max(backoff, afterMs);
    }
    qInfo().noquote() << QStringLiteral("transfer failed (%1, HTTP %2), retrying in %3 ms - %4")
                             .arg(errorCode)
                             .arg(status)
                             .arg(delay)
                             .arg(url);
    restartLater(url, delay);
    return true;
}

void KVDownloadTaskManager::restartLater(const QString &url, qint64 delayMs)
{
    m_waiting.insert(url, nowMs() + delayMs);
    if (delayMs > 0 && m_managers.isEmpty()) {
        reportRetryIn(delayMs);
        m_retryTicker.start();
    }
    scheduleCall(delayMs, current([this, url] {
        m_waiting.remove(url);
        startWorker(url, m_limiter);
    }));
}

void KVDownloadTaskManager::onRetryTick()
{
    if (!isRunning() || !m_managers.isEmpty() || m_waiting.isEmpty()) {
        m_retryTicker.stop();
        return;
    }
    const qint64 now = nowMs();
    qint64 next = std::numeric_limits<qint64>::max();
    for (const qint64 due : qAsConst(m_waiting))
        next = std::min(next, due - now);
    reportRetryIn(std::max<qint64>(0, next));
}

void KVDownloadTaskManager::finishAll()
{
    finishRun({Outcome::Finished, QString(), 0});
}

void KVDownloadTaskManager::notifyDownloadError(QString url, int code)
{
    finishRun({Outcome::Failed, url, code});
}

void KVDownloadTaskManager::runEnded(const RunResult &result)
{
    const QStringList waiting = m_waiting.keys();
    m_waiting.clear();
    m_retryTicker.stop();
    switch (result.outcome) {
    case Outcome::Finished:
        m_failedTasks.clear();
        break;
    case Outcome::Failed:
        removeFailedFiles();
        break;
    case Outcome::Stopped:
    case Outcome::DriveFull:
        endWorkers(m_closing);
        // A file waiting for its next attempt has no worker to close it.
        for (const QString &url : waiting) {
            if (m_closing) {
                GameFiles::instance()->deleteFile(GameFiles::instance()->tempFilePath(url));
                GameFiles::instance()->deleteFile(GameFiles::instance()->downloadFilePath(url));
            }
        }
        break;
    }
}

bool KVDownloadTaskManager::removeFailedFiles()
{
    GameFiles *files = GameFiles::instance();
    for (auto it = m_failedTasks.cbegin(); it != m_failedTasks.cend(); ++it) {
        // Content errors (access denied, not found, gone ...): a retry starts over.
        if (!isContentErrorCode(it.value()))
            continue;
        files->deleteFile(files->tempFilePath(it.key()));
        files->deleteFile(files->downloadFilePath(it.key()));
    }
    return true;
}

void KVDownloadTaskManager::stopDownload()
{
    stopRun();
}

void KVDownloadTaskManager::closeDownload()
{
    m_closing = true;
    if (!isRunning())
        endWorkers(true);
    stopRun();
    m_closing = false;
}

void KVDownloadTaskManager::endWorkers(bool close)
{
    const auto workers = m_managers;
    m_managers.clear();
    for (KVDownloadManager *worker : workers) {
        if (!worker)
            continue;
        worker->disconnect(this);
        if (close)
            worker->closeDownload();
        else
            worker->stopDownload();
        worker->deleteLater();
    }
}

void KVDownloadTaskManager::resetState()
{
    needToDownloadUrls.clear();
    m_waitingUrls.clear();
    m_failedTasks.clear();
    m_retries.clear();
    m_waiting.clear();
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
    restartClock();
    m_lastEmitMs = 0;
}
