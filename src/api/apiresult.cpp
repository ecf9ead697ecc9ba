#include "api/apiresult.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {
const int s_metaTypeId = qRegisterMetaType<ApiResult>("ApiResult");
} // namespace

ApiResult ApiResult::fromReplyBody(const QByteArray &body)
{
    Q_UNUSED(s_metaTypeId);
    if (body.isEmpty())
        return ApiResult(-1, QStringLiteral("json is null"));

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || document.isNull())
        return ApiResult(-1, QStringLiteral("QJsonParseError"));
    if (!document.isObject())
        return ApiResult(-1, QStringLiteral("Server data is error"));

    const QJsonObject envelope = document.object();
    ApiResult result;
    result.code = envelope.value(QLatin1String("code")).toInt(0);
    result.msg = envelope.value(QLatin1String("msg")).toString();
    // Anything but an object (absent, null, array, scalar) counts as {}.
    const QJsonObject data = envelope.value(QLatin1String("data")).toObject();
    result.data = QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Indented));
    return result;
}
