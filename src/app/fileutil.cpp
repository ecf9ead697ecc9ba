#include "app/fileutil.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace {
const QDir::Filters kAllEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
}

QString FileUtil::md5OfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qInfo() << "Failed to open file" << path;
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file)) {
        qInfo() << "Failed to calculate MD5" << path;
        return {};
    }
    return QString::fromLatin1(hash.result().toHex());
}

bool FileUtil::removeFileTwice(const QString &path)
{
    if (QFile::remove(path) || QFile::remove(path))
        return true;
    qInfo() << "Delete file failed:" << path;
    return false;
}

bool FileUtil::copyFolder(const QString &source, const QString &target)
{
    QDir targetDir(target);
    if (!targetDir.exists() && !targetDir.mkpath(QStringLiteral("."))) {
        qInfo() << "copyFolder-> Failed to create folder:" << target;
        return false;
    }
    bool ok = true;
    const QFileInfoList entries = QDir(source).entryInfoList(kAllEntries);
    for (const QFileInfo &entry : entries) {
        const QString destination = targetDir.filePath(entry.fileName());
        if (entry.isDir() && !entry.isSymLink()) {
            ok = copyFolder(entry.filePath(), destination) && ok;
            continue;
        }
        if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
            removeFileTwice(destination);
        if (!QFile::copy(entry.filePath(), destination)) {
            qInfo() << "copyFolder-> Failed to copy file:" << entry.fileName();
            ok = false;
        }
    }
    return ok;
}

bool FileUtil::removeFolder(const QString &path)
{
    bool ok = true;
    const QFileInfoList entries = QDir(path).entryInfoList(kAllEntries);
    for (const QFileInfo &entry : entries) {
        // A link is removed as a file: following it would delete what it points to.
        if (entry.isDir() && !entry.isSymLink())
            ok = removeFolder(entry.filePath()) && ok;
        else
            ok = removeFileTwice(entry.filePath()) && ok;
    }
    if (!QDir().rmdir(path)) {
        qInfo() << "removeFolder-> Failed to delete folder:" << path;
        return false;
    }
    return ok;
}

void FileUtil::removeFilesWithSuffix(const QString &folder, const QString &suffix)
{
    QDir dir(folder);
    if (!dir.exists()) {
        qInfo().noquote() << QStringLiteral("%1 is not here").arg(folder);
        return;
    }
    if (dir.isEmpty(kAllEntries)) {
        qInfo().noquote() << QStringLiteral("%1 is not null").arg(folder);
        return;
    }
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden | QDir::System);
    for (const QFileInfo &info : files) {
        if (!info.absoluteFilePath().endsWith(suffix))
            continue;
        qInfo().noquote() << QStringLiteral("%1 will be remove ").arg(info.fileName());
        QFile file(info.absoluteFilePath());
        if (!file.remove())
            qInfo().noquote() << QStringLiteral("filePath remove fail : %1").arg(file.error());
    }
}

qint64 FileUtil::folderSize(const QString &path)
{
    qint64 total = 0;
    const QDir dir(path);
    const QFileInfoList files = dir.entryInfoList(QDir::Files);
    for (const QFileInfo &file : files)
        total += file.size();
    const QFileInfoList folders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo &folder : folders)
        total += folderSize(path + QDir::separator() + folder.fileName());
    return total;
}

qint64 FileUtil::freeSpace(const QString &path)
{
    if (path.isEmpty())
        return 0;
    QFileInfo info(QDir(path).absolutePath());
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return 0;
        info.setFile(parent);
    }
    const QStorageInfo storage(info.absoluteFilePath());
    if (!storage.isValid() || !storage.isReady())
        return 0;
    return storage.bytesAvailable();
}

bool FileUtil::createParentFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return true;
    const QString parent = info.absolutePath();
    if (QDir(parent).exists())
        return true;
    if (QDir().mkpath(parent))
        return true;
    // One more try from the level above, for a parent that appeared meanwhile.
    const QString grandParent = QFileInfo(parent).absolutePath();
    return QDir().mkpath(grandParent) && QDir().mkpath(parent);
}
