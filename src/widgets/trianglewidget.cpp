#include "widgets/trianglewidget.h"

#include "widgets/artstyle.h"
#include "widgets/windowshape.h"

#include <QPainter>
#include <QPainterPath>
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
    WindowShape::keepOutline(this, [this] { return outline(QRectF(rect())); });
}

QPainterPath TriangleWidget::outline(const QRectF &bounds)
{
    // The pointer's base overlaps the panel by half a pixel, so that the
    // united outline has no seam.
    const qreal panelBottom = bounds.bottom() - PointerHeight;
    QPainterPath panel = WindowShape::roundedRect(
        QRectF(bounds.topLeft(), QPointF(bounds.right(), panelBottom)), ArtStyle::PanelRadius);
    QPainterPath pointer;
    pointer.addPolygon(QPolygonF({QPointF(PointerLeft, panelBottom - 0.5), QPointF(PointerTip, bounds.bottom()),
        QPointF(PointerRight, panelBottom - 0.5)}));
    return panel.united(pointer).simplified();
}

void TriangleWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A parchment panel with an ember edge, rounded like the other panels,
    // the pointer part of the same outline; the pen's middle on the pixels'
    // centres keeps the edge one pixel wide.
    QColor edge(QLatin1String(ArtStyle::Ember));
    edge.setAlpha(170);
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(QColor(QLatin1String(ArtStyle::Parchment)));
    painter.drawPath(outline(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
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
