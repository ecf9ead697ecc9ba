#include "mainwindow/uiresources.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

struct LangButtons
{
    const char *lang;
    const char *prefix;
    const char *suffix;
};

// The main buttons' "lang" values and the picture names the window builds from them.
const LangButtons kLangs[] = {
    {"zh_CN", ":/cn/cn_btn_", ""},
    {"en_US", ":/en/en/en_btn_", ".png"},
    {"jp_JP", ":/jp/jp/jp_btn_", ".png"},
    {"kor_KOR", ":/ko/ko/ko_btn_", ".png"},
    {"gt_GT", ":/ft/ft/ft_btn_", ".png"},
};

const QPair<const char *, const char *> kMainButtons[] = {
    {"pushButton_install", "getgame"},
    {"pushButton_playgame", "playgame"},
    {"pushButton_update", "updategame"},
    {"pushButton_needToUnzip", "unzipgame"},
};

QString mainButtonPicture(const LangButtons &lang, const char *button, const char *state)
{
    return QStringLiteral("%1%2_%3%4").arg(lang.prefix, button, state, lang.suffix);
}

// Every other picture the windows name, with the size the widget shows it at.
QMap<QString, QSize> namedPictures()
{
    QMap<QString, QSize> sizes;
    const QSize window(1280, 720);
    for (const char *name : {"mainwindow_cn", "mainwindow_en", "mainwindow_en.png", "mainwindow_jp", "mainwindow_kr"})
        sizes.insert(QStringLiteral(":/mainwindow/%1").arg(name), window);
    const QList<QPair<QString, QSize>> single = {
        {":/mainwindow/cn_textlogo_white", {190, 76}},
        {":/mainwindow/textlogo", {180, 54}},
        {":/mainwindow/textjplogo", {270, 60}},
        {":/mainwindow/textkrlogo", {270, 60}},
        {":/mainwindow/icon-32.ico", {32, 32}},
        {":/mainwindow/title_icon", {28, 28}},
        {":/mainwindow/dialog_bg", {567, 308}},
        {":/mainwindow/downloadpathdialog_filebg", {480, 40}},
        {":/mainwindow/icon_error", {22, 18}},
        {":/mainwindow/messageBomBackImage.png", {460, 90}},
        {":/mainwindow/messageicon-1024.png", {1024, 1024}},
        {":/mainwindow/messageclosebtn.png", {25, 25}},
        {":/homeBtn/homeBtn/qrcode_border_home.png", {160, 170}},
        {":/homeBtn/homeBtn/arrow-right.png", {20, 20}},
        {":/homeBtn/homeBtn/arrow-right-hover.png", {20, 20}},
        {":/homeBtn/homeBtn/banner/icon_prev.png", {30, 30}},
        {":/homeBtn/homeBtn/banner/icon_next.png", {30, 30}},
    };
    for (const auto &entry : single)
        sizes.insert(entry.first, entry.second);
    const QList<QPair<QString, QSize>> states = {
        {":/mainwindow/btn_playsetting_%1", {70, 77}},
        {":/mainwindow/btn_setting_%1", {36, 36}},
        {":/mainwindow/btn_min_%1", {36, 36}},
        {":/mainwindow/btn_close_%1", {36, 36}},
        {":/mainwindow/btn_dialogclose_%1", {36, 36}},
        {":/mainwindow/btn_download_pause_%1", {51, 51}},
        {":/mainwindow/btn_download_resume_%1", {51, 51}},
        {":/mainwindow/btn_dialogconfirm_%1", {234, 72}},
        {":/mainwindow/btn_dialogcancel_%1", {234, 72}},
        {":/mainwindow/btn_change_InstallDir_%1", {156, 44}},
    };
    for (const auto &entry : states)
        for (const char *state : {"normal", "hover", "press"})
            sizes.insert(entry.first.arg(state), entry.second);
    // The dialogs' plates also have a face for a disabled button.
    for (const char *plate : {"btn_dialogconfirm", "btn_dialogcancel"})
        sizes.insert(QStringLiteral(":/mainwindow/%1_disabled").arg(plate), {234, 72});
    for (const char *state : {"normal", "hover", "pressed"}) {
        sizes.insert(QStringLiteral(":/mainwindow/h5_event_btn_%1.png").arg(state), {240, 60});
        sizes.insert(QStringLiteral(":/mainwindow/arrow_icon_doubleright_%1.png").arg(state), {20, 20});
    }
    for (const char *link : {"korvane", "tap", "wechat", "bilibili", "qq", "weibo", "aihelp", "license", "discord",
             "twitter", "youtube", "line", "douyin", "facebook", "cafe"})
        for (const char *state : {"normal", "hover"})
            sizes.insert(QStringLiteral(":/homeBtn/homeBtn/%1_icon_%2.png").arg(link, state), {35, 35});
    return sizes;
}

QStringList sheetPictures(const QString &sheet)
{
    QFile file(sheet);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList urls;
    auto it = QRegularExpression(QStringLiteral("url\\(([^)]+)\\)")).globalMatch(QString::fromUtf8(file.readAll()));
    while (it.hasNext())
        urls.append(it.next().captured(1));
    urls.removeDuplicates();
    return urls;
}

// What the style sheet should paint: the picture over the button's background.
QImage expectedButton(const QImage &grabbed, const QString &picture)
{
    QImage expected(grabbed.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(grabbed.pixelColor(0, 0));
    QPainter painter(&expected);
    painter.drawPixmap(0, 0, QPixmap(picture));
    return expected;
}

bool sameImage(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            if (qAbs(qRed(p) - qRed(q)) > 2 || qAbs(qGreen(p) - qGreen(q)) > 2 || qAbs(qBlue(p) - qBlue(q)) > 2)
                return false;
        }
    return true;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void picturesLoadAtTheirSize_data();
    void picturesLoadAtTheirSize();
    void mainButtonsFollowTheirLanguage_data();
    void mainButtonsFollowTheirLanguage();
    void koreanFontLoads();
};

void TestResources::initTestCase()
{
    quillmereInitUiResources();
}

void TestResources::picturesLoadAtTheirSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const QMap<QString, QSize> named = namedPictures();
    for (auto it = named.cbegin(); it != named.cend(); ++it)
        QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    for (const LangButtons &lang : kLangs)
        for (const auto &button : kMainButtons)
            for (const char *state : {"normal", "hover", "press"}) {
                const QString name = mainButtonPicture(lang, button.second, state);
                QTest::newRow(qPrintable(name)) << name << QSize(283, 81);
            }
    // A picture only the style sheets name must be listed above, with its size.
    for (const char *sheet : {":/mainwindow/launcher.css", ":/homeBtn/HomeviewButton.qss"})
        for (const QString &url : sheetPictures(QString::fromLatin1(sheet)))
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(sheet).mid(2), url)))
                << url << named.value(url, QSize(283, 81));
}

void TestResources::picturesLoadAtTheirSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QPixmap pixmap(name);
    QVERIFY2(!pixmap.isNull(), qPrintable(name));
    QCOMPARE(pixmap.size(), size);
}

void TestResources::mainButtonsFollowTheirLanguage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("normal");
    QTest::addColumn<QString>("pressed");
    for (const LangButtons &lang : kLangs)
        for (const auto &button : kMainButtons)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(lang.lang, button.first)))
                << lang.lang << button.first << mainButtonPicture(lang, button.second, "normal")
                << mainButtonPicture(lang, button.second, "press");
}

void TestResources::mainButtonsFollowTheirLanguage()
{
    QFETCH(QString, lang);
    QFETCH(QString, button);
    QFETCH(QString, normal);
    QFETCH(QString, pressed);
    const QString sheet = launcherStyleSheet(QStringLiteral("Noto Sans CJK SC"));
    QVERIFY(!sheet.contains(QLatin1String("$font-family$")));
    qApp->setStyleSheet(sheet);
    QPushButton widget;
    widget.setObjectName(button);
    widget.setProperty("lang", lang);
    widget.setFixedSize(283, 81);

    const QImage shown = widget.grab().toImage();
    QVERIFY2(sameImage(shown, expectedButton(shown, normal)), qPrintable(normal));
    widget.setDown(true);
    const QImage down = widget.grab().toImage();
    QVERIFY2(sameImage(down, expectedButton(down, pressed)), qPrintable(pressed));
}

void TestResources::koreanFontLoads()
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/NanumMyeongjoBold.ttf"));
    QVERIFY(id >= 0);
    QVERIFY(!QFontDatabase::applicationFontFamilies(id).isEmpty());
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
