#include "db/dbmanager.h"

#include "app/appdir.h"
#include "app/processsingleton.h"
#include "db/dbworker.h"

#include <QCoreApplication>
#include <QDebug>
#include <QStringList>

namespace {
ProcessSingleton<DbManager> s_instance;
} // namespace

DbManager *DbManager::instance()
{
    return s_instance.get([] {
        auto *manager = new DbManager(AppDir::filePath(QStringLiteral("AppData/korvanedb.sql3")));
        // Its answers are delivered on the thread it lives on: whichever
        // thread asks first, that is the GUI thread, which runs an event loop.
        if (QCoreApplication::instance())
            manager->moveToThread(QCoreApplication::instance()->thread());
        return manager;
    });
}

DbManager::DbManager(const QString &databasePath, QObject *parent)
    : QObject(parent)
{
    static const int registered = qRegisterMetaType<DbOperation>("DbOperation");
    Q_UNUSED(registered)

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("DbWorker"));
    m_worker = new DbWorker(databasePath);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &DbWorker::operationDone, this, &DbManager::operationCompleted);
    connect(this, &DbManager::initWorker, m_worker, &DbWorker::init);
    connect(this, &DbManager::newOperation, m_worker, &DbWorker::processOperation);
    m_thread->start(QThread::InheritPriority);
}

DbManager::~DbManager()
{
    // Statements are short; a worker stuck on a locked file for this long is
    // left behind (never killed mid-write) rather than holding up the exit.
    if (!stopWorker(10000)) {
        qWarning("The database thread did not stop in time");
        return;
    }
    delete m_thread;
}

bool DbManager::stopWorker(int msecs)
{
    // A finished thread has deleted its worker already.
    if (m_thread->isFinished())
        return true;
    stop();
    m_thread->quit();
    return m_thread->wait(msecs);
}

QString DbManager::insertOrReplaceSql(const QString &table, const QVariantMap &values)
{
    const QStringList keys = values.keys();
    QStringList placeholders;
    for (const QString &key : keys)
        placeholders.append(QLatin1Char(':') + key);
    return QStringLiteral("insert or replace into %1 (%2) VALUES (%3)")
        .arg(table, keys.join(QLatin1Char(',')), placeholders.join(QLatin1Char(',')));
}

int DbManager::insertOrReplace(const QString &table, const QVariantMap &values)
{
    DbOperation op;
    op.type = DbOperation::Insert;
    op.sql = insertOrReplaceSql(table, values);
    op.params = values;
    op.requestId = ++m_requestCounter;
    emit newOperation(op);
    return op.requestId;
}

int DbManager::query(const QString &sql, const QVariantMap &params)
{
    DbOperation op;
    op.type = DbOperation::Query;
    op.sql = sql;
    op.params = params;
    op.requestId = ++m_requestCounter;
    emit newOperation(op);
    return op.requestId;
}

int DbManager::queryBgVideo(const QString &gameId)
{
    return query(QStringLiteral("select * from bgvideo where gameId=:gameId;"), {{QStringLiteral("gameId"), gameId}});
}

void DbManager::stop()
{
    if (m_thread->isFinished())
        return;
    QMetaObject::invokeMethod(m_worker, "stop", Qt::QueuedConnection);
}
