#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "app/logmanager.h"
#include "support/testenv.h"

#include <QJsonObject>
#include <QtTest>

// KVApplication is built once per process, so this executable checks one start.
class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void startReadsEnvironmentAndIdentity();
};

void TestApplication::startReadsEnvironmentAndIdentity()
{
    TestEnv env(2);
    LauncherConfig *config = LauncherConfig::instance();
    config->writeInt(QStringLiteral("Launcher"), QStringLiteral("runningtype"), 1);
    config->writeInt(QStringLiteral("Launcher"), QStringLiteral("debug"), 1);
    config->setRegistryValue(QStringLiteral("laucher_gclid"), QStringLiteral("click-42"));

    KVApplication *app = KVApplication::instance();
    QCOMPARE(app->runningType(), 1);
    QVERIFY(app->isDebug());

    const QJsonObject package = app->packageInfo().toJson();
    QCOMPARE(package.size(), 15);
    QCOMPARE(package.value(QStringLiteral("gameId")).toString(), QStringLiteral("70001"));
    QCOMPARE(package.value(QStringLiteral("appVersionName")).toString(), LauncherConfig::applicationVersion());
    QCOMPARE(package.value(QStringLiteral("gclid")).toString(), QStringLiteral("click-42"));
    QCOMPARE(package.value(QStringLiteral("adFid")).toString(), QString());
    QCOMPARE(package.value(QStringLiteral("sdkVersion")).toString(), QString());

    const QJsonObject device = app->deviceInfo().toJson();
    QCOMPARE(device.value(QStringLiteral("osType")).toInt(), 2);
    QCOMPARE(device.value(QStringLiteral("deviceId")).toString(), config->deviceId());
    QVERIFY(!device.value(QStringLiteral("buildName")).toString().isEmpty());
    QVERIFY(device.value(QStringLiteral("displayWidth")).toString().toInt() > 0);

    KVApplication::createDataFolders();
    for (const char *folder : {"Downloads", "AppData", "Images", "Update"})
        QVERIFY(QFileInfo(env.filePath(QString::fromLatin1(folder))).isDir());

    // The start banner and the identity line reach the log.
    LogManager::instance()->flush();
    qInstallMessageHandler(nullptr);
    QFile log(env.filePath(QStringLiteral("logs/log.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    QVERIFY(text.contains(LogManager::bannerText()));
    QVERIFY(text.contains(
        QStringLiteral("[INFO]: [%1]-[%2]").arg(LauncherConfig::applicationVersion(), config->deviceId())));
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
