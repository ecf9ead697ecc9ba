// Analytics events and conversion uploads as the receiver gets them.

#include "analytics/datatrackmanager.h"
#include "api/gzipcodec.h"
#include "api/kvabstractnetwork.h"
#include "app/launcherconfig.h"
#include "support/httpfixture.h"
#include "support/testenv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <QtConcurrent>
#include <QtTest>

namespace {

DeviceInfo testDevice()
{
    DeviceInfo device;
    device.deviceName = "host";
    device.deviceManufacturer = "Debian GNU/Linux 12 (bookworm)";
    device.hardware = "Example CPU @ 3.00GHz";
    device.displayWidth = "1920";
    device.displayHeight = "1040";
    return device;
}

std::unique_ptr<DataTrackManager> newManager(const HttpFixture &server, std::function<QDateTime()> clock = {})
{
    DataTrackManager::Collaborators collaborators {
        ServerUrls(server.url(), server.url(), server.url("/receiver/app"), server.url()), nullptr, clock};
    return std::make_unique<DataTrackManager>(collaborators, testDevice(), AppPackageInfo::fromConfig());
}

// The analytics body: Base64 of gzip of "[event]".
QJsonArray decodeBatch(const QByteArray &wire)
{
    const auto base64 = QByteArray::fromBase64Encoding(wire, QByteArray::AbortOnBase64DecodingErrors);
    if (!base64)
        return {};
    return QJsonDocument::fromJson(uncompressGzip(*base64)).array();
}

} // namespace

class TestDataTrack : public QObject
{
    Q_OBJECT
private slots:
    void eventOnTheWire_data();
    void eventOnTheWire();
    void eventProperties();
    void zoneOffset_data();
    void zoneOffset();
    void conversionUpload();
    void callsFromAnotherThreadAreSent();
};

void TestDataTrack::eventOnTheWire_data()
{
    QTest::addColumn<QVariant>("runningType"); // invalid: absent
    QTest::addColumn<QString>("appIdKey");
    QTest::newRow("absent") << QVariant() << "Datasdk_appid_prod";
    QTest::newRow("release 3") << QVariant(3) << "Datasdk_appid_test";
    QTest::newRow("dev 1") << QVariant(1) << "Datasdk_appid_test";
}

void TestDataTrack::eventOnTheWire()
{
    QFETCH(QVariant, runningType);
    QFETCH(QString, appIdKey);
    TestEnv env;
    LauncherConfig *config = LauncherConfig::instance();
    if (runningType.isValid())
        config->writeInt("Launcher", "runningtype", runningType.toInt());
    const QString appId = config->manifestValue(appIdKey);
    QVERIFY(!appId.isEmpty());

    HttpFixture server;
    QVERIFY(server.listen());
    auto manager = newManager(server);
    QCOMPARE(manager->appId(), appId);
    manager->trackEvent("launcher_install_start");
    QTRY_COMPARE(server.requestCount(), 1);

    const HttpFixture::Request sent = server.requests().first();
    QCOMPARE(sent.path, QByteArray("/receiver/app"));
    QCOMPARE(sent.header("appid"), appId.toUtf8());
    QCOMPARE(sent.header("TA-Integration-Count"), QByteArray("1"));
    const QJsonArray batch = decodeBatch(sent.body);
    QCOMPARE(batch.size(), 1);
    const QJsonObject event = batch.first().toObject();
    QCOMPARE(event.value("#app_id").toString(), appId);
    QCOMPARE(event.value("#event_name").toString(), QStringLiteral("launcher_install_start"));
    QCOMPARE(event.value("#type").toString(), QStringLiteral("track"));
    QCOMPARE(event.value("#distinct_id").toString(), config->deviceId());
    QCOMPARE(event.keys().size(), 8);

    // The request object goes once its reply was handled.
    QTRY_VERIFY(manager->findChildren<KVAbstractNetwork *>().isEmpty());
}

void TestDataTrack::eventProperties()
{
    TestEnv env;
    LauncherConfig *config = LauncherConfig::instance();
    config->setRegistryValue("laucher_gclid", "click-9");
    HttpFixture server;
    QVERIFY(server.listen());
    const QDateTime fixed(QDate(2024, 3, 5), QTime(7, 8, 9, 12), Qt::OffsetFromUTC, 3600);
    auto manager = newManager(server, [fixed] { return fixed; });

    const QVariantMap properties {
        {"#os", QStringLiteral("Plan9")}, // replaces the built-in value
        {"game_version", QStringLiteral("2.9.0")}, {"game_update_type", 2},
        {"downloadfail_code", qint64(5)}, // not an int: dropped
        {"flag", true}, // dropped
    };
    const QJsonObject event = manager->eventJson("launcher_downloadgame_start", properties);
    QCOMPARE(event.value("#time").toString(), QStringLiteral("2024-03-05 07:08:09.012"));
    QCOMPARE(event.value("#flush_time").toDouble(), double(fixed.toMSecsSinceEpoch()));
    const QString uuid = event.value("#uuid").toString();
    QCOMPARE(uuid.size(), 36);
    QVERIFY(!uuid.contains('{'));
    QVERIFY(uuid != manager->eventJson("x").value("#uuid").toString());

    const QJsonObject props = event.value("properties").toObject();
    QCOMPARE(props.value("#os").toString(), QStringLiteral("Plan9"));
    QCOMPARE(props.value("game_version").toString(), QStringLiteral("2.9.0"));
    QVERIFY(props.value("game_update_type").isDouble());
    QCOMPARE(props.value("game_update_type").toInt(), 2);
    QVERIFY(!props.contains("downloadfail_code"));
    QVERIFY(!props.contains("flag"));
    QCOMPARE(props.value("#screen_width").toInt(), 1920);
    QCOMPARE(props.value("#screen_height").toInt(), 1040);
    QCOMPARE(props.value("#device_model").toString(), testDevice().deviceManufacturer);
    QCOMPARE(props.value("#manufacturer").toString(), testDevice().hardware);
    QCOMPARE(props.value("game_id").toString(), config->manifestValue("gameId"));
    QCOMPARE(props.value("gclid").toString(), QStringLiteral("click-9"));
    QCOMPARE(props.value("adfid").toString(), QString());
    QCOMPARE(props.value("#zone_offset").toInt(), 1);
    QCOMPARE(props.value("#lib").toString(), QStringLiteral("Qt5.15.2"));

    // Without caller properties the built-in "#os" stays.
    QVERIFY(!manager->eventJson("launcher_open").value("properties").toObject().value("#os").toString().isEmpty());
}

void TestDataTrack::zoneOffset_data()
{
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<int>("hours");
    QTest::newRow("+5:30") << 19800 << 5;
    QTest::newRow("-5:00") << -18000 << -5;
    QTest::newRow("-3:30") << -12600 << -3;
    QTest::newRow("UTC") << 0 << 0;
}

void TestDataTrack::zoneOffset()
{
    QFETCH(int, offsetSeconds);
    QFETCH(int, hours);
    const QDateTime time(QDate(2024, 6, 1), QTime(12, 0), Qt::OffsetFromUTC, offsetSeconds);
    QCOMPARE(DataTrackManager::zoneOffsetHours(time), hours);
    QCOMPARE(DataTrackManager::zoneOffsetHours(time.toTimeZone(QTimeZone(offsetSeconds))), hours);
}

void TestDataTrack::conversionUpload()
{
    TestEnv env(1); // the global edition enables conversions
    HttpFixture server;
    QVERIFY(server.listen());
    LauncherConfig *config = LauncherConfig::instance();

    // No click id: nothing is uploaded.
    auto manager = newManager(server);
    QVERIFY(manager->conversionEnabled());
    manager->uploadConversion("launcher_open");
    manager->trackEvent("launcher_open");
    QTRY_COMPARE(server.requestCount(), 1);
    QCOMPARE(server.requests().first().path, QByteArray("/receiver/app"));

    config->setRegistryValue("laucher_gclid", "click-1");
    config->setRegistryValue("laucher_adFid", "fid-1");
    manager->uploadConversion("launcher_open");
    QTRY_COMPARE(server.requestCount(), 2);
    const HttpFixture::Request sent = server.requests().last();
    QCOMPARE(sent.path, QByteArray("/pc/conversion/upload"));
    QCOMPARE(sent.header("Content-Type"), QByteArray("text/plain;charset=utf-8"));
    QCOMPARE(sent.header("debug"), QByteArray("1"));
    const QJsonObject body = QJsonDocument::fromJson(sent.body).object();
    QCOMPARE(body.value("conversionActionName").toString(), QStringLiteral("launcher_open"));
    QCOMPARE(body.value("gclid").toString(), QStringLiteral("click-1"));
    QCOMPARE(body.value("adFid").toString(), QStringLiteral("fid-1"));
    QCOMPARE(body.value("uploadType").toString(), QStringLiteral("once"));
    QVERIFY(body.value("deviceInfo").isObject());
    QTRY_VERIFY(manager->findChildren<KVAbstractNetwork *>().isEmpty());

    // An edition that disables conversions sends only the event.
    env.setLauncherType(0);
    config = LauncherConfig::instance();
    config->setRegistryValue("laucher_gclid", "click-1");
    auto disabled = newManager(server);
    QVERIFY(!disabled->conversionEnabled());
    disabled->uploadConversion("launcher_open");
    disabled->trackEvent("launcher_open");
    QTRY_COMPARE(server.requestCount(), 3);
    QCOMPARE(server.requests().last().path, QByteArray("/receiver/app"));
}

void TestDataTrack::callsFromAnotherThreadAreSent()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    auto manager = newManager(server);
    DataTrackManager *raw = manager.get();
    QFuture<void> done = QtConcurrent::run([raw] { raw->trackEvent("launcher_playgame", {{"gameVersion", "1.0"}}); });
    done.waitForFinished();
    QTRY_COMPARE(server.requestCount(), 1);
    const QJsonObject props
        = decodeBatch(server.requests().first().body).first().toObject().value("properties").toObject();
    QCOMPARE(props.value("gameVersion").toString(), QStringLiteral("1.0"));
}

QTEST_GUILESS_MAIN(TestDataTrack)
#include "tst_datatrack.moc"
