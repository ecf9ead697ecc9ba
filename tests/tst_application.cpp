#include "app/commandline.h"
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
    void commandLine_data();
    void commandLine();
    void startReadsEnvironmentAndIdentity();
};

void TestApplication::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("wanted"); // answered without a window
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString none;
    QTest::newRow("no arguments open the window") << QStringList() << false << 0 << none << none;
    QTest::newRow("Qt's window options open the window")
        << QStringList({"-platform", "offscreen", "-style=fusion", "--reverse"}) << false << 0 << none << none;
    QTest::newRow("version") << QStringList({"--version"}) << true << 0 << "tst_application 9.8.7\n" << none;
    QTest::newRow("help lists the verbs") << QStringList({"-h"}) << true << 0 << "--fake-verb" << none;
    QTest::newRow("help-all") << QStringList({"--help-all"}) << true << 0 << "--fake-verb" << none;
    QTest::newRow("a verb runs") << QStringList({"--fake-verb"}) << true << 0 << "verb ran" << none;
    QTest::newRow("unknown option") << QStringList({"--no-such"}) << true << 2 << none << "Unknown option 'no-such'";
    QTest::newRow("unknown short option") << QStringList({"-x"}) << true << 2 << none << "Unknown option 'x'";
    QTest::newRow("after a Qt option") << QStringList({"-platform", "xcb", "-x"}) << true << 2 << none
                                       << "Unknown option 'x'";
    QTest::newRow("Qt's options are left out")
        << QStringList({"--platform", "offscreen", "--version"}) << true << 0 << "9.8.7" << none;
    QTest::newRow("stray argument") << QStringList({"stray"}) << true << 2 << none << "Unexpected argument 'stray'";
}

void TestApplication::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, wanted);
    arguments.prepend(QStringLiteral("tst_application"));
    QCOMPARE(CommandLine::wanted(arguments), wanted);
    if (!wanted)
        return;
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
    CommandLine commandLine;
    commandLine.addVerb({QCommandLineOption(QStringLiteral("fake-verb"), QStringLiteral("A verb.")), {},
        [](const CommandLine::Context &context) {
            context.out << "verb ran";
            return int(CommandLine::Done);
        }});
    QString outText;
    QString errText;
    QTextStream outStream(&outText);
    QTextStream errStream(&errText);
    QCOMPARE(commandLine.run(arguments, outStream, errStream), code);
    QVERIFY2(out.isEmpty() ? outText.isEmpty() : outText.contains(out), qPrintable(outText));
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.contains(err), qPrintable(errText));
}

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
