#include "settings/commondialog.h"
#include "settings/settingcommondialog.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "widgets/uiresources.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

// The message dialogs: which signal each button sends, which buttons are
// shown, and that the blocking question survives its dialog's deletion.
class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quillmereInitUiResources(); }

    void warningDialogButtons_data();
    void warningDialogButtons();
    void settingDialogButtons_data();
    void settingDialogButtons();
    void commonDialogAnswers_data();
    void commonDialogAnswers();
};

namespace {

QPushButton *button(QWidget *dialog, const QString &name)
{
    auto *found = dialog->findChild<QPushButton *>(name);
    if (!found)
        qFatal("no button %s", qPrintable(name));
    return found;
}

} // namespace

void DialogsTest::warningDialogButtons_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<QString>("press"); // a button's name, or "Escape"
    QTest::addColumn<int>("cancels");
    QTest::addColumn<int>("confirms");
    QTest::addColumn<int>("clicks");

    QTest::newRow("question: close button") << false << "pushButton_close" << 0 << 0 << 0;
    QTest::newRow("question: Escape") << false << "Escape" << 0 << 0 << 0;
    QTest::newRow("question: cancel") << false << "pushButton_cancle" << 1 << 0 << 0;
    QTest::newRow("question: confirm") << false << "pushButton_confrim" << 0 << 1 << 0;
    QTest::newRow("notice: close button") << true << "pushButton_close" << 0 << 0 << 0;
    QTest::newRow("notice: confirm") << true << "pushbutton_dialog_confrim" << 0 << 0 << 1;
}

void DialogsTest::warningDialogButtons()
{
    QFETCH(bool, single);
    QFETCH(QString, press);
    QFETCH(int, cancels);
    QFETCH(int, confirms);
    QFETCH(int, clicks);

    std::unique_ptr<QDialog> dialog;
    std::unique_ptr<QSignalSpy> cancelSpy, confirmSpy, clickSpy;
    if (single) {
        auto *notice = new WarningDialogWithSingleButton(QStringLiteral("Disk full"));
        clickSpy = std::make_unique<QSignalSpy>(notice, &WarningDialogWithSingleButton::singleButtonClick);
        dialog.reset(notice);
    } else {
        auto *question = new WarningDialogwithDoublebutton(QStringLiteral("Quit?"));
        cancelSpy = std::make_unique<QSignalSpy>(question, &WarningDialogwithDoublebutton::dialogCancel);
        confirmSpy = std::make_unique<QSignalSpy>(question, &WarningDialogwithDoublebutton::dialogConfirm);
        dialog.reset(question);
    }
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

    if (press == QLatin1String("Escape"))
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
    else
        QTest::mouseClick(button(dialog.get(), press), Qt::LeftButton);

    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(cancelSpy ? cancelSpy->count() : 0, cancels);
    QCOMPARE(confirmSpy ? confirmSpy->count() : 0, confirms);
    QCOMPARE(clickSpy ? clickSpy->count() : 0, clicks);
}

void DialogsTest::settingDialogButtons_data()
{
    QTest::addColumn<bool>("withCancel");
    QTest::addColumn<bool>("withConfirm");
    QTest::addColumn<QString>("confirmAlso"); // what the confirm callback does besides: "wait", "close"
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("ran"); // the callbacks that ran, "c" cancel, "o" confirm
    QTest::addColumn<int>("result"); // -1: still open

    QTest::newRow("confirm only, confirm") << false << true << QString() << "pushButton_confrim"
                                           << "o" << int(SettingCommonDialog::Confirmed);
    QTest::newRow("both, cancel") << true << true << QString() << "pushButton_cancle"
                                  << "c" << int(SettingCommonDialog::Cancelled);
    QTest::newRow("both, close button") << true << true << QString() << "settingpushButton_close"
                                        << "" << int(SettingCommonDialog::Closed);
    QTest::newRow("no callbacks, close button") << false << false << QString() << "settingpushButton_close"
                                                << "" << int(SettingCommonDialog::Closed);
    QTest::newRow("confirm starts a wait") << true << true << "wait"
                                           << "pushButton_confrim"
                                           << "o" << -1;
    // Reported once, by the callback's own close.
    QTest::newRow("confirm closes it itself") << true << true << "close"
                                              << "pushButton_confrim"
                                              << "o" << int(SettingCommonDialog::Closed);
}

void DialogsTest::settingDialogButtons()
{
    QFETCH(bool, withCancel);
    QFETCH(bool, withConfirm);
    QFETCH(QString, confirmAlso);
    QFETCH(QString, press);
    QFETCH(QString, ran);
    QFETCH(int, result);

    QWidget window;
    window.resize(1280, 720);
    SettingCommonDialog dialog(&window, Qt::Dialog | Qt::FramelessWindowHint, QStringLiteral("Clear everything?"));
    QString calls;
    std::function<void()> onCancel, onConfirm;
    if (withCancel)
        onCancel = [&calls] {
            calls += QLatin1Char('c');
        };
    if (withConfirm) {
        onConfirm = [&] {
            calls += QLatin1Char('o');
            if (confirmAlso == QLatin1String("wait")) {
                dialog.setButtonTexts(QString(), QStringLiteral("Connecting..."));
                dialog.disableButtons();
            } else if (confirmAlso == QLatin1String("close")) {
                dialog.close();
            }
        };
    }
    dialog.setCallbacks(onCancel, onConfirm);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(button(&dialog, QStringLiteral("pushButton_cancle"))->isVisible(), withCancel);
    QCOMPARE(button(&dialog, QStringLiteral("pushButton_confrim"))->isVisible(), withConfirm);

    QTest::mouseClick(button(&dialog, press), Qt::LeftButton);
    if (result == -1) {
        // Waiting: the caller closes the dialog when its work ends.
        QTRY_VERIFY(!button(&dialog, QStringLiteral("pushButton_confrim"))->isEnabled());
        QVERIFY(dialog.isVisible());
        QVERIFY(!button(&dialog, QStringLiteral("pushButton_cancle"))->isEnabled());
        QCOMPARE(button(&dialog, QStringLiteral("pushButton_confrim"))->text(), QStringLiteral("Connecting..."));
        QCOMPARE(finished.count(), 0);
    } else {
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), result);
    }
    QCOMPARE(calls, ran);
}

void DialogsTest::commonDialogAnswers_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("callbackDeletesWindow");
    QTest::addColumn<QString>("ran");
    QTest::addColumn<int>("answer");

    QTest::newRow("confirm") << "pushButton_confrim" << false << "o" << int(SettingCommonDialog::Confirmed);
    QTest::newRow("cancel") << "pushButton_cancle" << false << "c" << int(SettingCommonDialog::Cancelled);
    QTest::newRow("close button") << "settingpushButton_close" << false << "" << int(SettingCommonDialog::Closed);
    // The confirm callback quits: the window and with it the dialog are gone
    // before the blocking call returns.
    QTest::newRow("confirm deletes the window")
        << "pushButton_confrim" << true << "o" << int(SettingCommonDialog::Confirmed);
    QTest::newRow("window deleted while asking") << "" << false << "" << int(SettingCommonDialog::Closed);
}

void DialogsTest::commonDialogAnswers()
{
    QFETCH(QString, press);
    QFETCH(bool, callbackDeletesWindow);
    QFETCH(QString, ran);
    QFETCH(int, answer);

    QPointer<QWidget> window = new QWidget;
    window->resize(1280, 720);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.data()));

    QString calls;
    QPointer<SettingCommonDialog> seen;
    // Runs inside the dialog's own event loop, once the dialog is showing.
    QTimer::singleShot(0, window.data(), [&] {
        seen = window->findChild<SettingCommonDialog *>();
        if (!seen || !seen->isVisible())
            qFatal("the question is not showing");
        if (press.isEmpty())
            delete window.data();
        else
            button(seen.data(), press)->click();
    });
    const int result = CommonDialog::ask(
        window.data(), QStringLiteral("Update now?"), QStringLiteral("Later"), QStringLiteral("Update"),
        [&] { calls += QLatin1Char('c'); },
        [&] {
            calls += QLatin1Char('o');
            if (callbackDeletesWindow)
                delete window.data();
        });

    QCOMPARE(result, answer);
    QCOMPARE(calls, ran);
    // Destroyed when it closed, by whichever path.
    QTRY_VERIFY(seen.isNull());
    delete window.data();
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
