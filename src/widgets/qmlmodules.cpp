#include "widgets/qmlmodules.h"

#include "app/qmlcommonconfigs.h"

#include <QtQml>

void registerQmlModules()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    qmlRegisterModule("com.kv.settings", 1, 0);
    qmlRegisterModule("com.kv.dialog", 1, 0);
    // Pages share the one instance through the context property
    // "qmlCommonConfigs"; a second one made in QML would load fonts again.
    qmlRegisterUncreatableType<QmlCommonConfigs>(
        "com.kv.common", 1, 0, "QmlCommonConfigs", QStringLiteral("use the context property qmlCommonConfigs"));
}
