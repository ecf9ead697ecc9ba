#pragma once

#include "download/rangedtransfer.h"

// Downloads one package file into "Downloads/" beside the executable, resuming
// a partial "<name>.tmp" with a byte-range request. One object serves one
// attempt: after a stop, a close or a failure it is spent, and the owner
// creates a new one for the next attempt.
class KVDownloadManager : public RangedTransfer
{
    Q_OBJECT
public:
    // `network` null: the object creates its own manager.
    explicit KVDownloadManager(QObject *parent = nullptr, QNetworkAccessManager *network = nullptr);
    KVDownloadManager(const QString &url, QObject *parent = nullptr, QNetworkAccessManager *network = nullptr);
    ~KVDownloadManager() override;

    void setUrl(const QString &url);

    // Starts or resumes; ignored unless stopped. `divisor` (the worker's place
    // in its run) no longer shapes anything: every transfer reads with the same
    // buffer, and the speed limit is the shared token bucket's job.
    void startDownload(int divisor);
    // Ends the transfer and keeps the partial file.
    void stopDownload();
    // Ends the transfer and deletes the partial and the final file.
    void closeDownload();

signals:
    void signalDownloaded(QString m_realfilePath, QString url);

private:
    void onWriteFailed() override;
};
