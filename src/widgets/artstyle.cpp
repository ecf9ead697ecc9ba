#include "widgets/artstyle.h"

#include <QFile>

QString ArtStyle::image(const QString &resource, const QString &fallback, int border)
{
    if (!QFile::exists(resource))
        return fallback;
    const QString edges = border > 0 ? QStringLiteral(" %1 %1 %1 %1 stretch").arg(border) : QString();
    return QStringLiteral("border-image: url(%1)%2;").arg(resource, edges);
}

QString ArtStyle::buttonRules(const QString &selector, const QString &resourceStem, const QString &fallbackBackground,
    const QString &textColour, int pixelSize)
{
    const QString text = QStringLiteral("color: %1; font-size: %2px;").arg(textColour).arg(pixelSize);
    const QString fallback = QStringLiteral("background: %1; border-radius: 6px;").arg(fallbackBackground);
    // A disabled button (waiting for an answer, or not possible) changes its
    // face to the slate plate, whatever its kind; its text stays readable.
    const QString disabled = image(resourceStem + QStringLiteral("_disabled"),
        QStringLiteral("border-image: none; background: %1; border-radius: 6px;").arg(QLatin1String(Slate)));
    return QStringLiteral("%1 { %2 %3 }\n"
                          "%1:hover { %4 }\n"
                          "%1:pressed { %5 padding-top: 1px; }\n"
                          "%1:disabled { color: %6; %7 }\n")
        .arg(selector, text, image(resourceStem + QStringLiteral("_normal"), fallback),
            image(resourceStem + QStringLiteral("_hover"), QString()),
            image(resourceStem + QStringLiteral("_press"), QString()), QLatin1String(Parchment), disabled);
}
