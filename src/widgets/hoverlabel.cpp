#include "widgets/hoverlabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

HoverLabel::HoverLabel(QWidget *parent)
    : QLabel(parent)
{ }

HoverLabel::HoverLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{ }

void HoverLabel::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    // Property selectors are evaluated at polish time only.
    style()->unpolish(this);
    style()->polish(this);
    emit hoveredChanged(hovered);
}

void HoverLabel::enterEvent(QEvent *event)
{
    setHovered(true);
    emit mouseEntered();
    QLabel::enterEvent(event);
}

void HoverLabel::leaveEvent(QEvent *event)
{
    setHovered(false);
    emit mouseLeft();
    QLabel::leaveEvent(event);
}

void HoverLabel::keyPressEvent(QKeyEvent *event)
{
    // Where Tab reaches it, Enter and Space press it as the mouse does.
    const int key = event->key();
    if ((focusPolicy() & Qt::TabFocus) && !event->isAutoRepeat()
        && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void HoverLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A press that leaves the label before release is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
