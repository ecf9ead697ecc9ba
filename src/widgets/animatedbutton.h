#pragma once

#include <QPoint>
#include <QPointer>
#include <QPushButton>

class QPropertyAnimation;
class QSequentialAnimationGroup;

// The base of the launcher's buttons: the look comes from the style sheet,
// and on top of it the button brightens while hovered, darkens and sinks by
// a pixel while pressed, sends a water ripple out from where it was pressed,
// and can jitter sideways to draw the eye.
class AnimatedButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(qreal hoverLevel READ hoverLevel WRITE setHoverLevel)
    Q_PROPERTY(qreal rippleLevel READ rippleLevel WRITE setRippleLevel)
public:
    explicit AnimatedButton(QWidget *parent = nullptr);
    explicit AnimatedButton(const QString &text, QWidget *parent = nullptr);

    qreal hoverLevel() const { return m_hoverLevel; }
    void setHoverLevel(qreal level);
    qreal rippleLevel() const { return m_rippleLevel; }
    void setRippleLevel(qreal level);

    bool isJittering() const;

public slots:
    // Shakes the button sideways a few times and leaves it where it was, even
    // when asked again while it shakes.
    void jitter();

signals:
    void jitterFinished();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void init();
    void animateHover(qreal to);

    qreal m_hoverLevel = 0;
    qreal m_rippleLevel = 1;
    QPoint m_rippleCentre;
    QPropertyAnimation *m_hover = nullptr;
    QPropertyAnimation *m_ripple = nullptr;
    QPointer<QSequentialAnimationGroup> m_jitter;
    QPoint m_restPos;
};
