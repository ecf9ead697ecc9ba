// The small-file engine against the publisher stand-in: files present, missing,
// empty, of the wrong size or digest; bad files from the server; refused and
// outdated documents; a run stopped while the install folder is checked.

#include "downloadtestutil.h"

#include "download/downloadfilesmanager.h"
#include "install/gamefiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

#include <memory>

class TestDownloadFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<KorvaneObject::DownloadingInfo>("KorvaneObject::DownloadingInfo"); }
    void installFolderEndsRight();
    void badFileFromServerIsDeletedAndReported();
    void unusableDocumentIsAFailure_data();
    void unusableDocumentIsAFailure();
    void documentFetchedWhenMissing();
    void documentCheckedAgainstItsDigest_data();
    void documentCheckedAgainstItsDigest();
    void stoppedRunChangesNothing_data();
    void stoppedRunChangesNothing();

private:
    struct Entry
    {
        QString dest;
        QByteArray data;
        QByteArray md5; // empty: the data's
    };
    static QByteArray document(const QString &host, const QList<Entry> &entries)
    {
        QJsonArray files;
        for (const Entry &entry : entries)
            files.append(QJsonObject {{QStringLiteral("dest"), entry.dest},
                {QStringLiteral("md5"), QString::fromLatin1(entry.md5.isEmpty() ? md5Of(entry.data) : entry.md5)},
                {QStringLiteral("size"), entry.data.size()}});
        return QJsonDocument(
            QJsonObject {{QStringLiteral("packedhost"), host}, {QStringLiteral("smallFilesInfo"), files}})
            .toJson();
    }
    static GameVersionInfo record(const QString &packageJson, qint64 size)
    {
        GameVersionInfo info;
        info.latestVersion = QStringLiteral("1.0.0");
        info.downloadType = 1;
        info.packageJson = packageJson;
        info.packageUrls = QStringList {packageJson};
        info.packageSize = size;
        return info;
    }
};

// After a run every file of the document is in the install folder with the
// right content: present good files are kept, missing ones fetched, empty ones
// created, and present files of the wrong size or digest replaced.
void TestDownloadFiles::installFolderEndsRight()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QString install = fx.env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const QList<Entry> entries {
        {QStringLiteral("kept.dat"), patternBytes(5000, 1), {}},
        {QStringLiteral("data\\missing.dat"), patternBytes(70000, 2), {}},
        {QStringLiteral("empty.dat"), QByteArray(), {}},
        {QStringLiteral("data/wrongsize.dat"), patternBytes(3000, 3), {}},
        {QStringLiteral("data/wrongdigest.dat"), patternBytes(4000, 4), {}},
        {QStringLiteral("big/large.dat"), patternBytes(600 * 1024, 5), {}},
    };
    qint64 total = 0;
    for (const Entry &entry : entries) {
        QString dest = entry.dest;
        fx.serve(QStringLiteral("small/") + dest.replace(QLatin1Char('\\'), QLatin1Char('/')), entry.data);
        total += entry.data.size();
    }
    writeBytes(install + QStringLiteral("/kept.dat"), patternBytes(5000, 1));
    writeBytes(install + QStringLiteral("/data/wrongsize.dat"), patternBytes(2999, 3));
    writeBytes(install + QStringLiteral("/data/wrongdigest.dat"), patternBytes(4000, 99));
    const QString packageJson = fx.url(QStringLiteral("list-1.0.0.json"));
    writeBytes(DownloadFilesManager::listFilePath(packageJson), document(fx.url(QStringLiteral("small/")), entries));

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QSignalSpy progress(&engine, &DownloadInterface::signalDownloadProcess);
    engine.startDownload(record(packageJson, total));
    QVERIFY(engine.isDownloading());
    QVERIFY(finished.wait(20000));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(finished.first().at(0).toInt(), 200);
    for (const Entry &entry : entries) {
        QString dest = entry.dest;
        const QString path = install + QLatin1Char('/') + dest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QCOMPARE(readAll(path), entry.data);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".tmp")));
    }
    // The first record compares the bytes found in place with the package size.
    const auto first = progress.first().at(0).value<KorvaneObject::DownloadingInfo>();
    QCOMPARE(first.percent, DownloadInterface::percentText(5000, total));
    QVERIFY(!engine.isDownloading());
}

// A file whose content does not match its digest is deleted and the run ends
// with one failure (code 298) naming it; the good files stay.
void TestDownloadFiles::badFileFromServerIsDeletedAndReported()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QString install = fx.env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const QList<Entry> entries {
        {QStringLiteral("a.dat"), patternBytes(1000, 1), {}},
        {QStringLiteral("b.dat"), patternBytes(2000, 2), QByteArray(32, '0')},
        {QStringLiteral("c.dat"), patternBytes(3000, 3), QByteArray(32, '1')},
    };
    for (const Entry &entry : entries)
        fx.serve(QStringLiteral("small/") + entry.dest, entry.data);
    const QString packageJson = fx.url(QStringLiteral("list.json"));
    writeBytes(DownloadFilesManager::listFilePath(packageJson), document(fx.url(QStringLiteral("small/")), entries));

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(record(packageJson, 6000));
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toString(), fx.url(QStringLiteral("small/b.dat")));
    QCOMPARE(errors.first().at(1).toInt(), 298);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(readAll(install + QStringLiteral("/a.dat")), entries.at(0).data);
    QVERIFY(!QFileInfo::exists(install + QStringLiteral("/b.dat")));
    QVERIFY(!QFileInfo::exists(install + QStringLiteral("/c.dat")));
}

void TestDownloadFiles::unusableDocumentIsAFailure_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("exists");
    QTest::newRow("leaves the folder") << QByteArray(
        R"({"packedhost":"http://127.0.0.1:1/","smallFilesInfo":[{"dest":"ok.dat","md5":"","size":1},)"
        R"({"dest":"../escape.dat","md5":"","size":1}]})")
                                       << true;
    QTest::newRow("absolute") << QByteArray(
        R"({"packedhost":"http://127.0.0.1:1/","smallFilesInfo":[{"dest":"/etc/x","md5":"","size":1}]})")
                              << true;
    QTest::newRow("not json") << QByteArray("<html>") << true;
    QTest::newRow("no document and no address") << QByteArray() << false;
}

void TestDownloadFiles::unusableDocumentIsAFailure()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, exists);
    TestEnv env;
    const QString install = env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const QString packageJson = exists ? QStringLiteral("http://127.0.0.1:1/files/list.json") : QString();
    if (exists)
        writeBytes(DownloadFilesManager::listFilePath(packageJson), text);

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(record(packageJson, 10));
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.first().at(1).toInt(), 298);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFileInfo::exists(install + QStringLiteral("/ok.dat")));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("escape.dat"))));
}

// Without the document in "Downloads/", the engine fetches it from its address first.
void TestDownloadFiles::documentFetchedWhenMissing()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QString install = fx.env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const QList<Entry> entries {{QStringLiteral("x/y.dat"), patternBytes(12345, 8), {}}};
    fx.serve(QStringLiteral("small/x/y.dat"), entries.first().data);
    const QString packageJson
        = fx.serve(QStringLiteral("list-2.json"), document(fx.url(QStringLiteral("small/")), entries));

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    engine.startDownload(record(packageJson, 12345));
    QVERIFY(finished.wait(20000));
    QCOMPARE(readAll(install + QStringLiteral("/x/y.dat")), entries.first().data);
    QVERIFY(QFileInfo::exists(DownloadFilesManager::listFilePath(packageJson)));

    // A missing document whose host only fails is asked for again with
    // backoff, and is a failure once nothing came for the bound (short here).
    fx.publisher->setControl({{QStringLiteral("status500"), true}});
    DownloadCollaborators shortBound;
    shortBound.backoffFirstMs = 10;
    shortBound.giveUpAfterMs = 300;
    DownloadFilesManager broken(nullptr, shortBound);
    QSignalSpy errors(&broken, &DownloadInterface::signalDownloadError);
    QSignalSpy progress(&broken, &DownloadInterface::signalDownloadProcess);
    broken.startDownload(record(fx.url(QStringLiteral("other.json")), 1));
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.first().at(0).toString(), fx.url(QStringLiteral("other.json")));
    int retries = 0;
    for (const QList<QVariant> &report : qAsConst(progress))
        retries += report.first().value<KorvaneObject::DownloadingInfo>().retryInSeconds > 0 ? 1 : 0;
    QVERIFY(retries > 0);
}

void TestDownloadFiles::documentCheckedAgainstItsDigest_data()
{
    // Which document lies in "Downloads/" before the run and which one the
    // server has ("" none); the record's packageMd5 is the new one's.
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("served");
    QTest::addColumn<bool>("installs");
    QTest::newRow("outdated copy fetched again") << "old"
                                                 << "new" << true;
    QTest::newRow("matching copy reused") << "new"
                                          << "" << true;
    QTest::newRow("fetched copy differs") << ""
                                          << "old" << false;
}

void TestDownloadFiles::documentCheckedAgainstItsDigest()
{
    QFETCH(QString, local);
    QFETCH(QString, served);
    QFETCH(bool, installs);
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QString install = fx.env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const Entry oldEntry {QStringLiteral("a.dat"), patternBytes(1500, 1), {}};
    const Entry newEntry {QStringLiteral("b.dat"), patternBytes(2500, 2), {}};
    fx.serve(QStringLiteral("small/a.dat"), oldEntry.data);
    fx.serve(QStringLiteral("small/b.dat"), newEntry.data);
    const QMap<QString, QByteArray> documents {
        {QStringLiteral("old"), document(fx.url(QStringLiteral("small/")), {oldEntry})},
        {QStringLiteral("new"), document(fx.url(QStringLiteral("small/")), {newEntry})}};
    const QString packageJson = fx.url(QStringLiteral("list.json"));
    if (!local.isEmpty())
        writeBytes(DownloadFilesManager::listFilePath(packageJson), documents.value(local));
    if (!served.isEmpty())
        fx.serve(QStringLiteral("list.json"), documents.value(served));

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    GameVersionInfo info = record(packageJson, newEntry.data.size());
    info.packageMd5 = QString::fromLatin1(md5Of(documents.value(QStringLiteral("new"))));
    engine.startDownload(info);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 20000);
    QVERIFY(!QFileInfo::exists(install + QStringLiteral("/a.dat")));
    if (installs) {
        QCOMPARE(errors.count(), 0);
        QCOMPARE(readAll(install + QStringLiteral("/b.dat")), newEntry.data);
        QCOMPARE(readAll(DownloadFilesManager::listFilePath(packageJson)), documents.value(QStringLiteral("new")));
    } else {
        QCOMPARE(finished.count(), 0);
        QCOMPARE(errors.first().at(1).toInt(), 298);
        QVERIFY(!QFileInfo::exists(install + QStringLiteral("/b.dat")));
    }
}

void TestDownloadFiles::stoppedRunChangesNothing_data()
{
    QTest::addColumn<bool>("destroy");
    QTest::newRow("run stopped") << false;
    QTest::newRow("engine deleted") << true;
}

// A run stopped (or an engine deleted) while the install folder is checked
// ends the check inside a large file and leaves every file as it was, also
// those the run would have replaced.
void TestDownloadFiles::stoppedRunChangesNothing()
{
    QFETCH(bool, destroy);
    TestEnv env;
    LogCapture log;
    const QString install = env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    // Sparse: no disk space, but seconds to hash.
    constexpr qint64 hugeSize = qint64(1) << 30;
    QVERIFY(writeBytes(install + QStringLiteral("/huge.dat"), QByteArray()));
    QVERIFY(QFile::resize(install + QStringLiteral("/huge.dat"), hugeSize));
    const QByteArray wrong = patternBytes(3000, 7);
    QVERIFY(writeBytes(install + QStringLiteral("/wrong.dat"), wrong));
    const QJsonArray files {
        QJsonObject {{QStringLiteral("dest"), QStringLiteral("huge.dat")},
            {QStringLiteral("md5"), QString(32, QLatin1Char('0'))}, {QStringLiteral("size"), hugeSize}},
        QJsonObject {{QStringLiteral("dest"), QStringLiteral("wrong.dat")},
            {QStringLiteral("md5"), QString(32, QLatin1Char('1'))}, {QStringLiteral("size"), wrong.size()}}};
    const QString packageJson = QStringLiteral("http://127.0.0.1:1/files/list.json");
    writeBytes(DownloadFilesManager::listFilePath(packageJson),
        QJsonDocument(QJsonObject {{QStringLiteral("packedhost"), QStringLiteral("http://127.0.0.1:1/")},
                          {QStringLiteral("smallFilesInfo"), files}})
            .toJson());

    auto engine = std::make_unique<DownloadFilesManager>();
    engine->startDownload(record(packageJson, hugeSize + wrong.size()));
    if (destroy)
        engine.reset();
    else
        engine->stopDownload();
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("check of the install folder stopped")), 20000);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(QFileInfo(install + QStringLiteral("/huge.dat")).size(), hugeSize);
    QCOMPARE(readAll(install + QStringLiteral("/wrong.dat")), wrong);
}

QTEST_GUILESS_MAIN(TestDownloadFiles)
#include "tst_downloadfiles.moc"
