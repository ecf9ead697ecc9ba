#pragma once

#include <QFuture>
#include <QObject>

// Keeps the launcher's updater program current: a freshly delivered updater
// waits in "updateProgram2/" and is moved into "updateProgram/" at start.
class UpdateManager : public QObject
{
    Q_OBJECT
public:
    static UpdateManager *instance();

    explicit UpdateManager(QObject *parent = nullptr);

    // Renames the pending folder into place when there is no updater yet;
    // otherwise copies it over the current one and deletes it on the global
    // thread pool. The returned future ends when that work is done (it is
    // already finished when there was nothing to copy).
    QFuture<void> promotePendingUpdater();
};
