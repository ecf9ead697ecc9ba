#include "app/appdir.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex s_mutex;
QString s_override;
} // namespace

QString AppDir::path()
{
    {
        QMutexLocker lock(&s_mutex);
        if (!s_override.isEmpty())
            return s_override;
    }
    return QCoreApplication::applicationDirPath();
}

QString AppDir::filePath(const QString &relative)
{
    return path() + QLatin1Char('/') + relative;
}

void AppDir::setPath(const QString &dir)
{
    QMutexLocker lock(&s_mutex);
    s_override = dir;
    while (s_override.size() > 1 && s_override.endsWith(QLatin1Char('/')))
        s_override.chop(1);
}
