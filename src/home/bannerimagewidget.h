#pragma once

#include <QPixmap>
#include <QWidget>

class QPropertyAnimation;

// The picture of the banner carousel. Draws its pixmap centred, scaled by
// zoomFactor about the centre; zoomIn()/zoomOut() animate the factor to the
// ends of the zoom range (the carousel zooms while the mouse is over it).
class BannerImageWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(float zoomFactor READ zoomFactor WRITE setZoomFactor)
public:
    static constexpr int kZoomMs = 200;

    explicit BannerImageWidget(QWidget *parent = nullptr);

    // Scales the picture to the widget's size (aspect ratio kept); a null
    // pixmap clears the widget.
    void setPixmap(const QPixmap &pixmap);
    QPixmap pixmap() const { return m_pixmap; }

    float zoomFactor() const { return m_zoomFactor; }
    void setZoomFactor(float factor);
    // Stores the range and clamps the current factor into it.
    void setZoomRange(float minimum, float maximum);

    void zoomIn();
    void zoomOut();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void animateTo(float factor);

    QPixmap m_pixmap;
    float m_zoomFactor = 1.0f;
    float m_minZoom = 1.0f;
    float m_maxZoom = 1.1f;
    QPropertyAnimation *m_animation = nullptr;
};
