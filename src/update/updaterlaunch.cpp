#include "update/updaterlaunch.h"

#include "app/weblink.h"
#include "install/gamefiles.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>

namespace UpdaterLaunch {

QString executableName(const QString &manifestName)
{
    QString name = manifestName.trimmed();
#ifndef Q_OS_WIN
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
#endif
    return name;
}

namespace {

// The version goes to the updater's command line, its records and the log: a
// plain version text only.
bool plainVersion(const QString &version)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Za-z][0-9A-Za-z._-]{0,31}$"));
    return pattern.match(version).hasMatch() && !version.contains(QLatin1String(".."));
}

QString packageProblem(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!isWebLink(url))
        return QStringLiteral("its address is not a web address");
    const GameFiles *files = GameFiles::instance();
    if (GameFiles::packageFileName(address).isEmpty() || files->fileNameSize(address) <= 0
        || files->fileNameMd5(address).isEmpty())
        return QStringLiteral("its file name does not declare the package's size and MD5");
    return QString();
}

} // namespace

Plan plan(const AppDownloadInfo &info, const QString &appDir, const QString &launcherFile, qint64 pid,
    const QString &updaterFile, const QString &language)
{
    Plan result;
    if (!plainVersion(info.latestVersion)) {
        result.refusal = QStringLiteral("its version \"%1\" is not a plain version").arg(info.latestVersion.left(40));
        return result;
    }
    result.refusal = packageProblem(info.downloadUrl);
    if (!result.ok())
        return result;
    if (updaterFile.isEmpty() || launcherFile.isEmpty()) {
        result.refusal = QStringLiteral("the manifest names no updater or launcher file");
        return result;
    }
    const QFileInfo updater(appDir + QStringLiteral("/updateProgram/") + updaterFile);
    if (!updater.isFile() || !updater.isExecutable()) {
        result.refusal = QStringLiteral("the updater %1 is missing").arg(updater.filePath());
        return result;
    }
    result.program = updater.absoluteFilePath();
    result.arguments = QStringList {QStringLiteral("--app-dir"), appDir, QStringLiteral("--launcher"), launcherFile,
        QStringLiteral("--wait-pid"), QString::number(pid), QStringLiteral("--version"), info.latestVersion,
        QStringLiteral("--url"), info.downloadUrl.trimmed(), QStringLiteral("--language"), language};
    return result;
}

bool reportReady(const QString &version)
{
    const QString path = qEnvironmentVariable(readyVariable());
    if (path.isEmpty())
        return true;
    QSaveFile file(path);
    const QByteArray text = version.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qWarning().noquote()
            << QStringLiteral("The updater's start report %1 could not be written: %2").arg(path, file.errorString());
        return false;
    }
    qInfo().noquote() << QStringLiteral("Reported to the updater that launcher %1 is up (%2)").arg(version, path);
    return true;
}

} // namespace UpdaterLaunch
