#include "download/downloadinterface.h"

#include "analytics/datatrackmanager.h"
#include "app/texts.h"
#include "download/downloadratelimiter.h"

#include <QDebug>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

DownloadInterface::DownloadInterface(QObject *parent, DownloadCollaborators collaborators)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    qRegisterMetaType<KorvaneObject::DownloadingInfo>("KorvaneObject::DownloadingInfo");
    qRegisterMetaType<GameVersionInfo>("GameVersionInfo");
    m_monotonic.start();
}

DownloadInterface::~DownloadInterface() = default;

QString DownloadInterface::percentText(qint64 done, qint64 total)
{
    if (total <= 0 || done <= 0)
        return QStringLiteral("0");
    // done * 100 cannot overflow for any real size; the quotient is clamped for a
    // package whose announced size is smaller than what arrived.
    return QString::number(std::min<qint64>(100, done / total * 100 + (done % total) * 100 / total));
}

QString DownloadInterface::timeLeftText(qint64 remaining, qint64 bytesPerSecond)
{
    if (bytesPerSecond <= 0)
        return QStringLiteral("--");
    return durationText(std::max<qint64>(0, remaining) / bytesPerSecond);
}

qint64 DownloadInterface::elapsedMs() const
{
    if (m_collaborators.clock)
        return m_collaborators.clock() - m_clockBase;
    return m_speedClock.isValid() ? m_speedClock.elapsed() : 0;
}

qint64 DownloadInterface::nowMs() const
{
    return m_collaborators.clock ? m_collaborators.clock() : m_monotonic.elapsed();
}

void DownloadInterface::scheduleCall(qint64 ms, std::function<void()> call)
{
    if (m_collaborators.schedule)
        m_collaborators.schedule(ms, std::move(call));
    else
        QTimer::singleShot(int(std::min<qint64>(ms, 24 * 3600 * 1000)), this, std::move(call));
}

double DownloadInterface::jitterDraw() const
{
    return m_collaborators.random ? m_collaborators.random() : QRandomGenerator::global()->generateDouble();
}

void DownloadInterface::reportRetryIn(qint64 ms)
{
    KorvaneObject::DownloadingInfo info = aggregatedRecord(0);
    info.retryInSeconds = int(std::max<qint64>(1, (ms + 999) / 1000));
    emit signalDownloadProcess(info);
}

void DownloadInterface::restartClock()
{
    m_speedClock.restart();
    if (m_collaborators.clock)
        m_clockBase = m_collaborators.clock();
}

void DownloadInterface::addProgress(qint64 bytes)
{
    m_progressSeen = true;
    m_downloadedBytes += bytes;
    const qint64 now = elapsedMs();
    const qint64 interval = now - m_lastEmitMs;
    if (interval <= 1000)
        return;
    const qint64 speed = std::max<qint64>(0, (m_downloadedBytes - m_lastDownloadedBytes) * 1000 / interval);
    emit signalDownloadProcess(aggregatedRecord(speed));
    m_lastDownloadedBytes = m_downloadedBytes;
    m_lastEmitMs = now;
}

KorvaneObject::DownloadingInfo DownloadInterface::aggregatedRecord(qint64 bytesPerSecond) const
{
    KorvaneObject::DownloadingInfo info;
    info.downloadSpeed = sizeText(quint64(bytesPerSecond), true);
    info.timeLeft = timeLeftText(m_totalBytes - m_downloadedBytes, bytesPerSecond);
    info.totalSize = sizeText(quint64(std::max<qint64>(0, m_totalBytes)));
    info.percent = percentText(m_downloadedBytes, m_totalBytes);
    info.downloadedSize = sizeText(quint64(std::max<qint64>(0, m_downloadedBytes)));
    return info;
}

void DownloadInterface::track(const QString &event, const QVariantMap &properties) const
{
    if (m_collaborators.track)
        m_collaborators.track(event, properties);
    else
        DataTrackManager::instance()->trackEvent(event, properties);
}

std::shared_ptr<DownloadRateLimiter> DownloadInterface::makeRateLimiter() const
{
    if (m_collaborators.rateLimit >= 0)
        return std::make_shared<DownloadRateLimiter>(m_collaborators.rateLimit);
    return DownloadRateLimiter::following();
}

void DownloadInterface::finishRun(const RunResult &result)
{
    if (!endRun())
        return; // the run has ended already: a late report
    m_progressSeen = false;
    runEnded(result);
    switch (result.outcome) {
    case Outcome::Finished:
        emit signalReplyFinished(
            codeValue(DownloadCode::Finished), sizeText(quint64(std::max<qint64>(0, m_totalBytes))));
        break;
    case Outcome::Failed:
        qInfo().noquote() << QStringLiteral("--notifyDownloadError-url:%1").arg(result.url);
        emit signalDownloadError(result.url, result.code);
        break;
    case Outcome::DriveFull:
        emit signalDirSpaceLimit(sizeText(quint64(std::max<qint64>(0, m_versionInfo.packageSize))));
        reportStopLater(); // the workers have stopped, as after a stop
        break;
    case Outcome::Stopped:
        reportStopLater();
        break;
    }
}

void DownloadInterface::stopRun()
{
    if (isRunning())
        finishRun({Outcome::Stopped, QString(), 0});
    else
        reportStopLater(); // nothing to stop: the caller still learns that nothing runs
}

void DownloadInterface::reportStopLater()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            qInfo("All Download Tasks Has Stop");
            emit signalDownloadStop();
        },
        Qt::QueuedConnection);
}
