#include "api/requestclasses.h"
#include "app/launcherconfig.h"
#include "download/downloadinterface.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "install/installlocator.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingswiring.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "support/publisherprocess.h"
#include "support/stubengine.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "widgets/uiresources.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

// What the user's own game checks and the install location lead to: the
// update question against the publisher stand-in, the tips of the settings'
// check, and which folders are taken as an existing installation.
namespace {

const Tree kVersion1 {
    {QStringLiteral("quillmere"), pseudoRandom(20000, 1)},
    {QStringLiteral("quillmere_version.ini"), "1.0.0\n"},
};

const Tree kVersion2 {
    {QStringLiteral("quillmere"), pseudoRandom(21000, 2)},
    {QStringLiteral("quillmere_version.ini"), "1.1.0\n"},
};

void writeTree(const QString &root, const Tree &tree)
{
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        QFile file(root + QLatin1Char('/') + it.key());
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
}

bool shown(const QWidget *dialog)
{
    return dialog && dialog->isVisible();
}

QString storedCloseType()
{
    return LauncherConfig::instance()->readString(QStringLiteral("Launcher"), QStringLiteral("close_tpye"));
}

// The settings' "Close to minimize launcher" switch.
QQuickItem *closeSwitch(QQuickWidget *page)
{
    const QString text = QCoreApplication::translate("KVSettings4General", "Close to minimize launcher");
    for (QQuickItem *item : page->rootObject()->findChildren<QQuickItem *>()) {
        if (item->property("text").toString() == text && item->property("checked").isValid())
            return item;
    }
    return nullptr;
}

} // namespace

class TestSettingsFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void locatingTakesOnlyTheGame_data();
    void locatingTakesOnlyTheGame();
    void updateQuestionStartsOneDownload_data();
    void updateQuestionStartsOneDownload();
    void settingsCheckTips_data();
    void settingsCheckTips();
    void closeChoiceSurvivesTheSettings_data();
    void closeChoiceSurvivesTheSettings();
    void locationFollowsTheInstall();
    void settingsVerifyTheGameFiles();

private:
    GameInstallPlugin *makePlugin(const QString &base);
    MainWindow::Collaborators collaborators(GameInstallPlugin *plugin);

    QTemporaryDir m_firstRelease;
    QTemporaryDir m_secondRelease;
    QNetworkAccessManager m_network;
    QTranslator m_translator;
    QList<StubEngine *> m_engines;
};

void TestSettingsFlow::initTestCase()
{
    quillmereInitUiResources();
    QVERIFY(m_translator.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_translator);
    QString output;
    QVERIFY2(PublisherProcess::makeUpdateContents(
                 m_firstRelease.path(), m_secondRelease.path(), kVersion1, kVersion2, &output),
        qPrintable(output));
}

GameInstallPlugin *TestSettingsFlow::makePlugin(const QString &base)
{
    GameInstallPlugin::Collaborators c;
    c.updateServiceBase = [base] {
        return base;
    };
    c.manager = &m_network;
    c.runningType = 1;
    c.replyTimeoutMs = 5000;
    return new GameInstallPlugin(c, this);
}

MainWindow::Collaborators TestSettingsFlow::collaborators(GameInstallPlugin *plugin)
{
    m_engines.clear();
    InstallSession::Collaborators s;
    s.installPlugin = plugin;
    s.makeEngine = [this](int, QObject *parent) {
        m_engines << new StubEngine(parent);
        return InstallSession::downloadPort(m_engines.last());
    };
    MainWindow::Collaborators c;
    c.session = new InstallSession(s);
    return c;
}

void TestSettingsFlow::locatingTakesOnlyTheGame_data()
{
    QTest::addColumn<Tree>("folder");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("refusal"); // empty: taken

    const QString invalid = QStringLiteral(
        "Cannot find game resources. Please make sure the path is correct or acquire the latest game.");
    const Tree noVersion {{QStringLiteral("quillmere"), "game"}, {QStringLiteral("version.txt"), "1.0.0\n"}};
    const Tree blankVersion {{QStringLiteral("quillmere"), "game"}, {QStringLiteral("quillmere_version.ini"), " \n"}};

    QTest::newRow("demo release") << kVersion1 << "quillmere" << false << QString();
    QTest::newRow("folder without the game")
        << Tree {{QStringLiteral("notes.txt"), "hello"}} << "notes.txt" << false << invalid;
    QTest::newRow("another file beside the game") << kVersion1 << "quillmere_version.ini" << false << invalid;
    QTest::newRow("game without its version file") << noVersion << "quillmere" << false << invalid;
    QTest::newRow("blank version file") << blankVersion << "quillmere" << false << invalid;
    QTest::newRow("chosen file gone") << Tree {} << "quillmere" << false << invalid;
    QTest::newRow("download running") << kVersion1 << "quillmere" << true << "Already downloading";
}

void TestSettingsFlow::locatingTakesOnlyTheGame()
{
    QFETCH(Tree, folder);
    QFETCH(QString, chosen);
    QFETCH(bool, busy);
    QFETCH(QString, refusal);

    TestEnv env(1);
    QTemporaryDir game;
    writeTree(game.path(), folder);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Downloading);
    files->setTargetVersion(QStringLiteral("0.9.0"));
    files->setInstallDir(env.filePath(QStringLiteral("elsewhere")));

    int refreshed = 0;
    InstallLocator::Collaborators c;
    c.busy = [busy] {
        return busy;
    };
    c.refreshMainButton = [&refreshed] {
        ++refreshed;
    };
    InstallLocator locator(c);
    QSignalSpy located(&locator, &InstallLocator::located);

    QCOMPARE(locator.locate(game.path() + QLatin1Char('/') + chosen), refusal);
    if (!refusal.isEmpty()) {
        QCOMPARE(files->status(), InstallStatus::Downloading);
        QCOMPARE(files->installDir(), env.filePath(QStringLiteral("elsewhere")));
        QCOMPARE(files->targetVersion(), QStringLiteral("0.9.0"));
        QCOMPARE(refreshed, 0);
        QCOMPARE(located.count(), 0);
        return;
    }
    QCOMPARE(files->status(), InstallStatus::Installed);
    QCOMPARE(files->installDir(), game.path());
    QCOMPARE(files->targetVersion(), QStringLiteral("1.0.0"));
    QCOMPARE(files->installedVersion(), QStringLiteral("1.0.0"));
    QCOMPARE(refreshed, 1);
    QCOMPARE(located.count(), 1);
    QCOMPARE(located.at(0), (QVariantList {game.path(), QStringLiteral("1.0.0")}));
}

void TestSettingsFlow::updateQuestionStartsOneDownload_data()
{
    QTest::addColumn<bool>("fromSettings");
    QTest::newRow("play-settings pop-up") << false;
    QTest::newRow("settings check") << true;
}

void TestSettingsFlow::updateQuestionStartsOneDownload()
{
    QFETCH(bool, fromSettings);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Installed);
    files->setTargetVersion(QStringLiteral("1.0.0"));
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    PublisherProcess publisher(m_secondRelease.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    GameInstallPlugin *plugin = makePlugin(publisher.baseUrl());
    MainWindow window(collaborators(plugin));
    GameUpdatePrompt *prompt = window.updatePrompt();
    auto ask = [&] {
        if (fromSettings)
            prompt->checkGameVersion();
        else
            child<QPushButton>(&window, "pushButton_checkUpddate")->click();
    };

    ask();
    QTRY_VERIFY_WITH_TIMEOUT(shown(prompt->question()), 10000);
    QPointer<SettingCommonDialog> question = prompt->question();
    QCOMPARE(question->message(), QStringLiteral("New Version found(1.1.0), update now?"));
    QTest::mouseClick(child<QPushButton>(question, "pushButton_confrim"), Qt::LeftButton);
    // While the package is asked for, the question waits and cannot be answered twice.
    if (question) {
        QCOMPARE(child<QPushButton>(question, "pushButton_confrim")->text(), QStringLiteral("Connecting..."));
        QVERIFY(!child<QPushButton>(question, "pushButton_confrim")->isEnabled());
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_engines.value(0) ? m_engines.value(0)->starts : 0, 1, 10000);
    QTRY_VERIFY(!question);
    QVERIFY(window.isInstallIng());
    QCOMPARE(plugin->gameVersionInfo().latestVersion, QStringLiteral("1.1.0"));
    const int requests = plugin->findChildren<GameVersionRequest *>().size();

    // Asked again while that download runs: Update is refused, and says so.
    ask();
    QTRY_VERIFY_WITH_TIMEOUT(shown(prompt->question()), 10000);
    question = prompt->question();
    QTest::mouseClick(child<QPushButton>(question, "pushButton_confrim"), Qt::LeftButton);
    QTRY_VERIFY(!question);
    QVERIFY(shown(prompt->tip()));
    QCOMPARE(prompt->tip()->message(), QStringLiteral("Already downloading"));
    QCOMPARE(m_engines.size(), 1);
    QCOMPARE(m_engines.value(0)->starts, 1);
    // The settings' check made a request of its own each time and freed it.
    QTRY_COMPARE(plugin->findChildren<GameVersionRequest *>().size(), requests);
}

void TestSettingsFlow::settingsCheckTips_data()
{
    QTest::addColumn<bool>("serve");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("tip");

    QTest::newRow("installed version is the latest")
        << true << int(InstallStatus::Installed) << "Current version: 1.0.0\n\nYou have updated to the latest version.";
    QTest::newRow("latest version being downloaded")
        << true << int(InstallStatus::Downloading) << "Already downloading";
    QTest::newRow("service away") << false << int(InstallStatus::Installed)
                                  << "Server error. Cannot acquire version information.(-1)";
}

void TestSettingsFlow::settingsCheckTips()
{
    QFETCH(bool, serve);
    QFETCH(int, status);
    QFETCH(QString, tip);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus(status));
    files->setTargetVersion(QStringLiteral("1.0.0"));
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    PublisherProcess publisher(m_firstRelease.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    // A port that refuses connections stands for the service being away.
    GameInstallPlugin *plugin = makePlugin(serve ? publisher.baseUrl() : QStringLiteral("http://127.0.0.1:9"));
    MainWindow window(collaborators(plugin));

    window.updatePrompt()->checkGameVersion();
    QTRY_VERIFY_WITH_TIMEOUT(shown(window.updatePrompt()->tip()), 10000);
    QCOMPARE(window.updatePrompt()->tip()->message(), tip);
    QVERIFY(!window.updatePrompt()->question());
    QVERIFY(m_engines.isEmpty());
}

// The close question stores its answer itself. The settings show it, and
// opening and closing them (changing nothing) leaves it stored.
void TestSettingsFlow::closeChoiceSurvivesTheSettings_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("stored");
    QTest::newRow("close to minimize") << "miniRadio"
                                       << "2";
    QTest::newRow("quit") << "closeRadio"
                          << "1";
}

void TestSettingsFlow::closeChoiceSurvivesTheSettings()
{
    QFETCH(QString, radio);
    QFETCH(QString, stored);

    TestEnv env(1);
    MainWindow::Collaborators c = collaborators(makePlugin(QStringLiteral("http://127.0.0.1:9")));
    c.trayAvailable = [] {
        return true;
    };
    MainWindow window(c);
    SettingsModel model;
    QSignalSpy filled(&model, &SettingsModel::filled);
    model.fillFromStore();
    SettingsWiring::attach(&window, &model);
    QVERIFY(filled.wait(5000));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    click(&window, "pushButton_close");
    CloseBehaviour *behaviour = window.closeBehaviour();
    QTRY_VERIFY(shown(behaviour->closeQuestion()));
    QVERIFY(QTest::qWaitForWindowExposed(behaviour->closeQuestion()));
    QQuickWidget *question = behaviour->closeQuestion()->view();
    QVERIFY(clickItem(question, qPrintable(radio)));
    QTRY_VERIFY(pageItem(question, qPrintable(radio))->property("checked").toBool());
    QVERIFY(clickItem(question, "confirmButton"));
    QTRY_VERIFY(!behaviour->closeQuestion());
    QCOMPARE(storedCloseType(), stored);

    window.showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    click(&window, "pushButton_setting");
    auto *settings = window.findChild<SettingQtDialog *>();
    QTRY_VERIFY(shown(settings));
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    QQuickItem *minimize = closeSwitch(settings->view());
    QVERIFY(minimize);
    QCOMPARE(minimize->property("checked").toBool(), stored == QLatin1String("2"));
    QTest::keyClick(settings, Qt::Key_Escape);
    QTRY_VERIFY(!settings->isVisible());
    QVERIFY(model.waitForStoreWork(5000));
    QCOMPARE(storedCloseType(), stored);
}

// The settings show where the game is as soon as an install is recorded in
// this session, not only after the next start.
void TestSettingsFlow::locationFollowsTheInstall()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setTargetVersion(QStringLiteral("1.0.0"));
    MainWindow window(collaborators(makePlugin(QStringLiteral("http://127.0.0.1:9"))));
    SettingsModel model;
    QSignalSpy filled(&model, &SettingsModel::filled);
    model.fillFromStore();
    SettingsWiring::attach(&window, &model);
    QVERIFY(filled.wait(5000));
    QCOMPARE(model.installationLocation(), QString());

    // The game is extracted, the install is recorded and the window shows Play.
    const QString gameDir = QFileInfo(files->gameExePath()).absolutePath();
    QVERIFY(QDir().mkpath(gameDir));
    writeTree(gameDir, kVersion1);
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    window.refreshMainButton();
    QTRY_COMPARE(window.state(), MainWindow::State::Play);
    QTRY_COMPARE(model.installationLocation(), QDir::fromNativeSeparators(files->gameExePath()));
}

QTEST_MAIN(TestSettingsFlow)
// "Verify" in the settings closes them and runs the window's check, whose notice
// (here: no record of the game's files yet) comes over the window.
void TestSettingsFlow::settingsVerifyTheGameFiles()
{
    TestEnv env(1);
    MainWindow window(collaborators(makePlugin(QStringLiteral("http://127.0.0.1:9"))));
    SettingsModel model;
    QSignalSpy filled(&model, &SettingsModel::filled);
    model.fillFromStore();
    SettingsWiring::attach(&window, &model);
    QVERIFY(filled.wait(5000));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    click(&window, "pushButton_setting");
    auto *settings = window.findChild<SettingQtDialog *>();
    QTRY_VERIFY(shown(settings));
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    showSettingsSection(settings->view(), 1);
    QVERIFY(clickItem(settings->view(), "verifyGameFilesButton"));
    QTRY_VERIFY(!settings->isVisible());
    QTRY_VERIFY(window.findChild<QDialog *>(QStringLiteral("verifyResult")));
}

#include "tst_settingsflow.moc"
