#include "widgets/qmlart.h"

#include <QFile>

QString QmlArt::source(const QString &resource) const
{
    if (!resource.startsWith(QLatin1String(":/")) || !QFile::exists(resource))
        return QString();
    return QStringLiteral("qrc") + resource;
}
