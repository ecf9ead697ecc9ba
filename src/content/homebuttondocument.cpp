#include "content/homebuttondocument.h"

#include "app/weblink.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>

const QString HomeButtonDocument::kResource = QStringLiteral(":/homeBtn/homeButtonJson.json");

namespace {

// Each edition's links sit under their own key of a button.
QString linksKey(int launcherType)
{
    switch (launcherType) {
    case 0:
        return QStringLiteral("buttons_cn");
    case 2:
        return QStringLiteral("buttons_jp");
    case 3:
        return QStringLiteral("buttons_kor");
    default:
        return QStringLiteral("buttons_en");
    }
}

QVector<HomeLink> readLinks(const QString &id, const QJsonArray &entries)
{
    QVector<HomeLink> links;
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        HomeLink link;
        link.text = entry.value(QStringLiteral("text")).toString();
        link.arrowIcon = entry.value(QStringLiteral("icon_normal")).toString();
        if (entry.value(QStringLiteral("btnEnable")).toString() == QLatin1String("true")) {
            link.url = entry.value(QStringLiteral("url")).toString();
            if (!isWebLink(QUrl(link.url, QUrl::StrictMode))) {
                qWarning().noquote() << QStringLiteral("Home buttons: refused the link \"%1\" of \"%2\", not a web "
                                                       "address: \"%3\"")
                                            .arg(link.text, id, link.url);
                continue;
            }
        }
        links.append(link);
    }
    return links;
}

// The action as the edition shows it: the mainland edition shows its site
// as a QR code, the others have no QR code there and open their help desk
// directly.
HomeButton::Action actionOf(const QString &id, const QString &stored, int launcherType)
{
    if (id == QLatin1String("OVERSEA_HOME") && launcherType == 0)
        return HomeButton::Action::QrCode;
    if (id == QLatin1String("FQA") && launcherType != 0)
        return HomeButton::Action::Open;
    if (stored == QLatin1String("1"))
        return HomeButton::Action::QrCode;
    if (stored == QLatin1String("2"))
        return HomeButton::Action::List;
    if (stored != QLatin1String("3"))
        qWarning().noquote() << QStringLiteral(
            "Home buttons: \"%1\" has an unknown action \"%2\"; it opens its first address")
                                    .arg(id, stored);
    return HomeButton::Action::Open;
}

bool readButton(const QString &id, const QJsonObject &object, int launcherType, HomeButton *button)
{
    const QJsonObject icons = object.value(QStringLiteral("icons")).toObject();
    button->id = id;
    button->action = actionOf(id, object.value(QStringLiteral("action")).toString(), launcherType);
    button->normalIcon = icons.value(QStringLiteral("icon_normal")).toString();
    button->hoverIcon = icons.value(QStringLiteral("icon_hover")).toString();
    if (button->action == HomeButton::Action::QrCode)
        button->qrAddress = object.value(QStringLiteral("qrcodeUrl")).toString();
    button->links = readLinks(id, object.value(linksKey(launcherType)).toArray());
    if (button->action == HomeButton::Action::Open
        && (button->links.isEmpty() || button->links.first().url.isEmpty())) {
        qWarning().noquote() << QStringLiteral("Home buttons: \"%1\" has no address to open").arg(id);
        return false;
    }
    return true;
}

} // namespace

QStringList HomeButtonDocument::editionButtons(int launcherType)
{
    switch (launcherType) {
    case 0:
        return {QStringLiteral("OVERSEA_HOME"), QStringLiteral("TAPTAP"), QStringLiteral("WECHAT"),
            QStringLiteral("BILIBILI"), QStringLiteral("QQ"), QStringLiteral("WEIBO"), QStringLiteral("FQA"),
            QStringLiteral("license")};
    case 1:
        return {QStringLiteral("OVERSEA_HOME"), QStringLiteral("DISCORD"), QStringLiteral("TWITTER"),
            QStringLiteral("YOUTUBE"), QStringLiteral("FACEBOOK"), QStringLiteral("TitTok"), QStringLiteral("FQA")};
    case 2:
        return {QStringLiteral("OVERSEA_HOME"), QStringLiteral("DISCORD"), QStringLiteral("TWITTER"),
            QStringLiteral("YOUTUBE"), QStringLiteral("LINE"), QStringLiteral("TitTok"), QStringLiteral("FQA")};
    case 3:
        return {QStringLiteral("OVERSEA_HOME"), QStringLiteral("CAFE"), QStringLiteral("TWITTER"),
            QStringLiteral("YOUTUBE")};
    default:
        return {};
    }
}

QVector<HomeButton> HomeButtonDocument::read(const QString &path, int launcherType)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << QStringLiteral("Home buttons: cannot open %1: %2").arg(path, file.errorString());
        return {};
    }
    return parse(file.readAll(), launcherType, path);
}

QVector<HomeButton> HomeButtonDocument::parse(const QByteArray &json, int launcherType, const QString &source)
{
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !parsed.isObject()) {
        const QString reason
            = error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not an object");
        qWarning().noquote() << QStringLiteral("Home buttons: %1 cannot be read: %2").arg(source, reason);
        return {};
    }
    const QStringList ids = editionButtons(launcherType);
    if (ids.isEmpty())
        qWarning().noquote() << QStringLiteral("Home buttons: no buttons for edition %1").arg(launcherType);
    const QJsonObject document = parsed.object();
    QVector<HomeButton> buttons;
    for (const QString &id : ids) {
        const QJsonValue value = document.value(id);
        if (!value.isObject()) {
            qWarning().noquote() << QStringLiteral("Home buttons: \"%1\" is not in %2").arg(id, source);
            continue;
        }
        HomeButton button;
        if (readButton(id, value.toObject(), launcherType, &button))
            buttons.append(button);
    }
    return buttons;
}
