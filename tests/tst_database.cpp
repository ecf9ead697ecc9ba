#include "db/dbmanager.h"
#include "db/dbworker.h"
#include "support/testenv.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {
QVariantMap bgVideo(const QString &url, int show = 1)
{
    return {{QStringLiteral("bgVideoUrl"), url}, {QStringLiteral("gameId"), QStringLiteral("60001")},
        {QStringLiteral("isShowBgVideo"), show}};
}
} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void statementText();
    void firstStartCreatesFileAndTable();
    void insertReplacesTheRow();
    void twoQueriesBackToBack();
    void valuesAreBoundNotPasted();
    void operationsAfterStopAreIgnored();
    void unopenableFileDoesNotHang();
};

void TestDatabase::statementText()
{
    QCOMPARE(DbManager::insertOrReplaceSql(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("x"))),
        QStringLiteral("insert or replace into bgvideo (bgVideoUrl,gameId,isShowBgVideo) VALUES "
                       "(:bgVideoUrl,:gameId,:isShowBgVideo)"));
}

void TestDatabase::firstStartCreatesFileAndTable()
{
    TestEnv env;
    QDir().mkpath(env.filePath(QStringLiteral("AppData")));
    const QString path = env.filePath(QStringLiteral("AppData/korvanedb.sql3"));
    {
        DbManager db(path);
        QSignalSpy spy(&db, &DbManager::operationCompleted);
        emit db.initWorker(QString());
        QVERIFY(db.queryBgVideo(QStringLiteral("60001")) > 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);
        QCOMPARE(spy.at(0).at(1).toBool(), false);
        QVERIFY(spy.at(0).at(2).toList().isEmpty());
    }
    // An ordinary SQLite file: any client opens it and finds the table.
    QVERIFY(QFile::exists(path));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral("select count(*) from bgvideo")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
}

void TestDatabase::insertReplacesTheRow()
{
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    QSignalSpy spy(&db, &DbManager::operationCompleted);
    emit db.initWorker(QString());
    db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    db.queryBgVideo(QStringLiteral("60001"));
    db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/b.zip"), 0));
    db.queryBgVideo(QStringLiteral("60001"));
    QTRY_COMPARE(spy.count(), 2);
    const QVariantList first = spy.at(0).at(2).toList();
    QCOMPARE(first.size(), 1);
    QCOMPARE(first.at(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), QStringLiteral("http://cdn/a.zip"));
    QCOMPARE(first.at(0).toMap().value(QStringLiteral("gameId")).toString(), QStringLiteral("60001"));
    const QVariantList second = spy.at(1).at(2).toList();
    QCOMPARE(second.size(), 1);
    QCOMPARE(second.at(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), QStringLiteral("http://cdn/b.zip"));
    QCOMPARE(second.at(0).toMap().value(QStringLiteral("isShowBgVideo")).toInt(), 0);
    QVERIFY(spy.at(1).at(1).toBool());
}

void TestDatabase::twoQueriesBackToBack()
{
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    emit db.initWorker(QString());
    db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    QSignalSpy first(&db, &DbManager::operationCompleted);
    QSignalSpy second(&db, &DbManager::operationCompleted);
    const int a = db.queryBgVideo(QStringLiteral("60001"));
    const int b = db.queryBgVideo(QStringLiteral("70001"));
    QVERIFY(b > a);
    QTRY_COMPARE(first.count(), 2);
    QCOMPARE(second.count(), 2);
    // Results arrive in order, both with request id 0.
    QCOMPARE(first.at(0).at(1).toBool(), true);
    QCOMPARE(first.at(1).at(1).toBool(), false);
    QCOMPARE(first.at(0).at(0).toInt(), 0);
    QCOMPARE(first.at(1).at(0).toInt(), 0);
}

void TestDatabase::valuesAreBoundNotPasted()
{
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    QSignalSpy spy(&db, &DbManager::operationCompleted);
    emit db.initWorker(QString());
    const QString hostile = QStringLiteral("x'); drop table bgvideo; --");
    QVariantMap row = bgVideo(hostile);
    row.insert(QStringLiteral("gameId"), hostile);
    db.insertOrReplace(QStringLiteral("bgvideo"), row);
    db.queryBgVideo(hostile);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(2).toList().value(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), hostile);
}

void TestDatabase::operationsAfterStopAreIgnored()
{
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    QSignalSpy spy(&db, &DbManager::operationCompleted);
    emit db.initWorker(QString());
    db.stop();
    db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    db.queryBgVideo(QStringLiteral("60001"));
    // A later init serves again and shows the insert was never made.
    emit db.initWorker(QString());
    db.queryBgVideo(QStringLiteral("60001"));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toBool(), false);
}

void TestDatabase::unopenableFileDoesNotHang()
{
    TestEnv env;
    // A folder where the database file should be: it cannot be opened.
    QDir().mkpath(env.filePath(QStringLiteral("AppData/korvanedb.sql3")));
    auto *db = new DbManager(env.filePath(QStringLiteral("AppData/korvanedb.sql3")));
    QSignalSpy spy(db, &DbManager::operationCompleted);
    emit db->initWorker(QString());
    db->insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("a")));
    db->queryBgVideo(QStringLiteral("60001"));
    QTest::qWait(200); // nothing is delivered; the caller must not wait for it
    QCOMPARE(spy.count(), 0);
    delete db; // returns: the worker thread stops
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
