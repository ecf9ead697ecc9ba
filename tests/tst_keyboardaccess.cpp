#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "home/bannercarousel.h"
#include "home/h5eventwidget.h"
#include "install/gamefiles.h"
#include "launch/gamelauncher.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/launcherroot.h"
#include "mainwindow/mainwindow.h"
#include "settings/closeappmodel.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "update/updatedialog.h"
#include "widgets/keyboardfocus.h"
#include "widgets/qmlhostdialog.h"
#include "widgets/trianglewidget.h"
#include "widgets/uiresources.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTranslator>

#include <memory>
#include <signal.h>

// The launcher for people who use a screen reader or only the keyboard: every
// control of the window, its dialogs and its settings pages is named, and a
// whole session (install, play, settings, close) runs on keys alone.
namespace {

const Tree kGame {
    {QStringLiteral("quillmere"), "#!/bin/sh\nexec sleep 60\n"},
    {QStringLiteral("quillmere_version.ini"), "1.0.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(40000, 1)},
};
constexpr int kInstallMs = 30000;

bool interactive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::Link:
    case QAccessible::PageTab:
    case QAccessible::ProgressBar:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface *iface)
{
    QObject *object = iface->object();
    return QStringLiteral("%1 role %2 (%3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"))
        .arg(int(iface->role()))
        .arg(object ? object->objectName() : QString());
}

// The interactive controls below `iface` that a screen reader could not
// name, and progress bars that do not tell their value; a QML page is
// walked through its own window.
void collectFaults(QAccessibleInterface *iface, QStringList *faults, int depth = 0)
{
    if (!iface || depth > 40)
        return;
    if (interactive(iface->role())) {
        if (iface->text(QAccessible::Name).trimmed().isEmpty())
            *faults << QStringLiteral("unnamed ") + describe(iface);
        if (iface->role() == QAccessible::ProgressBar
            && (!iface->valueInterface() || !iface->valueInterface()->currentValue().isValid()))
            *faults << QStringLiteral("no value ") + describe(iface);
    }
    if (auto *view = qobject_cast<QQuickWidget *>(iface->object()))
        collectFaults(QAccessible::queryAccessibleInterface(view->quickWindow()), faults, depth + 1);
    for (int i = 0; i < iface->childCount(); ++i)
        collectFaults(iface->child(i), faults, depth + 1);
}

// The ember ring a QML control draws while it has the keyboard.
bool ringShown(QQuickItem *item)
{
    for (QQuickItem *child : item->childItems()) {
        if (child->property("keyboardFocus").isValid())
            return child->isVisible();
    }
    return false;
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

// A key pressed where the keyboard is, as a person presses it.
bool press(Qt::Key key)
{
    QWidget *target = focused();
    if (!target) {
        QTest::qFail("no widget has the keyboard", __FILE__, __LINE__);
        return false;
    }
    QTest::keyClick(target, key);
    return true;
}

} // namespace

class TestKeyboardAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void keyboardOnlyJourney();
    void eventPlateIsAButtonForTheKeyboard();
    void bannerTurnsByKeyboard();

private:
    // Tab until `done` holds; false after a whole round without it.
    bool tabUntil(const std::function<bool()> &done);
    QQuickItem *tabInPageUntil(QQuickWidget *page, const QString &name);

    QTranslator m_translator;
    QTemporaryDir m_content;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<PublisherProcess> m_publisher;
    std::unique_ptr<LauncherRoot> m_root;
    MainWindow *m_window = nullptr;
};

void TestKeyboardAccess::initTestCase()
{
    quillmereInitUiResources();
    QAccessible::setActive(true);
    QVERIFY(m_translator.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_translator);
    QString output;
    QVERIFY2(PublisherProcess::makeContent(m_content.path(), {{QStringLiteral("1.0.0"), kGame}}, {}, &output),
        qPrintable(output));
    m_env = std::make_unique<TestEnv>(1);
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
    LauncherConfig::instance()->setLanguageIndex(1);
    LauncherRoot::Overrides overrides;
    overrides.serviceBase = m_publisher->baseUrl();
    overrides.trayAvailable = [] {
        return true;
    };
    m_root = std::make_unique<LauncherRoot>(std::move(overrides));
    m_window = m_root->window();
    m_window->gameLauncher()->setWatchDelay(0);
    QTRY_VERIFY(m_root->settings()->isFilled());
}

void TestKeyboardAccess::cleanupTestCase()
{
    m_root.reset();
    m_publisher.reset();
    m_env.reset();
}

bool TestKeyboardAccess::tabUntil(const std::function<bool()> &done)
{
    for (int i = 0; i < 40 && !done(); ++i) {
        if (!press(Qt::Key_Tab))
            return false;
    }
    return done();
}

QQuickItem *TestKeyboardAccess::tabInPageUntil(QQuickWidget *page, const QString &name)
{
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(page, Qt::Key_Tab);
        QQuickItem *item = page->quickWindow()->activeFocusItem();
        if (item && item->property("text").toString() == name)
            return item;
    }
    return nullptr;
}

// Install, play, change a setting and close the launcher with the keyboard
// alone: the keys go where the focus is, which starts on the main button and
// follows it, and the ring is drawn where the keys go.
void TestKeyboardAccess::keyboardOnlyJourney()
{
    MainWindow *window = m_window;
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::GetGame, 10000);
    auto *install = child<QPushButton>(window, "pushButton_install");
    QTRY_COMPARE(focused(), install);

    // Tab goes round every control of the window and comes back; the ring follows.
    QSet<QWidget *> reached;
    do {
        press(Qt::Key_Tab);
        QTRY_COMPARE(KeyboardFocus::ringTarget(), focused());
        reached.insert(focused());
    } while (focused() != install && reached.size() < 60);
    for (const char *name : {"pushButton_setting", "pushButton_min", "pushButton_close", "pushButton_install"})
        QVERIFY2(reached.contains(child<QWidget>(window, name)), name);

    press(Qt::Key_Return);
    DownloadPathSettingDialog *where = window->downloadPathDialog();
    QTRY_VERIFY(where && where->isVisible());
    QTRY_COMPARE(focused(), child<QWidget>(where, "pushButton_pathdownload"));
    press(Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::Play, kInstallMs);
    // The window system gives the keyboard back to the window the dialog closed over.
    QApplication::setActiveWindow(window);
    QTRY_COMPARE(focused(), child<QWidget>(window, "pushButton_playgame"));

    QSignalSpy watched(window->gameLauncher(), &GameLauncher::watched);
    press(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!watched.isEmpty(), 10000);
    QCOMPARE(::kill(pid_t(window->gameLauncher()->processId()), SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(window->isVisible() && !window->isMinimized(), 10000);
    QApplication::setActiveWindow(window); // the window system's part

    // The settings: the notification switch by Space, the page closed by Escape.
    QVERIFY(tabUntil([window] { return focused() == child<QWidget>(window, "pushButton_setting"); }));
    press(Qt::Key_Space);
    auto *settings = window->findChild<SettingQtDialog *>();
    QTRY_VERIFY(settings && settings->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(settings));
    QTRY_COMPARE(focused(), settings->view());
    const QString notifications = QCoreApplication::translate("KVSettings4General", "Enable Launcher Notification");
    QQuickItem *toggle = tabInPageUntil(settings->view(), notifications);
    QVERIFY(toggle);
    QVERIFY(ringShown(toggle));
    QVERIFY(m_root->settings()->notificationEnable());
    press(Qt::Key_Space);
    QTRY_VERIFY(!m_root->settings()->notificationEnable());
    press(Qt::Key_Escape);
    QTRY_VERIFY(!settings->isVisible());

    // Close: the question, its second choice and its confirming button, by keys.
    QApplication::setActiveWindow(window);
    QVERIFY(tabUntil([window] { return focused() == child<QWidget>(window, "pushButton_close"); }));
    QSignalSpy quits(window, &MainWindow::quitRequested);
    press(Qt::Key_Return);
    QmlHostDialog *question = nullptr;
    QTRY_VERIFY((question = window->closeBehaviour()->closeQuestion()) && question->isVisible());
    question->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(question));
    QTRY_COMPARE(focused(), question->view());
    QVERIFY(tabInPageUntil(question->view(), QCoreApplication::translate("CloseAppDialog", "closeRadioTips")));
    QTest::keyClick(question->view(), Qt::Key_Space);
    QVERIFY(tabInPageUntil(question->view(), QCoreApplication::translate("CloseAppDialog", "Confirm")));
    QTest::keyClick(question->view(), Qt::Key_Return);
    QTRY_COMPARE(quits.count(), 1);
}

void TestKeyboardAccess::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("shown");
    for (const char *shown : {"main window", "play settings menu", "notice", "question", "settings tip",
             "install location", "clearing", "settings pages", "close question", "launcher update", "notice page"})
        QTest::newRow(shown) << QString::fromLatin1(shown);
}

// Each control a screen reader meets says what it is: the window with all its
// state pages, every dialog, every settings section.
void TestKeyboardAccess::everyControlIsNamed()
{
    QFETCH(QString, shown);
    MainWindow *window = m_window;
    std::unique_ptr<QObject> owned;
    QWidget *root = nullptr;
    if (shown == QLatin1String("main window")) {
        root = window;
    } else if (shown == QLatin1String("play settings menu")) {
        root = window->findChild<TriangleWidget *>();
    } else if (shown == QLatin1String("notice")) {
        root = new WarningDialogWithSingleButton(QStringLiteral("A notice"), window);
    } else if (shown == QLatin1String("question")) {
        root = new WarningDialogwithDoublebutton(QStringLiteral("A question?"), window);
    } else if (shown == QLatin1String("settings tip")) {
        auto *tip = new SettingCommonDialog(window, Qt::Dialog | Qt::FramelessWindowHint, QStringLiteral("A tip"));
        tip->setCallbacks([] {}, [] {});
        root = tip;
    } else if (shown == QLatin1String("install location")) {
        window->showDownloadPathSettingDialog();
        root = window->downloadPathDialog();
    } else if (shown == QLatin1String("clearing")) {
        DeleteGameResourceDialog::Request refused;
        refused.busy = true; // nothing is deleted here
        root = new DeleteGameResourceDialog(refused, window, Qt::Dialog | Qt::FramelessWindowHint);
    } else if (shown == QLatin1String("settings pages")) {
        emit window->settingsRequested(true);
        root = window->findChild<SettingQtDialog *>();
    } else if (shown == QLatin1String("close question")) {
        root = showCloseAppDialog(window, new CloseAppModel);
    } else {
        auto *model = new UpdateDialog;
        owned.reset(model);
        model->setUpdateMessage(QStringLiteral("Notes"));
        auto *page = new QmlHostDialog(window);
        page->setContextProperty(QStringLiteral("updateDialog"), model);
        const bool notice = shown == QLatin1String("notice page");
        QVERIFY(page->load(QUrl(notice ? QStringLiteral("qrc:/Dialog/qml/KVNoticePage.qml")
                                       : QStringLiteral("qrc:/Dialog/qml/UpdateDialog.qml"))));
        page->openOver(window);
        root = page;
    }
    QVERIFY(root);
    QPointer<QWidget> guard(root);
    // Hidden parts are walked too: the state pages the window is not showing.
    if (root->isWindow() && qobject_cast<QDialog *>(root))
        root->show();

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(root);
    QVERIFY(iface);
    if (root != window && qobject_cast<QDialog *>(root))
        QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), "the dialog has no title");
    QStringList faults;
    collectFaults(iface, &faults);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    if (auto *dialog = qobject_cast<QDialog *>(root))
        dialog->reject();
    const bool kept = root == window || qobject_cast<SettingQtDialog *>(root) || root == window->downloadPathDialog()
        || qobject_cast<TriangleWidget *>(root);
    if (guard && !kept)
        delete guard.data();
}

// The home page's event plate is drawn by hand: it must still be a named
// button that Tab reaches and Enter and Space press.
void TestKeyboardAccess::eventPlateIsAButtonForTheKeyboard()
{
    H5EventWidget plate;
    QVERIFY(plate.focusPolicy() & Qt::TabFocus);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&plate);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    QVERIFY(!iface->text(QAccessible::Name).trimmed().isEmpty());
    QSignalSpy pressed(&plate, &H5EventWidget::onclick);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(&plate, key);
    QCOMPARE(pressed.count(), 2);
}

// The banner picture takes the keyboard and the arrow keys turn it, both ways round.
void TestKeyboardAccess::bannerTurnsByKeyboard()
{
    BannerCarousel banner;
    banner.setItems({{QStringLiteral("https://a.example"), QString()}, {QStringLiteral("https://b.example"), QString()},
        {QStringLiteral("https://c.example"), QString()}});
    QWidget *picture = banner.imageArea();
    QVERIFY(picture->focusPolicy() & Qt::TabFocus);
    QVERIFY(!picture->accessibleName().isEmpty());
    QTest::keyClick(picture, Qt::Key_Right);
    QCOMPARE(banner.currentIndex(), 1);
    QTest::keyClick(picture, Qt::Key_Left);
    QTest::keyClick(picture, Qt::Key_Left);
    QCOMPARE(banner.currentIndex(), 2);
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
