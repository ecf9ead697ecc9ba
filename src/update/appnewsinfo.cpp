#include "update/appnewsinfo.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Ids pass 2^31: a whole JSON number, or digits in a string, read as 64-bit;
// anything else is 0.
qint64 idOf(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double number = value.toDouble();
        // 2^63 itself does not fit: the bound is exclusive.
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 9223372036854775808.0)
            return static_cast<qint64>(number);
        return 0;
    }
    if (value.isString()) {
        bool ok = false;
        const qint64 id = value.toString().toLongLong(&ok);
        return ok ? id : 0;
    }
    return 0;
}

} // namespace

QString AppNewsInfo::dateLabel() const
{
    const QDateTime time = QDateTime::fromString(updateTime, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return time.isValid() ? time.toString(QStringLiteral("MM/dd")) : QString();
}

std::optional<QList<AppNewsInfo>> AppNewsInfo::listFromReplyData(const QString &data, int requestedType, int maxEntries)
{
    const QJsonObject object = QJsonDocument::fromJson(data.toUtf8()).object();
    const QJsonValue pageData = object.value(QLatin1String("pageData"));
    if (!pageData.isArray())
        return std::nullopt;
    const QJsonArray entries = pageData.toArray();
    const int limit = qBound(0, maxEntries, kMaxEntries);
    if (entries.size() > limit)
        qWarning("The news answer lists %d entries; the first %d are kept.", int(entries.size()), limit);
    QList<AppNewsInfo> list;
    for (int i = 0; i < entries.size() && i < limit; ++i) {
        const QJsonObject entry = entries.at(i).toObject();
        AppNewsInfo info;
        info.id = idOf(entry.value(QLatin1String("id")));
        info.title = entry.value(QLatin1String("title")).toString();
        if (info.title.size() > kMaxTitleChars)
            info.title = info.title.left(kMaxTitleChars - 1) + QChar(0x2026);
        info.updateTime = entry.value(QLatin1String("updateTime")).toString();
        info.collectionId = entry.value(QLatin1String("collectionId")).toString();
        info.informationType = requestedType;
        list.append(info);
    }
    return list;
}

QString AppNewsInfo::detailUrl(const QString &site, qint64 id)
{
    return site + QStringLiteral("/%1/home/detail.html#newsId?%3").arg(QStringLiteral("en")).arg(id);
}
