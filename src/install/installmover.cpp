#include "install/installmover.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/texts.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QSet>
#include <QStorageInfo>
#include <QThread>
#include <QVector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr qint64 kChunk = 1 << 20;
// Progress inside one large file, at most this often.
constexpr qint64 kProgressStep = 8 << 20;
// Files take whole blocks on the new volume: the room asked for counts them so.
constexpr qint64 kBlock = 4096;

QString cleanPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path.trimmed())).absoluteFilePath());
}

// The nearest folder of `path` (itself included) that exists.
QString existingAncestor(const QString &path)
{
    QString dir = path;
    while (!QFileInfo(dir).exists()) {
        const QString up = QFileInfo(dir).absolutePath();
        if (up == dir)
            break;
        dir = up;
    }
    return dir;
}

// `path` with its existing part's links resolved, so that two names of one
// folder compare equal.
QString resolved(const QString &path)
{
    const QString ancestor = existingAncestor(path);
    const QString canonical = QFileInfo(ancestor).canonicalFilePath();
    if (canonical.isEmpty())
        return path;
    return QDir::cleanPath(canonical + path.mid(ancestor.size()));
}

bool isInside(const QString &inner, const QString &outer)
{
    return inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

bool sameVolume(const QString &a, const QString &b)
{
    const QStorageInfo first(a);
    const QStorageInfo second(existingAncestor(b));
    return first.isValid() && second.isValid() && first.device() == second.device()
        && first.rootPath() == second.rootPath();
}

// A folder that is absent or holds nothing.
bool isFreeFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return info.isDir() && !info.isSymLink()
        && QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

// The staging folders this process copies into, which no clean-up may take
// for a killed process's left-over.
QMutex copiesMutex;
QSet<QString> copiesUnderWay;

// A copy's stay in the journal and in the list above, from its start to its
// end, whatever way it ends.
class CopyUnderWay
{
public:
    CopyUnderWay(const QString &staging, const QString &journal)
        : m_staging(staging)
        , m_journal(journal)
    {
        QMutexLocker lock(&copiesMutex);
        copiesUnderWay.insert(staging);
        if (journal.isEmpty())
            return;
        QSaveFile file(journal);
        if (!file.open(QIODevice::WriteOnly) || file.write(staging.toUtf8() + '\n') < 0 || !file.commit())
            qWarning().noquote() << "The move's journal cannot be written:" << journal;
    }
    ~CopyUnderWay()
    {
        QMutexLocker lock(&copiesMutex);
        copiesUnderWay.remove(m_staging);
        if (!m_journal.isEmpty())
            QFile::remove(m_journal);
    }
    CopyUnderWay(const CopyUnderWay &) = delete;
    CopyUnderWay &operator=(const CopyUnderWay &) = delete;

private:
    const QString m_staging;
    const QString m_journal;
};

struct Entry
{
    enum Kind { Folder, File, Link } kind;
    QString relative;
    qint64 size = 0;
};

} // namespace

// What one copy learnt of the game's folder.
struct InstallMover::Job
{
    QVector<Entry> entries;
    qint64 bytes = 0;
    qint64 allocated = 0; // in whole blocks
    int files = 0;
};

const QString InstallMover::StagingMarker = QStringLiteral(".quillmere-move-staging");

InstallMover::Collaborators InstallMover::forRecordedGame()
{
    Collaborators c;
    c.from = GameFiles::instance()->installDir();
    c.journal = journalPath();
    // On the mover's thread: the stores may be written from any thread.
    c.switchRecords = [](const QString &folder) {
        GameFiles *files = GameFiles::instance();
        files->setInstallDir(QDir::toNativeSeparators(folder));
        return QDir(files->installDir()) == QDir(folder);
    };
    return c;
}

InstallMover::InstallMover(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    qRegisterMetaType<InstallMover::Outcome>("InstallMover::Outcome");
    if (!m_collaborators.freeSpace)
        m_collaborators.freeSpace = [](const QString &path) {
            return FileUtil::freeSpace(path);
        };
}

InstallMover::~InstallMover()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
    }
}

bool InstallMover::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

QString InstallMover::stagingPath(const QString &to)
{
    return cleanPath(to) + QStringLiteral(".moving");
}

QString InstallMover::journalPath()
{
    return AppDir::filePath(QStringLiteral("install-move.journal"));
}

bool InstallMover::removeInterruptedCopy(const QString &journal)
{
    QFile file(journal);
    if (journal.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QString staging = QString::fromUtf8(file.read(64 * 1024)).trimmed();
    file.close();
    QMutexLocker lock(&copiesMutex);
    if (copiesUnderWay.contains(staging))
        return false;
    bool removed = false;
    if (!staging.isEmpty() && QFileInfo(staging + QLatin1Char('/') + StagingMarker).isFile()) {
        qInfo().noquote() << "Removing the copy an interrupted move left:" << staging;
        removed = FileUtil::removeFolder(staging) && !QFileInfo::exists(staging);
        if (!removed) {
            qWarning().noquote() << "The copy an interrupted move left cannot be removed yet:" << staging;
            return false;
        }
    }
    QFile::remove(journal);
    return removed;
}

QString InstallMover::question(const QString &to)
{
    return tr("Move the installed game to %1?").arg(QDir::toNativeSeparators(to));
}

QString InstallMover::startText(const QString &from, const QString &to)
{
    return tr("Moving the game from %1 to %2 ...").arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to));
}

QString InstallMover::progressText(qint64 bytesDone, qint64 bytesTotal, int filesDone, int filesTotal)
{
    const int percent = bytesTotal > 0 ? int(bytesDone * 100 / bytesTotal) : 100;
    return tr("Moving the game: %1% (%2 of %3, %4 of %5 files)")
        .arg(percent)
        .arg(sizeText(quint64(bytesDone)), sizeText(quint64(bytesTotal)))
        .arg(filesDone)
        .arg(filesTotal);
}

bool InstallMover::start(const QString &to)
{
    if (isRunning())
        return false;
    m_cancel = false;
    const QString from = cleanPath(m_collaborators.from);
    const QString target = cleanPath(to);
    const QString refused = refusal(from, target);
    if (!refused.isEmpty()) {
        qWarning().noquote() << QStringLiteral("The game is not moved to %1: %2").arg(target, refused);
        QMetaObject::invokeMethod(
            this, [this, refused, from] { emit finished(Outcome::Refused, refused, from); }, Qt::QueuedConnection);
        return true;
    }
    qInfo().noquote() << QStringLiteral("Moving the game from %1 to %2").arg(from, target);
    m_thread.reset(QThread::create([this, from, target] { run(from, target); }));
    m_thread->setObjectName(QStringLiteral("InstallMover"));
    m_thread->start();
    return true;
}

void InstallMover::cancel()
{
    m_cancel = true;
}

// The refusals that need no walk through the folders.
QString InstallMover::refusal(const QString &from, const QString &to) const
{
    if (m_collaborators.gameRunning && m_collaborators.gameRunning())
        return tr("The game is running. Close it, then move it.");
    if (m_collaborators.installRunning && m_collaborators.installRunning())
        return tr("The game is being installed. Move it once the install has finished.");
    if (m_collaborators.from.trimmed().isEmpty() || !QFileInfo(from).isDir())
        return tr("There is no installed game to move.");
    const QString realFrom = resolved(from);
    const QString realTo = resolved(to);
    if (realFrom == realTo)
        return tr("The game is already in %1.").arg(QDir::toNativeSeparators(to));
    if (isInside(realTo, realFrom) || isInside(realFrom, realTo))
        return tr("The new folder cannot be inside the game folder, nor hold it.");
    if (!isFreeFolder(to))
        return tr("Choose an empty or new folder: %1 is not empty.").arg(QDir::toNativeSeparators(to));
    return QString();
}

void InstallMover::finish(Outcome outcome, const QString &message, const QString &folder)
{
    if (outcome == Outcome::Moved)
        qInfo().noquote() << message;
    else
        qWarning().noquote() << QStringLiteral("The game was not moved:") << message;
    emit finished(outcome, message, folder);
}

namespace {

// Every entry below `from`, parents before their contents; links are kept as links.
QVector<Entry> listFolder(const QString &from, qint64 *bytes, qint64 *allocated, int *files)
{
    QVector<Entry> entries;
    QDirIterator it(
        from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir base(from);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        Entry entry;
        entry.relative = base.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            entry.kind = Entry::Link;
        } else if (info.isDir()) {
            entry.kind = Entry::Folder;
        } else {
            entry.kind = Entry::File;
            entry.size = info.size();
            *bytes += entry.size;
            *allocated += (entry.size + kBlock - 1) / kBlock * kBlock;
            ++*files;
        }
        entries << entry;
    }
    return entries;
}

bool copyLink(const QString &source, const QString &target)
{
#ifdef Q_OS_UNIX
    QByteArray buffer(4096, '\0');
    const ssize_t length = ::readlink(QFile::encodeName(source).constData(), buffer.data(), size_t(buffer.size()));
    if (length < 0 || length >= buffer.size())
        return false;
    buffer.truncate(int(length));
    return ::symlink(buffer.constData(), QFile::encodeName(target).constData()) == 0;
#else
    return QFile::link(QFileInfo(source).symLinkTarget(), target);
#endif
}

} // namespace

void InstallMover::run(const QString &from, const QString &to)
{
    removeInterruptedCopy(m_collaborators.journal);
    const QString staging = stagingPath(to);
    if (QFileInfo(staging + QLatin1Char('/') + StagingMarker).isFile()) {
        qInfo().noquote() << "Removing the copy an interrupted move left:" << staging;
        FileUtil::removeFolder(staging);
    }
    if (sameVolume(from, to)) {
        QDir().mkpath(QFileInfo(to).absolutePath());
        // An empty destination folder gives way to the renamed one.
        if (QFileInfo(to).isDir())
            QDir().rmdir(to);
        if (QDir().rename(from, to)) {
            if (!m_collaborators.switchRecords || m_collaborators.switchRecords(to)) {
                finish(Outcome::Moved, tr("The game was moved to %1.").arg(QDir::toNativeSeparators(to)), to);
                return;
            }
            QDir().rename(to, from);
            finish(Outcome::Failed,
                tr("The new folder could not be recorded. The game stays in %1.").arg(QDir::toNativeSeparators(from)),
                from);
            return;
        }
        qInfo().noquote() << "The folder could not be renamed on its volume; it is copied instead";
    }
    copyAcross(from, to, staging);
}

// Copies into the staging folder, checks the copy, puts it in place, switches
// the records and deletes the old folder. Anything short of the switch
// removes the staging folder and keeps the old install.
void InstallMover::copyAcross(const QString &from, const QString &to, const QString &staging)
{
    Job job;
    job.entries = listFolder(from, &job.bytes, &job.allocated, &job.files);
    const QString ancestor = existingAncestor(to);
    const qint64 free = m_collaborators.freeSpace(ancestor);
    if (free < job.allocated) {
        finish(Outcome::Refused,
            tr("Not enough space for the game: it needs %1, the drive of the new folder has %2.")
                .arg(sizeText(quint64(job.allocated)), sizeText(quint64(qMax<qint64>(free, 0)))),
            from);
        return;
    }
    const QString stays = QDir::toNativeSeparators(from);
    const CopyUnderWay underWay(staging, m_collaborators.journal);
    const auto giveUp = [&](Outcome outcome, const QString &message) {
        FileUtil::removeFolder(staging);
        finish(outcome, message, from);
    };
    QString error;
    if (!QDir().mkpath(staging) || !markStaging(staging))
        error = QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(staging));
    else
        error = copyEntries(job, from, staging);
    if (m_cancel) {
        giveUp(Outcome::Cancelled, tr("The move was cancelled. The game stays in %1.").arg(stays));
        return;
    }
    if (error.isEmpty())
        error = checkEntries(job, staging);
    if (error.isEmpty()) {
        QFile::remove(staging + QLatin1Char('/') + StagingMarker);
        if (QFileInfo(to).isDir())
            QDir().rmdir(to);
        if (!QDir().rename(staging, to))
            error = QStringLiteral("cannot rename %1").arg(QDir::toNativeSeparators(staging));
    }
    if (!error.isEmpty()) {
        giveUp(Outcome::Failed, tr("The game could not be copied (%1). It stays in %2.").arg(error, stays));
        return;
    }
    if (m_collaborators.switchRecords && !m_collaborators.switchRecords(to)) {
        FileUtil::removeFolder(to);
        finish(Outcome::Failed, tr("The new folder could not be recorded. The game stays in %1.").arg(stays), from);
        return;
    }
    const QString moved = QDir::toNativeSeparators(to);
    if (!FileUtil::removeFolder(from) || QFileInfo::exists(from)) {
        finish(Outcome::Moved,
            tr("The game was moved to %1, but its old folder %2 could not be removed completely.").arg(moved, stays),
            to);
        return;
    }
    finish(Outcome::Moved, tr("The game was moved to %1.").arg(moved), to);
}

bool InstallMover::markStaging(const QString &staging)
{
    QFile marker(staging + QLatin1Char('/') + StagingMarker);
    return marker.open(QIODevice::WriteOnly);
}

// Folders, links and files in listing order; empty, or what failed.
QString InstallMover::copyEntries(const Job &job, const QString &from, const QString &staging)
{
    qint64 done = 0;
    int files = 0;
    qint64 shown = 0;
    emit progress(0, job.bytes, 0, job.files);
    for (const Entry &entry : job.entries) {
        if (m_cancel)
            return QString();
        const QString source = from + QLatin1Char('/') + entry.relative;
        const QString target = staging + QLatin1Char('/') + entry.relative;
        if (entry.kind == Entry::Folder) {
            if (!QDir().mkpath(target))
                return QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(target));
            continue;
        }
        if (entry.kind == Entry::Link) {
            if (!copyLink(source, target))
                return QStringLiteral("cannot link %1").arg(QDir::toNativeSeparators(target));
            continue;
        }
        const QString error = copyFile(source, target, job, &done, files);
        if (!error.isEmpty())
            return error;
        ++files;
        // A game of many small files would flood the display: one report per
        // thousandth of the bytes, and the last file.
        const qint64 permille = job.bytes > 0 ? done * 1000 / job.bytes : 1000;
        if (permille != shown || files == job.files) {
            shown = permille;
            emit progress(done, job.bytes, files, job.files);
        }
    }
    return QString();
}

QString InstallMover::copyFile(const QString &source, const QString &target, const Job &job, qint64 *done, int files)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString());
    qint64 sinceProgress = 0;
    while (!in.atEnd() && !m_cancel) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(source), in.errorString());
        if (out.write(chunk) != chunk.size())
            return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString());
        *done += chunk.size();
        sinceProgress += chunk.size();
        if (sinceProgress >= kProgressStep) {
            sinceProgress = 0;
            emit progress(*done, job.bytes, files, job.files);
        }
    }
    // A full disk may show only when the buffered rest is written.
    if (!out.flush())
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString());
    out.close();
    if (out.error() != QFileDevice::NoError)
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), out.errorString());
    out.setPermissions(in.permissions());
    return QString();
}

// Every copied file has the size its original had, and passes the further check.
QString InstallMover::checkEntries(const Job &job, const QString &staging)
{
    for (const Entry &entry : job.entries) {
        if (entry.kind != Entry::File)
            continue;
        const QString copied = staging + QLatin1Char('/') + entry.relative;
        const QFileInfo info(copied);
        if (!info.isFile() || info.size() != entry.size)
            return QStringLiteral("%1 is %2 bytes instead of %3").arg(entry.relative).arg(info.size()).arg(entry.size);
        if (m_collaborators.checkCopy && !m_collaborators.checkCopy(entry.relative, copied))
            return QStringLiteral("%1 does not match the original").arg(entry.relative);
    }
    return QString();
}
