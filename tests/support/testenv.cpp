#include "support/testenv.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

TestEnv::TestEnv(int launcherType)
    : m_temp(std::make_unique<QTemporaryDir>())
{
    pointInto(m_temp->path(), launcherType);
}

TestEnv::TestEnv(const QString &existingDir, int launcherType)
{
    QDir().mkpath(existingDir);
    pointInto(QFileInfo(existingDir).absoluteFilePath(), launcherType);
}

void TestEnv::pointInto(const QString &dir, int launcherType)
{
    m_path = dir;
    // The standard paths (the auto-start folder among them) follow HOME and
    // the XDG variables: both lead into the test's folder.
    const QByteArray home = filePath(QStringLiteral("home")).toLocal8Bit();
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    QStandardPaths::setTestModeEnabled(true);
    const QString store = filePath(QStringLiteral("native-store"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store);
    AppDir::setPath(m_path);
    setLauncherType(launcherType);
}

TestEnv::~TestEnv()
{
    AppDir::setPath(QString());
    AppDir::setProgramPath(QString());
    LauncherConfig::resetForTesting();
}

QString TestEnv::filePath(const QString &relative) const
{
    return QDir(m_path).filePath(relative);
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
