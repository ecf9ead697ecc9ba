#include "widgets/basewidget.h"

#include <QMouseEvent>
#include <QWindow>

BaseWidget::BaseWidget(QWidget *parent)
    : QWidget(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint | Qt::Window);
    installEventFilter(this);
}

void BaseWidget::addDragArea(QWidget *area)
{
    if (!area || isDragArea(area))
        return;
    m_dragAreas.append(area);
    area->installEventFilter(this);
}

bool BaseWidget::isDragArea(QObject *watched) const
{
    for (const QPointer<QWidget> &area : m_dragAreas) {
        if (area == watched)
            return true;
    }
    return false;
}

bool BaseWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (!isDragArea(watched))
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        // The window system moves the window itself (X11 and Wayland alike);
        // only where it cannot (offscreen, some nested servers) do we follow
        // the mouse by hand.
        QWindow *handle = window()->windowHandle();
        if (handle && handle->startSystemMove())
            return true;
        m_dragging = true;
        m_pressOffset = mouse->globalPos() - window()->frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            window()->move(static_cast<QMouseEvent *>(event)->globalPos() - m_pressOffset);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void BaseWidget::bringForward(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
