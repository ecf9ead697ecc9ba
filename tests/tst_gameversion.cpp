#include "install/gameversioninfo.h"
#include "support/testenv.h"

#include <QJsonObject>
#include <QtTest>

class TestGameVersion : public QObject
{
    Q_OBJECT

private slots:
    void signAndBody();
    void emptyVersionsAreSentAsEmptyTexts();
    void versionReply_data();
    void versionReply();
    void packageChoice_data();
    void packageChoice();
    void sizesAndTypes();
    void workingRecordTakesThePackage();
    void smallFilesDocument();
    void smallFilesDocumentRefusesPathsOutsideTheGame_data();
    void smallFilesDocumentRefusesPathsOutsideTheGame();
    void recordsTravelThroughQueuedSignals();
};

void TestGameVersion::signAndBody()
{
    TestEnv env(1);
    GameCurrentRequestInfo request(QStringLiteral("1.2.3"), DeviceInfo(), AppPackageInfo(), 3);
    QCOMPARE(request.signedText(), QStringLiteral("60001_2_4_200_6001_1.2.3"));
    QCOMPARE(request.sign, GameCurrentRequestInfo::signOf(QStringLiteral("60001_2_4_200_6001_1.2.3")));
    QCOMPARE(request.sign.size(), 32);
    request.targetVersion = QStringLiteral("1.3.0");
    const QJsonObject json = request.toJson();
    QCOMPARE(json.value(QStringLiteral("envType")).toInt(), 4);
    QCOMPARE(json.value(QStringLiteral("channelId")).toInt(), 200);
    QCOMPARE(json.value(QStringLiteral("targetVersion")).toString(), QStringLiteral("1.3.0"));
    QVERIFY(json.value(QStringLiteral("deviceInfo")).isObject());
    QVERIFY(json.value(QStringLiteral("appPackageInfo")).isObject());
    // The target version is not signed.
    QCOMPARE(json.value(QStringLiteral("sign")).toString(), request.sign);

    GameCurrentRequestInfo development(QStringLiteral("1.2.3"), DeviceInfo(), AppPackageInfo(), 1);
    QCOMPARE(development.signedText(), QStringLiteral("60001_2_1_200_6001_1.2.3"));
}

void TestGameVersion::emptyVersionsAreSentAsEmptyTexts()
{
    TestEnv env(2);
    GameCurrentRequestInfo request(QString(), DeviceInfo(), AppPackageInfo(), 2);
    QVERIFY(request.signedText().endsWith(QLatin1Char('_')));
    const QJsonObject json = request.toJson();
    QCOMPARE(json.value(QStringLiteral("currentVersion")), QJsonValue(QString()));
    QCOMPARE(json.value(QStringLiteral("targetVersion")), QJsonValue(QString()));
}

void TestGameVersion::versionReply_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("latest");
    QTest::addColumn<bool>("force");
    QTest::newRow("plain") << R"({"latestVersion":"1.1.0","forceUpdate":true})"
                           << "1.1.0" << true;
    QTest::newRow("false as text") << R"({"latestVersion":"1.1.0","forceUpdate":"false"})"
                                   << "1.1.0" << false;
    QTest::newRow("FALSE as text") << R"({"latestVersion":"1","forceUpdate":"FALSE"})"
                                   << "1" << false;
    QTest::newRow("zero as text") << R"({"latestVersion":"1","forceUpdate":"0"})"
                                  << "1" << false;
    QTest::newRow("one as number") << R"({"latestVersion":"1","forceUpdate":1})"
                                   << "1" << true;
    QTest::newRow("null") << R"({"latestVersion":"1","forceUpdate":null})"
                          << "1" << false;
    QTest::newRow("version not text") << R"({"latestVersion":12,"forceUpdate":true})"
                                      << "" << true;
    QTest::newRow("array") << R"([{"latestVersion":"1"}])"
                           << "" << false;
    QTest::newRow("garbage") << "<html>"
                             << "" << false;
    QTest::newRow("empty") << ""
                           << "" << false;
}

void TestGameVersion::versionReply()
{
    QFETCH(QString, data);
    QFETCH(QString, latest);
    QFETCH(bool, force);
    const GameVersionInfo info = GameVersionInfo::fromVersionReply(data);
    QCOMPARE(info.latestVersion, latest);
    QCOMPARE(info.forceUpdate, force);
    QVERIFY(info.isUnusable()); // no package yet
    QCOMPARE(info.updateType, 0);
}

void TestGameVersion::packageChoice_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("updateType");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<bool>("offers");
    QTest::newRow("empty diff chooses full")
        << R"({"targetVersion":"1.1","fullPackage":{"packageUrls":["a","b"]},"diffPackage":{"packageUrls":[]}})" << 1
        << QStringList {"a", "b"} << true;
    QTest::newRow("diff wins when it has an address")
        << R"({"targetVersion":"1.1","fullPackage":{"packageUrls":["a","b"]},"diffPackage":{"packageUrls":["d"]}})" << 2
        << QStringList {"d"} << true;
    QTest::newRow("neither") << R"({"targetVersion":"1.1","fullPackage":{},"diffPackage":{}})" << 1 << QStringList {}
                             << false;
    QTest::newRow("not an object") << "[]" << 1 << QStringList {} << false;
    QTest::newRow("addresses that are not texts")
        << R"({"fullPackage":{"packageUrls":["a",7,null]}})" << 1 << QStringList {"a", "7", ""} << true;
}

void TestGameVersion::packageChoice()
{
    QFETCH(QString, data);
    QFETCH(int, updateType);
    QFETCH(QStringList, urls);
    QFETCH(bool, offers);
    const GameFileDownloadInfo info = GameFileDownloadInfo::fromResourceReply(data);
    QCOMPARE(info.updateType, updateType);
    QCOMPARE(info.chosenPackage.packageUrls, urls);
    QCOMPARE(info.offersPackage(), offers);
}

void TestGameVersion::sizesAndTypes()
{
    const GameFileDownloadInfo info = GameFileDownloadInfo::fromResourceReply(
        R"({"targetVersion":"2.0","forceUpdate":"yes","fullPackage":{"downloadType":1,"packageUrls":["u"],)"
        R"("packageRealSize":"123456789012","packageSize":6442450944,"packageJson":"http://x/files.json",)"
        R"("packageMd5":"abc"},"diffPackage":{"packageUrls":[],"packageSize":"big","packageRealSize":-5,)"
        R"("downloadType":"1"}})");
    QCOMPARE(info.chosenPackage.packageRealSize, Q_INT64_C(123456789012));
    QCOMPARE(info.chosenPackage.packageSize, Q_INT64_C(6442450944));
    QCOMPARE(info.chosenPackage.downloadType, 1);
    QCOMPARE(info.chosenPackage.packageJson, QStringLiteral("http://x/files.json"));
    QCOMPARE(info.diffPackage.packageSize, qint64(0));
    QCOMPARE(info.diffPackage.packageRealSize, qint64(0)); // a negative size is not a size
    QCOMPARE(info.diffPackage.downloadType, 0);
    QVERIFY(info.forceUpdate);
}

void TestGameVersion::workingRecordTakesThePackage()
{
    GameVersionInfo working = GameVersionInfo::fromVersionReply(R"({"latestVersion":"1.5","forceUpdate":true})");
    working.takePackage(GameFileDownloadInfo::fromResourceReply(
        R"({"targetVersion":"1.4","diffPackage":{"packageUrls":["d1","d2"],"packageSize":10,"packageMd5":"m",)"
        R"("removedFiles":["data/old.pak",7,null]}})"));
    QCOMPARE(working.latestVersion, QStringLiteral("1.4")); // the version the package leads to
    QVERIFY(working.forceUpdate);
    QCOMPARE(working.packageUrls, (QStringList {"d1", "d2"}));
    QCOMPARE(working.updateType, 2);
    QCOMPARE(working.packageSize, qint64(10));
    QCOMPARE(working.removedFiles, QStringList {"data/old.pak"});
    QVERIFY(!working.isUnusable());
}

void TestGameVersion::smallFilesDocument()
{
    QString host;
    QList<DownloadFileInfo> files;
    QVERIFY(parseSmallFilesDocument(R"({"packedhost":"http://cdn/files/","smallFilesInfo":[)"
                                    R"({"dest":"data/a.pak","md5":"m1","size":10},7,)"
                                    R"({"dest":"b.txt","md5":"m2","size":"123456789012"},"text"]})",
        &host, &files));
    QCOMPARE(host, QStringLiteral("http://cdn/files/"));
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.at(0).dest, QStringLiteral("data/a.pak"));
    QCOMPARE(files.at(1).size, Q_INT64_C(123456789012));

    QVERIFY(!parseSmallFilesDocument("{broken", &host, &files));
    QVERIFY(host.isEmpty() && files.isEmpty());
    QVERIFY(parseSmallFilesDocument(R"({"packedhost":"h","smallFilesInfo":{}})", &host, &files));
    QVERIFY(files.isEmpty());
}

void TestGameVersion::smallFilesDocumentRefusesPathsOutsideTheGame_data()
{
    QTest::addColumn<QString>("dest");
    QTest::addColumn<bool>("safe");
    QTest::newRow("nested") << "a/b/c.txt" << true;
    QTest::newRow("dots inside a name") << "a/..b/c..txt" << true;
    QTest::newRow("backslashes") << "data\\x.pak" << true;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("climbing") << "../outside.txt" << false;
    QTest::newRow("climbing in the middle") << "a/../../outside.txt" << false;
    QTest::newRow("windows climbing") << "a\\..\\..\\x" << false;
    QTest::newRow("drive letter") << "C:/Windows/x.dll" << false;
    QTest::newRow("backslash root") << "\\\\server\\share" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("the folder itself") << "./." << false;
}

void TestGameVersion::smallFilesDocumentRefusesPathsOutsideTheGame()
{
    QFETCH(QString, dest);
    QFETCH(bool, safe);
    QCOMPARE(isSafeRelativePath(dest), safe);
    QJsonObject file {{"dest", dest}, {"md5", "m"}, {"size", 1}};
    QJsonObject ok {{"dest", "fine.txt"}, {"md5", "m"}, {"size", 1}};
    const QByteArray text
        = QJsonDocument(QJsonObject {{"packedhost", "h"}, {"smallFilesInfo", QJsonArray {ok, file}}}).toJson();
    QString host;
    QList<DownloadFileInfo> files;
    QCOMPARE(parseSmallFilesDocument(text, &host, &files), safe);
    QCOMPARE(files.size(), safe ? 2 : 0);
}

void TestGameVersion::recordsTravelThroughQueuedSignals()
{
    GameVersionInfo info;
    QVERIFY(QMetaType::type("GameVersionInfo") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("GameFileDownloadInfo") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("QList<DownloadFileInfo>") != QMetaType::UnknownType);
}

QTEST_GUILESS_MAIN(TestGameVersion)
#include "tst_gameversion.moc"
