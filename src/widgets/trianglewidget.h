#pragma once

#include <QPainterPath>
#include <QWidget>

class QPropertyAnimation;
class QVBoxLayout;

// The small pop-up with a downward pointer that opens above the play button's
// settings: a parchment panel whose buttons the owner adds to buttonLayout(). It
// fades in each time it is shown and tells when the mouse enters or leaves.
class TriangleWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TriangleWidget(QWidget *parent = nullptr);

    QVBoxLayout *buttonLayout() const { return m_layout; }

    // The panel and its pointer filling `bounds`: what it paints, and where
    // translucency is not shown, the window's shape.
    static QPainterPath outline(const QRectF &bounds);

signals:
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QVBoxLayout *m_layout = nullptr;
    QPropertyAnimation *m_fade = nullptr;
};
