#pragma once

#include "download/downloadcode.h"
#include "download/enginejob.h"
#include "install/downloadinginfo.h"
#include "install/gameversioninfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
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
    // Bytes per second for all transfers of the engine; -1: the "downloadspeed"
    // setting, followed while a run goes on (DownloadRateLimiter::following()).
    qint64 rateLimit = -1;
    // Package mirror bases ("scheme://host:port") serving the same paths as the
    // packages' own host; empty: the own host only.
    QStringList mirrors;
    // Runs `call` after `ms` on the engine's thread; null: a single-shot timer.
    std::function<void(qint64 ms, std::function<void()> call)> schedule;
    // Draws in [0, 1) for the retries' jitter; null: QRandomGenerator.
    std::function<double()> random;
    // Backoff of a failed transfer: first about this long, doubling up to the cap.
    qint64 backoffFirstMs = 1000;
    qint64 backoffCapMs = 60000;
    // A file that brought nothing for this long, through all its retries, fails
    // the run (0: its first failure does).
    qint64 giveUpAfterMs = 600000;
    // How long a host that failed a transfer is passed over.
    qint64 hostSetAsideMs = 30000;
};

// The contract the main window drives a download engine through, and the
// progress aggregation both engines share: per-file byte counts are added up
// and one record with speed, time left and percentage goes out at most about
// once a second.
//
// Every run ends exactly once, through finishRun(), with one of the terminal
// signals: signalReplyFinished (done), signalDownloadError (failed),
// signalDirSpaceLimit (a write failed: the drive is full; followed by
// signalDownloadStop from the event loop) or signalDownloadStop (stopped or
// closed; always from the event loop). Reports of a run's workers
// that come after its end are dropped there (EngineJob).
//
// stopDownload() and closeDownload() are always answered with one
// signalDownloadStop from the event loop, also when no run is going, so a
// caller that asks for a stop can always wait for it.
class DownloadInterface : public QObject, protected EngineJob
{
    Q_OBJECT
public:
    // How a run ended.
    enum class Outcome { Finished, Failed, Stopped, DriveFull };
    struct RunResult
    {
        Outcome outcome = Outcome::Finished;
        QString url; // Failed: the address that failed
        int code = 0; // Failed: the code reported with it
    };

    explicit DownloadInterface(QObject *parent = nullptr, DownloadCollaborators collaborators = {});
    ~DownloadInterface() override;

    // The texts of an aggregated record. A speed of 0 gives the time left "--";
    // a total of 0 or less gives 0 percent; the percentage stays within 0 to 100.
    static QString percentText(qint64 done, qint64 total);
    static QString timeLeftText(qint64 remaining, qint64 bytesPerSecond);

    // Which files of the next runs may be fetched now (null: all); a file held
    // back waits until admitWaiting() finds it admitted, and the run ends only
    // when every file has been fetched. Engines without held files ignore both.
    virtual void setAdmission(std::function<bool(const QString &url)> admit) { Q_UNUSED(admit) }
    virtual void admitWaiting() { }
    // Whether the engine takes up a transfer that failed for a network reason
    // itself, until nothing came for giveUpAfterMs: its error report is then final.
    bool retriesNetworkFaults() const { return m_collaborators.giveUpAfterMs > 0; }

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
    // One file of the run is complete and checked under its final name.
    void signalFileDownloaded(QString url);

protected:
    qint64 elapsedMs() const;
    void restartClock();
    // Milliseconds of the monotonic clock (the collaborators' when given).
    qint64 nowMs() const;
    // Runs `call` after `ms` (the collaborators' scheduler when given).
    void scheduleCall(qint64 ms, std::function<void()> call);
    // A draw in [0, 1) for a backoff's jitter.
    double jitterDraw() const;
    // Emits the aggregated record saying that every transfer waits to retry,
    // the next one in `ms`.
    void reportRetryIn(qint64 ms);
    // Adds a per-file record's bytes and emits the aggregated record when due.
    void addProgress(qint64 bytes);
    KorvaneObject::DownloadingInfo aggregatedRecord(qint64 bytesPerSecond) const;
    void track(const QString &event, const QVariantMap &properties) const;
    // The limiter for one run: the collaborators' rate, or the setting and its changes.
    std::shared_ptr<DownloadRateLimiter> makeRateLimiter() const;

    // The one end of a run: ends it (a second end is dropped), lets the engine
    // put its workers away (runEnded) and emits the result's signal.
    void finishRun(const RunResult &result);
    // What the engine does when its run ends, before the signal goes out.
    virtual void runEnded(const RunResult &result) { Q_UNUSED(result) }
    // Ends a running run as stopped, or reports the stop of an idle engine.
    void stopRun();
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
    void reportStopLater();

    qint64 m_clockBase = 0;
    QElapsedTimer m_monotonic;
};
