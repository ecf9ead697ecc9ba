#include "app/posterimageinfo.h"

#include "app/appdir.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

#include <cmath>

namespace {

bool isDigest(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{32}$"));
    return hex.match(text).hasMatch();
}

} // namespace

std::optional<PosterImageInfo> PosterImageInfo::fromData(const QString &data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data.toUtf8());
    if (!document.isObject())
        return std::nullopt;
    const QJsonArray images = document.object().value(QStringLiteral("images")).toArray();
    if (images.isEmpty())
        return std::nullopt;
    const QJsonObject first = images.first().toObject();
    PosterImageInfo info;
    info.imageUrl = first.value(QStringLiteral("imageUrl")).toString();
    // Converted only within the range of a time: a larger number, or one that
    // is no number, has no meaning as a time and no defined conversion.
    const double online = first.value(QStringLiteral("onlineTime")).toDouble();
    if (!std::isfinite(online) || std::fabs(online) >= kMaxOnlineTime) {
        qWarning().noquote() << QStringLiteral("Poster record dropped: the online time %1 is out of range").arg(online);
        return std::nullopt;
    }
    info.onlineTime = static_cast<qint64>(online);
    if (info.onlineTime >= 10000000000LL)
        info.onlineTime /= 1000;
    info.md5 = first.value(QStringLiteral("md5")).toString();
    if (!isDigest(info.md5)) {
        qWarning().noquote() << QStringLiteral("Poster record dropped: the digest is not 32 hexadecimal digits");
        return std::nullopt;
    }
    return info;
}

std::optional<PosterImageInfo> PosterImageInfo::fromStored(const QString &stored)
{
    if (stored.isEmpty())
        return std::nullopt;
    return fromData(QUrl::fromPercentEncoding(stored.toUtf8()));
}

QString PosterImageInfo::toStored(const QString &data)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(data));
}

QString PosterImageInfo::imagePath() const
{
    return AppDir::filePath(QStringLiteral("Images/")) + QStringLiteral("poster_%1.gi").arg(md5);
}

QString PosterImageInfo::tempPath() const
{
    return AppDir::filePath(QStringLiteral("Images/")) + QStringLiteral("poster_%1.temp").arg(md5);
}

bool PosterImageInfo::matches(const QString &digest) const
{
    return !digest.isEmpty() && digest.compare(md5, Qt::CaseInsensitive) == 0;
}
