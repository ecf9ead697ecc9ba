#include "download/downloadfilesmanager.h"

#include "app/fileutil.h"
#include "app/texts.h"
#include "download/downloadfiletask.h"
#include "download/downloadratelimiter.h"
#include "download/kvdownloadmanager.h"
#include "download/transferretry.h"
#include "install/gamefiles.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMetaObject>
#include <QUrl>
#include <QtConcurrent>

namespace {

// Files up to this size are hashed on the owner's thread (well under a
// millisecond); larger ones on the pool.
constexpr qint64 kInlineHashLimit = 256 * 1024;
// A document larger than this is not a small-files list.
constexpr qint64 kMaxDocumentSize = 64 * 1024 * 1024;
// Hashing reads this much between two looks at the cancel flag.
constexpr qint64 kHashBlock = 1024 * 1024;

QString destPath(const QString &installDir, const QString &dest)
{
    QString relative = dest;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return installDir + QLatin1Char('/') + relative;
}

// The MD5 of a file in lower-case hexadecimal; empty when it cannot be read or
// `cancel` is raised before the end, so a stop never waits for a large file.
QString md5OfFile(const QString &path, const std::atomic_bool &cancel)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    QByteArray block(int(kHashBlock), Qt::Uninitialized);
    while (!cancel.load()) {
        const qint64 got = file.read(block.data(), kHashBlock);
        if (got < 0)
            return QString();
        if (got == 0)
            return QString::fromLatin1(hash.result().toHex());
        hash.addData(block.constData(), int(got));
    }
    return QString();
}

bool sameDigest(const QString &path, const QString &md5, const std::atomic_bool &cancel)
{
    return md5.isEmpty() || md5OfFile(path, cancel).compare(md5.trimmed(), Qt::CaseInsensitive) == 0;
}

// Reads the document and checks the install folder against it. Runs on the
// pool: it only reads and reports; what is to be replaced is removed by the
// engine, for a run that is still going.
DownloadFilesManager::Scan scanList(
    const QString &listPath, const QString &installDir, const QString &documentMd5, const std::atomic_bool &cancel)
{
    DownloadFilesManager::Scan scan;
    if (listPath.isEmpty()) {
        scan.error = QStringLiteral("the small-files document has no usable address");
        return scan;
    }
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly)) {
        scan.error = QStringLiteral("cannot read the small-files document [%1] - %2").arg(listPath, file.errorString());
        return scan;
    }
    if (file.size() > kMaxDocumentSize) {
        scan.error = QStringLiteral("the small-files document [%1] is too large").arg(listPath);
        return scan;
    }
    const QByteArray text = file.readAll();
    const QString expected = documentMd5.trimmed();
    const QString digest = QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
    if (!expected.isEmpty() && digest.compare(expected, Qt::CaseInsensitive) != 0) {
        scan.documentDiffers = true;
        scan.error = QStringLiteral("the small-files document [%1] has the digest %2 instead of %3")
                         .arg(listPath, digest, expected);
        return scan;
    }
    QList<DownloadFileInfo> list;
    if (!parseSmallFilesDocument(text, &scan.packedHost, &list)) {
        scan.error = QStringLiteral("the small-files document [%1] was refused").arg(listPath);
        return scan;
    }
    if (!list.isEmpty() && scan.packedHost.isEmpty()) {
        scan.error = QStringLiteral("the small-files document [%1] has no packedhost").arg(listPath);
        return scan;
    }
    for (const DownloadFileInfo &info : qAsConst(list)) {
        if (info.size < 0) {
            scan.error
                = QStringLiteral("the small-files document [%1] gives \"%2\" a negative size").arg(listPath, info.dest);
            return scan;
        }
        QString url = scan.packedHost + info.dest;
        url.replace(QLatin1Char('\\'), QLatin1Char('/'));
        scan.files.insert(url, info);
    }
    for (auto it = scan.files.cbegin(); it != scan.files.cend(); ++it) {
        if (cancel.load())
            break;
        const QString path = destPath(installDir, it->dest);
        qInfo().noquote() << QStringLiteral("destPath = %1 !!!!").arg(path);
        const QFileInfo present(path);
        const bool good = present.isFile() && present.size() == it->size && sameDigest(path, it->md5, cancel);
        if (cancel.load())
            break;
        if (good) {
            scan.present.append(it.key());
            scan.presentBytes += it->size;
            continue;
        }
        if (present.isFile()) // wrong size or digest: replaced, never kept
            scan.stale.insert(it.key());
        scan.missing.append(it.key());
    }
    if (cancel.load()) {
        qInfo().noquote() << QStringLiteral("check of the install folder stopped: its run has ended");
        return scan;
    }
    scan.usable = true;
    return scan;
}

} // namespace

DownloadFilesManager::DownloadFilesManager(QObject *parent, DownloadCollaborators collaborators)
    : DownloadInterface(parent, std::move(collaborators))
{
    for (int i = 0; i < Parallel; ++i) {
        QNetworkAccessManager *network
            = m_collaborators.networkFactory ? m_collaborators.networkFactory(this) : nullptr;
        auto *task = new DownloadFileTask(this, network);
        task->setTransferTimeout(m_collaborators.transferTimeoutMs);
        m_tasks.append(task);

        // Reports are taken while a run goes on, and each from the event loop
        // only if the run it came from is still going then.
        connect(
            task, &DownloadFileTask::signalDownloadProcess, this, [this](const KorvaneObject::DownloadingInfo &info) {
                if (!isRunning())
                    return;
                if (info.bytesReceived > 0) {
                    m_lastProgressMs = nowMs();
                    m_retryAttempts = 0;
                }
                addProgress(info.bytesReceived);
            });
        // Queued, so a run of files already present does not recurse.
        connect(task, &DownloadFileTask::signalReplyFinished, this,
            [this, task](int successCode, int errorCode, QString errorMsg, QString path, QString, QString url) {
                laterInRun(this, [=] { onFileFinished(task, successCode, errorCode, errorMsg, path, url); });
            });
        // Stops are reported by finishRun(), once for all tasks.
        connect(task, &DownloadFileTask::signalDownloadStop, this,
            [] { qInfo("-----------------signalDownloadStop---------------"); });
        // The task has stopped itself; the run ends there and the caller is told why, once.
        connect(task, &DownloadFileTask::signalDirSpaceLimit, this, [this](const QString &) {
            laterInRun(this, [this] { finishRun({Outcome::DriveFull, QString(), 0}); });
        });
        connect(task, &DownloadFileTask::signalStartConnect, this, [this] {
            laterInRun(this, [this] {
                if (!m_progressSeen) {
                    startTiming();
                    emit signalStartConnect();
                    m_progressSeen = true;
                }
            });
        });
    }
}

DownloadFilesManager::~DownloadFilesManager()
{
    // Pool jobs still checking files stop at their next look at the flag; their
    // results are dropped with their watchers.
    if (m_cancel)
        m_cancel->store(true);
}

QString DownloadFilesManager::listFilePath(const QString &packageJson)
{
    return GameFiles::instance()->downloadFilePath(packageJson);
}

void DownloadFilesManager::startDownload(GameVersionInfo versionInfo)
{
    if (!beginRun())
        return;
    m_versionInfo = versionInfo;
    m_presentBytes = 0;
    m_downloadedBytes = 0;
    m_lastDownloadedBytes = 0;
    m_smallFiles.clear();
    needToDownLoadQueue.clear();
    successSmallfiles.clear();
    m_failedFiles.clear();
    m_running.clear();
    m_checking = 0;
    m_stale.clear();
    m_waitingRetries = 0;
    m_retryAttempts = 0;
    m_lastProgressMs = nowMs();
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_installDir = GameFiles::instance()->installDir();
    GameFiles::instance()->setStatus(InstallStatus::Downloading);
    const std::shared_ptr<DownloadRateLimiter> limiter = makeRateLimiter();
    for (DownloadFileTask *task : qAsConst(m_tasks))
        task->setRateLimiter(limiter);

    startTiming();
    emit signalStartConnect();

    const QString listPath = listFilePath(m_versionInfo.packageJson);
    if (QFileInfo(listPath).isFile() || m_versionInfo.packageJson.isEmpty()) {
        readList(false);
        return;
    }
    fetchList();
}

void DownloadFilesManager::fetchList()
{
    // The document is fetched like a package file, into "Downloads/".
    QNetworkAccessManager *network = m_collaborators.networkFactory ? m_collaborators.networkFactory(this) : nullptr;
    m_listFetcher = new KVDownloadManager(m_versionInfo.packageJson, this, network);
    m_listFetcher->setTransferTimeout(m_collaborators.transferTimeoutMs);
    m_listFetcher->setBodyCeiling(kMaxDocumentSize);
    KVDownloadManager *fetcher = m_listFetcher;
    connect(fetcher, &KVDownloadManager::signalReplyFinished, this,
        [this, fetcher](int, int errorCode, QString errorMsg, QString, QString, QString) {
            fetcher->deleteLater();
            laterInRun(this, [this, errorCode, errorMsg] {
                if (errorCode == 0) {
                    readList(true);
                    return;
                }
                if (refetchListLater(errorCode))
                    return;
                fail(m_versionInfo.packageJson, QStringLiteral("cannot fetch the small-files document: ") + errorMsg);
                notifyDownloadError(m_versionInfo.packageJson, FailureCode);
            });
        });
    m_listFetcher->startDownload(1);
}

void DownloadFilesManager::readList(bool fetched)
{
    const QString listPath = listFilePath(m_versionInfo.packageJson);
    const QString installDir = m_installDir;
    const QString documentMd5 = m_versionInfo.packageMd5;
    const std::shared_ptr<std::atomic_bool> cancel = m_cancel;
    auto *watcher = new QFutureWatcher<Scan>(this);
    connect(watcher, &QFutureWatcher<Scan>::finished, watcher, &QObject::deleteLater);
    // The findings of a stopped run change nothing.
    connect(watcher, &QFutureWatcher<Scan>::finished, this,
        current([this, watcher, fetched] { onScanned(watcher->result(), fetched); }));
    watcher->setFuture(QtConcurrent::run(
        [listPath, installDir, documentMd5, cancel] { return scanList(listPath, installDir, documentMd5, *cancel); }));
}

void DownloadFilesManager::onScanned(const Scan &scan, bool fetched)
{
    if (scan.documentDiffers && !fetched) {
        // An older document left by an earlier run: fetched again from the start.
        qWarning().noquote() << QStringLiteral("Error msg : %1; fetching it again").arg(scan.error);
        const QString listPath = listFilePath(m_versionInfo.packageJson);
        FileUtil::removeFileTwice(listPath);
        QFile::remove(GameFiles::instance()->tempFilePath(m_versionInfo.packageJson));
        if (!QFileInfo::exists(listPath)) {
            fetchList();
            return;
        }
    }
    if (!scan.usable) {
        qWarning().noquote() << QStringLiteral("Error msg : ") + scan.error;
        m_failedFiles.append(m_versionInfo.packageJson);
        notifyDownloadError(m_versionInfo.packageJson, FailureCode);
        return;
    }
    m_smallFiles = scan.files;
    successSmallfiles = QSet<QString>(scan.present.cbegin(), scan.present.cend());
    needToDownLoadQueue = scan.missing;
    m_stale = scan.stale;
    m_downloadedBytes += scan.presentBytes;
    m_lastDownloadedBytes = m_downloadedBytes;
    qInfo().noquote() << QStringLiteral("needToDownLoadQueue size = %1 !!!!").arg(needToDownLoadQueue.size());

    KorvaneObject::DownloadingInfo info;
    info.totalSize = sizeText(quint64(std::max<qint64>(0, m_totalBytes)));
    info.percent = percentText(m_downloadedBytes, m_totalBytes);
    info.downloadedSize = sizeText(quint64(m_downloadedBytes));
    emit signalDownloadProcess(info);
    next();
}

DownloadFileTask *DownloadFilesManager::idleTask() const
{
    for (DownloadFileTask *task : m_tasks) {
        if (!m_running.contains(task) && task->isStopped())
            return task;
    }
    return nullptr;
}

void DownloadFilesManager::next()
{
    while (isRunning()) {
        if (needToDownLoadQueue.isEmpty()) {
            if (!m_running.isEmpty() || m_checking > 0 || m_waitingRetries > 0)
                return; // the last files are still coming
            qInfo().noquote() << QStringLiteral("successSmallfiles size = %1 !!!!").arg(successSmallfiles.size());
            if (m_failedFiles.isEmpty()) {
                qInfo().noquote()
                    << QStringLiteral("All Files (%1) is download finish !!!!").arg(successSmallfiles.size());
                finishAll();
            } else {
                qInfo().noquote() << QStringLiteral("There is %1 files download fail!!!!").arg(m_failedFiles.size());
                // Files finish side by side: the first failure in list order is the
                // one a file-by-file run would have met first.
                QStringList failed = m_failedFiles;
                failed.sort();
                notifyDownloadError(failed.first(), FailureCode);
            }
            return;
        }
        const QString url = needToDownLoadQueue.first();
        const DownloadFileInfo info = m_smallFiles.value(url);
        DownloadFileTask *task = info.size != 0 ? idleTask() : nullptr;
        if (info.size != 0 && !task)
            return; // every task is busy; the next report comes back here
        needToDownLoadQueue.removeFirst();
        const QString path = destPath(m_installDir, info.dest);
        if (!FileUtil::createParentFolder(path) && !QFileInfo(path).dir().exists()) {
            qInfo().noquote() << QStringLiteral("gamefile : %1 mkDir Error").arg(path);
            m_failedFiles.append(url);
            continue;
        }
        if (m_stale.remove(url)) {
            qInfo().noquote() << QStringLiteral("replacing [%1]: its size or digest differs").arg(path);
            if (!FileUtil::removeFileTwice(path)) {
                fail(url, QStringLiteral("the outdated file cannot be removed"));
                continue;
            }
        }
        if (task) {
            m_running.insert(task, url);
            QString dest = info.dest;
            dest.replace(QLatin1Char('\\'), QLatin1Char('/'));
            task->setBodyCeiling(info.size); // the document's size is all the file may be
            task->startDownload(url, dest, m_installDir, 1);
            continue;
        }
        qInfo().noquote() << QStringLiteral("this file %1 'szie  is  0").arg(path);
        QFile empty(path);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            qInfo("Cannot open file for created");
            m_failedFiles.append(url);
        } else {
            empty.close();
            successSmallfiles.insert(url);
        }
    }
}

void DownloadFilesManager::onFileFinished(DownloadFileTask *task, int successCode, int errorCode,
    const QString &errorMsg, const QString &path, const QString &url)
{
    if (m_running.value(task) != url)
        return; // a report of a file this run did not start
    m_running.remove(task);
    if (successSmallfiles.contains(url))
        return;
    if (errorCode != 0 && retryLater(url, errorCode, task->httpStatus(), task->retryAfter())) {
        next(); // the other files go on meanwhile
        return;
    }
    if (errorCode != 0) {
        qInfo().noquote() << QStringLiteral("this task [%1] is fail ").arg(QUrl(url).fileName());
        fail(url, errorMsg);
        next();
        return;
    }
    qInfo().noquote() << QStringLiteral("HasDownloaded: %1 , successCode = %2").arg(url).arg(successCode);
    const DownloadFileInfo info = m_smallFiles.value(url);
    const qint64 size = QFileInfo(path).size();
    if (size != info.size) {
        onFileChecked(url, path, false, QStringLiteral("size %1 instead of %2").arg(size).arg(info.size));
        return;
    }
    if (info.md5.isEmpty() || size <= kInlineHashLimit) {
        onFileChecked(url, path, sameDigest(path, info.md5, *m_cancel), QStringLiteral("MD5 differs"));
        return;
    }
    auto *watcher = new QFutureWatcher<bool>(this);
    ++m_checking;
    connect(watcher, &QFutureWatcher<bool>::finished, watcher, &QObject::deleteLater);
    connect(watcher, &QFutureWatcher<bool>::finished, this, current([=] {
        --m_checking;
        onFileChecked(url, path, watcher->result(), QStringLiteral("MD5 differs"));
    }));
    const QString md5 = info.md5;
    const std::shared_ptr<std::atomic_bool> cancel = m_cancel;
    watcher->setFuture(QtConcurrent::run([path, md5, cancel] { return sameDigest(path, md5, *cancel); }));
    next(); // the other tasks go on meanwhile
}

bool DownloadFilesManager::retryLater(const QString &url, int errorCode, int status, const QByteArray &retryAfter)
{
    using namespace TransferRetry;
    if (classify(errorCode, status) != Kind::Network)
        return false;
    const qint64 now = nowMs();
    if (now - m_lastProgressMs >= m_collaborators.giveUpAfterMs)
        return false;
    const qint64 backoff
        = backoffMs(m_retryAttempts++, m_collaborators.backoffFirstMs, m_collaborators.backoffCapMs, jitterDraw());
    const qint64 delay = std::max(backoff, retryAfterMs(retryAfter, QDateTime::currentDateTimeUtc()));
    qInfo().noquote() << QStringLiteral("[%1] failed (%2, HTTP %3), retrying in %4 ms")
                             .arg(QUrl(url).fileName())
                             .arg(errorCode)
                             .arg(status)
                             .arg(delay);
    ++m_waitingRetries;
    if (m_running.isEmpty() && delay > 0)
        reportRetryIn(delay);
    scheduleCall(delay, current([this, url] {
        --m_waitingRetries;
        needToDownLoadQueue.prepend(url);
        next();
    }));
    return true;
}

bool DownloadFilesManager::refetchListLater(int errorCode)
{
    using namespace TransferRetry;
    if (classify(errorCode, 0) != Kind::Network || nowMs() - m_lastProgressMs >= m_collaborators.giveUpAfterMs)
        return false;
    const qint64 delay
        = backoffMs(m_retryAttempts++, m_collaborators.backoffFirstMs, m_collaborators.backoffCapMs, jitterDraw());
    qInfo().noquote()
        << QStringLiteral("small-files document failed (%1), retrying in %2 ms").arg(errorCode).arg(delay);
    reportRetryIn(delay);
    scheduleCall(delay, current([this] { fetchList(); }));
    return true;
}

void DownloadFilesManager::onFileChecked(const QString &url, const QString &path, bool good, const QString &why)
{
    if (good) {
        successSmallfiles.insert(url);
    } else {
        // A bad file is never left in the game folder.
        const qint64 size = QFileInfo(path).size();
        QFile::remove(path);
        m_downloadedBytes -= std::min(size, m_downloadedBytes);
        fail(url, why);
    }
    next();
}

void DownloadFilesManager::fail(const QString &url, const QString &why)
{
    qWarning().noquote() << QStringLiteral("Error msg : [%1] failed - %2").arg(url, why);
    if (!m_failedFiles.contains(url))
        m_failedFiles.append(url);
}

void DownloadFilesManager::stopTasks()
{
    if (m_cancel)
        m_cancel->store(true);
    for (DownloadFileTask *task : qAsConst(m_tasks))
        task->stopDownload();
    m_running.clear();
    m_checking = 0;
    if (m_listFetcher)
        m_listFetcher->stopDownload();
}

void DownloadFilesManager::stopDownload()
{
    stopRun();
}

void DownloadFilesManager::runEnded(const RunResult &result)
{
    if (result.outcome == Outcome::Stopped || result.outcome == Outcome::DriveFull)
        stopTasks();
}

void DownloadFilesManager::startTiming()
{
    restartClock();
    m_totalBytes = m_versionInfo.packageSize;
    m_lastEmitMs = 0;
}

void DownloadFilesManager::finishAll()
{
    finishRun({Outcome::Finished, QString(), 0});
}

void DownloadFilesManager::notifyDownloadError(QString url, int code)
{
    finishRun({Outcome::Failed, url, code});
}
