// Server bases per environment, the request bodies each endpoint gets, and
// the callers' send throttle.

#include "api/appbaseinfo.h"
#include "api/requestrecords.h"
#include "api/requestthrottle.h"
#include "api/serverurls.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "support/testenv.h"

#include <QJsonArray>
#include <QtTest>

class TestApiRecords : public QObject
{
    Q_OBJECT
private slots:
    void processWideUrlsFollowTheRunningType();
    void serverUrls_data();
    void serverUrls();
    void envTypeFollowsTheStoredRunningType_data();
    void envTypeFollowsTheStoredRunningType();
    void recordMembers();
    void appBaseInfoReply();
    void throttle();
    void throttleBacksOffWhileFailing();
};

void TestApiRecords::processWideUrlsFollowTheRunningType()
{
    // "runningtype" absent: the release column.
    TestEnv env;
    const auto manifest = LauncherConfig::instance()->manifest();
    QCOMPARE(KVApplication::instance()->runningType(), 3);
    const ServerUrls *urls = ServerUrls::instance();
    QCOMPARE(urls, ServerUrls::instance());
    QCOMPARE(
        urls->hotUpdateUrl("/diff-update/version"), manifest.value("Release_hotupdate_host") + "/diff-update/version");
    QCOMPARE(urls->dataHost(), manifest.value("Data_Release_host"));
}

void TestApiRecords::serverUrls_data()
{
    QTest::addColumn<int>("runningType");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("activity");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("hotUpdate");
    QTest::newRow("dev") << 1 << "Dev_host"
                         << "Dev_activity_host"
                         << "Data_Test_host"
                         << "Dev_hotupdate_host";
    QTest::newRow("test") << 2 << "Test_host"
                          << "Test_activity_host"
                          << "Data_Test_host"
                          << "Test_hotupdate_host";
    QTest::newRow("release") << 3 << "Release_host"
                             << "Release_activity_host"
                             << "Data_Release_host"
                             << "Release_hotupdate_host";
    QTest::newRow("unknown 0") << 0 << ""
                               << ""
                               << ""
                               << "";
    QTest::newRow("unknown 4") << 4 << ""
                               << ""
                               << ""
                               << "";
}

void TestApiRecords::serverUrls()
{
    QFETCH(int, runningType);
    QFETCH(QString, host);
    QFETCH(QString, activity);
    QFETCH(QString, data);
    QFETCH(QString, hotUpdate);
    QMap<QString, QString> manifest;
    for (const char *key : {"Dev_host", "Test_host", "Release_host", "Dev_activity_host", "Test_activity_host",
             "Release_activity_host", "Data_Test_host", "Data_Release_host", "Dev_hotupdate_host",
             "Test_hotupdate_host", "Release_hotupdate_host"})
        manifest.insert(key, QStringLiteral("<%1>").arg(key));
    const auto expect = [](const QString &key) {
        return key.isEmpty() ? key : QStringLiteral("<%1>").arg(key);
    };

    const ServerUrls urls = ServerUrls::forEnvironment(runningType, manifest);
    QCOMPARE(urls.host(), expect(host));
    QCOMPARE(urls.activityHost(), expect(activity));
    QCOMPARE(urls.dataHost(), expect(data));
    QCOMPARE(urls.hotUpdateHost(), expect(hotUpdate));
    // Plain concatenation: an unknown environment leaves just the path.
    QCOMPARE(urls.activityUrl("/activity/pc/launcher/banner"), expect(activity) + "/activity/pc/launcher/banner");
    // A key missing from the manifest gives an empty base.
    QVERIFY(ServerUrls::forEnvironment(runningType, {}).host().isEmpty());
}

void TestApiRecords::envTypeFollowsTheStoredRunningType_data()
{
    QTest::addColumn<int>("stored"); // -2: absent
    QTest::addColumn<int>("posterEnv"); // 0: no member
    QTest::addColumn<int>("videoEnv");
    QTest::newRow("absent") << -2 << 0 << 4;
    QTest::newRow("3") << 3 << 0 << 4;
    QTest::newRow("2") << 2 << 2 << 2;
    QTest::newRow("1") << 1 << 2 << 1;
    QTest::newRow("0") << 0 << 2 << 0;
    QTest::newRow("7") << 7 << 2 << 0;
}

void TestApiRecords::envTypeFollowsTheStoredRunningType()
{
    QFETCH(int, stored);
    QFETCH(int, posterEnv);
    QFETCH(int, videoEnv);
    TestEnv env;
    LauncherConfig *config = LauncherConfig::instance();
    if (stored != -2)
        config->writeInt("Launcher", "runningtype", stored);

    const auto envOf = [](const QJsonObject &json) {
        return json.value("envType").toInt(0);
    };
    const QJsonObject poster = PosterRequestInfo().toJson();
    QCOMPARE(envOf(poster), posterEnv);
    QCOMPARE(poster.contains("envType"), posterEnv != 0);
    QCOMPARE(poster.value("imageTypes").toArray(), QJsonArray {1});
    QCOMPARE(poster.value("gameId").toString(), config->manifestValue("gameId"));

    const QJsonObject video = VideoRequestInfo().toJson();
    QCOMPARE(envOf(video), videoEnv);
    QCOMPARE(video.contains("envType"), videoEnv != 0);
    QCOMPARE(AppBaseInfo().toJson(), video);
}

void TestApiRecords::recordMembers()
{
    TestEnv env;
    LauncherConfig *config = LauncherConfig::instance();
    config->setRegistryValue("laucher_gclid", "click-1");
    config->setRegistryValue("laucher_adFid", "fid-1");
    const QString gameId = config->manifestValue("gameId");
    const QJsonObject device = KVApplication::instance()->deviceInfo().toJson();
    const QJsonObject package = KVApplication::instance()->packageInfo().toJson();
    QCOMPARE(device.value("osType").toInt(), 2);
    QCOMPARE(package.keys().size(), 15);

    // Every ApiRequestBean body carries both information objects.
    const QJsonObject version = AppCurrentRequestInfo().toJson();
    QCOMPARE(version.value("deviceInfo").toObject(), device);
    QCOMPARE(version.value("appPackageInfo").toObject(), package);
    QCOMPARE(version.value("version").toString(), LauncherConfig::applicationVersion());
    QCOMPARE(version.value("gameId").toString(), gameId);

    QCOMPARE(NotificationRequsetInfo().toJson(), (QJsonObject {{"gameId", gameId}}));
    QCOMPARE(BannerRequestInfo(gameId).toJson(), (QJsonObject {{"gameId", gameId}}));

    const QJsonObject news1 = NewsRequestInfo(1).toJson();
    QCOMPARE(news1, (QJsonObject {{"current", 1}, {"pageSize", 2}, {"gameId", gameId.toInt()}}));
    QVERIFY(gameId.toInt() > 0);
    QCOMPARE(NewsRequestInfo(-1).toJson().value("informationType").toInt(), -1);

    const QJsonObject conversion = ConversionBean("launcher_open").toJson();
    QCOMPARE(conversion.value("conversionActionName").toString(), QStringLiteral("launcher_open"));
    QCOMPARE(conversion.value("gclid").toString(), QStringLiteral("click-1"));
    QCOMPARE(conversion.value("adFid").toString(), QStringLiteral("fid-1"));
    QCOMPARE(conversion.value("uploadType").toString(), QStringLiteral("once"));
    QVERIFY(conversion.contains("deviceInfo"));
    QVERIFY(conversion.contains("appPackageInfo"));
}

void TestApiRecords::appBaseInfoReply()
{
    TestEnv env;
    const auto info = AppBaseInfo::fromReplyData(
        R"({"h5eventUrl":"https://e.example","bgVideoUrl":"https://v.example/v.zip","isShowBgVideo":1})");
    QVERIFY(info);
    QCOMPARE(info->h5eventUrl, QStringLiteral("https://e.example"));
    QCOMPARE(info->bgVideoUrl, QStringLiteral("https://v.example/v.zip"));
    QVERIFY(info->isShowBgVideo);
    QVERIFY(!AppBaseInfo::fromReplyData(QString()));
    QVERIFY(!AppBaseInfo::fromReplyData("[1]"));
    QVERIFY(!AppBaseInfo::fromReplyData("{broken"));
}

void TestApiRecords::throttle()
{
    qint64 now = 1'700'000'000'000;
    RequestThrottle throttle(300000, [&now] { return now; });
    QVERIFY(throttle.tryAcquire()); // never sent
    now += 299999;
    QVERIFY(!throttle.tryAcquire());
    QCOMPARE(throttle.lastSend(), 1'700'000'000'000);
    now += 1;
    QVERIFY(throttle.tryAcquire()); // exactly five minutes later
    QVERIFY(!throttle.tryAcquire());
    now -= 3'600'000; // the clock was set back an hour
    QVERIFY(throttle.tryAcquire());
    QVERIFY(!throttle.tryAcquire());
}

// Sends that fail stretch the wait: doubled per failure in a row, up to the
// cap; an answer brings the interval back.
void TestApiRecords::throttleBacksOffWhileFailing()
{
    qint64 now = 1'700'000'000'000;
    RequestThrottle throttle(180000, [&now] { return now; });
    QVERIFY(throttle.tryAcquire());
    for (const qint64 wait :
        {360000LL, 720000LL, 1440000LL, RequestThrottle::kMaxBackoffMs, RequestThrottle::kMaxBackoffMs}) {
        throttle.failed();
        now += wait - 1;
        QVERIFY2(!throttle.tryAcquire(), qPrintable(QString::number(wait)));
        now += 1;
        QVERIFY(throttle.tryAcquire());
    }
    throttle.answered();
    now += 180000;
    QVERIFY(throttle.tryAcquire());
}

QTEST_GUILESS_MAIN(TestApiRecords)
#include "tst_apirecords.moc"
