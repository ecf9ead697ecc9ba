#pragma once

#include "db/dboperation.h"

#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QVariantList>

// Holds the SQLite connection and runs every statement, on the database
// thread. Every operation is answered exactly once through operationDone():
// one arriving before init() or after stop(), or on a database that could
// not be opened, is answered as failed without touching the file. A file that
// is no database or a damaged one is kept as "<name>.bad-<yyyy-MM-dd>" (with
// its log) and a new, empty database takes its place.
class DbWorker : public QObject
{
    Q_OBJECT
public:
    explicit DbWorker(const QString &databasePath, QObject *parent = nullptr);
    ~DbWorker() override;

    static QString createBgVideoSql();

public slots:
    void init(const QString &connectionName);
    void processOperation(const DbOperation &op);
    void stop();

signals:
    // `success`: the statement ran (and, for a query, returned rows); `data`:
    // a query's rows, one column-name -> value map per row.
    void operationDone(int requestId, bool success, QVariantList data);

private:
    bool isDamaged();
    // Moves the damaged file aside and opens a new one; false when either fails.
    bool replaceDamaged();
    void prepareTables();
    bool run(const DbOperation &op, QVariantList *rows);

    const QString m_databasePath;
    const QString m_connectionName;
    QSqlDatabase m_database;
    bool m_initialised = false;
    QMutex m_mutex;
};
