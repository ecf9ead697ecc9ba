#pragma once

#include <QObject>

// Lets a QML page ask for a picture that may not be in this build:
// qmlArt.source(":/mainwindow/dialog_bg") gives "qrc:/mainwindow/dialog_bg",
// or an empty text (no image, no warning) when the picture is missing, so the
// page can draw its fallback instead. Set as the context property "qmlArt".
class QmlArt : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    Q_INVOKABLE QString source(const QString &resource) const;
};
