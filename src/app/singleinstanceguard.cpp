#include "app/singleinstanceguard.h"

#include "app/launcherconfig.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>

#include <unistd.h>

namespace {
const QByteArray Request = QByteArrayLiteral("activate\n");
const QByteArray Answer = QByteArrayLiteral("ok\n");
constexpr int AnswerWaitMs = 3000;
// Between taking the lock and listening, the first copy is briefly deaf.
constexpr int ConnectTries = 10;
constexpr int ConnectWaitMs = 300;
} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &key, QObject *parent)
    : QObject(parent)
{
    // The display name may hold blanks and non-Latin letters: the socket and
    // lock are named by its hash, per user, so users of one machine do not
    // meet each other's launcher.
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_serverName = QStringLiteral("quillmere-%1-%2").arg(QString::fromLatin1(hash)).arg(::getuid());
}

QString SingleInstanceGuard::launcherKey()
{
    return LauncherConfig::instance()->manifestValue(QStringLiteral("app_displayname"));
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
}

void SingleInstanceGuard::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

QString SingleInstanceGuard::lockPath() const
{
    return QDir::tempPath() + QLatin1Char('/') + m_serverName + QStringLiteral(".lock");
}

SingleInstanceGuard::Outcome SingleInstanceGuard::claim()
{
    auto lock = std::make_unique<QLockFile>(lockPath());
    // No stale time: a lock is stale only when its process is gone, never
    // because the launcher has been running a long time.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        if (!listen())
            qWarning() << "The single-instance socket cannot listen:" << m_serverName;
        return First;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        // An unwritable temporary folder must not keep the launcher from starting.
        qWarning() << "The single-instance lock cannot be taken:" << lockPath();
        return First;
    }
    if (handOver())
        return HandedOver;
    qWarning() << "Another launcher holds the single-instance lock but does not answer; starting anyway";
    return Unanswered;
}

bool SingleInstanceGuard::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours, so a socket file left by a dead copy is stale.
    QLocalServer::removeServer(m_serverName);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::onNewConnection);
    return m_server->listen(m_serverName);
}

bool SingleInstanceGuard::handOver()
{
    for (int attempt = 0; attempt < ConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (!socket.waitForConnected(ConnectWaitMs)) {
            QThread::msleep(ConnectWaitMs);
            continue;
        }
        socket.write(Request);
        if (!socket.waitForBytesWritten(AnswerWaitMs))
            return false;
        QByteArray reply;
        QElapsedTimer waited;
        waited.start();
        while (!reply.contains('\n') && waited.elapsed() < AnswerWaitMs) {
            if (!socket.waitForReadyRead(int(AnswerWaitMs - waited.elapsed())))
                break;
            reply += socket.readAll();
        }
        return reply == Answer;
    }
    return false;
}

void SingleInstanceGuard::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // One short line; anything longer is not a launcher talking.
            if (socket->bytesAvailable() > 64) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine())
                return;
            if (socket->readLine() != Request) {
                qWarning() << "The single-instance socket got an unknown request; ignored";
                socket->disconnectFromServer();
                return;
            }
            qInfo() << "Another copy of the launcher was started; bringing this window forward";
            emit activationRequested();
            socket->write(Answer);
            socket->disconnectFromServer();
        });
    }
}
