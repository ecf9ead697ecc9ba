#include "install/gameverify.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QMetaObject>
#include <QSet>
#include <QThread>

#include <openssl/evp.h>

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kBlock = 1 << 20;
constexpr qint64 kReportMs = 100;

enum class State { Good, Missing, Damaged, Cancelled };

// One check: the folder's parents looked at once each, every file opened without
// following a link and read in blocks.
class Checker
{
public:
    Checker(const QString &dir, VerifyMode mode, const std::atomic_bool *cancel,
        const std::function<void(const VerifyProgress &)> &progress)
        : m_root(QFile::encodeName(dir))
        , m_mode(mode)
        , m_cancel(cancel)
        , m_report(progress)
        , m_block(size_t(kBlock))
        , m_md5(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        m_clock.start();
    }

    State check(const ManifestEntry &entry);
    void report(bool last);
    VerifyProgress progress;

private:
    State parents(const QByteArray &place);
    State content(int fd, const ManifestEntry &entry);
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    QByteArray m_root;
    VerifyMode m_mode;
    const std::atomic_bool *m_cancel;
    std::function<void(const VerifyProgress &)> m_report;
    std::vector<char> m_block;
    StreamXxh128 m_xxh;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> m_md5;
    QHash<QByteArray, State> m_folders;
    QElapsedTimer m_clock;
    qint64 m_lastReport = -kReportMs;
};

// Whether the folders on the way to `place` are real folders: a missing one makes the
// file missing, a link or a file in a folder's place makes it damaged.
State Checker::parents(const QByteArray &place)
{
    int slash = place.indexOf('/');
    while (slash > 0) {
        const QByteArray folder = place.left(slash);
        auto known = m_folders.constFind(folder);
        if (known == m_folders.constEnd()) {
            struct stat st;
            State state = State::Good;
            if (lstat((m_root + '/' + folder).constData(), &st) != 0)
                state = errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Damaged;
            else if (!S_ISDIR(st.st_mode))
                state = State::Damaged;
            known = m_folders.insert(folder, state);
        }
        if (known.value() != State::Good)
            return known.value();
        slash = place.indexOf('/', slash + 1);
    }
    return State::Good;
}

State Checker::check(const ManifestEntry &entry)
{
    const State way = parents(entry.place);
    if (way != State::Good)
        return way;
    const int fd = ::open((m_root + '/' + entry.place).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? State::Missing : State::Damaged; // ELOOP: a link in its place
    struct stat st;
    State state = State::Damaged;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == entry.size)
        state = m_mode == VerifyMode::Full ? content(fd, entry) : State::Good;
    ::close(fd);
    return state;
}

State Checker::content(int fd, const ManifestEntry &entry)
{
    const bool useXxh = !entry.xxh128.isEmpty();
    if (!useXxh && entry.md5.isEmpty())
        return State::Good; // nothing more is known of it than its size
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_xxh.reset();
    EVP_DigestInit_ex(m_md5.get(), EVP_md5(), nullptr);
    qint64 total = 0;
    for (;;) {
        if (cancelled())
            return State::Cancelled;
        const ssize_t n = ::read(fd, m_block.data(), m_block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return State::Damaged;
        if (n == 0)
            break;
        if (useXxh)
            m_xxh.add(m_block.data(), size_t(n));
        else
            EVP_DigestUpdate(m_md5.get(), m_block.data(), size_t(n));
        total += n;
        progress.bytesDone += n;
        report(false);
    }
    progress.bytesDone -= total; // counted whole by the caller
    if (useXxh)
        return m_xxh.hexResult() == entry.xxh128 ? State::Good : State::Damaged;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_md5.get(), digest, &length);
    const QByteArray hex = QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    return hex == entry.md5.toLower() ? State::Good : State::Damaged;
}

void Checker::report(bool last)
{
    const qint64 now = m_clock.elapsed();
    if (!m_report || (!last && now - m_lastReport < kReportMs))
        return;
    m_lastReport = now;
    const bool byBytes = m_mode == VerifyMode::Full && progress.bytesTotal > 0;
    const double done = byBytes ? double(progress.bytesDone) / double(progress.bytesTotal)
                                : double(progress.filesDone) / double(qMax<qint64>(1, progress.filesTotal));
    progress.secondsLeft = now >= 1000 && done > 0 ? qint64(double(now) * (1 - done) / done / 1000.0 + 0.5) : -1;
    if (last)
        progress.secondsLeft = 0;
    m_report(progress);
}

QString placeText(const QByteArray &place)
{
    return QString::fromUtf8(place);
}

// Files below `dir` that the manifest does not list; links are listed, never followed.
QStringList unexpectedFiles(const QString &dir, const InstallManifest &manifest)
{
    QStringList found;
    const int cut = dir.size() + 1;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = it.next().mid(cut);
        if (manifest.indexOf(QFile::encodeName(relative)) < 0)
            found.append(relative);
    }
    found.sort();
    return found;
}

} // namespace

VerifyReport verifyInstall(const QString &dir, const InstallManifest &manifest, VerifyMode mode,
    const std::atomic_bool *cancel, const std::function<void(const VerifyProgress &)> &progress)
{
    VerifyReport result;
    result.full = mode == VerifyMode::Full;
    result.version = manifest.version;
    if (!QFileInfo(dir).isDir()) {
        result.error = QStringLiteral("the game folder %1 is not there").arg(dir);
        return result;
    }
    Checker checker(dir, mode, cancel, progress);
    checker.progress.filesTotal = manifest.entries.size();
    checker.progress.bytesTotal = manifest.totalBytes();
    checker.report(true);
    for (const ManifestEntry &entry : manifest.entries) {
        // A cancelled check tells nothing of the files, not even what it had found.
        const State state = cancel && cancel->load() ? State::Cancelled : checker.check(entry);
        if (state == State::Cancelled) {
            VerifyReport cancelled;
            cancelled.outcome = VerifyReport::Outcome::Cancelled;
            cancelled.full = result.full;
            cancelled.version = result.version;
            return cancelled;
        }
        if (state == State::Missing)
            result.missing.append(placeText(entry.place));
        else if (state == State::Damaged)
            result.damaged.append(placeText(entry.place));
        checker.progress.filesDone += 1;
        checker.progress.bytesDone += entry.size;
        checker.report(false);
    }
    result.files = checker.progress.filesDone;
    result.bytes = checker.progress.bytesDone;
    result.unexpected = unexpectedFiles(dir, manifest);
    result.outcome = result.faulty().isEmpty() ? VerifyReport::Outcome::Intact : VerifyReport::Outcome::Damaged;
    checker.report(true);
    return result;
}

QString VerifyReport::toText() const
{
    QString text;
    const auto list = [&text](const char *what, const QStringList &places) {
        for (const QString &place : places)
            text += QStringLiteral("%1: %2\n").arg(QLatin1String(what), place);
    };
    list("missing", missing);
    list("damaged", damaged);
    list("repaired", repaired);
    list("ignored", unexpected);
    switch (outcome) {
    case Outcome::Intact:
        text += QStringLiteral("%1 check of version %2: %3 files, %4 bytes intact")
                    .arg(full ? QStringLiteral("full") : QStringLiteral("quick"), version)
                    .arg(files)
                    .arg(bytes);
        if (!repaired.isEmpty())
            text += QStringLiteral(", %1 repaired").arg(repaired.size());
        break;
    case Outcome::Damaged:
        text += QStringLiteral("version %1: %2 missing, %3 damaged of %4 files")
                    .arg(version)
                    .arg(missing.size())
                    .arg(damaged.size())
                    .arg(files);
        break;
    case Outcome::Cancelled:
        text += QStringLiteral("check cancelled");
        break;
    case Outcome::NotChecked:
        text += QStringLiteral("could not check: %1").arg(error);
        break;
    }
    return text + QLatin1Char('\n');
}

QJsonObject VerifyReport::toJson() const
{
    static const char *const names[] = {"intact", "damaged", "not-checked", "cancelled"};
    QJsonObject json;
    json.insert(QStringLiteral("result"), QLatin1String(names[int(outcome)]));
    json.insert(QStringLiteral("mode"), full ? QStringLiteral("full") : QStringLiteral("quick"));
    json.insert(QStringLiteral("version"), version);
    json.insert(QStringLiteral("files"), files);
    json.insert(QStringLiteral("bytes"), bytes);
    json.insert(QStringLiteral("missing"), QJsonArray::fromStringList(missing));
    json.insert(QStringLiteral("damaged"), QJsonArray::fromStringList(damaged));
    json.insert(QStringLiteral("repaired"), QJsonArray::fromStringList(repaired));
    json.insert(QStringLiteral("ignored"), QJsonArray::fromStringList(unexpected));
    if (!error.isEmpty())
        json.insert(QStringLiteral("error"), error);
    return json;
}

GameVerifier::GameVerifier(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<VerifyProgress>("VerifyProgress");
    qRegisterMetaType<VerifyReport>("VerifyReport");
}

GameVerifier::~GameVerifier()
{
    m_cancel.store(true);
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool GameVerifier::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void GameVerifier::start(const QString &dir, const InstallManifest &manifest, VerifyMode mode)
{
    if (m_thread)
        return;
    m_thread = QThread::create([this, dir, manifest, mode] {
        const auto onProgress = [this](const VerifyProgress &p) {
            QMetaObject::invokeMethod(
                this, [this, p] { emit progress(p); }, Qt::QueuedConnection);
        };
        const VerifyReport report = verifyInstall(dir, manifest, mode, &m_cancel, onProgress);
        QMetaObject::invokeMethod(
            this, [this, report] { emit finished(report); }, Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("verify"));
    m_thread->start();
}
