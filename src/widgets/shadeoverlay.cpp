#include "widgets/shadeoverlay.h"

#include "widgets/hidpi.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Laid out on a 1280 x 720 window and scaled with it.
constexpr qreal kDesignWidth = 1280;
constexpr qreal kDesignHeight = 720;
const QColor kInk(0x05, 0x06, 0x0f);

QColor ink(qreal opacity)
{
    QColor color = kInk;
    color.setAlphaF(opacity);
    return color;
}

} // namespace

ShadeOverlay::ShadeOverlay(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QPixmap ShadeOverlay::render(const QSize &size)
{
    // Drawn at the screen's device pixels, so its edges stay smooth there.
    const qreal ratio = HiDpi::ratio(nullptr);
    QPixmap shade(HiDpi::devicePixels(size, ratio));
    shade.setDevicePixelRatio(ratio);
    shade.fill(Qt::transparent);
    QPainter painter(&shade);
    painter.scale(size.width() / kDesignWidth, size.height() / kDesignHeight);

    const QRectF bottom(0, 380, kDesignWidth, 340);
    QLinearGradient down(bottom.topLeft(), bottom.bottomLeft());
    down.setColorAt(0, ink(0));
    down.setColorAt(0.55, ink(0.25));
    down.setColorAt(1, ink(0.75));
    painter.fillRect(bottom, down);

    const QRectF left(0, 0, 520, kDesignHeight);
    QLinearGradient across(left.topLeft(), left.topRight());
    across.setColorAt(0, ink(0.45));
    across.setColorAt(1, ink(0));
    painter.fillRect(left, across);

    const QRectF top(0, 0, kDesignWidth, 90);
    QLinearGradient fromTop(top.topLeft(), top.bottomLeft());
    fromTop.setColorAt(0, ink(0.5));
    fromTop.setColorAt(1, ink(0));
    painter.fillRect(top, fromTop);
    return shade;
}

void ShadeOverlay::paintEvent(QPaintEvent *event)
{
    if (m_shade.isNull() || m_shade.size() / m_shade.devicePixelRatio() != size())
        m_shade = render(size());
    QPainter painter(this);
    const qreal ratio = m_shade.devicePixelRatio();
    const QRectF area(event->rect());
    painter.drawPixmap(area, m_shade, QRectF(area.topLeft() * ratio, area.size() * ratio));
}
