#include "download/streamdigest.h"

#include <QFile>
#include <QMetaObject>

#include <openssl/evp.h>

#include <memory>

namespace {

constexpr qint64 kReadPiece = 256 * 1024;

// libcrypto's MD5 (several times faster than QCryptographicHash's on large files).
class Md5
{
public:
    Md5()
        : m_context(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        reset();
    }
    void reset() { EVP_DigestInit_ex(m_context.get(), EVP_md5(), nullptr); }
    void addData(const char *data, qint64 size) { EVP_DigestUpdate(m_context.get(), data, size_t(size)); }
    QByteArray hexResult()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(m_context.get(), digest, &length);
        reset(); // usable again, whatever comes next
        return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    }

private:
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> m_context;
};

} // namespace

StreamDigest::StreamDigest(QObject *parent)
    : QObject(parent)
    , m_thread([this] { run(); })
{ }

StreamDigest::~StreamDigest()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    m_thread.join();
}

void StreamDigest::restart(const QString &path, qint64 keptBytes)
{
    Job job;
    job.kind = Job::Restart;
    job.epoch = ++m_epoch;
    job.path = path;
    job.bytes = keptBytes;
    {
        // Pieces of the earlier digest need not be hashed any more.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.clear();
        m_pending = 0;
    }
    enqueue(std::move(job));
}

void StreamDigest::add(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    Job job;
    job.kind = Job::Data;
    job.epoch = m_epoch;
    job.data = data;
    m_pending += data.size();
    enqueue(std::move(job));
}

void StreamDigest::finish()
{
    Job job;
    job.kind = Job::Finish;
    job.epoch = m_epoch;
    enqueue(std::move(job));
}

void StreamDigest::abandon()
{
    ++m_epoch;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs.clear();
    m_pending = 0;
}

void StreamDigest::enqueue(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void StreamDigest::run()
{
    Md5 hash;
    QString error;
    QByteArray piece;
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        // Reports go to the owner's thread and count only while their digest is current.
        const auto current = [this, &job] {
            return job.epoch == m_epoch.load();
        };
        switch (job.kind) {
        case Job::Restart: {
            hash.reset();
            error.clear();
            if (job.bytes <= 0)
                break;
            QFile file(job.path);
            if (!file.open(QIODevice::ReadOnly)) {
                error = QStringLiteral("cannot read [%1] - %2").arg(job.path, file.errorString());
                break;
            }
            piece.resize(int(kReadPiece));
            qint64 left = job.bytes;
            while (left > 0 && current()) {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (m_quit)
                    return;
                lock.unlock();
                const qint64 got = file.read(piece.data(), std::min(left, kReadPiece));
                if (got <= 0) {
                    error = QStringLiteral("cannot read [%1] - %2 bytes missing").arg(job.path).arg(left);
                    break;
                }
                hash.addData(piece.constData(), got);
                left -= got;
            }
            break;
        }
        case Job::Data: {
            if (!current())
                break;
            hash.addData(job.data.constData(), job.data.size());
            const qint64 left = m_pending -= job.data.size();
            if (left <= kMaxPending / 2 && left + job.data.size() > kMaxPending / 2) {
                const quint64 epoch = job.epoch;
                QMetaObject::invokeMethod(
                    this,
                    [this, epoch] {
                        if (epoch == m_epoch.load())
                            emit drained();
                    },
                    Qt::QueuedConnection);
            }
            break;
        }
        case Job::Finish: {
            const quint64 epoch = job.epoch;
            const QByteArray md5 = error.isEmpty() ? hash.hexResult() : QByteArray();
            const QString why = error;
            QMetaObject::invokeMethod(
                this,
                [this, epoch, md5, why] {
                    if (epoch == m_epoch.load())
                        emit ready(md5, why);
                },
                Qt::QueuedConnection);
            break;
        }
        }
    }
}
