#pragma once

#include "download/downloadinterface.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>

class DownloadFileTask;
class KVDownloadManager;

// The small-files engine: reads the small-files document named by the
// record's packageJson (fetched into "Downloads/" first when it is not there,
// and again when the copy there does not match the record's packageMd5),
// keeps every file already present with the right size and digest, replaces
// the others, and downloads them one at a time into the install folder. Each
// downloaded file is checked against the document's size and MD5; a bad one is
// deleted and counted as failed. An unusable document is a failure, never a
// success with nothing to do. Reading, checking and hashing large files run on
// the global thread pool; those jobs only read and report, stop early once
// their run is stopped or the engine is gone, and nobody waits for them. A few
// files are fetched at a time (Parallel), each by its own DownloadFileTask with
// its own kept-alive connection. A file that fails for a network reason goes
// back into the queue after a backoff with full jitter (or the server's
// Retry-After); the run fails only when nothing came for the collaborators' bound.
class DownloadFilesManager : public DownloadInterface
{
    Q_OBJECT
public:
    explicit DownloadFilesManager(QObject *parent = nullptr, DownloadCollaborators collaborators = {});
    ~DownloadFilesManager() override;

    void stopDownload() override;
    // Stops like stopDownload(): what is in the install folder stays.
    void closeDownload() override { stopDownload(); }
    bool isDownloading() const override { return isRunning(); }
    bool removeFailedFiles() override { return true; }
    void startDownload(GameVersionInfo versionInfo) override;
    void resetState() override { }
    void startTiming() override;
    void finishAll() override;
    void notifyDownloadError(QString url, int code) override;

    // Where the small-files document of `packageJson` is read from.
    static QString listFilePath(const QString &packageJson);

    // Files fetched at the same time: small files are dominated by the time of
    // one request, so a few connections side by side keep the line busy.
    static constexpr int Parallel = 4;

    // The code every failure of this engine is reported with.
    static constexpr int FailureCode = codeValue(DownloadCode::SmallFilesFailed);

    // What the check of the install folder found (public for the pool job).
    struct Scan
    {
        bool usable = false;
        bool documentDiffers = false; // the document does not match the record's packageMd5
        QString error;
        QString packedHost;
        QMap<QString, DownloadFileInfo> files; // by address
        QStringList present;
        QStringList missing;
        QSet<QString> stale; // missing ones present with the wrong size or digest
        qint64 presentBytes = 0;
    };

private:
    void fetchList();
    // `fetched`: the document was just fetched, so a wrong digest is a failure rather than a reason to fetch again.
    void readList(bool fetched);
    void onScanned(const Scan &scan, bool fetched);
    void next();
    void onFileFinished(DownloadFileTask *task, int successCode, int errorCode, const QString &errorMsg,
        const QString &path, const QString &url);
    DownloadFileTask *idleTask() const;
    void stopTasks();
    void runEnded(const RunResult &result) override;
    void onFileChecked(const QString &url, const QString &path, bool good, const QString &why);
    void fail(const QString &url, const QString &why);
    // Whether the failed file goes back into the queue later (else it fails).
    bool retryLater(const QString &url, int errorCode, int status, const QByteArray &retryAfter);
    // The document's fetch failed for a network reason: fetched again after the backoff.
    bool refetchListLater(int errorCode);

    QMap<QString, DownloadFileInfo> m_smallFiles;
    QStringList needToDownLoadQueue;
    QSet<QString> successSmallfiles; // looked up once per finished file
    QStringList m_failedFiles;
    QList<DownloadFileTask *> m_tasks;
    QHash<DownloadFileTask *, QString> m_running; // task -> address it downloads
    int m_checking = 0; // downloaded files whose digest is being computed
    QSet<QString> m_stale; // addresses whose present file is removed just before it is fetched
    // Raised when the run ends or the engine goes; the pool jobs of the run hold it.
    std::shared_ptr<std::atomic_bool> m_cancel;
    QPointer<KVDownloadManager> m_listFetcher;
    QString m_installDir;
    int m_waitingRetries = 0; // failed files waiting for their next attempt
    int m_retryAttempts = 0; // failures since the last progress
    qint64 m_lastProgressMs = 0;
};
