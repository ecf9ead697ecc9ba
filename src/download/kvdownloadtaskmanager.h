#pragma once

#include "download/downloadinterface.h"
#include "download/transferretry.h"

#include <QHash>
#include <QMap>
#include <QStringList>
#include <QTimer>

class KVDownloadManager;

// The package engine: downloads every package file of a version record that
// is not yet in "Downloads/", all at once, one KVDownloadManager per address,
// adds their progress into one record a second and reports overall success or
// the first failure. The speed limit is one budget shared by all files.
//
// Every run ends with exactly one report (finished, error, drive full or
// stop), always from the event loop, through DownloadInterface::finishRun().
// Workers report to the run they were started for: what they report after
// that run has ended (still queued when a stop or a new start comes) is
// dropped, so it can neither end nor fail another run.
//
// A file whose transfer fails for a network reason is taken up again from the
// bytes on disk: at once from another host when one is not set aside (the
// package's own host and the mirrors), else after a backoff with full jitter
// or the server's Retry-After; it fails the run only when it has brought
// nothing for the collaborators' bound. A content fault starts the file over
// once, then fails the run. While every file waits, the progress record says
// in how many seconds the next retry comes.
class KVDownloadTaskManager : public DownloadInterface
{
    Q_OBJECT
public:
    explicit KVDownloadTaskManager(QObject *parent = nullptr, DownloadCollaborators collaborators = {});
    ~KVDownloadTaskManager() override;

    void stopDownload() override;
    void closeDownload() override;
    bool isDownloading() const override { return isRunning(); }
    bool removeFailedFiles() override;
    void startDownload(GameVersionInfo versionInfo) override;
    void resetState() override;
    void startTiming() override;
    void finishAll() override;
    void notifyDownloadError(QString url, int code) override;
    void setAdmission(std::function<bool(const QString &url)> admit) override { m_admit = std::move(admit); }
    void admitWaiting() override;

    // The running workers by address (tests look at their read buffers).
    QMap<QString, KVDownloadManager *> workers() const { return m_managers; }

private:
    // Counts what is on disk already and lists what is to be fetched.
    void collectMissing();
    void startWorker(const QString &url, const std::shared_ptr<DownloadRateLimiter> &limiter);
    // Whether the failed file is taken up again (else it fails the run).
    bool takeUpAgain(const QString &url, const QString &source, int errorCode, int status, const QByteArray &after);
    void restartLater(const QString &url, qint64 delayMs);
    // Keeps the "retrying in" record going while every file waits.
    void onRetryTick();
    void countProgress(const QString &url, qint64 bytes);
    void onFileFinished(
        int successCode, int errorCode, const QString &errorMsg, const QString &path, const QString &url);
    void runEnded(const RunResult &result) override;
    // Ends the running workers (close: and deletes their files).
    void endWorkers(bool close);

    QStringList needToDownloadUrls;
    // Files of the run held back by the admission, in package order.
    QStringList m_waitingUrls;
    std::function<bool(const QString &url)> m_admit;
    std::shared_ptr<DownloadRateLimiter> m_limiter;
    QMap<QString, KVDownloadManager *> m_managers;
    QMap<QString, int> m_failedTasks;
    bool m_closing = false;

    struct FileRetry
    {
        qint64 lastProgressMs = 0;
        qint64 bytes = 0; // counted into the run's progress
        int attempts = 0; // failures since the last progress
        bool refetched = false;
    };
    QHash<QString, FileRetry> m_retries;
    QHash<QString, qint64> m_waiting; // failed file -> when it is started again
    HostPool m_hosts;
    QTimer m_retryTicker;
};
