#pragma once

#include "download/downloadinterface.h"

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QStringList>

class DownloadFileTask;
class KVDownloadManager;

// The small-files engine: reads the small-files document named by the
// record's packageJson (fetched into "Downloads/" first when it is not there),
// keeps every file already present with the right size and digest, replaces
// the others, and downloads them one at a time into the install folder. Each
// downloaded file is checked against the document's size and MD5; a bad one is
// deleted and counted as failed. An unusable document is a failure, never a
// success with nothing to do. Reading, checking and hashing large files run on
// the global thread pool. A few files are fetched at a time (Parallel), each
// by its own DownloadFileTask with its own kept-alive connection.
class DownloadFilesManager : public DownloadInterface
{
    Q_OBJECT
public:
    explicit DownloadFilesManager(QObject *parent = nullptr, DownloadCollaborators collaborators = {});
    ~DownloadFilesManager() override;

    void stopDownload() override;
    void closeDownload() override { }
    bool isDownloading() const override { return m_isRunning; }
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
    static constexpr int FailureCode = 298;

    // What the check of the install folder found (public for the pool job).
    struct Scan
    {
        bool usable = false;
        QString error;
        QString packedHost;
        QMap<QString, DownloadFileInfo> files; // by address
        QStringList present;
        QStringList missing;
        qint64 presentBytes = 0;
    };

private:
    void readList();
    void onScanned();
    void next();
    void onFileFinished(DownloadFileTask *task, int successCode, int errorCode, const QString &errorMsg,
        const QString &path, const QString &url);
    DownloadFileTask *idleTask() const;
    void stopTasks();
    void onFileChecked(const QString &url, const QString &path, bool good, const QString &why);
    void fail(const QString &url, const QString &why);

    QMap<QString, DownloadFileInfo> m_smallFiles;
    QStringList needToDownLoadQueue;
    QString m_packedHost;
    QList<DownloadFileInfo> m_fileList;
    QStringList successSmallfiles;
    QStringList m_failedFiles;
    DownloadFileTask *m_task = nullptr; // the first of m_tasks
    QList<DownloadFileTask *> m_tasks;
    QHash<DownloadFileTask *, QString> m_running; // task -> address it downloads
    int m_checking = 0; // downloaded files whose digest is being computed
    QFutureWatcher<Scan> m_reader;
    QPointer<KVDownloadManager> m_listFetcher;
    QString m_installDir;
    quint64 m_generation = 0; // bumps on every start and stop; late results of older ones are dropped
};
