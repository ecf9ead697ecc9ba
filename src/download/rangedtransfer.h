#pragma once

#include "download/downloadcode.h"
#include "install/downloadinginfo.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class DownloadRateLimiter;
class StreamDigest;
class QFile;
class QNetworkAccessManager;

// One resumable HTTP(S) GET streamed into a partial file ("<final>.tmp") that
// is renamed to its final name once the whole body is on disk. The shared
// body of KVDownloadManager (package files) and DownloadFileTask (small files).
//
// Trust nothing the server says: a resumed request answered with 200 or with a
// Content-Range that does not start at the partial file's end restarts the file
// from 0 instead of appending; a body shorter than announced is a failure that
// keeps the partial file; error pages are never written into the file and
// only their first few KiB are read; a body is stopped as soon as it passes
// its size (declared, announced by Content-Length or Content-Range, or the
// owner's ceiling for the use); a
// transfer that receives nothing for the time-out, or too little for the
// low-speed window, fails instead of hanging. Bodies are asked for and taken
// uncompressed only (a compressed body could inflate without bound, and byte
// ranges of it would not fit the file).
//
// A file whose size or digest is declared (the package file name, the version
// record) is checked against both before it takes its final name: the digest
// is computed while the data streams in (a resumed file's kept part first), and
// a file that does not match is deleted and reported as a content error, so a
// retry downloads it from the start.
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
    // A transfer that receives less than `bytesPerSecond` over a window of
    // `windowMs` fails as a network error; a window in which the speed limit
    // or the digest held the transfer back does not count. 0 turns it off.
    void setLowSpeedLimit(qint64 bytesPerSecond, int windowMs);
    // Adds what the finished file must be: its size (0 or less: not declared)
    // and its MD5 in hexadecimal (empty: not declared). Every declaration must hold.
    void declareContent(qint64 size, const QByteArray &md5);
    // The most a body may bring when neither a declaration nor the server's
    // answer says its size (0: no ceiling); a longer one fails as a content error.
    void setBodyCeiling(qint64 bytes) { m_bodyCeiling = bytes; }
    // The first declared size, -1 when none.
    qint64 declaredSize() const { return m_declaredSizes.isEmpty() ? -1 : m_declaredSizes.first(); }

    QString url() const { return m_url; }
    // Fetches from `address` (a mirror of url(), same path) instead; the file,
    // its declarations and every report stay those of url(). Empty: url().
    void setSourceUrl(const QString &address) { m_sourceUrl = address; }
    QString sourceUrl() const { return m_sourceUrl.isEmpty() ? m_url : m_sourceUrl; }
    // The HTTP status of the last answer (0: none yet) and its Retry-After header.
    int httpStatus() const { return m_status; }
    QByteArray retryAfter() const { return m_retryAfter; }
    QString realFilePath() const { return m_realfilePath; }
    QString tempFilePath() const { return m_downloadFileFullPath; }
    bool isStopped() const { return m_isStopped; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    qint64 bytesTotal() const { return m_bytesTotal; }
    qint64 resumeOffset() const { return m_resumeOffset; }
    // The read-buffer cap of the running reply (0 when none).
    qint64 readBufferSize() const;

    // Read-buffer size without a speed limit, the same for every transfer.
    static qint64 unlimitedBufferSize();

    // Code of a transfer that ended with fewer bytes than the server announced.
    static constexpr int IncompleteCode = codeValue(DownloadCode::Incomplete);
    // Code of a file that is not what was declared, or an answer in a form
    // that cannot become the file (a content error: the file is deleted).
    static constexpr int ContentErrorCode = codeValue(DownloadCode::ContentError);
    // Code of an address that gives no usable file name.
    static constexpr int UnusableAddressCode = codeValue(DownloadCode::UnusableAddress);

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
    void sendRequest(bool logRange);

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
    // Starts a new file: the previous file's restart no longer counts.
    void beginFile();
    // Starts the digest over the partial file's first m_resumeOffset bytes
    // (only when a digest is declared).
    void startDigest();
    // When the partial file already holds every declared byte (an earlier run
    // ended between the last byte and the rename), reports it checked and
    // complete from the event loop, as every end is, and returns true.
    bool completeIfWhole();
    // Fails with a content error and deletes the partial file.
    void failContent(int status, const QString &message);
    // Whether the size the server announced is the declared one; fails the
    // transfer as a content error when it is not.
    bool serverSizeAgrees();
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
    void onLowSpeedCheck();
    void onDigestReady(const QByteArray &md5, const QString &error);

private:
    enum class Answer { Unchecked, Accepted, Refused };
    enum class Piece { Written, None, Ended };
    void checkAnswer();
    void restartFromZero(const QString &why);
    bool openTempFile();
    void closeTempFile();
    void drain();
    // Reads an error page away; false when it is too long and the transfer ended.
    bool discardErrorBody();
    // Writes what the reply holds, as the pace and the digest allow; false when the transfer ended.
    bool writeAvailable();
    // How much of `available` may be read now (0: wait for the wake timer).
    qint64 pacedAmount(qint64 available, qint64 received);
    Piece writePiece(qint64 wanted, qint64 *written);
    // The most the file may hold: the declared or announced size or the ceiling; -1: none.
    qint64 bodyBound() const;
    QString boundText() const;
    void writeFailed(int error);
    void fitReadBuffer();
    qint64 readBufferCap() const;
    void finishTransfer();
    void failTransfer(int errorCode, const QString &message);
    void emitProgress();
    // Moves the checked partial file to its final name and reports success.
    void acceptFile(int status, const QString &message);

    std::shared_ptr<DownloadRateLimiter> m_limiter;
    QByteArray m_buffer;
    QTimer m_idleTimer;
    QTimer m_wakeTimer;
    QTimer m_lowSpeedTimer;
    int m_timeoutMs = 15000;
    qint64 m_lowSpeedRate = 1024;
    int m_lowSpeedWindowMs = 60000;
    qint64 m_windowStartBytes = 0;
    bool m_heldBackInWindow = false;
    QList<qint64> m_declaredSizes;
    QByteArrayList m_declaredMd5s;
    StreamDigest *m_digest = nullptr;
    bool m_verifying = false; // waiting for the digest of a finished file
    int m_verifyStatus = 0;
    QString m_verifyMessage;
    bool m_logRange = true;
    Answer m_answer = Answer::Unchecked;
    bool m_networkDone = false;
    bool m_restarted = false;
    qint64 m_expectedSize = -1; // whole file, from Content-Range or Content-Length
    qint64 m_bodyCeiling = 0;
    qint64 m_discarded = 0; // bytes of an error page read away
    int m_status = 0;
    QString m_sourceUrl;
    QByteArray m_retryAfter;
};
