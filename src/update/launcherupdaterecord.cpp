#include "update/launcherupdaterecord.h"

#include "app/appdir.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

// The record is a few lines; a larger file is not one.
constexpr qint64 kMaxRecordBytes = 64 * 1024;

// The file's object (empty when there is no file); `ok` false when it is unusable.
QJsonObject readObject(const QString &path, bool *ok)
{
    *ok = false;
    QFile file(path);
    if (!file.exists()) {
        *ok = true;
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote()
            << QStringLiteral("The self-update record %1 cannot be read: %2").arg(path, file.errorString());
        return {};
    }
    if (file.size() > kMaxRecordBytes) {
        qWarning().noquote() << QStringLiteral("The self-update record %1 is too large (%2 bytes); it is ignored")
                                    .arg(path)
                                    .arg(file.size());
        return {};
    }
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject()) {
        qWarning().noquote() << QStringLiteral("The self-update record %1 is no JSON object (%2); it is ignored")
                                    .arg(path,
                                        error.error == QJsonParseError::NoError ? QStringLiteral("not an object")
                                                                                : error.errorString());
        return {};
    }
    *ok = true;
    return document.object();
}

} // namespace

QString LauncherUpdateRecord::defaultPath()
{
    return pathIn(AppDir::programPath());
}

QString LauncherUpdateRecord::pathIn(const QString &folder)
{
    return folder + QStringLiteral("/selfupdate.json");
}

LauncherUpdateRecord LauncherUpdateRecord::read(const QString &path)
{
    LauncherUpdateRecord record;
    bool ok = false;
    const QJsonObject object = readObject(path, &ok);
    if (!ok || object.isEmpty())
        return record;
    const QJsonValue failed = object.value(QLatin1String("failedVersions"));
    if (failed.isArray()) {
        for (const QJsonValue &value : failed.toArray()) {
            if (value.isString() && !value.toString().isEmpty())
                record.failedVersions << value.toString();
        }
    } else if (!failed.isUndefined()) {
        qWarning().noquote() << QStringLiteral("The self-update record's failedVersions is no list; it is ignored");
    }
    record.lastResult = object.value(QLatin1String("lastResult")).toString();
    record.version = object.value(QLatin1String("version")).toString();
    record.restoredVersion = object.value(QLatin1String("restoredVersion")).toString();
    record.noticeShown = object.value(QLatin1String("noticeShown")).toBool(true);
    return record;
}

bool LauncherUpdateRecord::markNoticeShown(const QString &path)
{
    bool ok = false;
    QJsonObject object = readObject(path, &ok);
    if (!ok)
        return false;
    object.insert(QStringLiteral("noticeShown"), true);
    QSaveFile file(path);
    const QByteArray text = QJsonDocument(object).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        qWarning().noquote()
            << QStringLiteral("The self-update record %1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString LauncherUpdateRecord::describe() const
{
    return QStringLiteral(
        "Last launcher update: %1 of version %2 (put back: %3, notice shown: %4); failed versions: %5")
        .arg(lastResult.isEmpty() ? QStringLiteral("none") : lastResult,
            version.isEmpty() ? QStringLiteral("-") : version,
            restoredVersion.isEmpty() ? QStringLiteral("-") : restoredVersion,
            noticeShown ? QStringLiteral("yes") : QStringLiteral("no"),
            failedVersions.isEmpty() ? QStringLiteral("none") : failedVersions.join(QStringLiteral(", ")));
}
