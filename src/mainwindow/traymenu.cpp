#include "mainwindow/traymenu.h"

#include "app/qmlcommonconfigs.h"
#include "mainwindow/mainwindow.h"
#include "widgets/basewidget.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

TrayMenu::TrayMenu(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    // No parent widget: a menu parented to the window would be hidden and
    // shown with it; it is deleted with this object instead.
    m_menu = new QMenu;
    QFont font(QmlCommonConfigs::instance()->fontFamily());
    font.setPointSize(10);
    m_open = m_menu->addAction(MainWindow::tr("OpenToolTip"));
    m_open->setFont(font);
    m_close = m_menu->addAction(MainWindow::tr("CloseToolTip"));
    m_close->setFont(font);
    connect(m_open, &QAction::triggered, this, &TrayMenu::showAgain);
    connect(m_close, &QAction::triggered, this, &TrayMenu::closeRequested);

    m_icon = new QSystemTrayIcon(QIcon(QStringLiteral(":/mainwindow/trayicon.png")), this);
    // The title (the edition's display name) is set after construction.
    m_icon->setToolTip(window->windowTitle());
    connect(window, &QWidget::windowTitleChanged, m_icon, &QSystemTrayIcon::setToolTip);
    // Status-notifier hosts (most Linux desktops) open the context menu
    // themselves and never report the Context activation.
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, &TrayMenu::onActivated);
    m_icon->show();
}

TrayMenu::~TrayMenu()
{
    delete m_menu;
}

void TrayMenu::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context: {
        // Above the cursor: the tray usually sits at the bottom of the screen.
        const QPoint cursor = QCursor::pos();
        m_menu->popup(QPoint(cursor.x(), cursor.y() - m_menu->sizeHint().height()));
        break;
    }
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        showAgain();
        break;
    default:
        break;
    }
}

void TrayMenu::showAgain()
{
    BaseWidget::bringForward(m_window);
}
