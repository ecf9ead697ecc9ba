#include "content/qrcode.h"
#include "home/homeview.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <memory>
#include <utility>

// The home page's link column as a user meets it: the edition's buttons,
// popups that open beside their button with translated links and a QR code
// of the configured address, links that open only when they are web
// addresses, and a view that leaves the window under it clickable.
class HomeViewTest : public QObject
{
    Q_OBJECT

public slots:
    // Stands in for the desktop's handler of every scheme the tests click.
    void open(const QUrl &url) { m_opened << url; }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void buttonsFollowEdition_data();
    void buttonsFollowEdition();
    void popupOpensBesideItsButton_data();
    void popupOpensBesideItsButton();
    void linksOpenOnlyWebAddresses_data();
    void linksOpenOnlyWebAddresses();
    void documentIsReadSafely_data();
    void documentIsReadSafely();
    void shippedDocumentIsSound();
    void clicksBesideButtonsReachWindowBelow_data();
    void clicksBesideButtonsReachWindowBelow();
    void popupLinksByKeyboard();

private:
    QList<QUrl> m_opened;
};

namespace {

const char *const kSchemes[] = {"http", "https", "file", "javascript", "mailto", "ftp"};

// The launcher window as the view meets it: a widget under the view's whole
// strip, and the view placed as the main window places it.
struct Stage
{
    explicit Stage(int edition, const QString &document = QString())
    {
        window.setFixedSize(1280, 720);
        below = new QPushButton(&window);
        below->setGeometry(780, 58, 500, 540);
        view = new HomeView(edition, &window, document);
        view->setGeometry(780, 58, 500, 540);
        window.show();
    }

    QPoint inWindow(QWidget *widget, QPoint local = QPoint(-1, -1)) const
    {
        return widget->mapTo(&window, local == QPoint(-1, -1) ? widget->rect().center() : local);
    }
    // The offscreen platform's cursor sends the window its enter, leave and
    // move events, as a real mouse does.
    void moveTo(const QPoint &point)
    {
        QCursor::setPos(window.mapToGlobal(point));
        QCoreApplication::processEvents();
    }
    void click(const QPoint &point) { QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, point); }
    QPushButton *button(const QString &id) const
    {
        for (QPushButton *button : view->sideButtons()) {
            if (button->property("buttonId").toString() == id)
                return button;
        }
        return nullptr;
    }

    QWidget window;
    QPushButton *below = nullptr;
    HomeView *view = nullptr;
};

QJsonObject document()
{
    QFile file(HomeButtonDocument::kResource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// Empty when `image` is a crisp QR code of `text`: whole pixels per module,
// large enough for a phone's camera, the quiet zone light and every module
// as encoded.
QString qrMismatch(const QImage &image, const QString &text)
{
    const QrCode code = QrCode::encode(text);
    if (code.isNull())
        return QStringLiteral("nothing to compare: no code for \"%1\"").arg(text);
    const int modules = code.size() + 2 * QrCode::kQuietModules;
    if (image.width() != image.height() || image.width() % modules != 0)
        return QStringLiteral("%1 x %2 px is no whole number of %3 modules")
            .arg(image.width())
            .arg(image.height())
            .arg(modules);
    const int scale = image.width() / modules;
    if (scale < 3)
        return QStringLiteral("modules of %1 px").arg(scale);
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            const int cx = x - QrCode::kQuietModules;
            const int cy = y - QrCode::kQuietModules;
            const bool expected = cx >= 0 && cy >= 0 && cx < code.size() && cy < code.size() && code.isDark(cx, cy);
            const bool dark = qGray(image.pixel(x * scale + scale / 2, y * scale + scale / 2)) < 128;
            if (dark != expected)
                return QStringLiteral("module (%1, %2) differs").arg(x).arg(y);
        }
    }
    return {};
}

} // namespace

void HomeViewTest::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    quillmereInitUiResources();
    for (const char *scheme : kSchemes)
        QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
}

void HomeViewTest::cleanupTestCase()
{
    for (const char *scheme : kSchemes)
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
}

void HomeViewTest::buttonsFollowEdition_data()
{
    QTest::addColumn<int>("edition");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("popups");

    const QString list = QStringLiteral("homeListPopup");
    const QString qr = QStringLiteral("homeQrPopup");
    const QString none = QStringLiteral("homeNoPopup");
    // The mainland edition shows its site as a QR code; elsewhere the help
    // desk opens directly.
    QTest::newRow("mainland") << 0
                              << QStringList {"OVERSEA_HOME", "TAPTAP", "WECHAT", "BILIBILI", "QQ", "WEIBO", "FQA",
                                     "license"}
                              << QStringList {qr, qr, qr, qr, qr, qr, list, list};
    QTest::newRow("global") << 1
                            << QStringList {"OVERSEA_HOME", "DISCORD", "TWITTER", "YOUTUBE", "FACEBOOK", "TitTok",
                                   "FQA"}
                            << QStringList {list, none, none, none, none, none, none};
    QTest::newRow("japan") << 2
                           << QStringList {"OVERSEA_HOME", "DISCORD", "TWITTER", "YOUTUBE", "LINE", "TitTok", "FQA"}
                           << QStringList {list, none, none, none, none, none, none};
    QTest::newRow("korea") << 3 << QStringList {"OVERSEA_HOME", "CAFE", "TWITTER", "YOUTUBE"}
                           << QStringList {list, none, none, none};
}

void HomeViewTest::buttonsFollowEdition()
{
    QFETCH(int, edition);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, popups);

    HomeView view(edition, nullptr);
    QStringList shownIds, shownPopups;
    const QVector<QPushButton *> buttons = view.sideButtons();
    for (int i = 0; i < buttons.size(); ++i) {
        shownIds << buttons.at(i)->property("buttonId").toString();
        shownPopups << view.popupArea()->widget(i)->objectName();
        QVERIFY2(!buttons.at(i)->icon().isNull(), qPrintable(shownIds.last()));
    }
    QCOMPARE(shownIds, ids);
    QCOMPARE(shownPopups, popups);
}

void HomeViewTest::popupOpensBesideItsButton_data()
{
    QTest::addColumn<int>("edition");
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("clickable");
    QTest::addColumn<bool>("qr");

    QTest::newRow("korea, site list") << 3 << "app_ko"
                                      << "OVERSEA_HOME" << QStringList {"홈페이지", "충전"} << QList<bool> {true, true}
                                      << false;
    QTest::newRow("mainland in English, site QR")
        << 0 << "app_en"
        << "OVERSEA_HOME" << QStringList {"Official Site"} << QList<bool> {true} << true;
    // An entry without an address: its text only, no arrow, no click.
    QTest::newRow("mainland, WeChat QR") << 0 << "app_zh"
                                         << "WECHAT" << QStringList {"扫码关注公众号"} << QList<bool> {false} << true;
    // The lowest QR popup would reach past the view's bottom.
    QTest::newRow("mainland, Weibo QR") << 0 << "app_zh"
                                        << "WEIBO" << QStringList {"前往官方微博"} << QList<bool> {true} << true;
}

void HomeViewTest::popupOpensBesideItsButton()
{
    QFETCH(int, edition);
    QFETCH(QString, catalogue);
    QFETCH(QString, id);
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, clickable);
    QFETCH(bool, qr);

    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/") + catalogue));
    QCoreApplication::installTranslator(&translator);
    auto removeTranslator = qScopeGuard([&] { QCoreApplication::removeTranslator(&translator); });

    Stage stage(edition);
    QVERIFY(QTest::qWaitForWindowExposed(&stage.window));
    QPushButton *button = stage.button(id);
    QVERIFY(button);
    QStackedWidget *area = stage.view->popupArea();

    stage.moveTo(stage.inWindow(button));
    QTRY_VERIFY(area->isVisible());
    QCOMPARE(area->currentIndex(), stage.view->sideButtons().indexOf(button));
    const QRect popup = area->geometry();
    QCOMPARE(popup.right() + 1 + 10, button->geometry().left());
    QVERIFY2(stage.view->rect().contains(popup), "the popup is cut off by the view");

    QWidget *page = area->currentWidget();
    QStringList shownTexts;
    QList<bool> shownClickable;
    QWidget *firstRow = nullptr;
    for (QWidget *row : page->findChildren<QWidget *>(QStringLiteral("homeLinkRow"))) {
        firstRow = firstRow ? firstRow : row;
        shownTexts << row->findChild<QLabel *>(QStringLiteral("homeLinkText"))->text();
        shownClickable << (row->findChild<QLabel *>(QStringLiteral("homeLinkArrow")) != nullptr);
    }
    QCOMPARE(shownTexts, texts);
    QCOMPARE(shownClickable, clickable);

    auto *code = page->findChild<QLabel *>(QStringLiteral("homeQrCode"));
    QCOMPARE(code != nullptr, qr);
    if (qr) {
        const QString address = document().value(id).toObject().value(QStringLiteral("qrcodeUrl")).toString();
        QVERIFY(!address.isEmpty());
        const QString mismatch = qrMismatch(code->pixmap(Qt::ReturnByValue).toImage(), address);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // From the button into its popup: the hide timer runs out and the popup stays.
    auto *hideTimer = stage.view->findChild<QTimer *>(QStringLiteral("homeViewHideTimer"));
    QSignalSpy timeouts(hideTimer, &QTimer::timeout);
    stage.moveTo(stage.inWindow(firstRow));
    QTRY_COMPARE(timeouts.count(), 1);
    QVERIFY(area->isVisible());
    // Only an entry with its arrow opens something.
    m_opened.clear();
    stage.click(stage.inWindow(firstRow));
    QCOMPARE(m_opened.size(), clickable.first() ? 1 : 0);

    // Away from both: it closes.
    stage.moveTo(QPoint(300, 300));
    QTRY_COMPARE(timeouts.count(), 2);
    QVERIFY(!area->isVisible());
}

void HomeViewTest::linksOpenOnlyWebAddresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");

    QTest::newRow("https") << "https://www.quillmere.example/en/" << true;
    QTest::newRow("http") << "http://www.quillmere.example/en/news?id=7" << true;
    QTest::newRow("local file") << "file:///etc/passwd" << false;
    QTest::newRow("script") << "javascript:alert(1)" << false;
    QTest::newRow("mail") << "mailto:help@quillmere.example" << false;
    QTest::newRow("file share") << "file://fileserver/share/setup.exe" << false;
    QTest::newRow("ftp") << "ftp://files.quillmere.example/setup.exe" << false;
    QTest::newRow("no host") << "https:relative/page" << false;
    QTest::newRow("empty") << "" << false;
}

void HomeViewTest::linksOpenOnlyWebAddresses()
{
    QFETCH(QString, url);
    QFETCH(bool, opened);

    // The same address behind a list entry and behind a button that opens it directly.
    const QJsonObject entry {{"text", "oversea_home"}, {"icon_normal", ":/homeBtn/homeBtn/arrow-right.png"},
        {"url", url}, {"btnEnable", "true"}};
    const QJsonObject buttons {
        {"OVERSEA_HOME", QJsonObject {{"action", "2"}, {"qrcodeUrl", ""}, {"buttons_en", QJsonArray {entry}}}},
        {"DISCORD", QJsonObject {{"action", "3"}, {"qrcodeUrl", ""}, {"buttons_en", QJsonArray {entry}}}},
    };
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("buttons.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(buttons).toJson());
    file.close();

    Stage stage(1, file.fileName());
    QVERIFY(QTest::qWaitForWindowExposed(&stage.window));
    m_opened.clear();
    if (!opened) {
        // Refused when the document is read: nothing to click.
        QCOMPARE(stage.view->popupArea()->findChildren<QWidget *>(QStringLiteral("homeLinkRow")).size(), 0);
        QVERIFY(!stage.button(QStringLiteral("DISCORD")));
        return;
    }

    stage.moveTo(stage.inWindow(stage.button(QStringLiteral("OVERSEA_HOME"))));
    QTRY_VERIFY(stage.view->popupArea()->isVisible());
    auto *row = stage.view->popupArea()->currentWidget()->findChild<QWidget *>(QStringLiteral("homeLinkRow"));
    stage.moveTo(stage.inWindow(row));
    stage.click(stage.inWindow(row));
    QCOMPARE(m_opened, QList<QUrl>({QUrl(url)}));

    QSignalSpy clicked(stage.view, &HomeView::buttonClicked);
    stage.click(stage.inWindow(stage.button(QStringLiteral("DISCORD"))));
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(m_opened, QList<QUrl>({QUrl(url), QUrl(url)}));
}

void HomeViewTest::documentIsReadSafely_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("edition");
    QTest::addColumn<QStringList>("buttons"); // "id action url url ..."
    QTest::addColumn<QString>("logged");

    const QByteArray icons = R"("icons": {"icon_normal": "n.png", "icon_hover": "h.png"})";
    const auto link = [](const char *url, const char *enabled = "true") {
        return QByteArray(R"({"text": "t", "url": ")") + url + R"(", "btnEnable": ")" + enabled + R"("})";
    };
    const auto korea = [&](const QByteArray &home, const QByteArray &cafe) {
        return "{\"OVERSEA_HOME\": {" + icons + R"(, "action": "2", "buttons_kor": [)" + home + "]}, \"CAFE\": {"
            + icons + R"(, "action": "3", "buttons_kor": [)" + cafe + "]}}";
    };
    const QString missing = QStringLiteral("\"TWITTER\" is not in");

    QTest::newRow("sound") << korea(link("https://a.example/") + "," + link("", "false"), link("http://c.example/"))
                           << 3 << QStringList {"OVERSEA_HOME 2 https://a.example/ ", "CAFE 3 http://c.example/"}
                           << missing;
    QTest::newRow("bad JSON") << QByteArray(R"({"OVERSEA_HOME": {)") << 3 << QStringList() << "cannot be read";
    QTest::newRow("not an object") << QByteArray("[1, 2]") << 3 << QStringList() << "not an object";
    QTest::newRow("unknown edition") << korea(link("https://a.example/"), link("https://c.example/")) << 7
                                     << QStringList() << "no buttons for edition 7";
    QTest::newRow("no action opens its first address")
        << QByteArray(R"({"YOUTUBE": {"buttons_kor": [)" + link("https://y.example/") + "]}}") << 3
        << QStringList {"YOUTUBE 3 https://y.example/"} << "unknown action \"\"";
    QTest::newRow("no links") << QByteArray(R"({"OVERSEA_HOME": {"action": "2"}})") << 3
                              << QStringList {"OVERSEA_HOME 2"} << missing;
    const std::pair<const char *, const char *> refused[] = {{"local file", "file:///etc/passwd"},
        {"script", "javascript:alert(1)"}, {"ftp", "ftp://f.example/x"}, {"no host", "https:relative"}, {"empty", ""}};
    for (const auto &[name, url] : refused) {
        QTest::newRow(name) << korea(link(url) + "," + link("https://b.example/"), link(url)) << 3
                            << QStringList {"OVERSEA_HOME 2 https://b.example/"} << "not a web address";
    }
    QTest::newRow("open button without links")
        << korea(link("https://a.example/"), "") << 3 << QStringList {"OVERSEA_HOME 2 https://a.example/"}
        << "\"CAFE\" has no address to open";
    QTest::newRow("mainland site as a QR code")
        << QByteArray(R"({"OVERSEA_HOME": {"action": "2", "qrcodeUrl": "https://q.example/", "buttons_cn": [)"
               + link("https://a.example/") + "]}}")
        << 0 << QStringList {"OVERSEA_HOME 1 https://a.example/"} << "\"TAPTAP\" is not in";
}

void HomeViewTest::documentIsReadSafely()
{
    QFETCH(QByteArray, json);
    QFETCH(int, edition);
    QFETCH(QStringList, buttons);
    QFETCH(QString, logged);

    static QStringList log;
    log.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { log.append(message); });
    const QVector<HomeButton> read = HomeButtonDocument::parse(json, edition, QStringLiteral("doc.json"));
    qInstallMessageHandler(previous);

    QStringList shown;
    for (const HomeButton &button : read) {
        QStringList fields {button.id, QString::number(int(button.action))};
        for (const HomeLink &link : button.links)
            fields << link.url;
        shown << fields.join(QLatin1Char(' '));
    }
    QCOMPARE(shown, buttons);
    QVERIFY2(log.join(QLatin1Char('\n')).contains(logged), qPrintable(log.join(QLatin1Char('\n'))));
}

void HomeViewTest::shippedDocumentIsSound()
{
    // The deployed addresses are data: a typing error there must not go unnoticed.
    for (int edition = 0; edition < 4; ++edition) {
        static QStringList log;
        log.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { log.append(message); });
        const QVector<HomeButton> read = HomeButtonDocument::read(HomeButtonDocument::kResource, edition);
        qInstallMessageHandler(previous);
        QCOMPARE(read.size(), HomeButtonDocument::editionButtons(edition).size());
        QVERIFY2(log.isEmpty(), qPrintable(log.join(QLatin1Char('\n'))));
    }
}

void HomeViewTest::clicksBesideButtonsReachWindowBelow_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("target");

    // Over the install display, which the view's strip reaches down to.
    QTest::newRow("transparent strip") << QString() << "strip";
    QTest::newRow("between two buttons") << QString() << "gap";
    QTest::newRow("side button") << QString() << "button";
    QTest::newRow("unreadable document") << "/nonexistent/buttons.json"
                                         << "strip";
}

void HomeViewTest::clicksBesideButtonsReachWindowBelow()
{
    QFETCH(QString, document);
    QFETCH(QString, target);

    if (!document.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Home buttons: cannot open")));
    Stage stage(3, document);
    QVERIFY(QTest::qWaitForWindowExposed(&stage.window));
    QSignalSpy belowClicked(stage.below, &QPushButton::clicked);
    QSignalSpy viewClicked(stage.view, &HomeView::buttonClicked);

    QPoint point = stage.inWindow(stage.view, QPoint(250, 530));
    if (target != QLatin1String("strip")) {
        const QVector<QPushButton *> buttons = stage.view->sideButtons();
        QVERIFY(buttons.size() >= 2);
        point = target == QLatin1String("button") ? stage.inWindow(buttons.at(1))
                                                  : (stage.inWindow(buttons.at(0)) + stage.inWindow(buttons.at(1))) / 2;
    }
    stage.click(point);

    if (target == QLatin1String("button")) {
        QTRY_COMPARE(viewClicked.count(), 1);
        QCOMPARE(viewClicked.at(0).at(0).toString(), QStringLiteral("CAFE"));
        QCOMPARE(belowClicked.count(), 0);
    } else {
        QTRY_COMPARE(belowClicked.count(), 1);
        QCOMPARE(viewClicked.count(), 0);
    }
}

// A popup reached by the keyboard works like a menu: Down from its button goes
// into its links and from link to link, Escape goes back, and the popup stays
// while the keyboard is in it and goes when the keyboard leaves.
void HomeViewTest::popupLinksByKeyboard()
{
    Stage stage(1);
    QVERIFY(QTest::qWaitForWindowExposed(&stage.window));
    QApplication::setActiveWindow(&stage.window);
    QVERIFY(QTest::qWaitForWindowActive(&stage.window));
    QPushButton *button = stage.view->sideButtons().value(0);
    QVERIFY(button);
    button->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(stage.view->popupArea()->isVisible());

    QTest::keyClick(button, Qt::Key_Down);
    QWidget *first = QApplication::focusWidget();
    QVERIFY(first && first != button && stage.view->popupArea()->isAncestorOf(first));
    QVERIFY(!first->accessibleName().isEmpty());
    QTest::keyClick(first, Qt::Key_Down);
    QWidget *second = QApplication::focusWidget();
    QVERIFY(second != first && stage.view->popupArea()->isAncestorOf(second));
    QTest::qWait(400); // past the hide delay: the keyboard keeps the popup
    QVERIFY(stage.view->popupArea()->isVisible());
    QTest::keyClick(second, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), button);

    stage.below->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!stage.view->popupArea()->isVisible());
}

QTEST_MAIN(HomeViewTest)
#include "tst_homeview.moc"
