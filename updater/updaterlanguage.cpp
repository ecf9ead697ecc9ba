#include "updaterlanguage.h"

#include "app/language.h"
#include "app/qmlcommonconfigs.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QTranslator>

// The launcher's compiled catalogues (":/i18n/app_*"), registered at global
// scope as resource registration must be.
static void registerCatalogues()
{
    Q_INIT_RESOURCE(ui_i18n);
}

QString UpdaterLanguage::install(const QString &code, QTranslator *translator)
{
    registerCatalogues();
    const QString english = Language::code(-1);
    int index = Language::indexOfCode(code);
    if (index < 0) {
        if (!code.isEmpty())
            qWarning().noquote()
                << QStringLiteral("Unknown language \"%1\"; the updater speaks English").arg(code.left(20));
        index = Language::indexOfCode(english);
    }
    if (translator->load(Language::translationFile(index))) {
        QCoreApplication::installTranslator(translator);
    } else {
        qWarning().noquote() << QStringLiteral("The catalogue %1 cannot be read; the updater speaks English")
                                    .arg(Language::translationFile(index));
        index = Language::indexOfCode(english);
    }
    // The face the launcher's widgets use in this language (missing Windows
    // faces mapped to the installed Noto faces of the same script).
    QApplication::setFont(QFont(QmlCommonConfigs::instance()->fontFamily()));
    qInfo().noquote() << QStringLiteral("Interface language %1").arg(Language::code(index));
    return Language::code(index);
}
