#include "app/fileutil.h"
#include "app/qmlcommonconfigs.h"
#include "app/readfilethread.h"
#include "app/texts.h"
#include "support/testenv.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QtTest>
#include <cmath>

class TestUtilities : public QObject
{
    Q_OBJECT

private slots:
    void sizeTexts_data();
    void sizeTexts();
    void durationTexts_data();
    void durationTexts();
    void percentTexts_data();
    void percentTexts();
    void versionComparison_data();
    void versionComparison();
    void md5IsStreamed();
    void removeBySuffix();
    void copyAndRemoveFolders();
    void removeFolderDoesNotFollowLinks();
    void folderSizeCountsVisibleFiles();
    void freeSpaceOfAFolderNotMadeYet();
    void createParentFolder();
    void readFileThread();
    void fontFamily();
};

void TestUtilities::sizeTexts_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<bool>("speed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << quint64(0) << false << "0.0 B";
    QTest::newRow("below a kilobyte") << quint64(1023) << false << "1023.0 B";
    QTest::newRow("one and a half KB") << quint64(1536) << false << "1.5 KB";
    QTest::newRow("just below a megabyte") << quint64(1048575) << false << "1024.0 KB";
    QTest::newRow("one megabyte") << quint64(1048576) << false << "1.0 MB";
    QTest::newRow("speed") << quint64(2621440) << true << "2.5 MB/S";
    QTest::newRow("rounds up to a gigabyte") << quint64(1073741823) << false << "1.0 GB";
    QTest::newRow("one gigabyte") << quint64(1073741824) << false << "1.0 GB";
    QTest::newRow("a large package") << quint64(6442450944ULL) << false << "6.0 GB";
    QTest::newRow("largest value") << std::numeric_limits<quint64>::max() << true << "17179869184.0 GB/S";
}

void TestUtilities::sizeTexts()
{
    QFETCH(quint64, bytes);
    QFETCH(bool, speed);
    QFETCH(QString, expected);
    QCOMPARE(sizeText(bytes, speed), expected);
}

void TestUtilities::durationTexts_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("negative") << qint64(-5) << "0s";
    QTest::newRow("zero") << qint64(0) << "0s";
    QTest::newRow("59") << qint64(59) << "59s";
    QTest::newRow("60") << qint64(60) << "1m";
    QTest::newRow("120") << qint64(120) << "2m";
    QTest::newRow("61") << qint64(61) << "1m 1s";
    QTest::newRow("3599") << qint64(3599) << "59m 59s";
    QTest::newRow("3600") << qint64(3600) << "1h";
    QTest::newRow("3601") << qint64(3601) << "1h 1s";
    QTest::newRow("86399") << qint64(86399) << "23h 59m 59s";
    QTest::newRow("86400") << qint64(86400) << "1d";
    QTest::newRow("90061") << qint64(90061) << "1d 1h 1m 1s";
    QTest::newRow("days and seconds") << qint64(2 * 86400 + 5) << "2d 5s";
}

void TestUtilities::durationTexts()
{
    QFETCH(qint64, seconds);
    QFETCH(QString, expected);
    QCOMPARE(durationText(seconds), expected);
}

void TestUtilities::percentTexts_data()
{
    QTest::addColumn<double>("share");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing") << 0.0 << "0%";
    QTest::newRow("whole, rounded down") << 0.6420 << "64%";
    QTest::newRow("0.29 is not 28") << 0.29 << "29%";
    QTest::newRow("almost done") << 0.99999 << "99%";
    QTest::newRow("done") << 1.0 << "100%";
    QTest::newRow("below nothing") << -0.5 << "0%";
    QTest::newRow("beyond done") << 5e300 << "100%";
    QTest::newRow("undefined") << std::nan("") << "0%";
}

void TestUtilities::percentTexts()
{
    QFETCH(double, share);
    QFETCH(QString, expected);
    QCOMPARE(percentText(share), expected);
}

void TestUtilities::versionComparison_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("latest");
    QTest::addColumn<bool>("newer");
    QTest::newRow("numeric not textual") << "1.9"
                                         << "1.10" << true;
    QTest::newRow("missing part is 0") << "1.2"
                                       << "1.2.0" << false;
    QTest::newRow("both empty") << ""
                                << "" << true;
    QTest::newRow("empty current") << ""
                                   << "1.0" << true;
    QTest::newRow("empty latest") << "1.0"
                                  << "" << false;
    QTest::newRow("older latest") << "2.8.0.0"
                                  << "2.7.9.9" << false;
    QTest::newRow("newer last part") << "2.8.0.0"
                                     << "2.8.0.1" << true;
    QTest::newRow("non-numeric part is 0") << "1.beta"
                                           << "1.0.1" << true;
    QTest::newRow("empty part is 0") << "1..1"
                                     << "1.0.1" << false;
    QTest::newRow("equal") << "3.1.4"
                           << "3.1.4" << false;
    QTest::newRow("huge parts do not overflow") << "1.4294967296"
                                                << "1.4294967297" << true;
}

void TestUtilities::versionComparison()
{
    QFETCH(QString, current);
    QFETCH(QString, latest);
    QFETCH(bool, newer);
    QCOMPARE(needsAppUpdate(current, latest), newer);
}

void TestUtilities::md5IsStreamed()
{
    TestEnv env;
    QByteArray content;
    for (int i = 0; i < 300000; ++i)
        content.append(char(i * 7));
    env.writeFile(QStringLiteral("blob.bin"), content);
    QCOMPARE(FileUtil::md5OfFile(env.filePath(QStringLiteral("blob.bin"))),
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex()));
    env.writeFile(QStringLiteral("empty"), QByteArray());
    QCOMPARE(
        FileUtil::md5OfFile(env.filePath(QStringLiteral("empty"))), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    QVERIFY(FileUtil::md5OfFile(env.filePath(QStringLiteral("missing"))).isEmpty());
    QVERIFY(FileUtil::md5OfFile(env.appDir()).isEmpty());
}

void TestUtilities::removeBySuffix()
{
    TestEnv env;
    env.writeFile(QStringLiteral("Downloads/game_1.7z"), "a");
    env.writeFile(QStringLiteral("Downloads/game_2.7z.tmp"), "b");
    env.writeFile(QStringLiteral("Downloads/GAME_3.7Z"), "c");
    env.writeFile(QStringLiteral("Downloads/sub.7z/inner.7z"), "d");
    const QString folder = env.filePath(QStringLiteral("Downloads"));
    QVERIFY(QFile::link(env.filePath(QStringLiteral("Downloads/game_2.7z.tmp")), folder + "/link.7z"));

    FileUtil::removeFilesWithSuffix(folder, QStringLiteral(".7z"));
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    left.sort();
    QCOMPARE(left, (QStringList {"GAME_3.7Z", "game_2.7z.tmp", "link.7z", "sub.7z"}));
    QVERIFY(QFile::exists(folder + "/sub.7z/inner.7z"));

    // A missing or empty folder is only reported.
    FileUtil::removeFilesWithSuffix(env.filePath(QStringLiteral("nothing")), QStringLiteral(".7z"));
    QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("empty"))));
    FileUtil::removeFilesWithSuffix(env.filePath(QStringLiteral("empty")), QStringLiteral(".7z"));
}

void TestUtilities::copyAndRemoveFolders()
{
    TestEnv env;
    env.writeFile(QStringLiteral("src/a.txt"), "new a");
    env.writeFile(QStringLiteral("src/deep/er/b.txt"), "b");
    env.writeFile(QStringLiteral("src/.hidden"), "h");
    env.writeFile(QStringLiteral("dst/a.txt"), "old a, longer than the new one");
    env.writeFile(QStringLiteral("dst/keep.txt"), "k");

    QVERIFY(FileUtil::copyFolder(env.filePath(QStringLiteral("src")), env.filePath(QStringLiteral("dst"))));
    QFile a(env.filePath(QStringLiteral("dst/a.txt")));
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("new a"));
    QVERIFY(QFile::exists(env.filePath(QStringLiteral("dst/deep/er/b.txt"))));
    QVERIFY(QFile::exists(env.filePath(QStringLiteral("dst/.hidden"))));
    QVERIFY(QFile::exists(env.filePath(QStringLiteral("dst/keep.txt"))));

    QVERIFY(FileUtil::removeFolder(env.filePath(QStringLiteral("dst"))));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("dst"))));
    QVERIFY(!FileUtil::removeFolder(env.filePath(QStringLiteral("dst"))));
}

void TestUtilities::removeFolderDoesNotFollowLinks()
{
    TestEnv env;
    env.writeFile(QStringLiteral("precious/save.dat"), "progress");
    env.writeFile(QStringLiteral("game/data.pak"), "x");
    QVERIFY(QFile::link(env.filePath(QStringLiteral("precious")), env.filePath(QStringLiteral("game/link"))));
    QVERIFY(FileUtil::removeFolder(env.filePath(QStringLiteral("game"))));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("game"))));
    QVERIFY(QFile::exists(env.filePath(QStringLiteral("precious/save.dat"))));
}

void TestUtilities::folderSizeCountsVisibleFiles()
{
    TestEnv env;
    env.writeFile(QStringLiteral("game/a"), QByteArray(1000, 'a'));
    env.writeFile(QStringLiteral("game/sub/b"), QByteArray(234, 'b'));
    env.writeFile(QStringLiteral("game/.hidden"), QByteArray(50, 'h'));
    env.writeFile(QStringLiteral("game/.cache/c"), QByteArray(70, 'c'));
    QVERIFY(QFile::link(env.filePath(QStringLiteral("game")), env.filePath(QStringLiteral("game/sub/loop"))));
    QCOMPARE(FileUtil::folderSize(env.filePath(QStringLiteral("game"))), qint64(1234));
    QCOMPARE(FileUtil::folderSize(env.filePath(QStringLiteral("missing"))), qint64(0));
}

void TestUtilities::freeSpaceOfAFolderNotMadeYet()
{
    TestEnv env;
    const qint64 here = FileUtil::freeSpace(env.appDir());
    QVERIFY(here > 0);
    const qint64 below = FileUtil::freeSpace(env.filePath(QStringLiteral("not/made/yet")));
    // The same volume: equal up to what other processes wrote meanwhile.
    QVERIFY(qAbs(below - here) < 512LL * 1024 * 1024);
    QCOMPARE(FileUtil::freeSpace(QString()), qint64(0));
}

void TestUtilities::createParentFolder()
{
    TestEnv env;
    const QString file = env.filePath(QStringLiteral("a/b/c/file.txt"));
    QVERIFY(FileUtil::createParentFolder(file));
    QVERIFY(QFileInfo(env.filePath(QStringLiteral("a/b/c"))).isDir());
    QVERIFY(FileUtil::createParentFolder(file)); // nothing to do
    env.writeFile(QStringLiteral("blocker"), "a file where a folder should be");
    QVERIFY(!FileUtil::createParentFolder(env.filePath(QStringLiteral("blocker/sub/file.txt"))));
}

void TestUtilities::readFileThread()
{
    TestEnv env;
    env.writeFile(QStringLiteral("news.json"), QStringLiteral("{\"title\":\"羽\"}").toUtf8());
    ReadFileThread reader(env.filePath(QStringLiteral("news.json")));
    QSignalSpy spy(&reader, &ReadFileThread::sendString);
    reader.start();
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("{\"title\":\"羽\"}"));
    reader.wait();

    ReadFileThread missing(env.filePath(QStringLiteral("missing.json")));
    QSignalSpy missingSpy(&missing, &ReadFileThread::sendString);
    missing.start();
    QTRY_COMPARE(missingSpy.count(), 1);
    QVERIFY(missingSpy.at(0).at(0).toString().isEmpty());
    missing.wait();
}

void TestUtilities::fontFamily()
{
    TestEnv env(1);
    QmlCommonConfigs configs;
    // Without a catalogue that names a family, the default stays.
    QCOMPARE(configs.fontFamily(), QStringLiteral("Arial"));
    QSignalSpy spy(&configs, &QmlCommonConfigs::fontFamilyChanged);
    configs.setFontFamily(QStringLiteral("Arial"));
    QCOMPARE(spy.count(), 0);
    configs.setFontFamily(QStringLiteral("Noto Sans"));
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestUtilities)
#include "tst_utilities.moc"
