#include "widgets/hoverlabel.h"

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

void HoverLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A press that leaves the label before release is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
