#include "app/qmlcommonconfigs.h"

#include "app/launcherconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFontDatabase>
#include <QGuiApplication>

namespace {

// The catalogues name the Windows faces of each language. Where a face is not
// installed, map it to the Noto face of the same script (fonts-noto-cjk), so
// that a text is drawn in one face instead of a glyph-by-glyph patchwork of
// fallbacks.
void substituteMissingFaces()
{
    static const struct
    {
        const char *face;
        const char *substitutes;
    } faces[] = {
        {"Segoe UI", "Noto Sans,DejaVu Sans"},
        {"Microsoft YaHei UI", "Noto Sans CJK SC,Noto Sans CJK TC"},
        {"Meiryo UI", "Noto Sans CJK JP"},
        {"Malgun Gothic", "Noto Sans CJK KR"},
    };
    const QStringList installed = QFontDatabase().families();
    for (const auto &entry : faces) {
        const QString face = QString::fromLatin1(entry.face);
        if (!installed.contains(face))
            QFont::insertSubstitutions(face, QString::fromLatin1(entry.substitutes).split(QLatin1Char(',')));
    }
}

QString translatedFamily()
{
    //: The font family of the whole user interface in this language.
    const QString family = QCoreApplication::translate("QmlCommonConfigs", "fontFamily");
    return family == QLatin1String("fontFamily") ? QString() : family;
}
} // namespace

QmlCommonConfigs *QmlCommonConfigs::instance()
{
    static QmlCommonConfigs *configs = new QmlCommonConfigs(QCoreApplication::instance());
    return configs;
}

QmlCommonConfigs::QmlCommonConfigs(QObject *parent)
    : QObject(parent)
{
    substituteMissingFaces();
    QString family;
    if (LauncherConfig::launcherType() == 3) {
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/NanumMyeongjoBold.ttf"));
        if (id >= 0) {
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            qInfo() << "QmlCommonConfigs--families:" << families;
            if (!families.isEmpty()) {
                family = families.first();
                QGuiApplication::setFont(QFont(family));
            }
        }
    }
    if (family.isEmpty())
        family = translatedFamily();
    if (!family.isEmpty())
        setFontFamily(family);
    qInfo() << "QmlCommonConfigs--fontsName:" << m_fontFamily;
}

void QmlCommonConfigs::setFontFamily(const QString &family)
{
    if (family == m_fontFamily)
        return;
    m_fontFamily = family;
    emit fontFamilyChanged();
}
