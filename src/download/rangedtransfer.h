#pragma once

#include "download/downloadinginfo.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class DownloadRateLimiter;
class QFile;
class QNetworkAccessManager;

// One resumable HTTP(S) GET streamed into a partial file ("<final>.tmp") that
// is renamed to its final name once the whole body is on disk. The shared
// body of KVDownloadManager (package files) and DownloadFileTask (small files).
//
// Trust nothing the server says: a resumed request answered with 200 or with a
// Content-Range that does not start at the partial file's end restarts the file
// from 0 instead of appending; a body shorter than announced is a failure that
// keeps the partial file; error pages are never written into the file; a
// transfer that receives nothing for the time-out fails instead of hanging.
//
// Data is read from the reply as it arrives in chunks of at most 256 KiB and
// appended to the file, so memory stays flat; the reply's read buffer is
// always bounded. With a rate limiter the bytes taken from the reply are paced
// by it, and the bounded buffer makes the server wait (TCP back-pressure).
// Progress records carry bytes written to disk, which stays right while paced.
//
// Everything runs on the owner's thread; the network access manager does the
// socket work on its own thread.
class RangedTransfer : public QObject
{
    Q_OBJECT
public:
    ~RangedTransfer() override;

    // Shares a limiter between transfers (null: no limit).
    void setRateLimiter(std::shared_ptr<DownloadRateLimiter> limiter) { m_limiter = std::move(limiter); }
    std::shared_ptr<DownloadRateLimiter> rateLimiter() const { return m_limiter; }
    // Milliseconds without a byte from the network before the transfer fails (default 15000).
    void setTransferTimeout(int ms) { m_timeoutMs = ms; }

    QString url() const { return m_url; }
    QString realFilePath() const { return m_realfilePath; }
    QString tempFilePath() const { return m_downloadFileFullPath; }
    bool isStopped() const { return m_isStopped; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    qint64 bytesTotal() const { return m_bytesTotal; }
    qint64 resumeOffset() const { return m_resumeOffset; }
    // The read-buffer cap of the running reply (0 when none).
    qint64 readBufferSize() const;

    // Read-buffer size without a speed limit: 120 KiB shared by `divisor` transfers.
    static qint64 unlimitedBufferSize(int divisor);

    // Code of a transfer that ended with fewer bytes than the server announced.
    static constexpr int IncompleteCode = -2;

signals:
    void signalDownloadProcess(KorvaneObject::DownloadingInfo info);
    void signalReplyFinished(
        int successCode, int errorCode, QString errorMsg, QString m_realfilePath, QString totalSize, QString m_url);
    void signalDownloadStop(QString url);
    void signalDirSpaceLimit(QString totalSize);
    void signalStartConnect();

protected:
    // `network` null: the transfer owns a manager of its own.
    RangedTransfer(QNetworkAccessManager *network, QObject *parent);

    // Sends the GET for m_url into m_downloadFileFullPath, resuming from the
    // partial file's size. `logRange` writes the "strRange" line.
    void sendRequest(int divisor, bool logRange);

    // Ends the running reply without a report; the partial file is closed and kept.
    void disconnectNetWork();
    // Ends a running transfer, keeping the partial file, and reports signalDownloadStop once.
    void stopTransfer();
    // A write to the partial file failed (disk full): stops the transfer by default.
    virtual void onWriteFailed();
    // Drops the network manager (clearing its connections); later starts are refused.
    void dropNetwork();
    bool hasNetwork() const { return m_network != nullptr; }

    void zeroCounters();
    void removeFile(const QString &path);
    // Replaces `to` by `from`; the error text on failure.
    static bool moveFile(const QString &from, const QString &to, QString *error);

    // What happens after a successful transfer has been closed: by default the
    // partial file becomes the final one (-100 codes when it is missing or cannot be moved).
    virtual void completeSuccess(int status, const QString &message = QStringLiteral("success"));
    // Whether a failure drops the network manager (a package worker is spent after one).
    virtual bool dropsNetworkOnFailure() const { return true; }
    void report(int successCode, int errorCode, const QString &message, const QString &path);

    QString sizeTextOfTotal() const;

    QPointer<QNetworkAccessManager> m_networkManagerOwned;
    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QString m_realfilePath;
    QFile *m_tempFile = nullptr;
    QString m_downloadFileFullPath;
    qint64 m_bytesReceived = 0;
    qint64 m_bytesTotal = 0;
    qint64 m_lastBytesReceived = 0;
    qint64 m_bytesDelta = 0;
    qint64 m_resumeOffset = 0;
    bool m_isStopped = true;
    QString m_url;

private slots:
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void onReadyRead();
    void onFinished();
    void onTimeout();

private:
    enum class Answer { Unchecked, Accepted, Refused };
    void checkAnswer();
    void restartFromZero(const QString &why);
    bool openTempFile();
    void closeTempFile();
    void drain();
    void finishTransfer();
    void failTransfer(int errorCode, const QString &message);
    void emitProgress();

    std::shared_ptr<DownloadRateLimiter> m_limiter;
    QByteArray m_buffer;
    QTimer m_idleTimer;
    QTimer m_wakeTimer;
    int m_timeoutMs = 15000;
    int m_divisor = 1;
    bool m_logRange = true;
    Answer m_answer = Answer::Unchecked;
    bool m_networkDone = false;
    bool m_restarted = false;
    qint64 m_expectedSize = -1; // whole file, from Content-Range or Content-Length
    int m_status = 0;
};
