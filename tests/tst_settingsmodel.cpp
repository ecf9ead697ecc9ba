#include "app/launcherconfig.h"
#include "download/downloadratelimiter.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// The settings model against the settings store: what a close writes (speed
// limit, close switch), that the start fill neither races nor overwrites the
// page, and the questions of the page with their answers.
class SettingsModelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quillmereInitUiResources(); }
    void cleanup();

    void speedLimitIsStored_data();
    void speedLimitIsStored();
    void closeSwitchIsStored_data();
    void closeSwitchIsStored();
    void fillKeepsThePagesChanges();
    void closeBeforeTheFillLosesNothing();
    void quitKeepsWhatOthersStored();
    void autoStartFollowsTheSwitch();
    void questionsAreAnswered_data();
    void questionsAreAnswered();
    void locatedInstallation_data();
    void locatedInstallation();
    void legalPageAddress_data();
    void legalPageAddress();
};

namespace {

const QString Launcher = QStringLiteral("Launcher");

LauncherConfig *config()
{
    return LauncherConfig::instance();
}

void fill(SettingsModel &model)
{
    QSignalSpy filled(&model, &SettingsModel::filled);
    model.fillFromStore();
    QVERIFY(filled.wait(5000));
}

void closeAndWait(SettingsModel &model)
{
    model.closeSettings();
    QVERIFY(model.waitForStoreWork(5000));
}

template<typename Dialog> Dialog *shown()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<Dialog *>(widget);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

SettingCommonDialog *shownQuestion()
{
    return shown<SettingCommonDialog>();
}

} // namespace

// A failed case leaves no dialog behind for the next one to find.
void SettingsModelTest::cleanup()
{
    QList<QPointer<QDialog>> left;
    for (QWidget *widget : QApplication::topLevelWidgets())
        left << qobject_cast<QDialog *>(widget);
    for (const QPointer<QDialog> &dialog : left)
        delete dialog.data();
}

// Keys typed into the page's speed input: the input shows what is typed
// (digits only) until the entry is finished by Enter, by choosing "No limit"
// or by closing the settings; only then is the value held to 100..40960
// (empty or 0: 4096), shown and stored. The engines take the stored value as
// their cap.
void SettingsModelTest::speedLimitIsStored_data()
{
    // Where the click goes first: the limit's choice (no limit stored, the
    // field then offers 4096) or the field (700 stored).
    QTest::addColumn<bool>("fromChoice");
    QTest::addColumn<QString>("typed"); // over the selected text; empty: Backspace
    QTest::addColumn<QString>("shownWhileTyping");
    QTest::addColumn<QString>("finish"); // "enter", "close" or "no limit"
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored"); // -1: removed

    QTest::newRow("300") << false << "300"
                         << "300"
                         << "enter"
                         << "300" << 300;
    QTest::newRow("below the range") << false << "50"
                                     << "50"
                                     << "enter"
                                     << "100" << 100;
    QTest::newRow("above the range") << false << "99999"
                                     << "99999"
                                     << "enter"
                                     << "40960" << 40960;
    QTest::newRow("letters are not taken") << false << "2x5a00"
                                           << "2500"
                                           << "enter"
                                           << "2500" << 2500;
    QTest::newRow("zero") << false << "0"
                          << "0"
                          << "enter"
                          << "4096" << 4096;
    QTest::newRow("emptied") << false << ""
                             << ""
                             << "enter"
                             << "4096" << 4096;
    QTest::newRow("closed while typing") << false << "3000"
                                         << "3000"
                                         << "close"
                                         << "3000" << 3000;
    QTest::newRow("no limit chosen after typing") << false << "300"
                                                  << "300"
                                                  << "no limit"
                                                  << "300" << -1;
    QTest::newRow("300 after choosing the limit") << true << "300"
                                                  << "300"
                                                  << "enter"
                                                  << "300" << 300;
}

void SettingsModelTest::speedLimitIsStored()
{
    QFETCH(bool, fromChoice);
    QFETCH(QString, typed);
    QFETCH(QString, shownWhileTyping);
    QFETCH(QString, finish);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    TestEnv env;
    if (!fromChoice)
        config()->writeInt(Launcher, QStringLiteral("downloadspeed"), 700);
    const QString before = fromChoice ? QStringLiteral("4096") : QStringLiteral("700");
    SettingsModel model;
    fill(model);
    QWidget window;
    window.resize(1280, 720);
    window.show();
    SettingQtDialog settings(&window, &model);
    settings.showSettings(true);
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    QQuickWidget *page = settings.view();
    showSettingsSection(page, 1);
    QQuickItem *input = pageItem(page, "speedInput");
    QVERIFY(input);
    QTRY_COMPARE(input->property("text").toString(), fromChoice ? QString() : before);

    // A click, then the keys, as a person types a new limit.
    if (fromChoice)
        QVERIFY(clickItem(page, "limitChoice"));
    else
        clickItem(page, input);
    QTRY_VERIFY(input->hasActiveFocus());
    QTRY_COMPARE(input->property("selectedText").toString(), before);
    if (typed.isEmpty())
        QTest::keyClick(page, Qt::Key_Backspace);
    else
        QTest::keyClicks(page, typed);
    QCOMPARE(input->property("text").toString(), shownWhileTyping);
    QCOMPARE(model.speedLimit(), before.toInt());

    if (finish == QLatin1String("enter"))
        QTest::keyClick(page, Qt::Key_Return);
    else if (finish == QLatin1String("no limit"))
        clickItem(page, pageItem(page, "noLimitChoice"));
    else
        QTest::keyClick(&settings, Qt::Key_Escape);
    QTRY_COMPARE(input->property("text").toString(), shown);
    QCOMPARE(model.speedNoLimit(), stored == -1);
    if (settings.isVisible())
        closeAndWait(model);
    QVERIFY(model.waitForStoreWork(5000));
    QVERIFY(!settings.isVisible());

    QCOMPARE(config()->readInt(Launcher, QStringLiteral("downloadspeed")), stored);
    QCOMPARE(config()->keys(Launcher).contains(QStringLiteral("downloadspeed")), stored != -1);
    QCOMPARE(DownloadRateLimiter::configuredRate(), stored == -1 ? 0 : qint64(stored) * 1024);
}

// "2" hides to the tray; switching it off goes back to asking ("0") or
// quitting ("1"), whichever was chosen before.
void SettingsModelTest::closeSwitchIsStored_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QList<bool>>("switches");
    QTest::addColumn<QString>("after");

    // Nothing changed is nothing written: an empty choice asks, as "0" does.
    QTest::newRow("nothing stored") << QString() << QList<bool> {} << QString();
    QTest::newRow("on") << QString() << QList<bool> {true} << QStringLiteral("2");
    QTest::newRow("on and off") << QString() << QList<bool> {true, false} << QStringLiteral("0");
    QTest::newRow("quit kept") << QStringLiteral("1") << QList<bool> {} << QStringLiteral("1");
    QTest::newRow("quit, on and off") << QStringLiteral("1") << QList<bool> {true, false} << QStringLiteral("1");
    QTest::newRow("tray off") << QStringLiteral("2") << QList<bool> {false} << QStringLiteral("1");
}

void SettingsModelTest::closeSwitchIsStored()
{
    QFETCH(QString, before);
    QFETCH(QList<bool>, switches);
    QFETCH(QString, after);
    TestEnv env;
    if (!before.isEmpty())
        config()->writeString(Launcher, QStringLiteral("close_tpye"), before);
    SettingsModel model;
    fill(model);
    for (bool on : switches)
        model.setCloseToMinimize(on);
    closeAndWait(model);
    QCOMPARE(config()->readString(Launcher, QStringLiteral("close_tpye")), after);
}

// The page reads and writes the model while the fill runs; the fill's values
// arrive on this thread and leave alone what the page already changed.
void SettingsModelTest::fillKeepsThePagesChanges()
{
    TestEnv env;
    config()->writeInt(Launcher, QStringLiteral("downloadspeed"), 300);
    config()->writeBool(Launcher, QStringLiteral("notification_enable"), false);
    config()->writeString(Launcher, QStringLiteral("close_tpye"), QStringLiteral("1"));
    SettingsModel model;
    QSignalSpy filled(&model, &SettingsModel::filled);
    model.fillFromStore();
    model.setCloseToMinimize(true);
    // What a shown page does meanwhile: read every value it binds.
    for (int i = 0; filled.isEmpty() && i < 1000; ++i) {
        QVERIFY(model.speedLimit() >= 0 && model.closeType().size() <= 1 && model.curLanguageIndex() >= 0);
        filled.wait(5);
    }
    QCOMPARE(filled.count(), 1);
    QCOMPARE(model.closeType(), QStringLiteral("2"));
    QCOMPARE(model.speedLimit(), 300);
    QVERIFY(!model.notificationEnable());
    QVERIFY(!model.speedNoLimit());
}

// A quit right after the start, before the fill arrived, must not write the
// model's defaults over the stored choices.
// The close question stores the close choice itself, after the settings
// were closed; quitting then must not write the model's older value over it.
void SettingsModelTest::quitKeepsWhatOthersStored()
{
    TestEnv env;
    SettingsModel model;
    fill(model);
    model.setSpeedLimit(500);
    closeAndWait(model);
    config()->writeString(Launcher, QStringLiteral("close_tpye"), QStringLiteral("1"));
    model.saveChanges();
    QVERIFY(model.waitForStoreWork(5000));
    QCOMPARE(config()->readString(Launcher, QStringLiteral("close_tpye")), QStringLiteral("1"));
    // What the page changed after the last save is written at the quit.
    model.setNotificationEnable(false);
    model.saveChanges();
    QVERIFY(model.waitForStoreWork(5000));
    QCOMPARE(config()->readBool(Launcher, QStringLiteral("notification_enable")), false);
    QCOMPARE(config()->readString(Launcher, QStringLiteral("close_tpye")), QStringLiteral("1"));
}

void SettingsModelTest::closeBeforeTheFillLosesNothing()
{
    TestEnv env;
    config()->writeInt(Launcher, QStringLiteral("downloadspeed"), 300);
    config()->writeString(Launcher, QStringLiteral("close_tpye"), QStringLiteral("1"));
    SettingsModel model;
    model.setNotificationEnable(false);
    closeAndWait(model);
    QCOMPARE(config()->readInt(Launcher, QStringLiteral("downloadspeed")), 300);
    QCOMPARE(config()->readString(Launcher, QStringLiteral("close_tpye")), QStringLiteral("1"));
    QVERIFY(!config()->readBool(Launcher, QStringLiteral("notification_enable")));
}

// The switch writes the desktop's auto-start entry at once, and a new fill
// reads it back.
void SettingsModelTest::autoStartFollowsTheSwitch()
{
    TestEnv env;
    SettingsModel model;
    for (bool on : {true, false}) {
        model.setAutoLaunch(on);
        model.onAutoLaunchSwitch();
        QVERIFY(model.waitForStoreWork(5000));
        QCOMPARE(config()->isAutoStartEnabled(), on);
        SettingsModel reread;
        fill(reread);
        QCOMPARE(reread.autoLaunch(), on);
    }
}

// The language question restarts only on Confirm and otherwise shows the
// language in use again; the clearing question clears only on Confirm and
// is not asked while an install runs.
void SettingsModelTest::questionsAreAnswered_data()
{
    QTest::addColumn<bool>("language"); // else the clearing
    QTest::addColumn<bool>("canClear");
    QTest::addColumn<QString>("button"); // empty: no question is asked
    QTest::addColumn<int>("restartedWith");
    QTest::addColumn<int>("indexAfter");
    QTest::addColumn<bool>("cleared");

    const QString cancel = QStringLiteral("pushButton_cancle");
    const QString confirm = QStringLiteral("pushButton_confrim");
    QTest::newRow("language confirmed") << true << true << confirm << 2 << 2 << false;
    QTest::newRow("language cancelled") << true << true << cancel << -1 << 1 << false;
    QTest::newRow("language closed") << true << true << QStringLiteral("settingpushButton_close") << -1 << 1 << false;
    QTest::newRow("clear confirmed") << false << true << confirm << -1 << 1 << true;
    QTest::newRow("clear cancelled") << false << true << cancel << -1 << 1 << false;
    QTest::newRow("clear while installing") << false << false << QString() << -1 << 1 << false;
}

void SettingsModelTest::questionsAreAnswered()
{
    QFETCH(bool, language);
    QFETCH(bool, canClear);
    QFETCH(QString, button);
    QFETCH(int, restartedWith);
    QFETCH(int, indexAfter);
    QFETCH(bool, cleared);
    TestEnv env;
    config()->setLanguageIndex(1);
    SettingsModel model;
    model.setCurLanguageIndex(1);
    model.setCanClearResource(canClear);
    int restarted = -1;
    bool clearedNow = false;
    model.actions().restart = [&restarted](int index) {
        restarted = index;
    };
    model.actions().clearResources = [&clearedNow] {
        clearedNow = true;
    };
    QSignalSpy hidden(&model, &SettingsModel::hideRequested);

    if (language) {
        model.setCurLanguageIndex(2); // the list's choice, as the page writes it
        model.changeLanguage(QStringLiteral("ja_JP"), 2, QStringLiteral("日本語"));
    } else {
        model.clearInstallation();
    }
    SettingCommonDialog *question = shownQuestion();
    if (button.isEmpty()) {
        QVERIFY(!question);
    } else {
        QVERIFY(question);
        QPointer<SettingCommonDialog> alive(question);
        auto *pressed = question->findChild<QPushButton *>(button);
        QVERIFY(pressed && pressed->isVisible());
        pressed->click();
        QTRY_VERIFY(!alive);
    }
    // Cancel and Confirm close the settings as well (which saves them), and
    // that comes last.
    QTRY_COMPARE(hidden.count(), button.startsWith(QLatin1String("pushButton_")) ? 1 : 0);
    QCOMPARE(restarted, restartedWith);
    QCOMPARE(model.curLanguageIndex(), indexAfter);
    QCOMPARE(clearedNow, cleared);
}

// The chosen file goes to the locating action; its error is shown and the
// location stays, or the folder becomes the location.
void SettingsModelTest::locatedInstallation_data()
{
    QTest::addColumn<QString>("error");
    QTest::newRow("taken") << QString();
    QTest::newRow("refused") << QStringLiteral("Cannot find game resources.");
}

void SettingsModelTest::locatedInstallation()
{
    QFETCH(QString, error);
    TestEnv env;
    env.writeFile(QStringLiteral("Elsewhere/quillmere"), "#!/bin/sh\n");
    const QString chosen = env.filePath(QStringLiteral("Elsewhere/quillmere"));
    SettingsModel model;
    model.setInstallationLocation(QStringLiteral("/games/old/quillmere"));
    QString asked;
    model.actions().locate = [&asked, error](const QString &file) {
        asked = file;
        return error;
    };

    model.changeInstallationLocation();
    QFileDialog *files = nullptr;
    QTRY_VERIFY((files = shown<QFileDialog>()));
    QVERIFY(files->nameFilters().first().contains(config()->manifestValue(QStringLiteral("gameExeFile"))));
    files->selectFile(chosen);
    static_cast<QDialog *>(files)->accept();

    QCOMPARE(asked, chosen);
    SettingCommonDialog *tip = shownQuestion();
    QCOMPARE(bool(tip), !error.isEmpty());
    if (tip) {
        QCOMPARE(tip->message(), error);
        delete tip;
    }
    QCOMPARE(model.installationLocation(),
        error.isEmpty() ? env.filePath(QStringLiteral("Elsewhere")) : QStringLiteral("/games/old/quillmere"));
}

// Only web addresses reach the browser; the Korean placeholders lead to the
// publisher's services page.
void SettingsModelTest::legalPageAddress_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("opened"); // empty: refused

    const QString https = QStringLiteral("https://www.quillmere.example/en/agreement");
    QTest::newRow("https") << https << https;
    QTest::newRow("http") << QStringLiteral("http://a.example/p") << QStringLiteral("http://a.example/p");
    QTest::newRow("korean terms") << QStringLiteral("KRUserAgreementHtml")
                                  << QStringLiteral("https://kr.example/services?l=kr#terms");
    QTest::newRow("korean privacy") << QStringLiteral("KRProtocolHtml")
                                    << QStringLiteral("https://kr.example/services?l=kr#privacy");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << QString();
    QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << QString();
    QTest::newRow("no host") << QStringLiteral("https:///path") << QString();
    QTest::newRow("other placeholder") << QStringLiteral("KRSomethingElse") << QString();
}

void SettingsModelTest::legalPageAddress()
{
    QFETCH(QString, value);
    QFETCH(QString, opened);
    const QUrl url = SettingsModel::legalPageUrl(value, QStringLiteral("https://kr.example/services"));
    QCOMPARE(url.isValid() ? url.toString() : QString(), opened);
}

QTEST_MAIN(SettingsModelTest)
#include "tst_settingsmodel.moc"
