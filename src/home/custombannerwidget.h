#pragma once

#include "update/bannerimageinfo.h"

#include <QWidget>

class BannerCarousel;

// The home page's banner area: a carousel, hidden until banners arrive.
class CustomBannerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CustomBannerWidget(QWidget *parent = nullptr);

    // Shows the carousel with one item per banner.
    void setBanners(const QList<BannerImageInfo> &banners);
    BannerCarousel *carousel() const { return m_carousel; }

private:
    BannerCarousel *m_carousel = nullptr;
};
