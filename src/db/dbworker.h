#pragma once

#include "db/dboperation.h"

#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QVariantList>

// Holds the SQLite connection and runs every statement, on the database
// thread. Operations arriving before init() or after stop() are ignored.
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
    // The rows of a successful query, one column-name -> value map per row.
    void queryResult(QVariantList data);

private:
    const QString m_databasePath;
    const QString m_connectionName;
    QSqlDatabase m_database;
    bool m_initialised = false;
    QMutex m_mutex;
};
