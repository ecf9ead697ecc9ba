#include "widgets/sidehidinglabel.h"

#include <QPropertyAnimation>

namespace {
constexpr int SlideMs = 200;
}

SideHidingLabel::SideHidingLabel(QWidget *parent, Qt::Edge edge)
    : QLabel(parent)
    , m_edge(edge)
{
    m_animation = new QPropertyAnimation(this, "pos", this);
    m_animation->setDuration(SlideMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QAbstractAnimation::finished, this, [this] { emit slideFinished(m_slidIn); });
}

void SideHidingLabel::setPeek(int pixels)
{
    m_peek = qMax(0, pixels);
}

// Positions are taken against the parent's size at the time of the slide, so
// a parent that was resized meanwhile still gets the label on its edge.
QPoint SideHidingLabel::restingPos(bool in) const
{
    if (!parentWidget())
        return pos();
    const QSize area = parentWidget()->size();
    QPoint at = pos();
    switch (m_edge) {
    case Qt::LeftEdge:
        at.setX(in ? 0 : m_peek - width());
        break;
    case Qt::RightEdge:
        at.setX(in ? area.width() - width() : area.width() - m_peek);
        break;
    case Qt::TopEdge:
        at.setY(in ? 0 : m_peek - height());
        break;
    case Qt::BottomEdge:
        at.setY(in ? area.height() - height() : area.height() - m_peek);
        break;
    }
    return at;
}

void SideHidingLabel::slideTo(bool in)
{
    m_slidIn = in;
    m_animation->stop();
    m_animation->setStartValue(pos());
    m_animation->setEndValue(restingPos(in));
    m_animation->start();
}

void SideHidingLabel::slideIn()
{
    slideTo(true);
}

void SideHidingLabel::slideOut()
{
    slideTo(false);
}

void SideHidingLabel::enterEvent(QEvent *event)
{
    slideIn();
    QLabel::enterEvent(event);
}

void SideHidingLabel::leaveEvent(QEvent *event)
{
    slideOut();
    QLabel::leaveEvent(event);
}
