#pragma once

#include "install/downloadinginfo.h"
#include "install/gameversioninfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <memory>

class DownloadRateLimiter;
class QNetworkAccessManager;

// What an engine talks to besides the disk; tests hand in their own.
struct DownloadCollaborators
{
    // A network access manager for one worker (parented by the caller's object);
    // null: every worker creates its own, so parallel files do not share the
    // manager's per-host connection limit.
    std::function<QNetworkAccessManager *(QObject *parent)> networkFactory;
    // Milliseconds of a monotonic clock; null: a QElapsedTimer.
    std::function<qint64()> clock;
    // Analytics events; null: DataTrackManager.
    std::function<void(const QString &event, const QVariantMap &properties)> track;
    // Milliseconds without data before a transfer fails.
    int transferTimeoutMs = 15000;
    // A transfer slower than this over the window fails (the speed limit's pacing does not count).
    qint64 lowSpeedBytesPerSecond = 1024;
    int lowSpeedWindowMs = 60000;
    // Bytes per second for all transfers of the engine; -1: the "downloadspeed" setting at each start.
    qint64 rateLimit = -1;
};

// The contract the main window drives a download engine through, and the
// progress aggregation both engines share: per-file byte counts are added up
// and one record with speed, time left and percentage goes out at most about
// once a second.
class DownloadInterface : public QObject
{
    Q_OBJECT
public:
    explicit DownloadInterface(QObject *parent = nullptr, DownloadCollaborators collaborators = {});
    ~DownloadInterface() override;

    // The texts of an aggregated record. A speed of 0 gives the time left "--";
    // a total of 0 or less gives 0 percent; the percentage stays within 0 to 100.
    static QString percentText(qint64 done, qint64 total);
    static QString timeLeftText(qint64 remaining, qint64 bytesPerSecond);

public slots:
    virtual void stopDownload() { }
    virtual void closeDownload() { }
    virtual bool isDownloading() const { return false; }
    virtual bool removeFailedFiles() { return false; }
    virtual void startDownload(GameVersionInfo versionInfo) { Q_UNUSED(versionInfo) }
    virtual void resetState() { }
    virtual void startTiming() { }
    virtual void finishAll() { }
    virtual void notifyDownloadError(QString url, int code)
    {
        Q_UNUSED(url)
        Q_UNUSED(code)
    }

signals:
    void signalDownloadProcess(KorvaneObject::DownloadingInfo info);
    void signalReplyFinished(int code, QString totleSize);
    void signalDownloadError(QString url, int code);
    void signalDownloadStop();
    void signalDirSpaceLimit(QString totalSize);
    void signalStartConnect();

protected:
    qint64 elapsedMs() const;
    void restartClock();
    // Adds a per-file record's bytes and emits the aggregated record when due.
    void addProgress(qint64 bytes);
    KorvaneObject::DownloadingInfo aggregatedRecord(qint64 bytesPerSecond) const;
    void track(const QString &event, const QVariantMap &properties) const;
    // The limiter for one run: the collaborators' rate or the setting.
    std::shared_ptr<DownloadRateLimiter> makeRateLimiter() const;

    bool m_isRunning = false;
    bool m_progressSeen = false;
    QElapsedTimer m_speedClock;
    qint64 m_lastEmitMs = 0;
    qint64 m_totalBytes = 0;
    qint64 m_downloadedBytes = 0;
    qint64 m_presentBytes = 0;
    qint64 m_lastDownloadedBytes = 0;
    GameVersionInfo m_versionInfo;

    DownloadCollaborators m_collaborators;

private:
    qint64 m_clockBase = 0;
};
