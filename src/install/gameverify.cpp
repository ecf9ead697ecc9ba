#include "install/gameverify.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QMetaObject>
#include <QSet>
#include <QThread>

#include <openssl/evp.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Blocks that stay in the processor's cache between the copy and the digest.
constexpr qint64 kBlock = 128 * 1024;
constexpr qint64 kReportMs = 100;

enum class State : char { Good, Missing, Damaged, Cancelled };

// What the lanes of one check share: the next entry to take and the progress so far.
struct Tally
{
    std::atomic<int> next {0};
    std::atomic<qint64> filesDone {0};
    std::atomic<qint64> bytesDone {0};
    qint64 filesTotal = 0;
    qint64 bytesTotal = 0;
};

// One check: the folder's parents looked at once each, every file opened without
// following a link and read in blocks.
class Checker
{
public:
    Checker(const QString &dir, VerifyMode mode, const std::atomic_bool *cancel, VerifyPause *pause, Tally &tally,
        const std::function<void(const VerifyProgress &)> &progress)
        : tally(tally)
        , m_root(QFile::encodeName(dir))
        , m_mode(mode)
        , m_cancel(cancel)
        , m_pause(pause)
        , m_report(progress)
        , m_block(size_t(kBlock))
        , m_md5(EVP_MD_CTX_new(), &EVP_MD_CTX_free)
    {
        m_clock.start();
        m_rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~Checker()
    {
        if (m_rootFd >= 0)
            ::close(m_rootFd);
    }
    Checker(const Checker &) = delete;
    Checker &operator=(const Checker &) = delete;

    State check(const ManifestEntry &entry);
    // Takes entries until none is left or the check is cancelled; their states go to `states`.
    void run(const InstallManifest &manifest, std::vector<State> *states);
    void report(bool last);
    Tally &tally;

private:
    State parents(const QByteArray &place);
    State content(int fd, const ManifestEntry &entry);
    // Also where a paused check waits.
    bool cancelled() const
    {
        if (m_pause && m_pause->isSet())
            m_pause->hold(m_cancel);
        return m_cancel && m_cancel->load(std::memory_order_relaxed);
    }

    QByteArray m_root;
    int m_rootFd = -1;
    VerifyMode m_mode;
    const std::atomic_bool *m_cancel;
    VerifyPause *m_pause;
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
            if (fstatat(m_rootFd, folder.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
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
    if (m_rootFd < 0)
        return State::Missing;
    const int fd = openat(m_rootFd, entry.place.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
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
    if (useXxh)
        m_xxh.reset();
    else
        EVP_DigestInit_ex(m_md5.get(), EVP_md5(), nullptr);
    qint64 total = 0;
    // The size is known to match: reading stops there, without asking for the end.
    while (total < entry.size) {
        if (cancelled())
            return State::Cancelled;
        const ssize_t n = ::read(fd, m_block.data(), size_t(qMin<qint64>(qint64(m_block.size()), entry.size - total)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return State::Damaged; // unreadable, or shorter than it was a moment ago
        if (useXxh)
            m_xxh.add(m_block.data(), size_t(n));
        else
            EVP_DigestUpdate(m_md5.get(), m_block.data(), size_t(n));
        total += n;
        tally.bytesDone += n;
        report(false);
    }
    tally.bytesDone -= total; // counted whole by the caller
    if (useXxh)
        return m_xxh.hexResult() == entry.xxh128 ? State::Good : State::Damaged;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_md5.get(), digest, &length);
    const QByteArray hex = QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    return hex == entry.md5.toLower() ? State::Good : State::Damaged;
}

void Checker::run(const InstallManifest &manifest, std::vector<State> *states)
{
    for (int i = tally.next++; i < manifest.entries.size(); i = tally.next++) {
        const ManifestEntry &entry = manifest.entries[i];
        const State state = cancelled() ? State::Cancelled : check(entry);
        (*states)[size_t(i)] = state;
        if (state == State::Cancelled)
            return;
        tally.filesDone += 1;
        tally.bytesDone += entry.size;
        report(false);
    }
}

void Checker::report(bool last)
{
    if (!m_report)
        return;
    const qint64 now = m_clock.elapsed() - (m_pause ? m_pause->pausedMs() : 0);
    if (!last && now - m_lastReport < kReportMs)
        return;
    m_lastReport = now;
    VerifyProgress progress;
    progress.filesDone = tally.filesDone;
    progress.filesTotal = tally.filesTotal;
    progress.bytesDone = tally.bytesDone;
    progress.bytesTotal = tally.bytesTotal;
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

// Adds the files below `folder` (a place; empty: the root) that the manifest does not
// list. Links are listed as they are, never followed.
void collectUnlisted(
    int parent, const QByteArray &folder, const char *name, const InstallManifest &manifest, QStringList *found)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR *dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    while (const struct dirent *entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const QByteArray place = folder.isEmpty() ? QByteArray(entry->d_name) : folder + '/' + entry->d_name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            type = fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_DIR)
            collectUnlisted(fd, place, entry->d_name, manifest, found);
        else if (manifest.indexOf(place) < 0)
            found->append(QFile::decodeName(place));
    }
    closedir(dir);
}

QStringList unexpectedFiles(const QString &dir, const InstallManifest &manifest)
{
    QStringList found;
    collectUnlisted(AT_FDCWD, QByteArray(), QFile::encodeName(dir).constData(), manifest, &found);
    found.sort();
    return found;
}

} // namespace

VerifyReport verifyInstall(const QString &dir, const InstallManifest &manifest, VerifyMode mode,
    const std::atomic_bool *cancel, const std::function<void(const VerifyProgress &)> &progress, VerifyPause *pause)
{
    VerifyReport result;
    result.full = mode == VerifyMode::Full;
    result.version = manifest.version;
    if (!QFileInfo(dir).isDir()) {
        result.error = QStringLiteral("the game folder %1 is not there").arg(dir);
        return result;
    }
    Tally tally;
    tally.filesTotal = manifest.entries.size();
    tally.bytesTotal = manifest.totalBytes();
    std::vector<State> states(size_t(manifest.entries.size()), State::Cancelled);
    Checker checker(dir, mode, cancel, pause, tally, progress);
    checker.report(true);
    // The files the manifest does not list: looked for by the lane that runs out of files
    // first, while the other finishes its last one.
    QStringList unexpected;
    std::atomic_bool walkTaken {false};
    const auto walk = [&] {
        if (!walkTaken.exchange(true) && !(cancel && cancel->load()))
            unexpected = unexpectedFiles(dir, manifest);
    };
    // A full check reads on two lanes where there are two cores: while one waits for the
    // drive or the system's copy, the other hashes.
    std::thread second;
    if (mode == VerifyMode::Full && QThread::idealThreadCount() > 1 && manifest.entries.size() > 1) {
        second = std::thread([&] {
            Checker lane(dir, mode, cancel, pause, tally, {});
            lane.run(manifest, &states);
            walk();
        });
    }
    checker.run(manifest, &states);
    walk();
    if (second.joinable())
        second.join();
    for (int i = 0; i < manifest.entries.size(); ++i) {
        const State state = states[size_t(i)];
        if (state == State::Cancelled) {
            // A cancelled check tells nothing of the files, not even what it had found.
            VerifyReport cancelled;
            cancelled.outcome = VerifyReport::Outcome::Cancelled;
            cancelled.full = result.full;
            cancelled.version = result.version;
            return cancelled;
        }
        if (state == State::Missing)
            result.missing.append(placeText(manifest.entries[i].place));
        else if (state == State::Damaged)
            result.damaged.append(placeText(manifest.entries[i].place));
    }
    result.files = tally.filesDone;
    result.bytes = tally.bytesDone;
    result.unexpected = unexpected;
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

namespace {

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void VerifyPause::set(bool paused)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_paused.load() == paused)
            return;
        if (paused)
            m_since = steadyMs();
        else
            m_pausedMs += steadyMs() - m_since;
        m_paused.store(paused);
    }
    m_changed.notify_all();
}

void VerifyPause::wake()
{
    // Under the lock: a lane between its test and its wait is not missed.
    {
        std::lock_guard<std::mutex> lock(m_mutex);
    }
    m_changed.notify_all();
}

void VerifyPause::hold(const std::atomic_bool *cancel)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this, cancel] { return !m_paused.load() || (cancel && cancel->load()); });
}

qint64 VerifyPause::pausedMs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pausedMs + (m_paused.load() ? steadyMs() - m_since : 0);
}

GameVerifier::GameVerifier(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<VerifyProgress>("VerifyProgress");
    qRegisterMetaType<VerifyReport>("VerifyReport");
}

GameVerifier::~GameVerifier()
{
    cancel();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void GameVerifier::cancel()
{
    m_cancel.store(true);
    m_pause.wake();
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
        const VerifyReport report = verifyInstall(dir, manifest, mode, &m_cancel, onProgress, &m_pause);
        QMetaObject::invokeMethod(
            this, [this, report] { emit finished(report); }, Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("verify"));
    m_thread->start();
}
