#include "install/deletefiletask.h"

#include "app/fileutil.h"
#include "install/installlocator.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Files, folders and links of a folder, without "." and "..", without hidden entries.
QFileInfoList entriesOf(const QString &path)
{
    return QDir(path).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

// The path without links resolved, "." and ".." removed, no trailing "/".
QString plain(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isSameOrInside(const QString &inner, const QString &outer)
{
    return inner == outer || inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

} // namespace

DeleteFileTask::DeleteFileTask(QObject *parent)
    : QObject(parent)
{ }

QString DeleteFileTask::refusalReason(
    const QString &installDir, const QString &launcherDir, const QString &gameExeFile, bool launcherRecorded)
{
    if (installDir.trimmed().isEmpty())
        return QStringLiteral("no install folder is recorded");
    if (QDir::isRelativePath(installDir))
        return QStringLiteral("the install folder is a relative path");
    const QFileInfo info(installDir);
    if (info.isSymLink())
        return QStringLiteral("the install folder is a link");
    if (!info.exists())
        return QString();
    if (!info.isDir())
        return QStringLiteral("the install folder is no folder");
    // Compared both as written and with links resolved, so that no spelling
    // of a protected folder slips through.
    const QStringList forms {plain(installDir), info.canonicalFilePath()};
    const QStringList protectedDirs {QDir::homePath(), QDir(QDir::homePath()).canonicalPath()};
    const QStringList launcher {plain(launcherDir), QFileInfo(launcherDir).canonicalFilePath()};
    for (const QString &form : forms) {
        if (form.isEmpty())
            continue;
        if (QDir(form).isRoot())
            return QStringLiteral("the install folder is a root");
        for (const QString &home : protectedDirs) {
            if (!home.isEmpty() && form == home)
                return QStringLiteral("the install folder is the home folder");
        }
        for (const QString &own : launcher) {
            if (!own.isEmpty() && isSameOrInside(own, form))
                return QStringLiteral("the install folder holds the launcher");
        }
    }
    if (launcherRecorded)
        return QString();
    auto plainFile = [&installDir](const QString &name) {
        const QFileInfo file(installDir + QLatin1Char('/') + name);
        return !name.isEmpty() && file.isFile() && !file.isSymLink();
    };
    const bool holdsGame = plainFile(gameExeFile) || plainFile(QStringLiteral("version.txt"))
        || plainFile(InstallLocator::VersionFileName);
    if (!holdsGame)
        return QStringLiteral("the folder does not hold the game");
    return QString();
}

void DeleteFileTask::deleteFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        count(path);
    qInfo().noquote() << QStringLiteral("fileSize = %1").arg(m_fileCount);
    qInfo().noquote() << QStringLiteral("dirSize = %1").arg(m_dirCount);
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isSymLink())
            QFile::remove(info.absoluteFilePath()); // the link, never its target
        else if (info.isDir())
            removeFolder(path);
    }
    if (m_lastPercent < 100) {
        m_lastPercent = 100;
        emit updateProcess(100);
    }
    qInfo("-------deletefinish-----");
    emit deletefinish();
}

void DeleteFileTask::count(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir() || info.isSymLink())
        return;
    for (const QFileInfo &entry : entriesOf(path)) {
        if (entry.isDir() && !entry.isSymLink()) {
            ++m_dirCount;
            count(entry.absoluteFilePath());
        } else {
            ++m_fileCount;
        }
    }
}

void DeleteFileTask::advance()
{
    ++m_doneCount;
    const int total = m_fileCount + m_dirCount;
    const int percent = total > 0 ? qMin(100, m_doneCount * 100 / total) : 100;
    qDebug("Process = %d", percent);
    // A folder is reported after its contents, so its own share can come
    // after larger values; the bar never goes back.
    if (percent > m_lastPercent) {
        m_lastPercent = percent;
        emit updateProcess(percent);
    }
}

void DeleteFileTask::removeFolder(const QString &path)
{
    for (const QFileInfo &entry : entriesOf(path)) {
        if (entry.isDir() && !entry.isSymLink()) {
            removeFolder(entry.absoluteFilePath());
        } else {
            QFile file(entry.absoluteFilePath());
            if (!file.remove() && !file.remove())
                qInfo().noquote() << "Delete file failed:" + entry.absoluteFilePath();
        }
        advance();
    }
    // What is left (hidden entries, files that resisted); links are removed, not followed.
    FileUtil::removeFolder(path);
}
