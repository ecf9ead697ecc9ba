#include "home/bannerimagewidget.h"

#include "widgets/hidpi.h"

#include <QPainter>
#include <QPropertyAnimation>

#include <algorithm>

BannerImageWidget::BannerImageWidget(QWidget *parent)
    : QWidget(parent)
    , m_animation(new QPropertyAnimation(this, "zoomFactor", this))
{
    m_animation->setDuration(kZoomMs);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
}

void BannerImageWidget::setPixmap(const QPixmap &pixmap)
{
    const qreal ratio = HiDpi::ratio(this);
    m_pixmap = pixmap.isNull() ? QPixmap()
                               : HiDpi::shown(pixmap.toImage().scaled(HiDpi::devicePixels(size(), ratio),
                                                  Qt::KeepAspectRatio, Qt::SmoothTransformation),
                                   ratio);
    update();
}

void BannerImageWidget::setZoomFactor(float factor)
{
    if (qFuzzyCompare(factor, m_zoomFactor))
        return;
    m_zoomFactor = factor;
    update();
}

void BannerImageWidget::setZoomRange(float minimum, float maximum)
{
    m_minZoom = minimum;
    m_maxZoom = std::max(minimum, maximum);
    setZoomFactor(std::clamp(m_zoomFactor, m_minZoom, m_maxZoom));
}

void BannerImageWidget::zoomIn()
{
    animateTo(m_maxZoom);
}

void BannerImageWidget::zoomOut()
{
    animateTo(m_minZoom);
}

void BannerImageWidget::animateTo(float factor)
{
    m_animation->stop();
    m_animation->setStartValue(m_zoomFactor);
    m_animation->setEndValue(factor);
    m_animation->start();
}

void BannerImageWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), QColor(255, 255, 255, 0));
    if (m_pixmap.isNull())
        return;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(m_zoomFactor, m_zoomFactor);
    painter.translate(-centre);
    const QSizeF size = QSizeF(m_pixmap.size()) / m_pixmap.devicePixelRatioF();
    painter.drawPixmap(
        QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size), m_pixmap, QRectF(m_pixmap.rect()));
}
