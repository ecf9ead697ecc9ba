#include "widgets/tabbutton.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>

namespace {
constexpr int UnderlineHeight = 3;
constexpr int UnderlineMs = 180;
} // namespace

TabButton::TabButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setCheckable(true);
    setAutoExclusive(true);
    setCursor(Qt::PointingHandCursor);
    setFlat(true);
    m_animation = new QPropertyAnimation(this, "underline", this);
    m_animation->setDuration(UnderlineMs);
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        m_animation->stop();
        // A tab not on screen yet (a row being built) takes its state at once.
        if (!isVisible()) {
            setUnderline(checked ? 1.0 : 0.0);
            return;
        }
        m_animation->setStartValue(m_underline);
        m_animation->setEndValue(checked ? 1.0 : 0.0);
        m_animation->start();
    });
}

void TabButton::setUnderline(qreal level)
{
    m_underline = level;
    update();
}

void TabButton::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (m_underline <= 0)
        return;
    QPainter painter(this);
    const int length = qRound(width() * m_underline);
    const QRect bar((width() - length) / 2, height() - UnderlineHeight, length, UnderlineHeight);
    QLinearGradient ember(bar.topLeft(), bar.topRight());
    ember.setColorAt(0, QColor(0xC6, 0x60, 0x30));
    ember.setColorAt(1, QColor(0xF5, 0x74, 0x38));
    painter.fillRect(bar, ember);
}
