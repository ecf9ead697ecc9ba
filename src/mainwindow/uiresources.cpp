#include "mainwindow/uiresources.h"

#include <QDebug>
#include <QFile>

QString launcherStyleSheet(const QString &fontFamily)
{
    QFile file(QStringLiteral(":/mainwindow/launcher.css"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "launcher.css cannot be read:" << file.errorString();
        return {};
    }
    return QString::fromUtf8(file.readAll()).replace(QLatin1String("$font-family$"), fontFamily);
}
