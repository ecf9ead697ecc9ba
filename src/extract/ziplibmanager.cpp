#include "extract/ziplibmanager.h"

#include "analytics/datatrackmanager.h"
#include "install/gameversioninfo.h"

#include "extract/zlibhelper.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QFileInfo>
#include <QThread>

namespace {

// More workers than cores only split the same processor time; more than a few would
// multiply the decoders' memory for a package of many archives.
constexpr int kMaxWorkers = 4;

} // namespace

ZiplibManager::ZiplibManager(DataTrackManager *tracker, QObject *parent)
    : QObject(parent)
{
    if (tracker)
        connect(this, &ZiplibManager::sigTrackEvent, tracker, &DataTrackManager::trackEvent);
    const int count = qBound(1, QThread::idealThreadCount(), kMaxWorkers);
    for (int i = 0; i < count; ++i)
        m_lanes.append(Lane {new QThread, nullptr, QString()});
    attachWorkers();
    for (const Lane &lane : qAsConst(m_lanes))
        lane.thread->start(QThread::InheritPriority);
}

void ZiplibManager::attachWorkers()
{
    // These workers serve the next run only.
    const quint64 generation = EngineJob::generation();
    for (Lane &lane : m_lanes) {
        ZlibHelper *worker = new ZlibHelper;
        lane.worker = worker;
        worker->moveToThread(lane.thread);
        // The worker is deleted on its own thread, at the latest when the thread ends.
        connect(lane.thread, &QThread::finished, worker, &QObject::deleteLater);
        auto relay = [this, generation, worker](auto signal, auto slot) {
            m_connections << connect(worker, signal, this, [this, generation, slot](const auto &...args) {
                if (isCurrent(generation))
                    (this->*slot)(args...);
            });
        };
        relay(&ZlibHelper::workStarted, &ZiplibManager::extractStarted);
        relay(&ZlibHelper::sigZipTotal, &ZiplibManager::extractZipTotal);
        relay(&ZlibHelper::sigProgress, &ZiplibManager::extractProgress);
        relay(&ZlibHelper::sigProgressFile, &ZiplibManager::extractProgressFile);
        relay(&ZlibHelper::sigArchiveRejected, &ZiplibManager::extractRejected);
        relay(&ZlibHelper::sigError, &ZiplibManager::extractError);
    }
}

ZiplibManager::~ZiplibManager()
{
    // Quit must not wait for a large archive: the workers stop at their next data block.
    stopWorkers();
    for (const Lane &lane : qAsConst(m_lanes))
        lane.thread->quit();
    for (const Lane &lane : qAsConst(m_lanes)) {
        lane.thread->wait();
        delete lane.thread;
    }
}

QList<ZlibHelper *> ZiplibManager::workers() const
{
    QList<ZlibHelper *> list;
    for (const Lane &lane : m_lanes) {
        if (lane.worker)
            list << lane.worker.data();
    }
    return list;
}

ZiplibManager::Lane *ZiplibManager::laneOf(const QString &url)
{
    for (Lane &lane : m_lanes) {
        if (!lane.current.isEmpty() && lane.current == url)
            return &lane;
    }
    return nullptr;
}

bool ZiplibManager::running() const
{
    for (const Lane &lane : m_lanes) {
        if (!lane.current.isEmpty())
            return true;
    }
    return false;
}

void ZiplibManager::stopWorkers()
{
    for (const QMetaObject::Connection &c : qAsConst(m_connections))
        disconnect(c);
    m_connections.clear();
    for (const Lane &lane : qAsConst(m_lanes)) {
        if (lane.worker)
            lane.worker->cancel();
    }
}

void ZiplibManager::startExtract(const GameVersionInfo &info)
{
    startExtract(info.latestVersion, info.packageUrls);
}

void ZiplibManager::startExtract(const QString &latestVersion, const QStringList &packageUrls)
{
    if (m_spent) {
        qWarning().noquote() << QStringLiteral("startExtract: the extraction manager was reset");
        return;
    }
    if (!beginRun()) {
        qWarning().noquote() << QStringLiteral("startExtract: an extraction is running");
        return;
    }
    m_version = latestVersion;
    m_finishedUrls.clear();
    m_progress.clear();
    m_expected.clear();
    m_unzipQueue.clear();
    m_failedUrls.clear();
    m_rejectedUrls.clear();
    m_totalBytes = 0;
    enqueue(packageUrls);
    next();
}

void ZiplibManager::addArchives(const QString &latestVersion, const QStringList &packageUrls)
{
    if (!isRunning()) {
        startExtract(latestVersion, packageUrls);
        return;
    }
    if (latestVersion != m_version)
        return;
    enqueue(packageUrls);
    next();
}

void ZiplibManager::enqueue(const QStringList &packageUrls)
{
    GameFiles *files = GameFiles::instance();
    const QStringList done = files->unzippedArchives(m_version);
    for (const QString &url : packageUrls) {
        if (done.contains(GameFiles::archiveKey(url)) || m_unzipQueue.contains(url) || laneOf(url)
            || m_finishedUrls.contains(url) || m_failedUrls.contains(url))
            continue;
        m_unzipQueue.append(url);
        const qint64 size = files->originSize(url);
        m_expected.insert(url, size);
        m_totalBytes += size;
    }
}

void ZiplibManager::next()
{
    GameFiles *files = GameFiles::instance();
    for (Lane &lane : m_lanes) {
        if (m_unzipQueue.isEmpty())
            break;
        if (!lane.current.isEmpty())
            continue;
        m_isBusy = true;
        lane.current = m_unzipQueue.takeFirst();
        const QString archive = files->downloadFilePath(lane.current);
        // The worker is idle between archives, so renaming its thread here races with nothing.
        lane.thread->setObjectName(QFileInfo(archive).fileName());
        // While the package still downloads, the install is recorded as a download.
        if (files->status() != InstallStatus::Downloading)
            files->setStatus(InstallStatus::Extracting);
        emit lane.worker->operation_signal_extract(lane.current, archive, files->installDir());
    }
    if (running())
        return;
    finish(m_failedUrls.isEmpty() ? Outcome::Finished : Outcome::Failed);
}

void ZiplibManager::finish(Outcome outcome)
{
    if (!endRun())
        return;
    m_isBusy = false;
    m_unzipQueue.clear();
    retireWorkers();
    for (Lane &lane : m_lanes)
        lane.current.clear();
    if (!m_spent)
        attachWorkers();
    switch (outcome) {
    case Outcome::Finished:
        emit unzipProgressFinish();
        break;
    case Outcome::Failed:
        recordFailures();
        emit sigZipsError(QStringLiteral("extractError"), m_failedUrls);
        break;
    case Outcome::Cancelled:
        break; // the caller asked for it and hears nothing
    }
}

void ZiplibManager::recordFailures()
{
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::ExtractFailed);
    for (const QString &url : qAsConst(m_failedUrls)) {
        files->markArchiveFailed(m_version, url);
        if (m_rejectedUrls.contains(url))
            files->deleteFile(files->downloadFilePath(url));
        else
            qInfo().noquote() << QStringLiteral("extractError: keeping %1, the archive is sound").arg(url);
    }
}

void ZiplibManager::extractStarted()
{
    m_isBusy = true;
    emit workStarted();
}

void ZiplibManager::extractZipTotal(qlonglong nTotalSize)
{
    qInfo().noquote() << QStringLiteral("current_unzip_file_TotalSize : %1").arg(nTotalSize);
}

void ZiplibManager::extractProgress(QString url, qlonglong nValue, qlonglong nTotalSize)
{
    Lane *lane = laneOf(url);
    if (!lane && !m_finishedUrls.contains(url))
        return; // not of this run
    m_isBusy = true;
    m_progress[url] = qMakePair(qint64(nValue), qint64(nTotalSize));
    // The archive's own total replaces the size its name declared, so both values of the
    // sum count the same bytes and the bar ends at exactly 100 %.
    const qint64 expected = m_expected.value(url);
    if (expected != nTotalSize) {
        m_totalBytes += nTotalSize - expected;
        m_expected[url] = nTotalSize;
    }
    qint64 sum = 0;
    for (const auto &p : qAsConst(m_progress))
        sum += qMin(p.first, p.second);
    emit sigProgress(qMin(sum, m_totalBytes), m_totalBytes);

    if (nValue == nTotalSize) {
        qInfo().noquote() << QStringLiteral("unzipFinish - url: %1 , nValue: %2").arg(url).arg(nValue);
        GameFiles *files = GameFiles::instance();
        files->markArchiveExtracted(m_version, url);
        if (lane) {
            m_finishedUrls.append(url);
            lane->current.clear();
            // Recorded first: a stop between the two leaves a stray archive, never a lost one.
            if (m_deleteExtracted)
                files->deleteFile(files->downloadFilePath(url));
            emit archiveExtracted(url);
            next();
        }
    }
}

void ZiplibManager::extractProgressFile(QString sFile)
{
    Q_UNUSED(sFile)
}

void ZiplibManager::extractRejected(const QString &url)
{
    if (laneOf(url))
        m_rejectedUrls.insert(url);
}

void ZiplibManager::extractError(QString msg, QString urls)
{
    qInfo().noquote() << QStringLiteral("extractError : %1").arg(msg);
    qInfo().noquote() << QStringLiteral("extractError url: %1").arg(urls);
    Lane *lane = laneOf(urls);
    if (!lane)
        return;
    lane->current.clear();
    m_failedUrls.append(urls);
    // Reported before the run goes on: the end of the run may lead the window to drop us.
    emit sigTrackEvent(QStringLiteral("launcher_install_finish"),
        QVariantMap {{QStringLiteral("result"), QStringLiteral("fail")}, {QStringLiteral("result_msg"), msg},
            {QStringLiteral("fail_url"), urls}});
    next();
}

void ZiplibManager::retireWorkers()
{
    stopWorkers();
    for (Lane &lane : m_lanes) {
        if (!lane.worker)
            continue;
        // Once a reset worker is gone its thread has nothing left to do.
        if (m_spent)
            connect(lane.worker, &QObject::destroyed, lane.thread, &QThread::quit, Qt::DirectConnection);
        lane.worker->deleteLater();
        lane.worker = nullptr;
    }
}

void ZiplibManager::resetExtract()
{
    m_spent = true;
    if (isRunning()) {
        finish(Outcome::Cancelled);
    } else {
        retireWorkers();
    }
    m_unzipQueue.clear();
    m_failedUrls.clear();
    m_rejectedUrls.clear();
    m_finishedUrls.clear();
    m_progress.clear();
    m_expected.clear();
    m_totalBytes = 0;
    m_isBusy = false;
}

void ZiplibManager::cancelExtract()
{
    if (!isRunning())
        return; // nothing runs: nothing to report either
    for (const Lane &lane : qAsConst(m_lanes)) {
        if (!lane.current.isEmpty())
            qInfo().noquote() << QStringLiteral("extraction cancelled: %1").arg(lane.current);
    }
    // The workers stay cancelled, so the manager gets fresh ones for the next run.
    finish(Outcome::Cancelled);
}
