#include "app/appdir.h"
#include "app/language.h"
#include "app/launcherconfig.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QDirIterator>
#include <QScopeGuard>
#include <QSettings>
#include <QtTest>

namespace {

// Collects what the code under test logs, for the length of one test.
class MessageLog
{
public:
    MessageLog() { s_messages.clear(), m_previous = qInstallMessageHandler(&MessageLog::handler); }
    ~MessageLog() { qInstallMessageHandler(m_previous); }
    QString text() const { return s_messages.join(QLatin1Char('\n')); }

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message) { s_messages.append(message); }
    static QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};
QStringList MessageLog::s_messages;

} // namespace

class TestLauncherConfig : public QObject
{
    Q_OBJECT

private slots:
    void editionFile_data();
    void editionFile();
    void editionSelectsManifestAndSettings_data();
    void editionSelectsManifestAndSettings();
    void unknownEditionReadsDefaultsAndWritesNothing();
    void manifestParsing();
    void manifestsHoldTheSameKeys();
    void settingsDefaultsAndRoundTrip();
    void settingsWriteIsOnDiskAtOnce();
    void unparsableSettingsAreKept_data();
    void unparsableSettingsAreKept();
    void deviceIdSources_data();
    void deviceIdSources();
    void deviceIdIsMadeOnceAndStored();
    void autoStart();
    void dataFolder_data();
    void dataFolder();
    void languageIndex_data();
    void languageIndex();
    void languageIndexIsStored();
};

void TestLauncherConfig::editionFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("named"); // the file named an edition
    QTest::newRow("japan with newline") << QByteArray("2\n") << 2 << true;
    QTest::newRow("korea with blanks and CRLF") << QByteArray("  3 \r\n1\n") << 3 << true;
    QTest::newRow("not a number is the global edition") << QByteArray("abc\n") << 1 << false;
    QTest::newRow("blank first line") << QByteArray(" \n0\n") << 1 << false;
    QTest::newRow("empty file") << QByteArray("") << 1 << false;
    QTest::newRow("unknown edition") << QByteArray("7") << 7 << true;
}

void TestLauncherConfig::editionFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    QFETCH(bool, named);
    TestEnv env(-1);
    QString problem;
    QCOMPARE(LauncherConfig::readLauncherType(env.appDir(), &problem), 1);
    QCOMPARE(problem, QStringLiteral("Can not read the launcherType"));
    env.writeFile(QStringLiteral("launcher_type.ini"), content);
    QCOMPARE(LauncherConfig::readLauncherType(env.appDir(), &problem), expected);
    QCOMPARE(problem.isEmpty(), named);

    // The process-wide edition says why it fell back to the global one.
    LauncherConfig::resetForTesting();
    MessageLog log;
    QCOMPARE(LauncherConfig::launcherType(), expected);
    QCOMPARE(log.text().contains(QLatin1String("Can not read the launcherType")), !named);
}

void TestLauncherConfig::editionSelectsManifestAndSettings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("gameId");
    QTest::addColumn<QString>("settingsFile");
    QTest::newRow("cn") << 0 << "50001"
                        << "config_cn.ini";
    QTest::newRow("global") << 1 << "60001"
                            << "config.ini";
    QTest::newRow("jp") << 2 << "70001"
                        << "config_jp.ini";
    QTest::newRow("kr") << 3 << "90001"
                        << "config_kr.ini";
}

void TestLauncherConfig::editionSelectsManifestAndSettings()
{
    QFETCH(int, type);
    QFETCH(QString, gameId);
    QFETCH(QString, settingsFile);
    TestEnv env(type);
    LauncherConfig *config = LauncherConfig::instance();
    QCOMPARE(LauncherConfig::launcherType(), type);
    QCOMPARE(config->manifestValue(QStringLiteral("gameId")), gameId);
    QCOMPARE(config->settingsPath(), env.filePath(settingsFile));
    QCOMPARE(config->manifestValue(QStringLiteral("Dev_hotupdate_host")), QStringLiteral("http://127.0.0.1:8686"));
    QCOMPARE(
        config->manifestValue(QStringLiteral("Data_Test_host")), QStringLiteral("http://127.0.0.1:8686/receiver/app"));
    QVERIFY(config->manifestValue(QStringLiteral("Release_host")).contains(QLatin1String(".example")));
    // The social pages are live in the mainland manifest only.
    QCOMPARE(config->manifestValue(QStringLiteral("discordweb")).isEmpty(), type != 0);
}

void TestLauncherConfig::unknownEditionReadsDefaultsAndWritesNothing()
{
    TestEnv env(-1);
    QVERIFY(LauncherConfig::launcherType() == 1); // a missing edition file means the global edition
    env.setLauncherType(9);
    LauncherConfig *config = LauncherConfig::instance();
    QCOMPARE(LauncherConfig::launcherType(), 9);
    QVERIFY(config->manifest().isEmpty());
    QVERIFY(config->settingsPath().isEmpty());
    config->writeInt(QStringLiteral("Game"), QStringLiteral("status"), 5);
    QCOMPARE(config->readInt(QStringLiteral("Game"), QStringLiteral("status")), -1);
    QCOMPARE(
        QDir(env.appDir()).entryList({QStringLiteral("*.ini")}), QStringList {QStringLiteral("launcher_type.ini")});

    // Nor does the native store take anything (no shared "Unknown Organization" file).
    QVERIFY(!config->deviceId().isEmpty());
    config->setRegistryValue(QStringLiteral("laucher_gclid"), QStringLiteral("click"));
    QCOMPARE(config->registryValue(QStringLiteral("laucher_gclid")), QString());
    QDirIterator files(env.filePath(QStringLiteral("native-store")), QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!files.hasNext(), qPrintable(files.hasNext() ? files.next() : QString()));
}

void TestLauncherConfig::manifestParsing()
{
    QByteArray text = "\xEF\xBB\xBFgameId=1\n"
                      "# a comment=ignored\n"
                      "   #hidden=1\n"
                      ";discordweb=https://discord.example\n"
                      "key = value=with=equals\n"
                      "spaced    words   here=a   b\n"
                      "no separator line\n"
                      "gameId=2\n"
                      "gameId=3\n"
                      "empty=\n";
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    const QMap<QString, QString> values = LauncherConfig::parseManifest(&buffer);

    // The byte-order mark stays in front of the first key, so that line is never found by name.
    QCOMPARE(values.value(QStringLiteral("gameId")), QStringLiteral("3"));
    QVERIFY(values.contains(QStringLiteral("\xFEFFgameId")));
    QVERIFY(!values.contains(QStringLiteral("# a comment")));
    QVERIFY(!values.contains(QStringLiteral("#hidden")));
    QVERIFY(!values.contains(QStringLiteral("discordweb")));
    QCOMPARE(values.value(QStringLiteral(";discordweb")), QStringLiteral("https://discord.example"));
    // Only the text between the first and second "=" is the value; blanks around "=" stay.
    QCOMPARE(values.value(QStringLiteral("key ")), QStringLiteral(" value"));
    QCOMPARE(values.value(QStringLiteral("spaced words here")), QStringLiteral("a b"));
    QVERIFY(values.contains(QStringLiteral("empty")));
    QVERIFY(values.value(QStringLiteral("empty")).isEmpty());
    QCOMPARE(values.size(), 6);
}

void TestLauncherConfig::manifestsHoldTheSameKeys()
{
    TestEnv env(1);
    const QStringList reference = LauncherConfig::instance()->manifest().keys();
    QVERIFY(reference.size() >= 30);
    for (int type : {0, 2, 3}) {
        env.setLauncherType(type);
        QStringList keys = LauncherConfig::instance()->manifest().keys();
        // The mainland manifest names the social pages that the others keep as comments.
        keys.removeAll(QStringLiteral("discordweb"));
        keys.removeAll(QStringLiteral("twitterweb"));
        keys.removeAll(QStringLiteral("youtubeweb"));
        keys.removeAll(QStringLiteral("tiktokweb"));
        QCOMPARE(keys, reference);
    }
}

void TestLauncherConfig::settingsDefaultsAndRoundTrip()
{
    TestEnv env(1);
    LauncherConfig *config = LauncherConfig::instance();
    const QString launcher = QStringLiteral("Launcher");
    QCOMPARE(config->readInt(launcher, QStringLiteral("loglevel")), -1);
    QCOMPARE(config->readString(launcher, QStringLiteral("close_tpye")), QString());
    QCOMPARE(config->readBool(launcher, QStringLiteral("popup_on_gameexit")), true);
    QCOMPARE(config->readBool(launcher, QStringLiteral("auto_update"), false), false);
    QVERIFY(config->keys(QStringLiteral("Game")).isEmpty());

    config->writeInt(launcher, QStringLiteral("downloadspeed"), 2048);
    config->writeBool(launcher, QStringLiteral("notification_enable"), false);
    config->writeString(launcher, QStringLiteral("game_install_path"), QStringLiteral("/games/羽境 Quillmere"));
    config->writeValue(QStringLiteral("Game"), QStringLiteral("totalsize"), Q_INT64_C(6442450944));
    QCOMPARE(config->readInt(launcher, QStringLiteral("downloadspeed")), 2048);
    QCOMPARE(config->readBool(launcher, QStringLiteral("notification_enable")), false);
    QCOMPARE(
        config->readString(launcher, QStringLiteral("game_install_path")), QStringLiteral("/games/羽境 Quillmere"));
    QCOMPARE(
        config->readValue(QStringLiteral("Game"), QStringLiteral("totalsize")).toLongLong(), Q_INT64_C(6442450944));

    // A text where a number is expected reads as absent.
    config->writeString(launcher, QStringLiteral("loglevel"), QStringLiteral("verbose"));
    QCOMPARE(config->readInt(launcher, QStringLiteral("loglevel")), -1);

    config->removeKey(launcher, QStringLiteral("downloadspeed"));
    QCOMPARE(config->readInt(launcher, QStringLiteral("downloadspeed")), -1);
    QVERIFY(!config->keys(launcher).contains(QStringLiteral("downloadspeed")));
    config->writeInt(QStringLiteral("UNZIP-1.0"), QStringLiteral("a"), 1);
    config->removeGroup(QStringLiteral("UNZIP-1.0"));
    QVERIFY(config->keys(QStringLiteral("UNZIP-1.0")).isEmpty());
    config->clearSettings();
    QVERIFY(config->keys(launcher).isEmpty());
}

void TestLauncherConfig::settingsWriteIsOnDiskAtOnce()
{
    TestEnv env(2);
    LauncherConfig::instance()->writeInt(QStringLiteral("Game"), QStringLiteral("status"), 6);
    // Another reader (a second process, say) sees the value as soon as the call returns.
    QSettings reader(env.filePath(QStringLiteral("config_jp.ini")), QSettings::IniFormat);
    QCOMPARE(reader.value(QStringLiteral("Game/status")).toInt(), 6);
}

void TestLauncherConfig::unparsableSettingsAreKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("kept");
    QTest::newRow("unclosed group") << QByteArray("[Launcher]\nloglevel=4\n[Game\nstatus=5\n[Other]\nx=1\n") << true;
    QTest::newRow("line without =") << QByteArray("[Launcher]\nloglevel=4\njunk line\n[Game]\nstatus=5\n") << true;
    QTest::newRow("junk after an escaped backslash") << QByteArray("[Launcher]\nx=a\\\\\njunk\n") << true;
    QTest::newRow("well formed") << QByteArray("; note\n[Launcher]\nloglevel=4\n\n[Game]\nstatus=5\n") << false;
    QTest::newRow("value on two lines") << QByteArray("[Launcher]\nx=a\\\njunk\n") << false;
}

void TestLauncherConfig::unparsableSettingsAreKept()
{
    // Qt rewrites a settings file it cannot parse without what it did not
    // understand: the old bytes are kept beside it, and the log says so truly.
    QFETCH(QByteArray, content);
    QFETCH(bool, kept);
    TestEnv env(1);
    env.writeFile(QStringLiteral("config.ini"), content);
    MessageLog log;
    LauncherConfig *config = LauncherConfig::instance();
    config->writeInt(QStringLiteral("Launcher"), QStringLiteral("language_index"), 2);
    QCOMPARE(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")), 2);
    config->writeInt(QStringLiteral("Launcher"), QStringLiteral("language_index"), 3);

    const QString copy = QStringLiteral("config.ini.bad-") + QDate::currentDate().toString(Qt::ISODate);
    const QStringList copies = QDir(env.appDir()).entryList({QStringLiteral("config.ini.bad*")}, QDir::Files);
    QCOMPARE(copies, kept ? QStringList {copy} : QStringList());
    QVERIFY2(!log.text().contains(QLatin1String("Can not write")), qPrintable(log.text()));
    if (kept) {
        QFile file(env.filePath(copy));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
        QVERIFY2(log.text().contains(QLatin1String("its old content is kept as")), qPrintable(log.text()));
    }
}

void TestLauncherConfig::deviceIdSources_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("expected"); // empty: a random 32-digit id
    QTest::newRow("hardware id") << "4C4C4544-0036-3010-8052-B4C04F4E3732"
                                 << "1234"
                                 << "4C4C4544-0036-3010-8052-B4C04F4E3732";
    QTest::newRow("machine id with blanks") << " 0123456789abcdef0123456789abcdef\n"
                                            << ""
                                            << "0123456789abcdef0123456789abcdef";
    QTest::newRow("placeholder board id") << "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"
                                          << "2893156427"
                                          << "2893156427";
    QTest::newRow("no hardware id") << ""
                                    << "2893156427"
                                    << "2893156427";
    QTest::newRow("nothing known") << ""
                                   << ""
                                   << "";
    QTest::newRow("placeholder and no volume") << "FFFFFFFF-0000"
                                               << ""
                                               << "";
}

void TestLauncherConfig::deviceIdSources()
{
    QFETCH(QString, hardware);
    QFETCH(QString, volume);
    QFETCH(QString, expected);
    const QString id = LauncherConfig::deviceIdFromSources(hardware, volume);
    if (expected.isEmpty()) {
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(id).hasMatch(), qPrintable(id));
        QVERIFY(id != LauncherConfig::deviceIdFromSources(hardware, volume));
    } else {
        QCOMPARE(id, expected);
    }
}

void TestLauncherConfig::deviceIdIsMadeOnceAndStored()
{
    TestEnv env(1);
    LauncherConfig *config = LauncherConfig::instance();
    QVERIFY(config->registryValue(QStringLiteral("laucher_deviceid")).isEmpty());
    const QString id = config->deviceId();
    QVERIFY(!id.isEmpty());
    QCOMPARE(config->registryValue(QStringLiteral("laucher_deviceid")), id);

    // A new process reads the stored id instead of making another.
    config->setRegistryValue(QStringLiteral("laucher_deviceid"), QStringLiteral("stored-id"));
    LauncherConfig::resetForTesting();
    QCOMPARE(LauncherConfig::instance()->deviceId(), QStringLiteral("stored-id"));
    // The native store is per edition: another edition has its own.
    env.setLauncherType(2);
    QVERIFY(LauncherConfig::instance()->registryValue(QStringLiteral("laucher_deviceid")).isEmpty());
}

void TestLauncherConfig::autoStart()
{
    TestEnv env(1);
    LauncherConfig *config = LauncherConfig::instance();
    QCOMPARE(config->autoStartName(), QStringLiteral("quillmere-launcher"));
    QCOMPARE(config->launcherPath(), env.filePath(QStringLiteral("quillmere-launcher")));
    QVERIFY(!config->isAutoStartEnabled());
    config->setAutoStart(true);
    QVERIFY(config->isAutoStartEnabled());
    const QString entry = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/quillmere-launcher.desktop");
    QVERIFY(entry.startsWith(env.appDir()));
    QVERIFY2(QFile::exists(entry), qPrintable(entry));
    config->setAutoStart(true); // idempotent
    QVERIFY(config->isAutoStartEnabled());

    // An entry left by a launcher in another folder is not this launcher's.
    AppDir::setPath(env.filePath(QStringLiteral("elsewhere")));
    QVERIFY(!config->isAutoStartEnabled());
    AppDir::setPath(env.appDir());

    config->setAutoStart(false);
    QVERIFY(!config->isAutoStartEnabled());
    QVERIFY(!QFile::exists(entry));
}

void TestLauncherConfig::dataFolder_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QByteArray>("dataEdition"); // the data folder's edition file; empty: none
    QTest::addColumn<int>("edition");
    QTest::newRow("writable program folder holds the data") << true << QByteArray() << 2;
    QTest::newRow("read-only program folder: the user's data folder") << false << QByteArray() << 2;
    QTest::newRow("read-only: the data folder's edition file counts") << false << QByteArray("3\n") << 3;
}

void TestLauncherConfig::dataFolder()
{
    QFETCH(bool, writable);
    QFETCH(QByteArray, dataEdition);
    QFETCH(int, edition);
    TestEnv env(-1);
    const QString program = env.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program + QStringLiteral("/updateProgram")));
    env.writeFile(QStringLiteral("program/launcher_type.ini"), "2\n");
    if (!dataEdition.isEmpty()) {
        QVERIFY(QDir().mkpath(AppDir::userDataPath()));
        env.writeFile(
            QDir(env.appDir()).relativeFilePath(AppDir::userDataPath() + QStringLiteral("/launcher_type.ini")),
            dataEdition);
    }
    const QFile::Permissions readOnly
        = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!writable)
        QVERIFY(QFile::setPermissions(program, readOnly));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(program, readOnly | QFile::WriteOwner); });
    AppDir::setProgramPath(program);
    AppDir::setPath(QString());
    LauncherConfig::resetForTesting();

    const QString expected = writable ? program : AppDir::userDataPath();
    QVERIFY(expected.startsWith(env.appDir()));
    QCOMPARE(AppDir::settle(), expected);
    QCOMPARE(AppDir::path(), expected);
    QCOMPARE(AppDir::keepsDataBesideProgram(), writable);
    QCOMPARE(LauncherConfig::launcherType(), edition);
    LauncherConfig *config = LauncherConfig::instance();
    config->writeInt(QStringLiteral("Launcher"), QStringLiteral("language_index"), 2);
    QVERIFY2(
        QFile::exists(expected + QLatin1Char('/') + LauncherConfig::settingsFileName(edition)), qPrintable(expected));
    // The program's own files stay where they are installed: the auto-start
    // entry and the updater point there.
    QCOMPARE(config->launcherPath(), program + QStringLiteral("/quillmere-launcher"));
    QCOMPARE(config->updaterDir(), program + QStringLiteral("/updateProgram/"));
    if (!writable) {
        QCOMPARE(QDir(program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({QStringLiteral("launcher_type.ini"), QStringLiteral("updateProgram")}));
    }
}

void TestLauncherConfig::languageIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("edition");
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<int>("expected");
    QTest::newRow("stored wins") << 2 << 0 << QStringList {"en-US"} << 2;
    QTest::newRow("cn edition ignores system") << -1 << 0 << QStringList {"ja-JP"} << 0;
    QTest::newRow("kr edition ignores system") << -1 << 3 << QStringList {"en-US"} << 3;
    QTest::newRow("traditional chinese") << -1 << 1 << QStringList {"zh-TW", "en-US"} << 4;
    QTest::newRow("hong kong underscore") << -1 << 2 << QStringList {"zh_HK"} << 4;
    QTest::newRow("simplified chinese") << -1 << 1 << QStringList {"zh-CN"} << 0;
    QTest::newRow("first known language decides") << -1 << 1 << QStringList {"pt-BR", "ja-JP", "en-US"} << 2;
    QTest::newRow("comparison is case-sensitive") << -1 << 1 << QStringList {"JA-jp", "ko-KR"} << 3;
    QTest::newRow("global falls back to english") << -1 << 1 << QStringList {"de-DE"} << 1;
    QTest::newRow("japan falls back to japanese") << -1 << 2 << QStringList {"fr-FR"} << 2;
    QTest::newRow("unknown edition falls back to english") << -1 << 7 << QStringList {} << 1;
    QTest::newRow("stored index out of range is ignored") << 9 << 1 << QStringList {"ko-KR"} << 3;
}

void TestLauncherConfig::languageIndex()
{
    QFETCH(int, stored);
    QFETCH(int, edition);
    QFETCH(QStringList, uiLanguages);
    QFETCH(int, expected);
    const int index = Language::chooseIndex(stored, edition, uiLanguages);
    QCOMPARE(index, expected);
    QVERIFY(Language::translationFile(index).startsWith(QLatin1String(":/i18n/app_")));
}

void TestLauncherConfig::languageIndexIsStored()
{
    TestEnv env(1);
    LauncherConfig *config = LauncherConfig::instance();
    QCOMPARE(config->languageIndex(), -1);
    config->setLanguageIndex(4);
    QCOMPARE(config->languageIndex(), 4);
    QCOMPARE(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")), 4);
    QCOMPARE(Language::code(4), QStringLiteral("zh_TC"));
    QCOMPARE(Language::code(-1), QStringLiteral("en"));
}

QTEST_GUILESS_MAIN(TestLauncherConfig)
#include "tst_launcherconfig.moc"
