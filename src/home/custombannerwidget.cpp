#include "home/custombannerwidget.h"

#include "home/bannercarousel.h"

#include <QVBoxLayout>

CustomBannerWidget::CustomBannerWidget(QWidget *parent)
    : QWidget(parent)
    , m_carousel(new BannerCarousel(this))
{
    setObjectName(QStringLiteral("CustomBannerWidget"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_carousel, 0, Qt::AlignLeft | Qt::AlignTop);
    m_carousel->hide();
}

void CustomBannerWidget::setBanners(const QList<BannerImageInfo> &banners)
{
    QList<BannerItem> items;
    for (const BannerImageInfo &banner : banners)
        items.append({banner.imageLink, banner.localPath});
    m_carousel->show();
    m_carousel->setItems(items);
}
