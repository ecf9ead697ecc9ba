#include "widgets/trianglewidget.h"

#include <QPainter>
#include <QPolygon>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {
constexpr QSize PopupSize(128, 75);
// The pointer below the panel, in widget coordinates.
constexpr int PointerLeft = 103;
constexpr int PointerTip = 108;
constexpr int PointerRight = 113;
constexpr int PointerHeight = 10;
constexpr int FadeMs = 150;
} // namespace

TriangleWidget::TriangleWidget(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::ToolTip)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(PopupSize);
    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(3, 0, 50, PointerHeight);
    m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    m_fade->setDuration(FadeMs);
}

void TriangleWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const int panelHeight = height() - PointerHeight;
    painter.drawRect(0, 0, width(), panelHeight);
    const QPolygon pointer(
        {QPoint(PointerLeft, panelHeight), QPoint(PointerTip, height()), QPoint(PointerRight, panelHeight)});
    painter.drawPolygon(pointer);
}

void TriangleWidget::showEvent(QShowEvent *event)
{
    m_fade->stop();
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(1.0);
    m_fade->start();
    QWidget::showEvent(event);
}

void TriangleWidget::enterEvent(QEvent *event)
{
    emit mouseEntered();
    QWidget::enterEvent(event);
}

void TriangleWidget::leaveEvent(QEvent *event)
{
    emit mouseLeft();
    QWidget::leaveEvent(event);
}
