#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

class BannerImageWidget;
class QPushButton;

// One entry of the carousel: where a click leads and the picture on disk.
struct BannerItem
{
    QString link;
    QString imagePath;
};

// An auto-playing picture carousel: a 320 x 140 picture area with previous
// and next buttons that appear under the mouse, a hover zoom, and a row of
// indicators below (hovering one shows its picture). The picture changes every
// 3000 ms; a change the user makes holds the next automatic one off for 3000 ms
// more. A left click, or Enter or Space while the picture has the keyboard,
// opens the current item's web link; the arrow keys turn it.
//
// The pictures are decoded once, on a worker, at the picture area's size and
// kept: a picture declaring more than BannerImageInfo::kMaxSide pixels a side
// (or none at all) is refused unread and its place stays empty.
class BannerCarousel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 3000;
    static constexpr int kImageWidth = 320;
    static constexpr int kImageHeight = 140;

    explicit BannerCarousel(QWidget *parent = nullptr);

    void setItems(const QList<BannerItem> &items);
    QList<BannerItem> items() const { return m_items; }
    int currentIndex() const { return m_current; }
    bool isAutoPlaying() const { return m_timer.isActive(); }
    BannerImageWidget *imageWidget() const { return m_image; }
    QWidget *imageArea() const { return m_imageArea; }
    // The decoded picture of item `index`; null until it is decoded, or when
    // it was refused.
    QPixmap picture(int index) const { return m_pictures.value(index); }

public slots:
    void nextImage();
    void prevImage();
    void startAutoPlay();
    void pauseAutoPlay(int ms);
    void pauseAutoPlay() { pauseAutoPlay(kIntervalMs); }
    void setCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);
    // Every picture of the items set has been decoded or refused.
    void picturesLoaded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showItem(int index);
    bool openCurrent();
    bool keyPressed(int key);
    void rebuildIndicators();
    void styleIndicators();
    void placeButtons();
    void loadPictures();

    QList<BannerItem> m_items;
    QVector<QPixmap> m_pictures;
    int m_loadTicket = 0; // a new item list drops the decodes of the older one
    int m_current = 0;
    int m_hoverIndex = -1;
    QTimer m_timer;
    QTimer m_resume; // starts the auto-play again after a pause
    QWidget *m_imageArea = nullptr;
    BannerImageWidget *m_image = nullptr;
    QPushButton *m_prev = nullptr;
    QPushButton *m_next = nullptr;
    QWidget *m_indicatorBar = nullptr;
    QList<QWidget *> m_indicators;
};
