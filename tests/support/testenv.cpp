#include "support/testenv.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

TestEnv::TestEnv(int launcherType)
{
    // The standard paths (the auto-start folder among them) follow HOME and
    // the XDG variables: both lead into the temporary folder.
    const QByteArray home = m_dir.filePath(QStringLiteral("home")).toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    QStandardPaths::setTestModeEnabled(true);
    const QString store = m_dir.filePath(QStringLiteral("native-store"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store);
    AppDir::setPath(m_dir.path());
    setLauncherType(launcherType);
}

TestEnv::~TestEnv()
{
    AppDir::setPath(QString());
    LauncherConfig::resetForTesting();
}

QString TestEnv::filePath(const QString &relative) const
{
    return m_dir.filePath(relative);
}

void TestEnv::setLauncherType(int launcherType)
{
    const QString path = filePath(QStringLiteral("launcher_type.ini"));
    if (launcherType < 0)
        QFile::remove(path);
    else
        writeFile(QStringLiteral("launcher_type.ini"), QByteArray::number(launcherType) + '\n');
    LauncherConfig::resetForTesting();
}

void TestEnv::writeFile(const QString &relative, const QByteArray &content) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
