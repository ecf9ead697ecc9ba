#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The MD5 of a file while it is being written, computed on a thread of its
// own so that hashing costs a transfer no time on the owner's thread: the
// owner hands in every piece it appends, and asks for the digest once the
// file is whole. The part of the file already on disk (a resumed download) is
// read and hashed first, on the same thread, ahead of the new pieces.
//
// Handed-in pieces wait in memory until hashed; the owner stops reading from
// the network while pending() is above kMaxPending and resumes on drained(),
// which comes when half of that is left, so the network refills while the
// digest still has work.
class StreamDigest : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxPending = 4 * 1024 * 1024;

    explicit StreamDigest(QObject *parent = nullptr);
    // Cancels what is queued; waits for at most one piece of work.
    ~StreamDigest() override;

    // Starts a new digest covering the first `keptBytes` of `path`, then what
    // add() hands in. Results of earlier digests are no longer reported.
    void restart(const QString &path, qint64 keptBytes);
    void add(const QByteArray &data);
    // Asks for the digest of everything so far; ready() follows.
    void finish();
    // Drops the running digest: nothing of it is reported any more.
    void abandon();

    // Bytes handed in and not hashed yet.
    qint64 pending() const { return std::max<qint64>(0, m_pending.load()); }

signals:
    // Lower-case hexadecimal digest, or an error text when the kept part could not be read.
    void ready(const QByteArray &md5, const QString &error);
    // Less than half of kMaxPending is waiting.
    void drained();

private:
    struct Job
    {
        enum Kind { Restart, Data, Finish } kind = Data;
        quint64 epoch = 0;
        QString path;
        qint64 bytes = 0;
        QByteArray data;
    };
    void enqueue(Job job);
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_quit = false;
    std::atomic<qint64> m_pending {0};
    std::atomic<quint64> m_epoch {0};
    std::thread m_thread;
};
