#pragma once

#include "app/appdir.h"

#include <QFile>
#include <QSettings>
#include <QString>

// Points a benchmark program at its own launcher folder: the application
// directory, the native store inside it, and the global edition.
inline void useBenchAppFolder(const QString &appDir)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, appDir + QStringLiteral("/native-store"));
    QFile edition(appDir + QStringLiteral("/launcher_type.ini"));
    if (edition.open(QIODevice::WriteOnly | QIODevice::Truncate))
        edition.write("1\n");
    edition.close();
    AppDir::setPath(appDir);
}
