#pragma once

#include <QString>
#include <QStringList>

// "<app>/selfupdate.json", the updater's word to the next launcher start: the
// outcome of the last update and the versions that failed to start, which the
// automatic check does not offer again. Written atomically; the failed
// versions of earlier runs are kept.
namespace SelfUpdateRecord {

QString path(const QString &appDir);

// The failed versions recorded so far (empty when the file is absent or unreadable).
QStringList failedVersions(const QString &appDir);

// `version` did not start and `restoredVersion` runs again.
bool writeRolledBack(const QString &appDir, const QString &version, const QString &restoredVersion, QString *error);
// `version` started and reported its window.
bool writeUpdated(const QString &appDir, const QString &version, QString *error);

} // namespace SelfUpdateRecord
