#pragma once

#include <QPixmap>
#include <QWidget>

// Laid over the background or poster: darkens the top band, the left edge and
// the bottom band so that text, news and buttons stay readable on any
// picture. Drawn in code rather than loaded: a full-window picture with alpha
// costs more to decode at start-up than these gradients cost to paint. The
// shade is drawn once per size and kept, so a playing video under it costs a
// plain blit per frame. Transparent for the mouse.
class ShadeOverlay : public QWidget
{
    Q_OBJECT
public:
    explicit ShadeOverlay(QWidget *parent = nullptr);

    // The shade at `size`, as the overlay paints it.
    static QPixmap render(const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_shade;
};
