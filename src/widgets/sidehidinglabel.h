#pragma once

#include <QLabel>

class QPropertyAnimation;

// A label that sits against one side of its parent and slides almost out of
// it, leaving a strip of `peek` pixels to hover; it slides fully in while the
// mouse is over it. Without a parent it stays where it is.
class SideHidingLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SideHidingLabel(QWidget *parent, Qt::Edge edge = Qt::RightEdge);

    void setPeek(int pixels);
    int peek() const { return m_peek; }
    bool isSlidIn() const { return m_slidIn; }

public slots:
    void slideIn();
    void slideOut();

signals:
    // The slide has ended; `in` tells where the label now rests.
    void slideFinished(bool in);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QPoint restingPos(bool in) const;
    void slideTo(bool in);

    Qt::Edge m_edge;
    int m_peek = 12;
    bool m_slidIn = false;
    QPropertyAnimation *m_animation = nullptr;
};
