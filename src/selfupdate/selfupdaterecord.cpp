#include "selfupdate/selfupdaterecord.h"

#include "update/launcherupdaterecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

// `rolledBack`: the version that failed and joins the failed ones, if any.
bool writeRecord(const QString &appDir, QJsonObject record, const QString &rolledBack, QString *error)
{
    QStringList failed = SelfUpdateRecord::failedVersions(appDir);
    if (!rolledBack.isEmpty() && !failed.contains(rolledBack))
        failed.append(rolledBack);
    record.insert(QStringLiteral("failedVersions"), QJsonArray::fromStringList(failed));
    record.insert(QStringLiteral("noticeShown"), false);

    QSaveFile file(SelfUpdateRecord::path(appDir));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(record).toJson(QJsonDocument::Indented)) < 0
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

namespace SelfUpdateRecord {

QString path(const QString &appDir)
{
    return LauncherUpdateRecord::pathIn(appDir);
}

QStringList failedVersions(const QString &appDir)
{
    QStringList versions = LauncherUpdateRecord::read(path(appDir)).failedVersions;
    versions.removeDuplicates();
    return versions;
}

bool writeRolledBack(const QString &appDir, const QString &version, const QString &restoredVersion, QString *error)
{
    QJsonObject record;
    record.insert(QStringLiteral("lastResult"), QStringLiteral("rolledBack"));
    record.insert(QStringLiteral("version"), version);
    record.insert(QStringLiteral("restoredVersion"), restoredVersion);
    return writeRecord(appDir, record, version, error);
}

bool writeUpdated(const QString &appDir, const QString &version, QString *error)
{
    QJsonObject record;
    record.insert(QStringLiteral("lastResult"), QStringLiteral("updated"));
    record.insert(QStringLiteral("version"), version);
    return writeRecord(appDir, record, QString(), error);
}

} // namespace SelfUpdateRecord
