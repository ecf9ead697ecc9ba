#include "mainwindow/uiresources.h"

#include <QDebug>
#include <QFile>

// Resources of a static library are registered by hand, outside any namespace.
static void initUiResourceFiles()
{
    Q_INIT_RESOURCE(ui_art);
    Q_INIT_RESOURCE(ui_fonts);
    Q_INIT_RESOURCE(ui_style);
}

void initUiResources()
{
    initUiResourceFiles();
}

QString launcherStyleSheet(const QString &fontFamily)
{
    QFile file(QStringLiteral(":/mainwindow/launcher.css"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "launcher.css cannot be read:" << file.errorString();
        return {};
    }
    return QString::fromUtf8(file.readAll()).replace(QLatin1String("$font-family$"), fontFamily);
}
