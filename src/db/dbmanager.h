#pragma once

#include "db/dboperation.h"

#include <QObject>
#include <QThread>
#include <QVariantList>

class DbWorker;

// The launcher's local database ("AppData/korvanedb.sql3"). All statements run
// on the manager's own thread; callers queue operations and receive each
// one's answer, with the number the call returned, through operationCompleted().
class DbManager : public QObject
{
    Q_OBJECT
public:
    // The launcher's database beside the executable, built on first call
    // from any thread; it lives on the application's thread.
    static DbManager *instance();

    // A database at `databasePath` with its own worker thread (tests use this).
    explicit DbManager(const QString &databasePath, QObject *parent = nullptr);
    ~DbManager() override;

    // "insert or replace into <table> (<keys>) VALUES (<:keys>)" with the values
    // bound as parameters. Returns the operation's number.
    int insertOrReplace(const QString &table, const QVariantMap &values);

    // Queues a query; its rows arrive through operationCompleted().
    int query(const QString &sql, const QVariantMap &params = {});

    // The background video record of an edition, with the id bound as a parameter.
    int queryBgVideo(const QString &gameId);

    // Closes the database; later operations are ignored until initWorker.
    void stop();

    // Closes the database and ends the worker thread, waiting at most `msecs`
    // (used on quit). False when the worker was still busy; it is then left
    // to finish on its own. Operations queued later are never run.
    bool stopWorker(int msecs);

    static QString insertOrReplaceSql(const QString &table, const QVariantMap &values);

signals:
    void initWorker(QString connectionName);
    void newOperation(DbOperation op);
    // Once per operation, in the order they were queued. `success`: a write
    // ran, or a query returned rows. A stopped or unopened database, or a
    // failing statement, answers false.
    void operationCompleted(int requestId, bool success, QVariantList data);

private:
    QThread *m_thread = nullptr;
    DbWorker *m_worker = nullptr;
    int m_requestCounter = 0;
};
