#include "faultmodes.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

bool FaultModes::applies(const std::string &path) const
{
    return pathPrefix.isEmpty() || QString::fromStdString(path).startsWith(pathPrefix);
}

FaultModes FaultModes::load(const FaultModes &base, const QString &controlFile, QString *error)
{
    FaultModes modes = base;
    QFile file(controlFile);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return modes;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("control.json is not a JSON object: %1").arg(parseError.errorString());
        return modes;
    }
    const QJsonObject object = document.object();
    if (object.contains(QLatin1String("ignoreRange")))
        modes.ignoreRange = object.value(QLatin1String("ignoreRange")).toBool();
    if (object.contains(QLatin1String("cutBodyAfter")))
        modes.cutBodyAfter = static_cast<qint64>(object.value(QLatin1String("cutBodyAfter")).toDouble(-1));
    if (object.contains(QLatin1String("stallMs")))
        modes.stallMs = object.value(QLatin1String("stallMs")).toInt();
    if (object.contains(QLatin1String("status500")))
        modes.status500 = object.value(QLatin1String("status500")).toBool();
    if (object.contains(QLatin1String("gameOffline")))
        modes.gameOffline = object.value(QLatin1String("gameOffline")).toBool();
    if (object.contains(QLatin1String("offlineMessage")))
        modes.offlineMessage = object.value(QLatin1String("offlineMessage")).toString();
    if (object.contains(QLatin1String("newsPageSize")))
        modes.newsPageSize = object.value(QLatin1String("newsPageSize")).toInt();
    if (object.contains(QLatin1String("pathPrefix")))
        modes.pathPrefix = object.value(QLatin1String("pathPrefix")).toString();
    return modes;
}
