#include "app/qmlcommonconfigs.h"

#include "app/launcherconfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFontDatabase>
#include <QGuiApplication>

namespace {
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
