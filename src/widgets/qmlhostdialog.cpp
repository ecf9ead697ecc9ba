#include "widgets/qmlhostdialog.h"

#include "app/qmlcommonconfigs.h"
#include "widgets/qmlart.h"
#include "widgets/qmlmodules.h"
#include "widgets/windowcover.h"

#include <QDebug>
#include <QLabel>
#include <QQmlContext>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickWidget>

QmlHostDialog::QmlHostDialog(QWidget *window)
    : QDialog(window, Qt::Dialog | Qt::FramelessWindowHint)
{
    registerQmlModules();
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    if (window)
        resize(window->size());

    m_backdrop = new QLabel(this);
    m_backdrop->setObjectName(QStringLiteral("label_bg"));
    m_backdrop->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 128);"));

    m_view = new QQuickWidget(this);
    // Stacked on top with a transparent clear colour, the page's own rounded
    // and translucent edges show the backdrop through.
    m_view->setAttribute(Qt::WA_AlwaysStackOnTop);
    m_view->setClearColor(Qt::transparent);
    m_view->setResizeMode(QQuickWidget::SizeViewToRootObject);
    m_view->rootContext()->setContextProperty(QStringLiteral("qmlCommonConfigs"), QmlCommonConfigs::instance());
    m_view->rootContext()->setContextProperty(QStringLiteral("qmlArt"), new QmlArt(this));
    // The page is drawn on the dialogs' parchment panel.
    WindowCover::cutToPanel(this, m_view);
}

void QmlHostDialog::setContextProperty(const QString &name, QObject *object)
{
    m_view->rootContext()->setContextProperty(name, object);
}

bool QmlHostDialog::load(const QUrl &page)
{
    m_view->setSource(page);
    if (m_view->status() != QQuickWidget::Ready || !m_view->rootObject()) {
        qWarning().noquote() << "The page" << page.toString() << "cannot be shown:";
        const QList<QQmlError> errors = m_view->errors();
        for (const QQmlError &error : errors)
            qWarning().noquote() << "   " << error.toString();
        return false;
    }
    centreView();
    // The dialog is known by its page's title; the page takes the keyboard.
    setAccessibleName(m_view->rootObject()->property("dialogTitle").toString());
    m_view->setFocus();
    return true;
}

void QmlHostDialog::openOver(QWidget *window)
{
    if (window)
        setGeometry(window->geometry());
    WindowCover::paintBeneath(this, window);
    open();
    raise();
}

void QmlHostDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_backdrop->setGeometry(rect());
    centreView();
}

void QmlHostDialog::centreView()
{
    m_view->move((width() - m_view->width()) / 2, (height() - m_view->height()) / 2);
}
