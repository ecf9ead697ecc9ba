#include "install/installlocator.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The settings window's texts.
QString text(const char *key)
{
    return QCoreApplication::translate("SettingsModel", key);
}

QString gameExeName()
{
    return LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile"));
}

// The first line of the version file, trimmed; empty when it cannot be read.
QString readVersion(const QString &folder)
{
    QFile file(folder + QLatin1Char('/') + InstallLocator::VersionFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    // A version is one short line; a huge file is not a version file.
    return QString::fromUtf8(file.readLine(256)).trimmed();
}

} // namespace

const QString InstallLocator::VersionFileName = QStringLiteral("quillmere_version.ini");

InstallLocator::InstallLocator(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{ }

QString InstallLocator::fileFilter()
{
    // The catalogues carry the Windows name; the filter must name this edition's executable.
    return text("Game(quillmere.exe);;All Files (*.*)").replace(QStringLiteral("quillmere.exe"), gameExeName());
}

QString InstallLocator::startFolder(const QString &installationLocation)
{
    if (!installationLocation.isEmpty())
        return installationLocation;
    return AppDir::filePath(LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir")));
}

QString InstallLocator::locate(const QString &file)
{
    if (file.isEmpty())
        return QString();
    const QFileInfo chosen(file);
    const QString folder = chosen.absolutePath();
    qDebug().noquote() << QStringLiteral("exeString : %1").arg(file);
    qInfo().noquote() << QStringLiteral("game dir : %1").arg(QDir::toNativeSeparators(folder));

    if (m_collaborators.busy && m_collaborators.busy()) {
        // The running download or extraction writes the install state too.
        qWarning("An installation cannot be located while a download or an extraction runs");
        return text("DownloadingGameNow");
    }
    if (!chosen.isFile() || chosen.fileName() != gameExeName()) {
        qWarning().noquote() << "installExe is no Game.exe:" << file;
        return text("invalidPath");
    }
    const QString version = readVersion(folder);
    if (version.isEmpty()) {
        qWarning().noquote() << "Can not read the gameVersion:" << folder + QLatin1Char('/') + VersionFileName;
        return text("invalidPath");
    }

    GameFiles *files = GameFiles::instance();
    files->setTargetVersion(version);
    files->setInstalledVersion(version);
    files->setInstallDir(QDir::toNativeSeparators(folder));
    files->setStatus(InstallStatus::Installed);
    qInfo().noquote() << QStringLiteral("The game installed in %1 (version %2) was located").arg(folder, version);
    if (m_collaborators.plugin)
        m_collaborators.plugin->checkVersionWithPrompt(true);
    if (m_collaborators.refreshMainButton)
        m_collaborators.refreshMainButton();
    emit located(folder, version);
    return QString();
}
