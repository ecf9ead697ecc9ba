#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QQuickWidget;

// Shows one QML page over the main window: a frameless, translucent, modal
// dialog that dims the window with a half-transparent backdrop and centres
// the page, sized to its root object, in a QQuickWidget. The pages reach their
// models through context properties; "qmlCommonConfigs" (the font) and
// "qmlArt" (pictures that may be missing, QmlArt) are always set. A page's
// root may name the dialog with a "dialogTitle" property.
class QmlHostDialog : public QDialog
{
    Q_OBJECT
public:
    explicit QmlHostDialog(QWidget *window);

    // Set before load(), so that the page's first bindings see the objects.
    void setContextProperty(const QString &name, QObject *object);
    // False, with the reasons in the log, when the page cannot be built.
    bool load(const QUrl &page);
    QQuickWidget *view() const { return m_view; }

    // Covers `window` (the main window) and shows the page without blocking.
    void openOver(QWidget *window);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void centreView();

    QLabel *m_backdrop = nullptr;
    QQuickWidget *m_view = nullptr;
};
