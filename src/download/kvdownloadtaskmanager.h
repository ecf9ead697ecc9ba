#pragma once

#include "download/downloadinterface.h"

#include <QMap>
#include <QStringList>

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
};
