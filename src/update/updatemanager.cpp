#include "update/updatemanager.h"

#include "app/fileutil.h"
#include "app/launcherconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QtConcurrent>

namespace {
QFuture<void> readyFuture()
{
    QFutureInterface<void> done;
    done.reportStarted();
    done.reportFinished();
    return done.future();
}
} // namespace

UpdateManager *UpdateManager::instance()
{
    static UpdateManager *manager = new UpdateManager(QCoreApplication::instance());
    return manager;
}

UpdateManager::UpdateManager(QObject *parent)
    : QObject(parent)
{ }

QFuture<void> UpdateManager::promotePendingUpdater()
{
    const LauncherConfig *config = LauncherConfig::instance();
    const QString pending = QDir::cleanPath(config->updaterStagingDir());
    const QString current = QDir::cleanPath(config->updaterDir());
    if (!QFileInfo(pending).isDir())
        return readyFuture();

    if (QFileInfo::exists(current)) {
        return QtConcurrent::run([pending, current] {
            // The pending folder is deleted only once every file arrived, so a
            // failed copy is tried again at the next start.
            if (FileUtil::copyFolder(pending, current))
                FileUtil::removeFolder(pending);
            else
                qWarning() << "The new updater could not be copied into" << current;
        });
    }
    if (!QDir().rename(pending, current))
        qWarning() << "The new updater could not be moved to" << current;
    return readyFuture();
}
