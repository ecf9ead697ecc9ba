#include "api/serverurls.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/uiresources.h"
#include "support/testenv.h"
#include "update/appinstallplugin.h"
#include "widgets/hidpi.h"
#include "widgets/uiresources.h"

#include <QIcon>
#include <QLabel>
#include <QTranslator>
#include <QtTest>

#include <memory>

// The launcher on a screen of device pixel ratio two: its pictures are drawn
// from their twins at twice the size, never enlarged, and the main window
// shows every part whole.
class HighDpiTest : public QObject
{
    Q_OBJECT

public:
    // Before the application exists, as the launcher's start does.
    static void initMain()
    {
        qputenv("QT_SCALE_FACTOR", "2");
        HiDpi::prepareApplication();
    }

private slots:
    void initTestCase();
    void pictureHasItsTwin_data();
    void pictureHasItsTwin();
    void mainWindowIsSharpAndWhole_data();
    void mainWindowIsSharpAndWhole();

private:
    QTranslator m_english;
};

void HighDpiTest::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    quillmereInitUiResources();
    QVERIFY(m_english.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_english);
    qApp->setStyleSheet(launcherStyleSheet(QStringLiteral("Noto Sans")));
}

void HighDpiTest::pictureHasItsTwin_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("logical");
    const struct
    {
        const char *resource;
        QSize logical;
    } rows[] = {
        {":/en/en/en_btn_playgame_normal.png", {283, 81}},
        {":/cn/cn_btn_getgame_normal", {283, 81}},
        {":/mainwindow/mainwindow_en", {1280, 720}},
        {":/mainwindow/textlogo", {180, 54}},
        {":/mainwindow/btn_close_normal", {36, 36}},
        {":/mainwindow/btn_download_pause_normal", {51, 51}},
        {":/mainwindow/dialog_bg", {567, 308}},
        {":/homeBtn/homeBtn/korvane_icon_normal.png", {35, 35}},
        {":/mainwindow/arrow_icon_doubleright_normal.png", {20, 20}},
        {":/mainwindow/trayicon.png", {32, 32}},
    };
    for (const auto &row : rows)
        QTest::newRow(row.resource) << QString::fromLatin1(row.resource) << row.logical;
}

// Style sheets, QIcon and Qt Quick take the twin by its name; code that
// loads a picture itself goes through HiDpi::picture().
void HighDpiTest::pictureHasItsTwin()
{
    QFETCH(QString, resource);
    QFETCH(QSize, logical);
    for (const QPixmap &pixmap : {QIcon(resource).pixmap(logical), HiDpi::picture(resource, 2.0)}) {
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixmap.size(), logical * 2);
    }
}

void HighDpiTest::mainWindowIsSharpAndWhole_data()
{
    QTest::addColumn<int>("edition");
    for (int edition = 0; edition < 4; ++edition)
        QTest::addRow("edition %d", edition) << edition;
}

void HighDpiTest::mainWindowIsSharpAndWhole()
{
    QFETCH(int, edition);
    TestEnv env(edition);
    // The home page's content from a service that is not there.
    const QString closed = QStringLiteral("http://127.0.0.1:9");
    Appinstallplugin plugin(ServerUrls(closed, closed, closed, closed), QStringLiteral("2.8.0"), nullptr, {});
    MainWindow::Collaborators c;
    c.launcherType = edition;
    c.home.appPlugin = &plugin;
    auto window = std::make_unique<MainWindow>(c);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->devicePixelRatioF(), 2.0);

    int pictures = 0;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        const QPixmap pixmap = label->pixmap(Qt::ReturnByValue);
        if (pixmap.isNull())
            continue;
        QVERIFY2(pixmap.devicePixelRatio() == 2.0, qPrintable(label->objectName()));
        ++pictures;
    }
    QVERIFY(pictures > 0);
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->isWindow())
            continue;
        const QWidget *parent = widget->parentWidget();
        QVERIFY2(parent->rect().contains(widget->geometry()),
            qPrintable(QStringLiteral("%1 %2 at (%3, %4) %5 x %6 leaves %7 (%8 x %9)")
                           .arg(QLatin1String(widget->metaObject()->className()), widget->objectName())
                           .arg(widget->x())
                           .arg(widget->y())
                           .arg(widget->width())
                           .arg(widget->height())
                           .arg(parent->objectName())
                           .arg(parent->width())
                           .arg(parent->height())));
    }
}

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
