#include "homecontentdemo.h"

#include "home/custombannerwidget.h"
#include "home/homecontentpanel.h"
#include "home/tabswithpopuptext.h"
#include "mainwindow/mainwindow.h"
#include "update/appinstallplugin.h"

#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

namespace {

struct Scene
{
    QColor skyTop, skyBottom, sun, farRidge, nearRidge;
    const char *title;
    const char *subtitle;
};

// A scenic 320 x 140 banner: sky, sun or moon, two ridges and a title.
QString drawBanner(const QString &path, const Scene &scene)
{
    QImage image(320, 140, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 140);
    sky.setColorAt(0, scene.skyTop);
    sky.setColorAt(1, scene.skyBottom);
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    QColor glow = scene.sun;
    glow.setAlpha(70);
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(246, 50), 32, 32);
    painter.setBrush(scene.sun);
    painter.drawEllipse(QPointF(246, 50), 18, 18);
    const auto ridge = [&painter](const QColor &colour, const QVector<QPointF> &points) {
        QPainterPath path(QPointF(0, 140));
        for (const QPointF &point : points)
            path.lineTo(point);
        path.lineTo(320, 140);
        painter.setBrush(colour);
        painter.drawPath(path);
    };
    ridge(scene.farRidge,
        {{0, 98}, {34, 74}, {66, 88}, {118, 46}, {150, 70}, {178, 60}, {220, 88}, {262, 64}, {320, 84}});
    ridge(scene.nearRidge, {{0, 120}, {48, 100}, {96, 114}, {150, 94}, {204, 116}, {256, 102}, {320, 118}});
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(22);
    title.setBold(true);
    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(12);
    const auto text = [&painter](const QFont &font, const QPointF &at, const char *words) {
        painter.setFont(font);
        painter.setPen(QColor(12, 16, 39, 140));
        painter.drawText(at + QPointF(1, 2), QLatin1String(words));
        painter.setPen(QColor(0xff, 0xf2, 0xe2));
        painter.drawText(at, QLatin1String(words));
    };
    text(title, {18, 38}, scene.title);
    text(subtitle, {19, 58}, scene.subtitle);
    painter.fillRect(QRectF(19, 66, 40, 3), QColor(0xc6, 0x60, 0x30));
    painter.end();
    image.save(path, "PNG");
    return path;
}

QList<BannerImageInfo> banners()
{
    static QTemporaryDir dir;
    static const Scene scenes[] = {
        {QColor(0xf2a65a), QColor(0x5a2d5f), QColor(0xffe2a8), QColor(0x3b2547), QColor(0x1d1430), "Spring Festival",
            "Lanterns over the Quill Peaks"},
        {QColor(0x7ec8e3), QColor(0x1f4e79), QColor(0xfffbe6), QColor(0x2f5d62), QColor(0x16323a), "Version 1.1.0",
            "A new level: the Mirror Lake"},
        {QColor(0x2b1b4a), QColor(0x0b0f26), QColor(0xe8e6ff), QColor(0x1e2a5a), QColor(0x0c1230), "Night of Stars",
            "Log in daily for moonstone"},
    };
    QList<BannerImageInfo> list;
    for (int i = 0; i < 3; ++i) {
        BannerImageInfo info;
        info.imageLink = QStringLiteral("https://www.quillmere.example/news/%1").arg(i + 1);
        info.localPath = dir.filePath(QStringLiteral("banner%1.png").arg(i + 1));
        if (!QFileInfo::exists(info.localPath))
            drawBanner(info.localPath, scenes[i]);
        list << info;
    }
    return list;
}

AppNewsInfo news(qint64 id, int type, const char *title, const char *time)
{
    AppNewsInfo info;
    info.id = id;
    info.informationType = type;
    info.title = QLatin1String(title);
    info.updateTime = QLatin1String(time);
    return info;
}

} // namespace

namespace HomeContentDemo {

Appinstallplugin *quietPlugin(QObject *parent)
{
    const QString closed = QStringLiteral("http://127.0.0.1:9");
    auto *plugin = new Appinstallplugin(
        ServerUrls(closed, closed, closed, closed), QStringLiteral("2.8.0"), nullptr, {}, parent);
    plugin->setReplyTimeout(1000);
    return plugin;
}

void fill(MainWindow *window)
{
    for (HomeContentPanel *panel : window->findChildren<HomeContentPanel *>()) {
        panel->bannerWidget()->setBanners(banners());
        // The service's own texts, as it sends them.
        const AppNewsInfo maintenance = news(101, 2, "Maintenance on Thursday, 05:00 to 09:00", "2025-05-02 09:00:00");
        const AppNewsInfo festival = news(102, 3, "Spring Festival: lanterns over the peaks", "2025-05-01 12:00:00");
        const AppNewsInfo release = news(3000000103LL, 4, "Version 1.1.0: the Mirror Lake", "2025-04-30 18:00:00");
        const AppNewsInfo diary = news(104, 4, "Developer diary: drawing the lake", "2025-04-20 18:00:00");
        AppNewsInfo latestMaintenance = maintenance;
        AppNewsInfo latestFestival = festival;
        latestMaintenance.informationType = latestFestival.informationType = AppNewsInfo::Latest;
        panel->newsTabs()->setNewsList({latestMaintenance, latestFestival});
        panel->newsTabs()->setNewsList({maintenance, news(105, 2, "New servers for Europe", "2025-04-18 10:00:00")});
        panel->newsTabs()->setNewsList({festival, news(106, 3, "Night of Stars log-in gifts", "2025-04-12 20:00:00")});
        panel->newsTabs()->setNewsList({release, diary});
    }
}

} // namespace HomeContentDemo
