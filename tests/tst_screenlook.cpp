#include "app/texts.h"
#include "home/homeview.h"
#include "mainwindow/installdisplay.h"
#include "mainwindow/playsettingpopup.h"
#include "mainwindow/uiresources.h"
#include "widgets/artstyle.h"
#include "widgets/trianglewidget.h"
#include "widgets/uiresources.h"

#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTranslator>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

// The look of the main window's texts and pop-ups. Texts read against what is
// really painted behind them: each widget is rendered over the worst thing
// that can lie under it and its text is measured in the picture (WCAG
// contrast: 4.5 : 1 for text, 3 : 1 for a disabled button's). Entries fit in
// every language, and units and durations are the language's.
class ScreenLookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void textStandsOut_data();
    void textStandsOut();
    void disabledButtonsLookDisabled_data();
    void disabledButtonsLookDisabled();
    void popupEntriesFitInEveryLanguage_data();
    void popupEntriesFitInEveryLanguage();
    void unitsSpeakTheLanguage_data();
    void unitsSpeakTheLanguage();

private:
    QTranslator m_english;
};

namespace {

double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// `widget` painted over `underlay`, as the screen shows it.
QImage picture(QWidget *widget, const QColor &underlay)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(underlay);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

// The area's most frequent colour (what is behind the text).
QRgb backgroundOf(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) & 0xffffff];
    }
    QRgb most = 0;
    int best = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > best) {
            best = it.value();
            most = it.key();
        }
    }
    return most;
}

// The contrast of the text in `area` against its background: the text's
// colour is that of its strongest pixels, the background the most frequent.
double textContrast(const QImage &image, const QRect &area)
{
    const QRect inside = area.intersected(image.rect());
    const QRgb background = backgroundOf(image, inside);
    double strongest = 1.0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            strongest = qMax(strongest, contrast(image.pixel(x, y), background));
    }
    return strongest;
}

QRect areaIn(QWidget *widget, QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

struct Measure
{
    QImage image;
    QRect area;
    bool whole = true; // the text has all the room it asks for
};

// The widgets measured, built once, removed before the application ends.
struct Scenes
{
    std::unique_ptr<QWidget> popupWindow;
    PlaySettingPopup *popup = nullptr;
    std::unique_ptr<HomeView> home;
    std::unique_ptr<QWidget> displayWindow;
    std::unique_ptr<InstallDisplay> display;
};
Scenes g_scenes;

using Measures = QVector<Measure>;

// Both entries, the first also under the mouse.
Measures playSettingEntries()
{
    if (!g_scenes.popup) {
        g_scenes.popupWindow = std::make_unique<QWidget>();
        g_scenes.popup = new PlaySettingPopup(g_scenes.popupWindow.get());
    }
    TriangleWidget *panel = g_scenes.popup->popup();
    panel->show();
    panel->layout()->activate();
    Measures measures;
    const auto entries = panel->findChildren<QPushButton *>();
    for (QPushButton *entry : entries) {
        // Under the pop-up: the night art at its darkest.
        measures.append({picture(panel, Qt::black), areaIn(entry, panel)});
        entry->setAttribute(Qt::WA_UnderMouse, true);
        measures.append({picture(panel, Qt::black), areaIn(entry, panel)});
        entry->setAttribute(Qt::WA_UnderMouse, false);
    }
    return measures;
}

// The first entry of the first popup of that name, highlighted.
Measures homeLink(const QString &popupName)
{
    if (!g_scenes.home)
        g_scenes.home = std::make_unique<HomeView>(0, nullptr);
    HomeView *view = g_scenes.home.get();
    view->resize(400, 600);
    view->show();
    for (int i = 0; i < view->popupArea()->count(); ++i) {
        QWidget *popup = view->popupArea()->widget(i);
        if (popup->objectName() != popupName)
            continue;
        for (QWidget *row : popup->findChildren<QWidget *>(QStringLiteral("homeLinkRow"))) {
            if (!row->findChild<QLabel *>(QStringLiteral("homeLinkArrow")))
                continue; // shown for its text only, never highlighted
            QEvent enter(QEvent::Enter);
            QCoreApplication::sendEvent(row, &enter);
            QLabel *text = row->findChild<QLabel *>(QStringLiteral("homeLinkText"));
            return {{picture(popup, Qt::black), areaIn(text, popup)}};
        }
    }
    return {};
}

// Every text on the shade of the page the state shows.
Measures progressTexts(InstallSession::State state, const char *shadeName)
{
    if (!g_scenes.display) {
        g_scenes.displayWindow = std::make_unique<QWidget>();
        QWidget *window = g_scenes.displayWindow.get();
        window->resize(1280, 720);
        window->setAutoFillBackground(true);
        QPalette white = window->palette();
        white.setColor(QPalette::Window, Qt::white);
        window->setPalette(white);
        g_scenes.display = std::make_unique<InstallDisplay>(window, new QWidget(window), new QWidget(window), 1);
    }
    QWidget *window = g_scenes.displayWindow.get();
    g_scenes.display->render(state);
    KorvaneObject::DownloadingInfo info {QStringLiteral("2.5 MB/S"), QStringLiteral("7m 32s"), QStringLiteral("8.9 GB"),
        QStringLiteral("42"), QStringLiteral("3.8 GB"), QString(), 0};
    g_scenes.display->showProgress(info);
    g_scenes.display->showExtractShare(0.642);
    g_scenes.display->showArchivesInstalling(1, 4, true); // archives extracted during the download
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return {};
    auto *shade = window->findChild<QWidget *>(QLatin1String(shadeName));
    shade->layout()->activate();
    // The window as drawn (the labels fade in through effects) over white,
    // the art's brightest streak at worst.
    const QImage image = window->grab(areaIn(shade, window)).toImage();
    Measures measures;
    for (QLabel *text : shade->findChildren<QLabel *>()) {
        const QRect area = areaIn(text, shade);
        const bool whole = shade->rect().contains(area) && text->height() >= text->sizeHint().height()
            && text->width() >= text->sizeHint().width();
        if (!text->text().isEmpty())
            measures.append({image, area, whole});
    }
    return measures;
}

} // namespace

void ScreenLookTest::initTestCase()
{
    quillmereInitUiResources();
    QVERIFY(m_english.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_english);
    qApp->setStyleSheet(launcherStyleSheet(QStringLiteral("Noto Sans")));
}

void ScreenLookTest::cleanupTestCase()
{
    g_scenes = Scenes();
}

void ScreenLookTest::textStandsOut_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("texts");
    QTest::newRow("play settings entries, plain and under the mouse") << 0 << 6;
    QTest::newRow("home link list, highlighted entry") << 1 << 1;
    QTest::newRow("home QR card, highlighted entry") << 2 << 1;
    QTest::newRow("download texts") << 3 << 6;
    QTest::newRow("install percent") << 4 << 1;
}

void ScreenLookTest::textStandsOut()
{
    QFETCH(int, which);
    QFETCH(int, texts);
    const std::function<Measures()> measures[] = {
        [] { return playSettingEntries(); },
        [] { return homeLink(QStringLiteral("homeListPopup")); },
        [] { return homeLink(QStringLiteral("homeQrPopup")); },
        [] { return progressTexts(InstallSession::State::Downloading, "progressShade"); },
        [] { return progressTexts(InstallSession::State::Extracting, "progressShade_zip"); },
    };
    const Measures measured = measures[which]();
    QCOMPARE(measured.size(), texts);
    for (const Measure &measure : measured) {
        QVERIFY2(measure.whole, "a text is cut");
        const double ratio = textContrast(measure.image, measure.area);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 : 1").arg(ratio, 0, 'f', 2)));
    }
}

void ScreenLookTest::disabledButtonsLookDisabled_data()
{
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("textColour");
    QTest::newRow("confirm") << ":/mainwindow/btn_dialogconfirm" << QString::fromLatin1(ArtStyle::Parchment);
    QTest::newRow("cancel") << ":/mainwindow/btn_dialogcancel"
                            << "#070706";
}

// A button waiting for an answer ("Connecting...") keeps readable text and
// does not pass for a live one.
void ScreenLookTest::disabledButtonsLookDisabled()
{
    QFETCH(QString, stem);
    QFETCH(QString, textColour);
    QWidget panel;
    panel.setStyleSheet(
        ArtStyle::buttonRules(QStringLiteral("#button"), stem, QStringLiteral("#c66030"), textColour, 20));
    auto *button = new QPushButton(QStringLiteral("Connecting..."), &panel);
    button->setObjectName(QStringLiteral("button"));
    button->setGeometry(0, 0, 234, 72);
    panel.resize(button->size());
    panel.show();
    const QRect middle = button->rect().adjusted(40, 16, -40, -16);
    const QImage live = picture(&panel, QColor(ArtStyle::Parchment));
    button->setEnabled(false);
    const QImage waiting = picture(&panel, QColor(ArtStyle::Parchment));

    const double ratio = textContrast(waiting, middle);
    QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("disabled text %1 : 1").arg(ratio, 0, 'f', 2)));
    const QColor a(backgroundOf(live, middle));
    const QColor b(backgroundOf(waiting, middle));
    const double distance = std::hypot(a.red() - b.red(), std::hypot(a.green() - b.green(), a.blue() - b.blue()));
    QVERIFY2(distance > 80, qPrintable(QStringLiteral("faces %1 and %2").arg(a.name(), b.name())));
}

void ScreenLookTest::popupEntriesFitInEveryLanguage_data()
{
    QTest::addColumn<QString>("catalogue");
    for (const char *name : {"app_zh", "app_en", "app_jp", "app_ko", "app_zh_tc"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The play settings' entries show their whole text on one line.
void ScreenLookTest::popupEntriesFitInEveryLanguage()
{
    QFETCH(QString, catalogue);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/") + catalogue));
    QCoreApplication::installTranslator(&translator);
    QWidget window;
    PlaySettingPopup popup(&window);
    QCoreApplication::removeTranslator(&translator);
    popup.popup()->show();
    popup.popup()->layout()->activate();
    for (QPushButton *entry : popup.popup()->findChildren<QPushButton *>()) {
        QVERIFY2(entry->sizeHint().width() <= entry->width() && entry->sizeHint().height() <= entry->height(),
            qPrintable(QStringLiteral("%1: %2 wants %3 x %4, has %5 x %6")
                           .arg(catalogue, entry->text())
                           .arg(entry->sizeHint().width())
                           .arg(entry->sizeHint().height())
                           .arg(entry->width())
                           .arg(entry->height())));
    }
}

void ScreenLookTest::unitsSpeakTheLanguage_data()
{
    // catalogue, 1 h 7 min 32 s, 2.5 MB a second, no speed; the English as it always was.
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("en") << QStringList {"app_en", "1h 7m 32s", "2.5 MB/S", "0 kb"};
    QTest::newRow("zh") << QStringList {"app_zh", "1小时7分32秒", "2.5 MB/秒", "0 KB/秒"};
    QTest::newRow("zh_tc") << QStringList {"app_zh_tc", "1小時7分32秒", "2.5 MB/秒", "0 KB/秒"};
    QTest::newRow("ja") << QStringList {"app_jp", "1時間7分32秒", "2.5 MB/秒", "0 KB/秒"};
    QTest::newRow("ko") << QStringList {"app_ko", "1시간 7분 32초", "2.5 MB/초", "0 KB/초"};
}

void ScreenLookTest::unitsSpeakTheLanguage()
{
    QFETCH(QStringList, texts);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/") + texts.at(0)));
    QCoreApplication::installTranslator(&translator);
    const QStringList shown = {texts.at(0), durationText(3600 + 7 * 60 + 32),
        sizeText(quint64(2.5 * 1024 * 1024), true), QCoreApplication::translate("MainWindow", "speed_none")};
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(shown, texts);
}

QTEST_MAIN(ScreenLookTest)
#include "tst_screenlook.moc"
