#include "app/weblink.h"

#include <QDebug>
#include <QDesktopServices>

bool isWebLink(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

bool openWebLink(const QUrl &url)
{
    if (!isWebLink(url)) {
        qWarning().noquote() << QStringLiteral("Refused to open a link that is not a web address: %1")
                                    .arg(url.toString(QUrl::RemoveUserInfo).left(200));
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        qWarning().noquote() << QStringLiteral("The browser could not open %1").arg(url.toString());
        return false;
    }
    return true;
}
