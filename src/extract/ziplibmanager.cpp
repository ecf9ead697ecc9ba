#include "extract/ziplibmanager.h"

#include "analytics/datatrackmanager.h"
#include "install/gameversioninfo.h"

#include "extract/zlibhelper.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QFileInfo>
#include <QThread>

ZiplibManager::ZiplibManager(DataTrackManager *tracker, QObject *parent)
    : QObject(parent)
    , m_thread(new QThread)
{
    if (tracker)
        connect(this, &ZiplibManager::sigTrackEvent, tracker, &DataTrackManager::trackEvent);
    attachWorker();
    m_thread->start(QThread::InheritPriority);
}

void ZiplibManager::attachWorker()
{
    m_worker = new ZlibHelper;
    m_worker->moveToThread(m_thread);
    // The worker is deleted on its own thread, at the latest when the thread ends.
    connect(m_thread, &QThread::finished, m_worker.data(), &QObject::deleteLater);
    const quint64 generation = ++m_generation;
    auto relay = [this, generation](auto signal, auto slot) {
        m_connections << connect(m_worker, signal, this, [this, generation, slot](const auto &...args) {
            if (generation == m_generation)
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

ZiplibManager::~ZiplibManager()
{
    // Quit must not wait for a large archive: the worker stops at its next data block.
    stopWorker();
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

void ZiplibManager::stopWorker()
{
    for (const QMetaObject::Connection &c : qAsConst(m_connections))
        disconnect(c);
    m_connections.clear();
    if (m_worker)
        m_worker->cancel();
}

void ZiplibManager::startExtract(const GameVersionInfo &info)
{
    startExtract(info.latestVersion, info.packageUrls);
}

void ZiplibManager::startExtract(const QString &latestVersion, const QStringList &packageUrls)
{
    if (m_spent || !m_worker) {
        qWarning().noquote() << QStringLiteral("startExtract: the extraction manager was reset");
        return;
    }
    if (!m_current.isEmpty()) {
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

    GameFiles *files = GameFiles::instance();
    const QStringList done = files->unzippedArchives(m_version);
    for (const QString &url : packageUrls) {
        if (done.contains(GameFiles::archiveKey(url)) || m_unzipQueue.contains(url))
            continue;
        m_unzipQueue.append(url);
        const qint64 size = files->originSize(url);
        m_expected.insert(url, size);
        m_totalBytes += size;
    }
    next();
}

void ZiplibManager::next()
{
    GameFiles *files = GameFiles::instance();
    if (!m_unzipQueue.isEmpty()) {
        m_isBusy = true;
        m_current = m_unzipQueue.takeFirst();
        const QString archive = files->downloadFilePath(m_current);
        // The worker is idle between archives, so renaming its thread here races with nothing.
        m_thread->setObjectName(QFileInfo(archive).fileName());
        files->setStatus(InstallStatus::Extracting);
        emit m_worker->operation_signal_extract(m_current, archive, files->installDir());
        return;
    }
    m_current.clear();
    m_isBusy = false;
    if (m_failedUrls.isEmpty()) {
        emit unzipProgressFinish();
        return;
    }
    files->setStatus(InstallStatus::ExtractFailed);
    for (const QString &url : qAsConst(m_failedUrls)) {
        files->markArchiveFailed(m_version, url);
        if (m_rejectedUrls.contains(url))
            files->deleteFile(files->downloadFilePath(url));
        else
            qInfo().noquote() << QStringLiteral("extractError: keeping %1, the archive is sound").arg(url);
    }
    emit sigZipsError(QStringLiteral("extractError"), m_failedUrls);
}

void ZiplibManager::extractStarted()
{
    if (m_current.isEmpty())
        return; // a report posted before a cancel
    m_isBusy = true;
    emit workStarted();
}

void ZiplibManager::extractZipTotal(qlonglong nTotalSize)
{
    qInfo().noquote() << QStringLiteral("current_unzip_file_TotalSize : %1").arg(nTotalSize);
}

void ZiplibManager::extractProgress(QString url, qlonglong nValue, qlonglong nTotalSize)
{
    if (url != m_current && !m_finishedUrls.contains(url))
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
        GameFiles::instance()->markArchiveExtracted(m_version, url);
        if (!m_finishedUrls.contains(url)) {
            m_finishedUrls.append(url);
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
    if (url == m_current)
        m_rejectedUrls.insert(url);
}

void ZiplibManager::extractError(QString msg, QString urls)
{
    qInfo().noquote() << QStringLiteral("extractError : %1").arg(msg);
    qInfo().noquote() << QStringLiteral("extractError url: %1").arg(urls);
    if (urls != m_current)
        return;
    m_failedUrls.append(urls);
    // Reported before the run goes on: the end of the run may lead the window to drop us.
    emit sigTrackEvent(QStringLiteral("launcher_install_finish"),
        QVariantMap {{QStringLiteral("result"), QStringLiteral("fail")}, {QStringLiteral("result_msg"), msg},
            {QStringLiteral("fail_url"), urls}});
    next();
}

void ZiplibManager::resetExtract()
{
    stopWorker();
    if (m_worker) {
        // Once the worker is gone its thread has nothing left to do.
        connect(m_worker, &QObject::destroyed, m_thread, &QThread::quit, Qt::DirectConnection);
        m_worker->deleteLater();
    }
    m_spent = true;
    ++m_generation;
    m_unzipQueue.clear();
    m_failedUrls.clear();
    m_rejectedUrls.clear();
    m_finishedUrls.clear();
    m_progress.clear();
    m_expected.clear();
    m_current.clear();
    m_totalBytes = 0;
    m_isBusy = false;
}

void ZiplibManager::cancelExtract()
{
    if (m_current.isEmpty())
        return;
    qInfo().noquote() << QStringLiteral("extraction cancelled: %1").arg(m_current);
    // The worker stays cancelled, so the manager gets a fresh one for the next run.
    stopWorker();
    if (m_worker) {
        m_worker->deleteLater();
        attachWorker();
    }
    m_unzipQueue.clear();
    m_current.clear();
    m_isBusy = false;
}
