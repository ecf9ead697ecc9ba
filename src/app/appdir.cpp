#include "app/appdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QMutex s_mutex;
QString s_override;
QString s_programOverride;

QString withoutTrailingSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

bool groupMember(gid_t gid)
{
    if (getegid() == gid)
        return true;
    gid_t groups[256];
    const int count = getgroups(256, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] == gid)
            return true;
    }
    return false;
}
} // namespace

QString AppDir::path()
{
    {
        QMutexLocker lock(&s_mutex);
        if (!s_override.isEmpty())
            return s_override;
    }
    return programPath();
}

QString AppDir::filePath(const QString &relative)
{
    return path() + QLatin1Char('/') + relative;
}

void AppDir::setPath(const QString &dir)
{
    QMutexLocker lock(&s_mutex);
    s_override = withoutTrailingSlash(dir);
}

QString AppDir::programPath()
{
    {
        QMutexLocker lock(&s_mutex);
        if (!s_programOverride.isEmpty())
            return s_programOverride;
        if (!s_override.isEmpty())
            return s_override;
    }
    return QCoreApplication::applicationDirPath();
}

QString AppDir::programFilePath(const QString &relative)
{
    return programPath() + QLatin1Char('/') + relative;
}

void AppDir::setProgramPath(const QString &dir)
{
    QMutexLocker lock(&s_mutex);
    s_programOverride = withoutTrailingSlash(dir);
}

bool AppDir::isWritableFolder(const QString &dir)
{
    const QByteArray native = QFile::encodeName(dir);
    struct stat info;
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    // access() covers read-only mounts and access lists; the bits cover root,
    // for whom access() allows everything.
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return false;
    const mode_t bit = info.st_uid == geteuid() ? S_IWUSR : groupMember(info.st_gid) ? S_IWGRP : S_IWOTH;
    return (info.st_mode & bit) != 0;
}

QString AppDir::userDataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/quillmere-launcher");
}

QString AppDir::settle()
{
    const QString program = programPath();
    if (isWritableFolder(program)) {
        setPath(QString());
        return program;
    }
    const QString data = userDataPath();
    QDir().mkpath(data);
    setProgramPath(program);
    setPath(data);
    return data;
}

bool AppDir::keepsDataBesideProgram()
{
    return path() == programPath();
}
