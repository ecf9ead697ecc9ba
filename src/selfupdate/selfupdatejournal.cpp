#include "selfupdate/selfupdatejournal.h"

#include "selfupdate/selfupdaterecord.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void (*s_stepHook)() = nullptr;

const char *phaseName(SelfUpdateJournal::Phase phase)
{
    switch (phase) {
    case SelfUpdateJournal::Phase::Swapping:
        return "swapping";
    case SelfUpdateJournal::Phase::Swapped:
        return "swapped";
    case SelfUpdateJournal::Phase::RollingBack:
        return "rollingBack";
    case SelfUpdateJournal::Phase::None:
        break;
    }
    return "";
}

// A journal names places inside the application folder only.
bool isPlainRelative(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path) || path.contains(QLatin1Char('\\')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool exists(const QString &path)
{
    // A link is a file here, whether or not its target exists.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool renameOver(const QString &from, const QString &to, QString *error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = QStringLiteral("%1 cannot be moved to %2: %3").arg(from, to, errnoText());
    return false;
}

bool makeParent(const QString &path, QString *error)
{
    const QString parent = QFileInfo(path).absolutePath();
    if (QDir().mkpath(parent))
        return true;
    *error = QStringLiteral("The folder %1 cannot be made").arg(parent);
    return false;
}

} // namespace

SelfUpdateJournal::SelfUpdateJournal(const QString &appDir)
    : m_appDir(QDir::cleanPath(appDir))
{ }

QString SelfUpdateJournal::stagingDir() const
{
    return m_appDir + QStringLiteral("/.update-staging");
}

QString SelfUpdateJournal::stagedFilesDir() const
{
    return stagingDir() + QStringLiteral("/files");
}

QString SelfUpdateJournal::previousDir() const
{
    return m_appDir + QStringLiteral("/.update-previous");
}

QString SelfUpdateJournal::lockPath() const
{
    return m_appDir + QStringLiteral("/.update.lock");
}

QString SelfUpdateJournal::journalPath() const
{
    return m_appDir + QStringLiteral("/.update-journal.json");
}

QString SelfUpdateJournal::appPath(const QString &relative) const
{
    return m_appDir + QLatin1Char('/') + relative;
}

QString SelfUpdateJournal::stagedPath(const QString &relative) const
{
    return stagedFilesDir() + QLatin1Char('/') + relative;
}

QString SelfUpdateJournal::previousPath(const QString &relative) const
{
    return previousDir() + QLatin1Char('/') + relative;
}

void SelfUpdateJournal::setStepHook(void (*hook)())
{
    s_stepHook = hook;
}

void SelfUpdateJournal::step()
{
    if (s_stepHook)
        s_stepHook();
}

void SelfUpdateJournal::describe(
    const QString &launcherName, const QString &version, const QString &previousVersion, const QVector<File> &files)
{
    m_launcher = launcherName;
    m_version = version;
    m_previousVersion = previousVersion;
    m_files.clear();
    File launcher;
    bool hasLauncher = false;
    for (const File &file : files) {
        if (file.path == launcherName) {
            launcher = file;
            hasLauncher = true;
        } else {
            m_files.append(file);
        }
    }
    if (hasLauncher)
        m_files.append(launcher);
}

bool SelfUpdateJournal::save(Phase phase, QString *error)
{
    QJsonArray files;
    for (const File &file : qAsConst(m_files))
        files.append(QJsonObject {{QStringLiteral("path"), file.path}, {QStringLiteral("hadOld"), file.hadOld}});
    const QJsonObject journal {{QStringLiteral("phase"), QString::fromLatin1(phaseName(phase))},
        {QStringLiteral("launcher"), m_launcher}, {QStringLiteral("version"), m_version},
        {QStringLiteral("previousVersion"), m_previousVersion}, {QStringLiteral("files"), files}};
    QSaveFile file(journalPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(journal).toJson()) < 0 || !file.commit()) {
        *error = QStringLiteral("The update journal cannot be written: %1").arg(file.errorString());
        return false;
    }
    m_phase = phase;
    step();
    return true;
}

bool SelfUpdateJournal::load(QString *error)
{
    m_phase = Phase::None;
    QFile file(journalPath());
    if (!file.exists())
        return false;
    if (!file.open(QIODevice::ReadOnly) || file.size() > (16 << 20)) {
        *error = QStringLiteral("The update journal cannot be read: %1").arg(file.errorString());
        return false;
    }
    const QJsonObject journal = QJsonDocument::fromJson(file.readAll()).object();
    const QString phase = journal.value(QStringLiteral("phase")).toString();
    const Phase phases[] = {Phase::Swapping, Phase::Swapped, Phase::RollingBack};
    for (const Phase candidate : phases) {
        if (phase == QLatin1String(phaseName(candidate)))
            m_phase = candidate;
    }
    m_launcher = journal.value(QStringLiteral("launcher")).toString();
    m_version = journal.value(QStringLiteral("version")).toString();
    m_previousVersion = journal.value(QStringLiteral("previousVersion")).toString();
    m_files.clear();
    const QJsonArray files = journal.value(QStringLiteral("files")).toArray();
    for (const QJsonValue &value : files) {
        const File entry {value.toObject().value(QStringLiteral("path")).toString(),
            value.toObject().value(QStringLiteral("hadOld")).toBool()};
        if (!isPlainRelative(entry.path)) {
            m_phase = Phase::None;
            break;
        }
        m_files.append(entry);
    }
    if (m_phase == Phase::None || files.isEmpty()) {
        m_phase = Phase::None;
        *error = QStringLiteral("The update journal %1 is damaged").arg(journalPath());
        return false;
    }
    return true;
}

void SelfUpdateJournal::remove()
{
    QFile::remove(journalPath());
    m_phase = Phase::None;
    step();
}

bool SelfUpdateJournal::swapIn(QString *error)
{
    for (const File &file : qAsConst(m_files)) {
        if (!swapFile(file, error))
            return false;
    }
    return true;
}

bool SelfUpdateJournal::swapFile(const File &file, QString *error)
{
    const QString target = appPath(file.path);
    if (!makeParent(target, error))
        return false;
    if (file.hadOld) {
        // The old file keeps its place while it gets a second name for the rollback.
        const QString kept = previousPath(file.path);
        if (!makeParent(kept, error))
            return false;
        if (exists(kept))
            QFile::remove(kept);
        const QByteArray from = QFile::encodeName(target);
        const QByteArray to = QFile::encodeName(kept);
        if (::link(from.constData(), to.constData()) != 0 && !QFile::copy(target, kept)) {
            *error = QStringLiteral("%1 cannot be kept as the previous version: %2").arg(target, errnoText());
            return false;
        }
        step();
    }
    if (!renameOver(stagedPath(file.path), target, error))
        return false;
    step();
    return true;
}

bool SelfUpdateJournal::undo(QString *error)
{
    bool ok = true;
    for (int i = m_files.size() - 1; i >= 0; --i) {
        QString fileError;
        if (!undoFile(m_files.at(i), &fileError)) {
            // The other files are still put back: as much of the old version as can be.
            qWarning().noquote() << fileError;
            *error = fileError;
            ok = false;
        }
    }
    return ok;
}

bool SelfUpdateJournal::undoFile(const File &file, QString *error)
{
    if (exists(stagedPath(file.path)))
        return true; // never swapped: the old file is in place
    const QString target = appPath(file.path);
    if (!file.hadOld) {
        if (exists(target) && !QFile::remove(target)) {
            *error = QStringLiteral("The new file %1 cannot be removed").arg(target);
            return false;
        }
        step();
        return true;
    }
    const QString kept = previousPath(file.path);
    if (!exists(kept))
        return true; // put back already
    if (!renameOver(kept, target, error))
        return false;
    step();
    return true;
}

bool SelfUpdateJournal::allSwapped() const
{
    for (const File &file : m_files) {
        if (exists(stagedPath(file.path)))
            return false;
    }
    return true;
}

SelfUpdateJournal::Outcome SelfUpdateJournal::recover(const QString &appDir)
{
    SelfUpdateJournal journal(appDir);
    if (!QFile::exists(journal.journalPath()))
        return Outcome::Nothing;
    QLockFile lock(journal.lockPath());
    if (!lock.tryLock(0)) {
        qInfo().noquote() << "An update of the launcher is under way; its journal is left to it";
        return Outcome::Busy;
    }
    return journal.recoverHeld();
}

SelfUpdateJournal::Outcome SelfUpdateJournal::recoverHeld()
{
    QString error;
    if (!load(&error)) {
        if (error.isEmpty())
            return Outcome::Nothing;
        // Without the list of files nothing can be put back safely; set aside for a person to read.
        qWarning().noquote() << error;
        QFile::remove(journalPath() + QStringLiteral(".damaged"));
        QFile::rename(journalPath(), journalPath() + QStringLiteral(".damaged"));
        return Outcome::Failed;
    }
    if (m_phase == Phase::Swapping && allSwapped())
        m_phase = Phase::Swapped; // ended between the last rename and the journal
    if (m_phase == Phase::Swapped) {
        qInfo().noquote()
            << QStringLiteral("An interrupted update left version %1 complete; it is kept").arg(m_version);
        remove();
        return Outcome::KeptNew;
    }
    qWarning().noquote()
        << QStringLiteral("An interrupted update to %1 is undone; %2 is restored").arg(m_version, m_previousVersion);
    if (!undo(&error))
        return Outcome::Failed;
    if (m_phase == Phase::RollingBack
        && !SelfUpdateRecord::writeRolledBack(m_appDir, m_version, m_previousVersion, &error))
        qWarning().noquote() << "The update record cannot be written:" << error;
    remove();
    return Outcome::RestoredPrevious;
}
