#include "app/launcherconfig.h"
#include "install/gamefiles.h"
#include "support/testenv.h"

#include <QtTest>

class TestGameFiles : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWithoutSettings();
    void installDirFallbacks();
    void sizesFromFileNames_data();
    void sizesFromFileNames();
    void unzipRecords();
    void clearInstallRecordsKeepsTheInstallFolder();
    void isGameInstalled();
    void lostStatusIsRecoveredFromTheNativeStore_data();
    void lostStatusIsRecoveredFromTheNativeStore();
    void droppedFilesStayInsideTheGame_data();
    void droppedFilesStayInsideTheGame();
};

void TestGameFiles::defaultsWithoutSettings()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    QCOMPARE(files->status(), InstallStatus::Absent);
    QCOMPARE(files->updateType(), 1);
    QVERIFY(files->targetVersion().isEmpty());
    QVERIFY(files->installedVersion().isEmpty());
    QCOMPARE(files->installDir(), env.filePath(QStringLiteral("Quillmereen")));
    QCOMPARE(files->gameExePath(), env.filePath(QStringLiteral("Quillmereen/quillmere")));
    QVERIFY(!QFile::exists(env.filePath(QStringLiteral("config.ini"))));

    files->setStatus(InstallStatus::Downloaded);
    files->setUpdateType(2);
    files->setTargetVersion(QStringLiteral("1.2.0"));
    files->setTotalSize(Q_INT64_C(5000000000));
    QCOMPARE(files->status(), InstallStatus::Downloaded);
    QCOMPARE(files->updateType(), 2);
    QCOMPARE(files->targetVersion(), QStringLiteral("1.2.0"));
    QCOMPARE(LauncherConfig::instance()->readValue(QStringLiteral("Game"), QStringLiteral("totalsize")).toLongLong(),
        Q_INT64_C(5000000000));
}

void TestGameFiles::installDirFallbacks()
{
    TestEnv env(2);
    GameFiles *files = GameFiles::instance();
    LauncherConfig *config = LauncherConfig::instance();
    config->setRegistryValue(QStringLiteral("game_exe_install_dir"), QStringLiteral("/from/registry"));
    QCOMPARE(files->installDir(), QStringLiteral("/from/registry"));
    files->setInstallDir(QStringLiteral("  /games/Quillmere  "));
    QCOMPARE(files->installDir(), QStringLiteral("/games/Quillmere"));
    QCOMPARE(config->registryValue(QStringLiteral("game_exe_install_dir")), QStringLiteral("/games/Quillmere"));
    QCOMPARE(config->readString(QStringLiteral("Launcher"), QStringLiteral("game_install_path")),
        QStringLiteral("/games/Quillmere"));
}

void TestGameFiles::sizesFromFileNames_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<qint64>("packed");
    QTest::addColumn<qint64>("unpacked");
    QTest::newRow("both sizes") << "http://cdn.example/pkg/game_origin_2048_size_1024_md5_abc.7z" << qint64(1024)
                                << qint64(2048);
    QTest::newRow("large sizes") << "http://cdn.example/full_origin_12884901888_size_6442450944_md5_ff.zip.001"
                                 << qint64(6442450944) << qint64(12884901888);
    QTest::newRow("query is not part of the name")
        << "http://cdn.example/a_origin_10_size_5_md5_x.7z?size_9_md5" << qint64(5) << qint64(10);
    QTest::newRow("no markers") << "http://cdn.example/plain.7z" << qint64(0) << qint64(0);
    QTest::newRow("not a number") << "http://cdn.example/a_origin_ten_size_five_md5.7z" << qint64(0) << qint64(0);
    QTest::newRow("markers in the wrong order")
        << "http://cdn.example/a_md5_1_size_2_origin.7z" << qint64(0) << qint64(0);
}

void TestGameFiles::sizesFromFileNames()
{
    QFETCH(QString, url);
    QFETCH(qint64, packed);
    QFETCH(qint64, unpacked);
    TestEnv env(1);
    QCOMPARE(GameFiles::instance()->fileNameSize(url), packed);
    QCOMPARE(GameFiles::instance()->originSize(url), unpacked);
    QVERIFY(GameFiles::instance()->downloadFilePath(url).startsWith(env.filePath(QStringLiteral("Downloads/"))));
    QCOMPARE(GameFiles::instance()->tempFilePath(url), GameFiles::instance()->downloadFilePath(url) + ".tmp");
}

void TestGameFiles::unzipRecords()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    const QString a = QStringLiteral("http://cdn.example/p/a_origin_1_size_1_md5_x.7z");
    const QString b = QStringLiteral("http://cdn.example/p/b 2.zip?x=1&y=%2F");
    files->markArchiveExtracted(QStringLiteral("1.2.0"), a);
    files->markArchiveFailed(QStringLiteral("1.2.0"), b);
    files->markArchiveExtracted(QStringLiteral("1.3.0"), b);
    QCOMPARE(files->unzippedArchives(QStringLiteral("1.2.0")), QStringList {GameFiles::archiveKey(a)});
    QCOMPARE(QUrl::fromPercentEncoding(GameFiles::archiveKey(b).toLatin1()), b);
    QVERIFY(!GameFiles::archiveKey(b).contains(QLatin1Char('/')));
    files->clearUnzipRecords(QStringLiteral("1.2.0"));
    QVERIFY(files->unzippedArchives(QStringLiteral("1.2.0")).isEmpty());
    QCOMPARE(files->unzippedArchives(QStringLiteral("1.3.0")).size(), 1);
}

void TestGameFiles::clearInstallRecordsKeepsTheInstallFolder()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setInstallDir(QStringLiteral("/games/q"));
    files->setInstalledVersion(QStringLiteral("1.2.0"));
    files->setStatus(InstallStatus::Installed);
    files->markArchiveExtracted(QStringLiteral("1.2.0"), QStringLiteral("http://x/a.7z"));
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("language_index"), 1);

    files->clearInstallRecords(QStringLiteral("1.2.0"));
    QCOMPARE(files->status(), InstallStatus::Absent);
    QVERIFY(files->installedVersion().isEmpty());
    QVERIFY(files->unzippedArchives(QStringLiteral("1.2.0")).isEmpty());
    QCOMPARE(files->installDir(), QStringLiteral("/games/q"));
    QCOMPARE(
        LauncherConfig::instance()->registryValue(QStringLiteral("game_exe_install_dir")), QStringLiteral("/games/q"));
    QCOMPARE(LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")), 1);
}

void TestGameFiles::isGameInstalled()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setInstallDir(env.filePath(QStringLiteral("game")));
    env.writeFile(QStringLiteral("game/quillmere"), QByteArray(100, 'x'));
    env.writeFile(QStringLiteral("game/data/world.pak"), QByteArray(900, 'w'));
    QVERIFY(!files->isGameInstalled(0)); // no version recorded
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    QVERIFY(files->isGameInstalled(1000));
    QVERIFY(!files->isGameInstalled(1001)); // the folder is smaller than the package
    files->deleteFile(files->gameExePath());
    QVERIFY(!QFile::exists(files->gameExePath()));
    QVERIFY(!files->isGameInstalled(0));
    files->deleteFile(QString()); // nothing to do
    files->deleteFile(env.filePath(QStringLiteral("missing")));
}

void TestGameFiles::lostStatusIsRecoveredFromTheNativeStore_data()
{
    QTest::addColumn<QByteArray>("settings"); // config.ini as found
    QTest::addColumn<bool>("nativeVersion");
    QTest::addColumn<bool>("nativeFolder");
    QTest::addColumn<QStringList>("gameFiles");
    QTest::addColumn<int>("expected");

    // Cut short while it was written, and zeroed by a crash.
    const QByteArray damaged("[Launcher]\nlanguage_index=1\n[Ga");
    const QByteArray none;
    const QStringList game {"exe", "quillmere_version.ini"};
    const int installed = int(InstallStatus::Installed);
    const int absent = int(InstallStatus::Absent);
    QTest::newRow("damaged settings") << damaged << true << true << game << installed;
    QTest::newRow("zeroed settings") << QByteArray(64, '\0') << true << true << game << installed;
    QTest::newRow("no settings file") << none << true << true << game << installed;
    QTest::newRow("status not a number") << QByteArray("[Game]\nstatus=five\n") << true << true << game << installed;
    QTest::newRow("older version file") << damaged << true << true << QStringList {"exe", "version.txt"} << installed;
    QTest::newRow("no executable") << damaged << true << true << QStringList {"quillmere_version.ini"} << absent;
    QTest::newRow("no version file") << damaged << true << true << QStringList {"exe"} << absent;
    QTest::newRow("native store names no version") << damaged << false << true << game << absent;
    QTest::newRow("native store names no folder") << damaged << true << false << game << absent;
    QTest::newRow("a stored status stays")
        << QByteArray("[Game]\nstatus=1\n") << true << true << game << int(InstallStatus::Downloading);
}

void TestGameFiles::lostStatusIsRecoveredFromTheNativeStore()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, nativeVersion);
    QFETCH(bool, nativeFolder);
    QFETCH(QStringList, gameFiles);
    QFETCH(int, expected);

    TestEnv env(1);
    if (!settings.isEmpty())
        env.writeFile(QStringLiteral("config.ini"), settings);
    LauncherConfig *config = LauncherConfig::instance();
    const QString folder = env.filePath(QStringLiteral("game"));
    if (nativeVersion)
        config->setRegistryValue(QStringLiteral("game_exe_install_version"), QStringLiteral("1.2.0"));
    if (nativeFolder)
        config->setRegistryValue(QStringLiteral("game_exe_install_dir"), folder);
    GameFiles *files = GameFiles::instance();
    for (const QString &name : gameFiles) {
        const QString path = name == QLatin1String("exe") ? files->gameExePath() : folder + QLatin1Char('/') + name;
        env.writeFile(QDir(env.appDir()).relativeFilePath(path), "1.2.0\n");
    }

    const bool recovered = expected == int(InstallStatus::Installed);
    if (recovered)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("recorded as installed$")));
    QCOMPARE(int(files->status()), expected);
    if (recovered) { // recorded again, so the next run finds it too
        QCOMPARE(config->readInt(QStringLiteral("Game"), QStringLiteral("status")), expected);
        QCOMPARE(files->targetVersion(), QStringLiteral("1.2.0"));
        QCOMPARE(files->installDir(), folder);
    }
}

void TestGameFiles::droppedFilesStayInsideTheGame_data()
{
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("left"); // below the launcher folder

    const QStringList all {"game/quillmere", "game/data/old.pak", "game/levels", "outside/keep.pak"};
    const QStringList withoutOld {"game/quillmere", "game/levels", "outside/keep.pak"};
    QTest::newRow("file of the game") << "data/old.pak" << 1 << withoutOld;
    QTest::newRow("back-slashes") << "data\\old.pak" << 1 << withoutOld;
    QTest::newRow("a link: the link goes, not what it points at") << "linked" << 1 << all;
    QTest::newRow("already gone") << "data/gone.pak" << 0 << all;
    QTest::newRow("in a folder that is gone") << "maps/a.map" << 0 << all;
    QTest::newRow("climbs out") << "../outside/keep.pak" << 0 << all;
    QTest::newRow("absolute") << "@outside" << 0 << all;
    QTest::newRow("through a linked folder") << "linked/keep.pak" << 0 << all;
    QTest::newRow("a folder") << "levels" << 0 << all;
}

// The list comes from the update service: whatever it names, only files
// inside the game folder go.
void TestGameFiles::droppedFilesStayInsideTheGame()
{
    QFETCH(QString, dropped);
    QFETCH(int, removed);
    QFETCH(QStringList, left);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setInstallDir(env.filePath(QStringLiteral("game")));
    env.writeFile(QStringLiteral("game/quillmere"), "game");
    env.writeFile(QStringLiteral("game/data/old.pak"), "old");
    env.writeFile(QStringLiteral("game/levels/.keep"), "");
    env.writeFile(QStringLiteral("outside/keep.pak"), "mine");
    QVERIFY(QFile::link(env.filePath(QStringLiteral("outside")), env.filePath(QStringLiteral("game/linked"))));
    if (dropped == QLatin1String("@outside"))
        dropped = env.filePath(QStringLiteral("outside/keep.pak"));

    QCOMPARE(files->removeDroppedFiles({dropped}), removed);
    for (const QString &path : {"game/quillmere", "game/data/old.pak", "game/levels", "outside/keep.pak"})
        QCOMPARE(QFileInfo::exists(env.filePath(path)), left.contains(path));
}

QTEST_GUILESS_MAIN(TestGameFiles)
#include "tst_gamefiles.moc"
