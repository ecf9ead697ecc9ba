#pragma once

#include <QFile>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QNetworkAccessManager;
class QUrl;

// One GET streamed into a file as the data arrives, so memory stays flat
// whatever the server sends: refused past `maxBytes`, given up when no data
// comes for `stallMs`; an answer with an HTTP error status fails at its first
// data, whatever its body. What the whole file is worth (its digest, whether it
// decodes) and where it goes are the owner's to decide. One transfer at a
// time; a child of its owner, so it moves to the owner's thread with it.
class FileFetch : public QObject
{
    Q_OBJECT
public:
    FileFetch(QNetworkAccessManager *network, qint64 maxBytes, int stallMs, QObject *parent = nullptr);
    ~FileFetch() override;

    // Empties `filePath` and starts; false, with nothing started, when the
    // file cannot be opened for writing.
    bool start(const QUrl &url, const QString &filePath);
    // Ends a transfer without a signal and removes its file.
    void abort();
    bool isRunning() const { return m_reply; }

signals:
    // The transfer has ended and the file is closed. When `ok` is false the
    // file has been removed, `error` says why and `networkError` is the
    // reply's QNetworkReply::NetworkError when the network failed, else 0.
    void finished(bool ok, const QString &error, int networkError);

private:
    void onReadyRead();
    void onFinished();
    // Releases the reply and closes the file; returns the file's path.
    QString release();
    void fail(const QString &error, int networkError = 0);

    QNetworkAccessManager *m_network = nullptr;
    const qint64 m_maxBytes;
    QPointer<QNetworkReply> m_reply;
    QFile m_file;
    QTimer m_stall {this};
};
