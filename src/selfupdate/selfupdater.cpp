#include "selfupdate/selfupdater.h"

#include "api/backoff.h"
#include "download/transferretry.h"
#include "extract/archiveextractor.h"
#include "install/gamefiles.h"
#include "platform/platform.h"
#include "selfupdate/packagetransfer.h"
#include "selfupdate/selfupdaterecord.h"
#include "update/updaterlaunch.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <QtConcurrent>

#include <algorithm>
#include <csignal>

namespace {

constexpr int PollMs = 100;
constexpr int VersionQueryMs = 10000;
constexpr int TerminateGraceMs = 5000;
// A launcher unpacks to a few hundred MB at most; a package past this is not one.
constexpr qint64 MaxUnpackedSize = 4LL << 30;

bool isPlainName(const QString &name)
{
    static const QRegularExpression bad(QStringLiteral("[/\\\\:\\x00-\\x1f]"));
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(bad)
        && !name.startsWith(QLatin1String(".update"));
}

QByteArray readSmall(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256) : QByteArray();
}

} // namespace

struct SelfUpdater::Unpacked
{
    ArchiveExtractor::Result result = ArchiveExtractor::Result::Failed;
    QString error;
    bool rejected = false;
};

SelfUpdater::SelfUpdater(const SelfUpdateRequest &request, QObject *parent)
    : QObject(parent)
    , m_request(request)
    , m_journal(request.appDir)
{
    m_request.appDir = m_journal.appDir();
}

SelfUpdater::~SelfUpdater() = default;

QString SelfUpdater::refusal(const SelfUpdateRequest &request)
{
    if (request.appDir.isEmpty() || !QFileInfo(request.appDir).isDir())
        return QStringLiteral("The application folder \"%1\" does not exist").arg(request.appDir);
    if (!isPlainName(request.launcherName))
        return QStringLiteral("\"%1\" is no launcher file name").arg(request.launcherName);
    static const QRegularExpression version(QStringLiteral("^[A-Za-z0-9._+-]{1,64}$"));
    if (!version.match(request.version).hasMatch())
        return QStringLiteral("\"%1\" is no version").arg(request.version);
    const QUrl url(request.url);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return QStringLiteral("\"%1\" is no package address").arg(request.url);
    if (GameFiles::packageFileName(request.url).isEmpty() || GameFiles::instance()->fileNameSize(request.url) <= 0
        || GameFiles::instance()->fileNameMd5(request.url).isEmpty())
        return QStringLiteral("The package name of %1 declares no size and digest; it cannot be checked")
            .arg(request.url);
    return {};
}

bool SelfUpdater::isUserData(const QString &relative, const QString &gameDir)
{
    static const QStringList folders {QStringLiteral("Downloads/"), QStringLiteral("logs/"), QStringLiteral("AppData/"),
        QStringLiteral("Images/"), QStringLiteral("manifests/"), QStringLiteral("updateProgram/"),
        QStringLiteral("QtQuick/WebPage/video/")};
    static const QStringList files {QStringLiteral("selfupdate.json"), QStringLiteral("crash.txt")};
    for (const QString &folder : folders) {
        if (relative.startsWith(folder, Qt::CaseInsensitive))
            return true;
    }
    const QString clean = QDir::cleanPath(gameDir);
    if (!gameDir.isEmpty() && clean != QLatin1String(".") && relative.startsWith(clean + QLatin1Char('/')))
        return true;
    // Settings files and the edition file sit at the top as ".ini" files.
    const bool topLevel = !relative.contains(QLatin1Char('/'));
    return relative.startsWith(QLatin1String(".update"))
        || (topLevel
            && (files.contains(relative, Qt::CaseInsensitive)
                || relative.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)));
}

QString SelfUpdater::readyPath() const
{
    return m_journal.stagingDir() + QStringLiteral("/ready");
}

QString SelfUpdater::packagePath() const
{
    return m_journal.stagingDir() + QLatin1Char('/') + GameFiles::packageFileName(m_request.url);
}

void SelfUpdater::setStage(Stage stage)
{
    emit stageChanged(stage);
}

void SelfUpdater::poll(int intervalMs, void (SelfUpdater::*check)())
{
    m_poll.stop();
    disconnect(&m_poll, nullptr, this, nullptr);
    connect(&m_poll, &QTimer::timeout, this, check);
    m_poll.start(intervalMs);
    m_clock.start();
}

void SelfUpdater::start()
{
    m_refusal = refusal(m_request);
    const bool launcherKnown
        = isPlainName(m_request.launcherName) && QFileInfo(m_journal.appPath(m_request.launcherName)).isFile();
    if (!m_refusal.isEmpty() && !launcherKnown) {
        finish(Result::Failed, m_refusal);
        return;
    }
    m_lock = std::make_unique<QLockFile>(m_journal.lockPath());
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        finish(Result::Failed, QStringLiteral("Another update of this launcher is under way"));
        return;
    }
    // What an updater killed earlier left is finished before anything else.
    m_journal.recoverHeld();
    qInfo().noquote() << QStringLiteral("Updating %1/%2 to %3 from %4")
                             .arg(m_request.appDir, m_request.launcherName, m_request.version, m_request.url);
    setStage(Stage::Waiting);
    poll(PollMs, &SelfUpdater::checkLauncherEnded);
    checkLauncherEnded();
}

void SelfUpdater::checkLauncherEnded()
{
    if (!Platform::isProcessRunning(m_request.waitPid)) {
        m_poll.stop();
        // A request that cannot be carried out still gives the player the launcher back.
        if (m_refusal.isEmpty())
            download();
        else
            fail(m_refusal, true);
    } else if (m_clock.elapsed() >= m_request.waitPidMs) {
        fail(QStringLiteral("The launcher (process %1) is still running after %2 ms; nothing was replaced")
                 .arg(m_request.waitPid)
                 .arg(m_request.waitPidMs),
            false);
    } else if (m_clock.elapsed() < PollMs) {
        qInfo().noquote() << QStringLiteral("Waiting for the launcher (process %1) to end").arg(m_request.waitPid);
    }
}

void SelfUpdater::download()
{
    setStage(Stage::Downloading);
    QDir().mkpath(m_journal.stagingDir());
    m_transfer = new PackageTransfer(m_request.url, packagePath(), this);
    connect(m_transfer, &RangedTransfer::signalDownloadProcess, this,
        [this] { emit progress(m_transfer->bytesReceived(), m_transfer->declaredSize()); });
    connect(m_transfer, &RangedTransfer::signalReplyFinished, this,
        [this](int, int errorCode, const QString &message) { onTransferEnded(errorCode, message); });
    m_transfer->start();
}

void SelfUpdater::onTransferEnded(int errorCode, const QString &message)
{
    const int status = m_transfer->httpStatus();
    const QByteArray retryAfter = m_transfer->retryAfter();
    m_transfer->deleteLater();
    if (errorCode == 0) {
        qInfo().noquote() << "The launcher package is downloaded and checked:" << packagePath();
        unpack();
        return;
    }
    qWarning().noquote()
        << QStringLiteral("The package download failed (%1, HTTP %2): %3").arg(errorCode).arg(status).arg(message);
    const TransferRetry::Kind kind = TransferRetry::classify(errorCode, status);
    qint64 waitMs = -1;
    if (kind == TransferRetry::Kind::Network && ++m_attempt < m_request.maxAttempts) {
        waitMs = std::max(Backoff::delayMs(m_attempt, 1000, 30000, Backoff::draw()),
            Backoff::retryAfterMs(retryAfter, QDateTime::currentDateTimeUtc()));
    } else if (kind == TransferRetry::Kind::Content && !m_refetched) {
        m_refetched = true; // the file was deleted: one more fetch from its start
        waitMs = 0;
    }
    if (waitMs < 0) {
        fail(QStringLiteral("The launcher package could not be downloaded: %1").arg(message), true);
        return;
    }
    qInfo().noquote() << QStringLiteral("The download is tried again in %1 ms").arg(waitMs);
    QTimer::singleShot(waitMs, this, &SelfUpdater::download);
}

void SelfUpdater::unpack()
{
    setStage(Stage::Unpacking);
    const QString archive = packagePath();
    const QString output = m_journal.stagedFilesDir();
    QDir(output).removeRecursively();
    QFile::remove(readyPath());
    ExtractLimits limits;
    limits.declaredSize = GameFiles::instance()->originSize(m_request.url);
    limits.maxSize = MaxUnpackedSize;
    auto *watcher = new QFutureWatcher<Unpacked>(this);
    connect(watcher, &QFutureWatcher<Unpacked>::finished, this, [this, watcher] {
        watcher->deleteLater();
        onUnpacked(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([this, archive, output, limits] {
        ArchiveExtractor extractor(archive, output);
        extractor.setLimits(limits);
        ArchiveExtractor::Callbacks callbacks;
        callbacks.total = [this](qint64 total) {
            emit progress(0, total);
        };
        Unpacked unpacked;
        unpacked.result = extractor.run(callbacks);
        unpacked.error = extractor.errorString();
        unpacked.rejected = extractor.archiveRejected();
        return unpacked;
    }));
}

void SelfUpdater::onUnpacked(const Unpacked &unpacked)
{
    if (unpacked.result != ArchiveExtractor::Result::Ok) {
        // A package that is no good would fail again: the next attempt fetches it anew.
        if (unpacked.rejected)
            QFile::remove(packagePath());
        fail(QStringLiteral("The launcher package cannot be unpacked: %1").arg(unpacked.error), true);
        return;
    }
    QString error;
    if (!plan(&error)) {
        fail(error, true);
        return;
    }
    readPreviousVersion();
}

// The files the package brings, as the swap will handle them.
bool SelfUpdater::plan(QString *error)
{
    m_files.clear();
    const QDir staged(m_journal.stagedFilesDir());
    QDirIterator it(
        staged.path(), QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = staged.relativeFilePath(it.next());
        if (isUserData(relative, m_request.gameDir)) {
            qWarning().noquote() << "The package holds" << relative
                                 << "where the launcher's data or its running updater lives; it is left out";
            QFile::remove(it.filePath());
            continue;
        }
        const QFileInfo old(m_journal.appPath(relative));
        m_files.append({relative, old.exists() || old.isSymLink()});
    }
    const QFileInfo launcher(staged.filePath(m_request.launcherName));
    if (!launcher.isFile() || launcher.isSymLink() || !launcher.isExecutable()) {
        *error = QStringLiteral("The package holds no executable %1").arg(m_request.launcherName);
        return false;
    }
    qInfo().noquote() << QStringLiteral("The package brings %1 files").arg(m_files.size());
    return true;
}

void SelfUpdater::readPreviousVersion()
{
    auto *query = new QProcess(this);
    query->setProgram(m_journal.appPath(m_request.launcherName));
    query->setArguments({QStringLiteral("--version")});
    query->setProcessChannelMode(QProcess::SeparateChannels);
    auto done = [this, query] {
        if (query->property("done").toBool())
            return;
        query->setProperty("done", true);
        const QString out = QString::fromUtf8(query->readAllStandardOutput()).trimmed();
        const QStringList words = out.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        m_previousVersion = words.isEmpty() ? QString() : words.last();
        qInfo().noquote() << "The installed launcher is version" << m_previousVersion;
        query->deleteLater();
        swap();
    };
    connect(query, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, done);
    connect(query, &QProcess::errorOccurred, this, [query, done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart || error == QProcess::Timedout)
            done();
    });
    QTimer::singleShot(VersionQueryMs, query, [query, done] {
        query->kill();
        done();
    });
    query->start();
}

void SelfUpdater::swap()
{
    setStage(Stage::Replacing);
    QString error;
    // The previous version of an earlier update gives way to the one replaced now.
    if (!QDir(m_journal.previousDir()).removeRecursively()) {
        fail(QStringLiteral("The folder %1 cannot be cleared").arg(m_journal.previousDir()), true);
        return;
    }
    m_journal.describe(m_request.launcherName, m_request.version, m_previousVersion, m_files);
    if (!m_journal.save(SelfUpdateJournal::Phase::Swapping, &error)) {
        fail(error, true);
        return;
    }
    if (!m_journal.swapIn(&error)) {
        qWarning().noquote() << error;
        QString undoError;
        if (m_journal.undo(&undoError))
            m_journal.remove();
        fail(QStringLiteral("The new files could not be put in place: %1").arg(error), true);
        return;
    }
    if (!m_journal.save(SelfUpdateJournal::Phase::Swapped, &error)) {
        // The files are new and complete; a journal that cannot say so is not worth a rollback.
        qWarning().noquote() << error;
    }
    qInfo().noquote() << "The new launcher files are in place";
    startNew();
}

bool SelfUpdater::startLauncher(bool announce, qint64 *pid)
{
    QProcess process;
    process.setProgram(m_journal.appPath(m_request.launcherName));
    process.setWorkingDirectory(m_journal.appDir());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QString::fromLatin1(UpdaterLaunch::readyVariable()));
    if (announce)
        environment.insert(QString::fromLatin1(UpdaterLaunch::readyVariable()), readyPath());
    process.setProcessEnvironment(environment);
    qint64 started = 0;
    const bool ok = process.startDetached(&started);
    if (pid)
        *pid = started;
    if (!ok)
        qWarning().noquote() << "The launcher cannot be started:" << process.errorString();
    return ok;
}

void SelfUpdater::startNew()
{
    setStage(Stage::Starting);
    QFile::remove(readyPath());
    if (!startLauncher(true, &m_newPid)) {
        rollBack(QStringLiteral("the new launcher could not be started"));
        return;
    }
    qInfo().noquote() << QStringLiteral("The new launcher runs as process %1; waiting for its window").arg(m_newPid);
    poll(PollMs, &SelfUpdater::checkReady);
    SelfUpdateJournal::step();
}

void SelfUpdater::checkReady()
{
    const QString reported = QString::fromUtf8(readSmall(readyPath())).trimmed();
    if (reported == m_request.version) {
        m_poll.stop();
        succeed();
    } else if (!reported.isEmpty()) {
        m_poll.stop();
        rollBack(QStringLiteral("the started launcher reports version %1").arg(reported));
    } else if (!Platform::isProcessRunning(m_newPid)) {
        m_poll.stop();
        rollBack(QStringLiteral("the new launcher ended before its window was up"));
    } else if (m_clock.elapsed() >= m_request.readyTimeoutMs) {
        m_whyRollBack
            = QStringLiteral("the new launcher did not report its window within %1 ms").arg(m_request.readyTimeoutMs);
        // It holds the single-instance place the old launcher needs.
        ::kill(pid_t(m_newPid), SIGTERM);
        poll(PollMs, &SelfUpdater::checkSilentEnded);
    }
}

void SelfUpdater::checkSilentEnded()
{
    if (Platform::isProcessRunning(m_newPid) && m_clock.elapsed() < TerminateGraceMs)
        return;
    if (Platform::isProcessRunning(m_newPid))
        ::kill(pid_t(m_newPid), SIGKILL);
    m_poll.stop();
    rollBack(m_whyRollBack);
}

void SelfUpdater::rollBack(const QString &why)
{
    setStage(Stage::RollingBack);
    qWarning().noquote() << QStringLiteral("Version %1 is rolled back: %2").arg(m_request.version, why);
    QString error;
    if (!m_journal.save(SelfUpdateJournal::Phase::RollingBack, &error))
        qWarning().noquote() << error;
    const bool restored = m_journal.undo(&error);
    if (!restored)
        qWarning().noquote() << "Not every previous file could be put back:" << error;
    if (!SelfUpdateRecord::writeRolledBack(m_request.appDir, m_request.version, m_previousVersion, &error))
        qWarning().noquote() << "The update record cannot be written:" << error;
    // A failed undo keeps its journal, so the next start tries again.
    if (restored)
        m_journal.remove();
    startLauncher(false, nullptr);
    finish(Result::RolledBack,
        QStringLiteral("Version %1 did not start (%2); version %3 was restored")
            .arg(m_request.version, why, m_previousVersion));
}

void SelfUpdater::succeed()
{
    m_journal.remove();
    QString error;
    if (!SelfUpdateRecord::writeUpdated(m_request.appDir, m_request.version, &error))
        qWarning().noquote() << "The update record cannot be written:" << error;
    QDir(m_journal.stagingDir()).removeRecursively();
    finish(Result::Updated, QStringLiteral("The launcher is updated to %1").arg(m_request.version));
}

void SelfUpdater::fail(const QString &why, bool startOld)
{
    qWarning().noquote() << why;
    if (startOld)
        startLauncher(false, nullptr);
    finish(Result::Failed, why);
}

void SelfUpdater::finish(Result result, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    m_poll.stop();
    qInfo().noquote() << message;
    m_lock.reset();
    setStage(Stage::Done);
    emit finished(result, message);
}
