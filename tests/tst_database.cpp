#include "db/dbmanager.h"
#include "db/dbworker.h"
#include "support/testenv.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <thread>

namespace {
QVariantMap bgVideo(const QString &url, int show = 1)
{
    return {{QStringLiteral("bgVideoUrl"), url}, {QStringLiteral("gameId"), QStringLiteral("60001")},
        {QStringLiteral("isShowBgVideo"), show}};
}
// The answer to one request.
struct Answer
{
    bool success = false;
    QVariantList rows;
};

// Waits until the manager answered `requestId` (events keep flowing meanwhile).
bool waitForAnswer(const QSignalSpy &spy, int requestId, Answer *answer)
{
    return QTest::qWaitFor(
        [&] {
            for (const QList<QVariant> &args : spy) {
                if (args.at(0).toInt() == requestId) {
                    *answer = {args.at(1).toBool(), args.at(2).toList()};
                    return true;
                }
            }
            return false;
        },
        10000);
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void statementText();
    void firstStartCreatesFileAndTable();
    void insertReplacesTheRow();
    void answersCarryTheirRequestId();
    void valuesAreBoundNotPasted();
    void operationsAfterStopAreIgnored();
    void failuresAreAnswered_data();
    void failuresAreAnswered();
    void instanceLivesOnTheApplicationThread();
    void damagedFileIsKeptAndReplaced_data();
    void damagedFileIsKeptAndReplaced();
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
        const int id = db.queryBgVideo(QStringLiteral("60001"));
        Answer answer;
        QVERIFY(waitForAnswer(spy, id, &answer));
        QCOMPARE(answer.success, false);
        QVERIFY(answer.rows.isEmpty());
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
    const int insertA = db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    const int queryA = db.queryBgVideo(QStringLiteral("60001"));
    db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/b.zip"), 0));
    const int queryB = db.queryBgVideo(QStringLiteral("60001"));
    Answer inserted, first, second;
    QVERIFY(waitForAnswer(spy, queryB, &second));
    QVERIFY(waitForAnswer(spy, insertA, &inserted));
    QVERIFY(inserted.success);
    QVERIFY(waitForAnswer(spy, queryA, &first));
    QCOMPARE(first.rows.size(), 1);
    QCOMPARE(
        first.rows.at(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), QStringLiteral("http://cdn/a.zip"));
    QCOMPARE(first.rows.at(0).toMap().value(QStringLiteral("gameId")).toString(), QStringLiteral("60001"));
    QVERIFY(second.success);
    QCOMPARE(second.rows.size(), 1);
    QCOMPARE(
        second.rows.at(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), QStringLiteral("http://cdn/b.zip"));
    QCOMPARE(second.rows.at(0).toMap().value(QStringLiteral("isShowBgVideo")).toInt(), 0);
}

void TestDatabase::answersCarryTheirRequestId()
{
    // Two callers query back to back: each answer names its own request, in
    // the order they were queued, so a caller can tell its answer apart.
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    QSignalSpy spy(&db, &DbManager::operationCompleted);
    emit db.initWorker(QString());
    const int insert = db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    const int a = db.queryBgVideo(QStringLiteral("60001"));
    const int b = db.queryBgVideo(QStringLiteral("70001"));
    QVERIFY(insert > 0 && a > insert && b > a);
    Answer last;
    QVERIFY(waitForAnswer(spy, b, &last));
    QCOMPARE(spy.count(), 3);
    const QList<int> ids {spy.at(0).at(0).toInt(), spy.at(1).at(0).toInt(), spy.at(2).at(0).toInt()};
    QCOMPARE(ids, (QList<int> {insert, a, b}));
    QCOMPARE(spy.at(1).at(1).toBool(), true);
    QCOMPARE(spy.at(1).at(2).toList().size(), 1);
    QCOMPARE(last.success, false);
    QVERIFY(last.rows.isEmpty());
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
    const int id = db.queryBgVideo(hostile);
    Answer answer;
    QVERIFY(waitForAnswer(spy, id, &answer));
    QCOMPARE(answer.rows.value(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(), hostile);
}

void TestDatabase::operationsAfterStopAreIgnored()
{
    TestEnv env;
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    QSignalSpy spy(&db, &DbManager::operationCompleted);
    emit db.initWorker(QString());
    db.stop();
    const int insert = db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    const int stoppedQuery = db.queryBgVideo(QStringLiteral("60001"));
    // A later init serves again and shows the insert was never made.
    emit db.initWorker(QString());
    const int query = db.queryBgVideo(QStringLiteral("60001"));
    Answer answer;
    QVERIFY(waitForAnswer(spy, query, &answer));
    QCOMPARE(answer.success, false);
    QVERIFY(answer.rows.isEmpty());
    // While stopped, both were answered as failed.
    QVERIFY(waitForAnswer(spy, insert, &answer));
    QCOMPARE(answer.success, false);
    QVERIFY(waitForAnswer(spy, stoppedQuery, &answer));
    QCOMPARE(answer.success, false);
}

void TestDatabase::failuresAreAnswered_data()
{
    QTest::addColumn<bool>("openable");
    QTest::newRow("failing statements") << true;
    QTest::newRow("database that never opened") << false;
}

void TestDatabase::failuresAreAnswered()
{
    // A caller waiting for its answer must get one, whatever went wrong.
    QFETCH(bool, openable);
    TestEnv env;
    const QString path = env.filePath(QStringLiteral("AppData/korvanedb.sql3"));
    // A folder where the database file should be: it cannot be opened.
    QVERIFY(QDir().mkpath(openable ? env.filePath(QStringLiteral("AppData")) : path));
    auto *db = new DbManager(path);
    QSignalSpy spy(db, &DbManager::operationCompleted);
    emit db->initWorker(QString());
    const int insert = db->insertOrReplace(QStringLiteral("nosuchtable"), bgVideo(QStringLiteral("a")));
    const int query = db->query(QStringLiteral("select * from nosuchtable"));
    const int broken = db->query(QStringLiteral("select from where"));
    const int good = db->insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("a")));
    Answer answer;
    for (int id : {insert, query, broken}) {
        QVERIFY(waitForAnswer(spy, id, &answer));
        QCOMPARE(answer.success, false);
    }
    QVERIFY(waitForAnswer(spy, good, &answer));
    QCOMPARE(answer.success, openable);
    delete db; // returns: the worker thread stops
}

void TestDatabase::instanceLivesOnTheApplicationThread()
{
    // The first request for the manager comes from a thread without an event
    // loop: the manager must still answer on the application's thread.
    TestEnv env;
    QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("AppData"))));
    DbManager *db = nullptr;
    std::thread worker([&db] { db = DbManager::instance(); });
    worker.join();
    QVERIFY(db);
    QCOMPARE(db->thread(), QCoreApplication::instance()->thread());

    QSignalSpy spy(db, &DbManager::operationCompleted);
    emit db->initWorker(QString());
    db->insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
    const int id = db->queryBgVideo(QStringLiteral("60001"));
    Answer answer;
    QVERIFY(waitForAnswer(spy, id, &answer));
    QVERIFY(answer.success);
    db->stop(); // it is never destroyed; let go of the file before the folder goes
    const int after = db->queryBgVideo(QStringLiteral("60001"));
    QVERIFY(waitForAnswer(spy, after, &answer));
}

// A file that is no database (zeroed, garbage) is kept aside under a dated
// name and a fresh database works in its place, at once and on the next start.
void TestDatabase::damagedFileIsKeptAndReplaced_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("zeroed") << QByteArray(8192, '\0');
    QByteArray garbage;
    for (int i = 0; i < 8192; ++i)
        garbage.append(char((i * 131 + 7) & 0xff));
    QTest::newRow("garbage") << garbage;
}

void TestDatabase::damagedFileIsKeptAndReplaced()
{
    QFETCH(QByteArray, content);
    TestEnv env;
    const QString path = env.filePath(QStringLiteral("db.sql3"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), qint64(content.size()));
    }
    for (int start = 0; start < 2; ++start) {
        DbManager db(path);
        QSignalSpy spy(&db, &DbManager::operationCompleted);
        emit db.initWorker(QString());
        if (start == 0)
            db.insertOrReplace(QStringLiteral("bgvideo"), bgVideo(QStringLiteral("http://cdn/a.zip")));
        const int id = db.queryBgVideo(QStringLiteral("60001"));
        Answer answer;
        QVERIFY(waitForAnswer(spy, id, &answer));
        QVERIFY2(answer.success, start == 0 ? "the first start" : "the next start");
        QCOMPARE(answer.rows.size(), 1);
    }
    const QString kept = path + QStringLiteral(".bad-") + QDate::currentDate().toString(Qt::ISODate);
    QFile copy(kept);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), content);
    QVERIFY(!QFile::exists(kept + QStringLiteral("-2"))); // the second start found nothing wrong
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
