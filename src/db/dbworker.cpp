#include "db/dbworker.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kUserName = QStringLiteral("korvane");
const QString kPassword = QStringLiteral("qm@4719");
} // namespace

DbWorker::DbWorker(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_databasePath(databasePath)
    // Each worker has a connection of its own, so two managers (in tests) never share one.
    , m_connectionName(QStringLiteral("korvanedb-%1").arg(quintptr(this), 0, 16))
{ }

DbWorker::~DbWorker()
{
    stop();
    m_database = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QString DbWorker::createBgVideoSql()
{
    return QStringLiteral("create table if not exists %1 (gameId VARCHAR(255) NOT NULL,bgVideoUrl VARCHAR(255) NOT "
                          "NULL,isShowBgVideo INT(4) DEFAULT 0, primary key (gameId));")
        .arg(QStringLiteral("bgvideo"));
}

void DbWorker::init(const QString &)
{
    QMutexLocker lock(&m_mutex);
    if (!m_database.isValid())
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_database.setDatabaseName(m_databasePath);
    // The SQLite driver ignores both: the file is an ordinary database.
    m_database.setUserName(kUserName);
    m_database.setPassword(kPassword);
    if (!m_database.isOpen() && !m_database.open()) {
        qInfo() << "dbopen->fail" << m_database.lastError().text();
    } else if (isDamaged() && !replaceDamaged()) {
        m_database.close();
    } else {
        prepareTables();
    }
    m_initialised = true;
}

bool DbWorker::isDamaged()
{
    // Reads every page's header: cheap for a database of a few records.
    QSqlQuery check(m_database);
    if (!check.exec(QStringLiteral("PRAGMA quick_check"))) {
        const QString code = check.lastError().nativeErrorCode();
        qWarning().noquote()
            << QStringLiteral("The database %1 cannot be checked: %2").arg(m_databasePath, check.lastError().text());
        // Not a database, or damaged; anything else (locked, unreadable) is no reason to replace it.
        return code == QLatin1String("26") || code == QLatin1String("11");
    }
    const QString result = check.next() ? check.value(0).toString() : QString();
    if (result == QLatin1String("ok"))
        return false;
    qWarning().noquote() << QStringLiteral("The database %1 is damaged: %2").arg(m_databasePath, result);
    return true;
}

bool DbWorker::replaceDamaged()
{
    m_database.close();
    const QString base = m_databasePath + QStringLiteral(".bad-") + QDate::currentDate().toString(Qt::ISODate);
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(m_databasePath, copy)) {
        qWarning().noquote()
            << QStringLiteral("The damaged database %1 cannot be moved aside; it stays unused").arg(m_databasePath);
        return false;
    }
    // Its log belongs to it: left in place it would be played into the fresh file.
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString part = m_databasePath + QLatin1String(suffix);
        if (QFileInfo::exists(part) && !QFile::rename(part, copy + QLatin1String(suffix)))
            QFile::remove(part);
    }
    qWarning().noquote()
        << QStringLiteral("The damaged database %1 is kept as %2; a new one is created").arg(m_databasePath, copy);
    if (!m_database.open()) {
        qWarning().noquote() << QStringLiteral("The new database %1 cannot be created: %2")
                                    .arg(m_databasePath, m_database.lastError().text());
        return false;
    }
    return true;
}

void DbWorker::prepareTables()
{
    QSqlQuery pragma(m_database);
    // A write-ahead log with normal syncing survives a killed process.
    pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    const QString sql = createBgVideoSql();
    qDebug() << "creatBgvideoSql->" << sql;
    QSqlQuery create(m_database);
    if (create.exec(sql))
        qInfo("creatBgvideoSql->success");
    else
        qInfo() << "creatBgvideoSql->fail" << create.lastError().text();
}

void DbWorker::processOperation(const DbOperation &op)
{
    QMutexLocker lock(&m_mutex);
    QVariantList rows;
    bool success = run(op, &rows);
    // A query succeeds when it found something: callers take "no rows" and
    // "could not ask" alike as "nothing recorded".
    if (op.type == DbOperation::Query)
        success = success && !rows.isEmpty();
    emit operationDone(op.requestId, success, rows);
}

bool DbWorker::run(const DbOperation &op, QVariantList *rows)
{
    if (!m_initialised) {
        qInfo() << "db operation" << op.requestId << "ignored: the database is stopped";
        return false;
    }
    if (op.type < DbOperation::Insert || op.type > DbOperation::Query) {
        qInfo() << "db operation" << op.requestId << "has an unknown type" << op.type;
        return false;
    }
    if (!m_database.isOpen()) {
        qInfo() << "db operation" << op.requestId << "failed: the database is not open";
        return false;
    }
    QSqlQuery query(m_database);
    if (!query.prepare(op.sql)) {
        qInfo() << "db prepare failed:" << query.lastError().text();
        return false;
    }
    for (auto it = op.params.cbegin(); it != op.params.cend(); ++it)
        query.bindValue(QLatin1Char(':') + it.key(), it.value());
    if (!query.exec()) {
        qInfo() << "db exec failed:" << query.lastError().text();
        return false;
    }
    if (op.type != DbOperation::Query)
        return true;
    while (query.next()) {
        const QSqlRecord record = query.record();
        QVariantMap row;
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i), record.value(i));
        rows->append(row);
    }
    return true;
}

void DbWorker::stop()
{
    QMutexLocker lock(&m_mutex);
    m_initialised = false;
    if (m_database.isOpen())
        m_database.close();
}
