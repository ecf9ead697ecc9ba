#pragma once

#include "update/appnewsinfo.h"
#include "update/bannerimageinfo.h"

#include <QObject>
#include <QPointer>
#include <QString>

class Appinstallplugin;
class CustomBannerWidget;
class H5EventWidget;
class QWidget;
class TabsWithPopupText;

// The main window's home content: the event entry, the news tabs and the
// banner carousel, placed on the window, fed by Appinstallplugin and asked
// for by the edition's game id (the mainland edition shows no banners, the
// Korean edition no news).
class HomeContentPanel : public QObject
{
    Q_OBJECT
public:
    struct Settings
    {
        QString gameId; // the manifest "gameId"
        QString newsUrl; // the news query's address; empty: no news is asked for
        QString site; // the official site whose news pages the entries open

        // The settings of an edition's manifest in an environment
        // (1 development, 2 test, 3 release).
        static Settings forEdition(int launcherType, int runningType);
    };

    // A news title is logged at most this long.
    static constexpr int kLoggedTitleChars = 80;
    static constexpr int kNewsTypes[]
        = {AppNewsInfo::Latest, AppNewsInfo::Notice, AppNewsInfo::Event, AppNewsInfo::News};

    // Builds the widgets on `window` and connects the plug-in's signals.
    HomeContentPanel(QWidget *window, Appinstallplugin *plugin, const Settings &settings);

    // Asks the plug-in for the edition's banners and news.
    void requestContent();

    bool showsBanners() const;
    bool showsNews() const;

    H5EventWidget *eventWidget() const { return m_event; }
    TabsWithPopupText *newsTabs() const { return m_tabs; }
    CustomBannerWidget *bannerWidget() const { return m_banners; }

private:
    void onBannerUpdate(const QList<BannerImageInfo> &banners);
    void onNewsUpdate(const QList<AppNewsInfo> &news);
    void openEventPage();

    QPointer<Appinstallplugin> m_plugin;
    Settings m_settings;
    H5EventWidget *m_event = nullptr;
    TabsWithPopupText *m_tabs = nullptr;
    CustomBannerWidget *m_banners = nullptr;
};
