#include "update/appdownloadinfo.h"

#include <QJsonDocument>
#include <QJsonObject>

QSharedPointer<AppDownloadInfo> AppDownloadInfo::fromReplyData(const QString &data)
{
    if (data.isEmpty())
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(data.toUtf8());
    if (!document.isObject())
        return {};
    const QJsonObject object = document.object();
    auto info = QSharedPointer<AppDownloadInfo>::create();
    info->mainUrl = object.value(QStringLiteral("mainUrl")).toString();
    info->downloadUrl = object.value(QStringLiteral("downloadUrl")).toString();
    info->latestVersion = object.value(QStringLiteral("latestVersion")).toString();
    info->updateMessage = object.value(QStringLiteral("updateMessage")).toString();
    return info;
}

QJsonObject AppDownloadInfo::toJson() const
{
    return QJsonObject {{QStringLiteral("latestVersion"), latestVersion}};
}
