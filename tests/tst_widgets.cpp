#include "widgets/animatedbutton.h"
#include "widgets/basewidget.h"
#include "widgets/keyboardfocus.h"
#include "widgets/sidehidinglabel.h"
#include "widgets/trianglewidget.h"
#include "widgets/windowcover.h"
#include "widgets/windowshape.h"

#include <QDialog>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

// The toolkit's behaviours that windows rely on: dragging a frameless window
// by its drag areas, a jitter that leaves the button where it was, a
// side-hiding label that rests against the right edge of its parent, rounded
// windows cut to their outline where translucency shows black, and a dialog's
// cover that never shows a window no longer there.
class WidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void dragMovesWindowOnlyFromDragAreas_data();
    void dragMovesWindowOnlyFromDragAreas();
    void jitterReturnsToRest();
    void sideHidingLabelRests_data();
    void sideHidingLabelRests();
    void translucentWindowCutToOutline_data();
    void translucentWindowCutToOutline();
    void coverForgetsHiddenWindow();
    void modalDialogTakesTheFocusBack();
};

namespace {

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &local)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

void WidgetsTest::dragMovesWindowOnlyFromDragAreas_data()
{
    QTest::addColumn<bool>("onDragArea");
    QTest::newRow("title strip") << true;
    QTest::newRow("body") << false;
}

void WidgetsTest::dragMovesWindowOnlyFromDragAreas()
{
    QFETCH(bool, onDragArea);

    BaseWidget window;
    window.resize(400, 300);
    auto *title = new QWidget(&window);
    title->setGeometry(0, 0, 400, 40);
    auto *body = new QWidget(&window);
    body->setGeometry(0, 40, 400, 260);
    window.addDragArea(title);
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint start = window.pos();

    // Offscreen there is no window system to move the window, so this also
    // runs the by-hand path that follows the mouse.
    QWidget *target = onDragArea ? title : body;
    sendMouse(target, QEvent::MouseButtonPress, QPoint(10, 10));
    sendMouse(target, QEvent::MouseMove, QPoint(60, 30));
    sendMouse(target, QEvent::MouseButtonRelease, QPoint(60, 30));
    sendMouse(target, QEvent::MouseMove, QPoint(90, 90));

    QCOMPARE(window.pos(), onDragArea ? start + QPoint(50, 20) : start);
}

void WidgetsTest::jitterReturnsToRest()
{
    QWidget parent;
    parent.resize(300, 200);
    auto *button = new AnimatedButton(QStringLiteral("Play"), &parent);
    button->setGeometry(50, 60, 120, 40);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy finished(button, &AnimatedButton::jitterFinished);

    button->jitter();
    // Asked again while shaken off its place: it must still come to rest
    // where it started, not where the second request found it.
    QTRY_VERIFY(button->pos() != QPoint(50, 60));
    button->jitter();

    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(button->pos(), QPoint(50, 60));
    QVERIFY(!button->isJittering());
}

void WidgetsTest::sideHidingLabelRests_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<QPoint>("out");
    QTest::addColumn<QPoint>("in");

    // Parent 400 x 300, label 100 x 40 at (150, 130), 12 px left to hover.
    QTest::newRow("right") << int(Qt::RightEdge) << QPoint(388, 130) << QPoint(300, 130);
    QTest::newRow("left") << int(Qt::LeftEdge) << QPoint(-88, 130) << QPoint(0, 130);
    QTest::newRow("bottom") << int(Qt::BottomEdge) << QPoint(150, 288) << QPoint(150, 260);
}

void WidgetsTest::sideHidingLabelRests()
{
    QFETCH(int, edge);
    QFETCH(QPoint, out);
    QFETCH(QPoint, in);

    QWidget parent;
    parent.resize(400, 300);
    auto *label = new SideHidingLabel(&parent, Qt::Edge(edge));
    label->setGeometry(150, 130, 100, 40);
    label->setPeek(12);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy finished(label, &SideHidingLabel::slideFinished);

    label->slideOut();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(label->pos(), out);
    QCOMPARE(finished.at(0).at(0).toBool(), false);

    label->slideIn();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(label->pos(), in);
}

void WidgetsTest::translucentWindowCutToOutline_data()
{
    QTest::addColumn<bool>("translucencyShown");
    QTest::newRow("compositor runs") << true;
    QTest::newRow("no compositor") << false;
}

void WidgetsTest::translucentWindowCutToOutline()
{
    QFETCH(bool, translucencyShown);

    // The play settings' pop-up: a rounded panel with a pointer under it
    // (x 103 to 113, ten pixels high, its tip at x 108).
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::ToolTip);
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.resize(128, 124);
    WindowShape::keepOutline(
        &window, [&window] { return TriangleWidget::outline(QRectF(window.rect())); }, {},
        [translucencyShown](const QWidget *) { return translucencyShown; });
    window.show();
    // Cut again at the new size.
    window.resize(150, 140);

    const QRegion mask = window.mask();
    if (translucencyShown) {
        QVERIFY(mask.isEmpty());
        return;
    }
    const int right = 149;
    const int panelBottom = 129;
    const QVector<QPoint> in = {{75, 65}, {0, 65}, {right, 65}, {75, 0}, {75, panelBottom}, {108, 137}};
    const QVector<QPoint> out = {{0, 0}, {right, 0}, {0, panelBottom}, {right, panelBottom}, {101, 137}, {115, 137}};
    for (const QPoint &point : in)
        QVERIFY2(mask.contains(point), qPrintable(QStringLiteral("(%1, %2) cut off").arg(point.x()).arg(point.y())));
    for (const QPoint &point : out)
        QVERIFY2(!mask.contains(point), qPrintable(QStringLiteral("(%1, %2) kept").arg(point.x()).arg(point.y())));
}

void WidgetsTest::coverForgetsHiddenWindow()
{
    QWidget window;
    window.resize(200, 100);
    QPalette red = window.palette();
    red.setColor(QPalette::Window, Qt::red);
    window.setPalette(red);
    window.setAutoFillBackground(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QDialog dialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint);
    dialog.resize(200, 100);
    WindowCover::paintBeneath(&dialog, &window);
    QCOMPARE(dialog.grab().toImage().pixelColor(10, 10), QColor(Qt::red));

    // Opened again from the tray: the window is gone, so is its picture.
    window.hide();
    WindowCover::paintBeneath(&dialog, &window);
    QCOMPARE(dialog.grab().toImage().pixelColor(10, 10).alpha(), 0);
}

// The window manager may give the focus to the window beneath an open modal
// dialog (the main window mapped just after a dialog opened over it): the
// dialog takes it back, or the player's keys would go nowhere.
void WidgetsTest::modalDialogTakesTheFocusBack()
{
    KeyboardFocus::install();
    QWidget window;
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QDialog dialog(&window);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    window.activateWindow();
    QTRY_VERIFY(window.isActiveWindow() || dialog.isActiveWindow());
    QTRY_VERIFY(dialog.isActiveWindow());
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog, Qt::Key_Escape);
    QCOMPARE(rejected.count(), 1);
}

QTEST_MAIN(WidgetsTest)

#include "tst_widgets.moc"
