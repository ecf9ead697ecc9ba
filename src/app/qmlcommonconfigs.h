#pragma once

#include <QObject>
#include <QString>

// The one font family that the widgets and the QML pages use, chosen by
// edition and translation. QML pages reach the one instance as the context
// property "qmlCommonConfigs"; its type is registered in "com.kv.common".
class QmlCommonConfigs : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString fontFamily READ fontFamily WRITE setFontFamily NOTIFY fontFamilyChanged)
public:
    static QmlCommonConfigs *instance();

    explicit QmlCommonConfigs(QObject *parent = nullptr);

    QString fontFamily() const { return m_fontFamily; }
    void setFontFamily(const QString &family);

signals:
    void fontFamilyChanged();

private:
    QString m_fontFamily = QStringLiteral("Arial");
};
