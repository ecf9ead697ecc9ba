#include "widgets/animatedbutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtMath>

namespace {
constexpr int HoverMs = 150;
constexpr int RippleMs = 450;
constexpr int JitterStepMs = 40;
constexpr int JitterAmplitude = 4;
constexpr int CornerRadius = 6;
} // namespace

AnimatedButton::AnimatedButton(QWidget *parent)
    : QPushButton(parent)
{
    init();
}

AnimatedButton::AnimatedButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    init();
}

void AnimatedButton::init()
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    m_hover = new QPropertyAnimation(this, "hoverLevel", this);
    m_hover->setDuration(HoverMs);
    m_ripple = new QPropertyAnimation(this, "rippleLevel", this);
    m_ripple->setDuration(RippleMs);
    m_ripple->setStartValue(0.0);
    m_ripple->setEndValue(1.0);
    m_ripple->setEasingCurve(QEasingCurve::OutCubic);
}

void AnimatedButton::setHoverLevel(qreal level)
{
    m_hoverLevel = level;
    update();
}

void AnimatedButton::setRippleLevel(qreal level)
{
    m_rippleLevel = level;
    update();
}

void AnimatedButton::animateHover(qreal to)
{
    m_hover->stop();
    m_hover->setStartValue(m_hoverLevel);
    m_hover->setEndValue(to);
    m_hover->start();
}

void AnimatedButton::enterEvent(QEvent *event)
{
    if (isEnabled())
        animateHover(1.0);
    QPushButton::enterEvent(event);
}

void AnimatedButton::leaveEvent(QEvent *event)
{
    animateHover(0.0);
    QPushButton::leaveEvent(event);
}

void AnimatedButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled()) {
        m_rippleCentre = event->pos();
        m_ripple->stop();
        m_ripple->start();
    }
    QPushButton::mousePressEvent(event);
}

bool AnimatedButton::isJittering() const
{
    return m_jitter && m_jitter->state() == QAbstractAnimation::Running;
}

void AnimatedButton::jitter()
{
    // A second request while shaking would take the shaken position as the
    // rest position and leave the button off its place: start over instead.
    if (isJittering())
        m_jitter->stop();
    else
        m_restPos = pos();
    delete m_jitter;

    m_jitter = new QSequentialAnimationGroup(this);
    const int offsets[] = {-JitterAmplitude, JitterAmplitude, -JitterAmplitude / 2, JitterAmplitude / 2, 0};
    QPoint from = m_restPos;
    for (int dx : offsets) {
        auto *step = new QPropertyAnimation(this, "pos", m_jitter);
        step->setDuration(JitterStepMs);
        step->setStartValue(from);
        from = m_restPos + QPoint(dx, 0);
        step->setEndValue(from);
        m_jitter->addAnimation(step);
    }
    connect(m_jitter, &QAbstractAnimation::finished, this, [this] {
        move(m_restPos);
        emit jitterFinished();
    });
    m_jitter->start(QAbstractAnimation::DeleteWhenStopped);
}

void AnimatedButton::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Pressed: the whole face sinks by a pixel.
    if (isDown())
        painter.translate(0, 1);
    {
        // The style sheet paints the face; draw it through our painter so
        // that the sink applies to it.
        QStyleOptionButton option;
        initStyleOption(&option);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    }
    Q_UNUSED(event)

    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), CornerRadius, CornerRadius);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(shape);
    painter.setPen(Qt::NoPen);
    if (isDown()) {
        painter.fillRect(rect(), QColor(0, 0, 0, 50));
    } else if (m_hoverLevel > 0) {
        painter.fillRect(rect(), QColor(255, 255, 255, qRound(40 * m_hoverLevel)));
    }
    if (m_rippleLevel < 1.0) {
        const qreal reach = qSqrt(qreal(width()) * width() + qreal(height()) * height());
        const qreal radius = reach * m_rippleLevel;
        painter.setBrush(QColor(255, 242, 226, qRound(90 * (1.0 - m_rippleLevel))));
        painter.drawEllipse(QPointF(m_rippleCentre), radius, radius);
    }
}
