#include "app/kvapplication.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/logmanager.h"
#include "app/processsingleton.h"

#include <QDebug>
#include <QDir>

namespace {
ProcessSingleton<KVApplication> s_instance;
} // namespace

KVApplication *KVApplication::instance()
{
    return s_instance.get([] { return new KVApplication; });
}

KVApplication::KVApplication()
{
    LogManager::instance();
    qInfo().noquote() << LogManager::bannerText();

    LauncherConfig *config = LauncherConfig::instance();
    m_packageInfo = AppPackageInfo::fromConfig();
    m_deviceInfo = DeviceInfo::fromSystem();
    m_deviceInfo.deviceId = config->deviceId();
    qInfo().noquote() << QStringLiteral("[%1]-[%2]").arg(LauncherConfig::applicationVersion(), m_deviceInfo.deviceId);

    const QString group = QStringLiteral("Launcher");
    m_isDebug = config->readInt(group, QStringLiteral("debug")) == 1;
    const int runningType = config->readInt(group, QStringLiteral("runningtype"));
    m_runningType = runningType == -1 ? 3 : runningType;
}

bool KVApplication::isDebug() const
{
    if (m_isDebug)
        qDebug() << "isDebug now";
    return m_isDebug;
}

void KVApplication::createDataFolders()
{
    const char *const folders[] = {"Downloads", "AppData", "Images", "Update"};
    for (const char *name : folders) {
        const QString path = AppDir::filePath(QString::fromLatin1(name));
        if (!QDir(path).exists() && !QDir().mkpath(path))
            qWarning() << "Can not create the folder" << path;
    }
}
