#include "home/homecontentpanel.h"

#include "app/launcherconfig.h"
#include "app/weblink.h"
#include "home/custombannerwidget.h"
#include "home/h5eventwidget.h"
#include "home/tabswithpopuptext.h"
#include "update/appinstallplugin.h"

#include <QDebug>
#include <QFile>
#include <QWidget>

namespace {
const QString kMainlandGameId = QStringLiteral("50001");
const QString kKoreanGameId = QStringLiteral("90001");
} // namespace

HomeContentPanel::Settings HomeContentPanel::Settings::forEdition(int launcherType, int runningType)
{
    QFile file(LauncherConfig::manifestResource(launcherType));
    Settings settings;
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    const QMap<QString, QString> manifest = LauncherConfig::parseManifest(&file);
    settings.gameId = manifest.value(QStringLiteral("gameId"));
    settings.newsUrl = Appinstallplugin::newsQueryUrl(runningType, manifest);
    settings.site = manifest.value(QStringLiteral("officalweb"));
    return settings;
}

HomeContentPanel::HomeContentPanel(QWidget *window, Appinstallplugin *plugin, const Settings &settings)
    : QObject(window)
    , m_plugin(plugin)
    , m_settings(settings)
{
    m_event = new H5EventWidget(window);
    m_event->move(32, 376);
    m_event->hide();
    connect(m_event, &H5EventWidget::onclick, this, &HomeContentPanel::openEventPage);

    qDebug().noquote() << QStringLiteral("MainWindow获取的gameid：") + m_settings.gameId;
    m_tabs = new TabsWithPopupText(m_settings.site, window);
    m_tabs->setGeometry(40, 426, 320, 105);
    m_tabs->setVisible(showsNews());
    m_banners = new CustomBannerWidget(window);
    m_banners->setGeometry(40, 533, 320, 180);
    m_banners->setVisible(showsBanners());

    if (!m_plugin)
        return;
    // Queued: the widgets change outside the plug-in's emitting call.
    connect(m_plugin, &Appinstallplugin::bannerUpdate, this, &HomeContentPanel::onBannerUpdate, Qt::QueuedConnection);
    connect(m_plugin, &Appinstallplugin::newsUpdate, this, &HomeContentPanel::onNewsUpdate, Qt::QueuedConnection);
}

bool HomeContentPanel::showsBanners() const
{
    return m_settings.gameId != kMainlandGameId;
}

bool HomeContentPanel::showsNews() const
{
    return m_settings.gameId != kKoreanGameId;
}

void HomeContentPanel::requestContent()
{
    if (!m_plugin)
        return;
    if (showsBanners())
        m_plugin->nrequestBannerImage(m_settings.gameId);
    if (!showsNews())
        return;
    if (m_settings.newsUrl.isEmpty()) {
        qWarning("The manifest names no news service for this environment: no news is asked for.");
        return;
    }
    for (int type : kNewsTypes)
        m_plugin->requestNewsData(type, m_settings.newsUrl);
}

void HomeContentPanel::onBannerUpdate(const QList<BannerImageInfo> &banners)
{
    for (const BannerImageInfo &banner : banners) {
        qInfo().noquote() << QStringLiteral("bannerUpdate_imageUrl:") + banner.imageUrl;
        qInfo().noquote() << QStringLiteral("bannerUpdate_imagefileName:") + banner.fileName;
    }
    m_banners->setBanners(banners);
}

void HomeContentPanel::onNewsUpdate(const QList<AppNewsInfo> &news)
{
    // The titles arrive cut to a sane length already; the log keeps less.
    for (const AppNewsInfo &entry : news)
        qInfo().noquote() << QStringLiteral("newsUpdate_title:") + entry.title.left(kLoggedTitleChars);
    m_tabs->setNewsList(news);
}

void HomeContentPanel::openEventPage()
{
    const std::optional<AppBaseInfo> info = m_plugin ? m_plugin->baseInfo() : std::nullopt;
    if (!info || info->h5eventUrl.isEmpty()) {
        qInfo("No event page is known yet.");
        return;
    }
    openWebLink(QUrl(info->h5eventUrl));
}
