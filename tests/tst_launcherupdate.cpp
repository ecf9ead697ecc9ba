#include "api/requestclasses.h"
#include "api/serverurls.h"
#include "app/launcherconfig.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingswiring.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "support/publisherprocess.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "update/appinstallplugin.h"
#include "update/updatedialog.h"
#include "widgets/uiresources.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QtTest>

// The launcher version check against the publisher stand-in.
class TestLauncherUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void newerVersionIsAnnounced();
    void checksAreFiveMinutesApart();
    void answerWithoutLatestVersion();
    void failedAnswerAnnouncesNothing();
    void rolledBackVersionIsNotOfferedAutomatically();
    void manualCheck();
    void settingsCheckShowsTheUpdatePage_data();
    void settingsCheckShowsTheUpdatePage();

private:
    void writeLauncherRelease(const QJsonObject &launcher);
    // Waits until the plugin has handled the answer to its one check.
    static bool waitForHandledAnswer(Appinstallplugin &plugin, ApiResult *answer);
    ServerUrls urls() const { return ServerUrls(m_publisher->baseUrl(), {}, {}, {}); }

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_content;
    std::unique_ptr<PublisherProcess> m_publisher;
    QNetworkAccessManager m_network;
};

void TestLauncherUpdate::initTestCase()
{
    quillmereInitUiResources();
    m_env.reset(new TestEnv(1));
    QVERIFY(QDir().mkpath(m_content.filePath(QStringLiteral("files"))));
    writeLauncherRelease({});
    m_publisher.reset(new PublisherProcess(m_content.path()));
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
}

void TestLauncherUpdate::init()
{
    writeLauncherRelease({{"latestVersion", "2.10.0"}, {"mainUrl", "https://www.quillmere.example"},
        {"downloadUrl", "https://cdn.quillmere.example/launcher-2.10.0.zip"}, {"updateMessage", "New banners"}});
    m_publisher->setControl({});
}

void TestLauncherUpdate::writeLauncherRelease(const QJsonObject &launcher)
{
    QFile file(m_content.filePath(QStringLiteral("services.json")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(QJsonObject {{"launcher", launcher}}).toJson());
}

bool TestLauncherUpdate::waitForHandledAnswer(Appinstallplugin &plugin, ApiResult *answer)
{
    // The plugin connected to its request first, so by the time this spy
    // records the answer the plugin has acted on it.
    auto *request = plugin.findChild<AppVersionRequest *>();
    if (!request)
        return false;
    QSignalSpy answers(request, &KVAbstractNetwork::signalReplyfinsh);
    if (!answers.wait(20000))
        return false;
    *answer = answers.first().first().value<ApiResult>();
    return true;
}

void TestLauncherUpdate::newerVersionIsAnnounced()
{
    Appinstallplugin plugin(urls(), QStringLiteral("2.9.0"), &m_network, [] { return qint64(1000000); });
    QSignalSpy spy(&plugin, &Appinstallplugin::notifyAppUpdate);
    plugin.checkUpdateInServer();
    QTRY_COMPARE(spy.count(), 1);
    const AppDownloadInfoPtr info = spy.at(0).at(0).value<AppDownloadInfoPtr>();
    QVERIFY(info);
    QCOMPARE(info->latestVersion, QStringLiteral("2.10.0"));
    QCOMPARE(info->downloadUrl, QStringLiteral("https://cdn.quillmere.example/launcher-2.10.0.zip"));
    QCOMPARE(info->updateMessage, QStringLiteral("New banners"));
    QCOMPARE(info->toJson().keys(), QStringList {QStringLiteral("latestVersion")});

    // The request went scrambled and named the running version.
    const QList<QJsonObject> requests = m_publisher->logLines(QStringLiteral("requests.jsonl"));
    QVERIFY(!requests.isEmpty());
    const QJsonObject last = requests.last();
    QVERIFY2(QJsonDocument(last).toJson().contains("2.9.0"), QJsonDocument(last).toJson().constData());
}

void TestLauncherUpdate::checksAreFiveMinutesApart()
{
    qint64 now = 1000000;
    Appinstallplugin plugin(urls(), QStringLiteral("2.9.0"), &m_network, [&now] { return now; });
    QSignalSpy spy(&plugin, &Appinstallplugin::notifyAppUpdate);
    const int before = m_publisher->logLines(QStringLiteral("requests.jsonl")).size();
    plugin.checkUpdateInServer();
    QTRY_COMPARE(spy.count(), 1);
    now += 299999;
    plugin.checkUpdateInServer(); // too soon: nothing is sent
    now += 1;
    plugin.checkUpdateInServer();
    QTRY_COMPARE(spy.count(), 2);
    QTest::qWait(100);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(m_publisher->logLines(QStringLiteral("requests.jsonl")).size() - before, 2);
}

void TestLauncherUpdate::answerWithoutLatestVersion()
{
    writeLauncherRelease({{"mainUrl", "https://www.quillmere.example"}});
    Appinstallplugin plugin(urls(), QStringLiteral("2.9.0"), &m_network, [] { return qint64(1); });
    QSignalSpy spy(&plugin, &Appinstallplugin::notifyAppUpdate);
    plugin.checkUpdateInServer();
    ApiResult answer;
    QVERIFY(waitForHandledAnswer(plugin, &answer));
    QCOMPARE(answer.code, 200);
    QCOMPARE(spy.count(), 0); // an empty latest version is never newer
}

void TestLauncherUpdate::failedAnswerAnnouncesNothing()
{
    m_publisher->setControl({{"status500", true}});
    Appinstallplugin plugin(urls(), QString(), &m_network, [] { return qint64(1); });
    QSignalSpy spy(&plugin, &Appinstallplugin::notifyAppUpdate);
    plugin.checkUpdateInServer();
    ApiResult answer;
    QVERIFY(waitForHandledAnswer(plugin, &answer));
    QCOMPARE(answer.code, -1);
    QCOMPARE(spy.count(), 0);
}

// A version that did not start here is not announced by the automatic check;
// the user's own check (manualCheck) still finds it.
void TestLauncherUpdate::rolledBackVersionIsNotOfferedAutomatically()
{
    Appinstallplugin plugin(urls(), QStringLiteral("2.9.0"), &m_network, [] { return qint64(1); });
    plugin.setSkippedVersions({QStringLiteral("2.10.0")});
    QSignalSpy spy(&plugin, &Appinstallplugin::notifyAppUpdate);
    plugin.checkUpdateInServer();
    ApiResult answer;
    QVERIFY(waitForHandledAnswer(plugin, &answer));
    QCOMPARE(answer.code, 200);
    QCOMPARE(spy.count(), 0);
}

void TestLauncherUpdate::manualCheck()
{
    // Up to date: the tip text, no announcement.
    auto *check = new LauncherVersionCheck(urls(), QStringLiteral("2.10.0"), &m_network);
    QSignalSpy tips(check, &LauncherVersionCheck::upToDate);
    QSignalSpy newer(check, &LauncherVersionCheck::newerVersion);
    QSignalSpy gone(check, &QObject::destroyed);
    check->start();
    QTRY_COMPARE(gone.count(), 1);
    QCOMPARE(newer.count(), 0);
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0).at(0).toString(), LauncherVersionCheck::upToDateText(QStringLiteral("2.10.0")));
    QVERIFY(tips.at(0).at(0).toString().contains(QLatin1String("\n\n")));

    // Behind: the newer version, however recently the automatic check ran.
    auto *behind = new LauncherVersionCheck(urls(), QStringLiteral("2.8.0"), &m_network);
    QSignalSpy newer2(behind, &LauncherVersionCheck::newerVersion);
    behind->start();
    QTRY_COMPARE(newer2.count(), 1);
    QCOMPARE(newer2.at(0).at(0).value<AppDownloadInfoPtr>()->latestVersion, QStringLiteral("2.10.0"));
}

// "Check Version" in the settings with a newer launcher on the stand-in: the
// settings close (saved) and the update page shows, also when updates are
// automatic - the user asked.
void TestLauncherUpdate::settingsCheckShowsTheUpdatePage_data()
{
    QTest::addColumn<bool>("autoUpdate");
    QTest::newRow("updates asked for") << false;
    QTest::newRow("updates automatic") << true;
}

void TestLauncherUpdate::settingsCheckShowsTheUpdatePage()
{
    QFETCH(bool, autoUpdate);
    LauncherConfig *config = LauncherConfig::instance();
    config->writeBool(QStringLiteral("Launcher"), QStringLiteral("auto_update"), autoUpdate);
    config->removeKey(QStringLiteral("Launcher"), QStringLiteral("notification_enable"));
    UpdateDialog updateDialog;
    MainWindow::Collaborators c;
    c.home.updateDialog = &updateDialog;
    MainWindow window(c);
    SettingsModel model;
    const ServerUrls services = urls();
    SettingsWiring::attach(&window, &model, &services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    click(&window, "pushButton_setting");
    auto *settings = window.findChild<SettingQtDialog *>();
    QTRY_VERIFY(settings && settings->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    model.setNotificationEnable(false); // a change of the page, to be saved
    showSettingsSection(settings->view(), 2);
    QVERIFY(clickItem(settings->view(), "checkLauncherVersion"));

    QTRY_VERIFY_WITH_TIMEOUT(!settings->isVisible(), 10000);
    QTRY_VERIFY(window.homeWiring()->updatePage() && window.homeWiring()->updatePage()->isVisible());
    QCOMPARE(updateDialog.latestVersion(), QStringLiteral("2.10.0"));
    QVERIFY(model.waitForStoreWork(5000));
    QCOMPARE(config->readBool(QStringLiteral("Launcher"), QStringLiteral("notification_enable"), true), false);
    window.homeWiring()->updatePage()->reject();
    QTRY_VERIFY(!updateDialog.isShown());
}

QTEST_MAIN(TestLauncherUpdate)
#include "tst_launcherupdate.moc"
