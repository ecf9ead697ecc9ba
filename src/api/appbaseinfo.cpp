#include "api/appbaseinfo.h"

#include <QJsonDocument>
#include <QVariant>

std::optional<AppBaseInfo> AppBaseInfo::fromReplyData(const QString &data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data.toUtf8());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    AppBaseInfo info(nullptr);
    info.h5eventUrl = object.value(QLatin1String("h5eventUrl")).toString();
    info.bgVideoUrl = object.value(QLatin1String("bgVideoUrl")).toString();
    info.isShowBgVideo = object.value(QLatin1String("isShowBgVideo")).toVariant().toBool();
    return info;
}
