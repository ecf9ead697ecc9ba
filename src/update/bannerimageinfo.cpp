#include "update/bannerimageinfo.h"

#include "app/appdir.h"
#include "app/weblink.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>

QString BannerImageInfo::cacheName(const QString &imageUrl)
{
    const QString url = imageUrl.trimmed();
    if (url.isEmpty())
        return QString();
    const QByteArray digest = QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha1).toHex();
    QString name = QStringLiteral("banner_") + QString::fromLatin1(digest);
    // Only a short alphanumeric suffix is kept: it tells the picture's format
    // and can never carry a separator or a second extension.
    static const QRegularExpression plainSuffix(QStringLiteral("^[A-Za-z0-9]{1,8}$"));
    const QString suffix = QFileInfo(QUrl(url).fileName()).suffix();
    if (plainSuffix.match(suffix).hasMatch())
        name += QLatin1Char('.') + suffix.toLower();
    return name;
}

std::optional<BannerImageInfo> BannerImageInfo::fromAnswer(
    const QString &imageUrl, const QString &imageLink, qint64 nowMs)
{
    if (!isWebLink(QUrl(imageUrl.trimmed())))
        return std::nullopt;
    BannerImageInfo info;
    info.imageUrl = imageUrl.trimmed();
    info.imageLink = imageLink;
    info.fileName = cacheName(info.imageUrl);
    info.localPath = QStringLiteral("%1%2").arg(AppDir::path() + QStringLiteral("/Images/"), info.fileName);
    info.fetchedAt = QString::number(nowMs);
    return info;
}
