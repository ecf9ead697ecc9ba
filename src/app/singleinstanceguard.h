#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Keeps a second copy of the launcher from running beside the first. The
// first copy holds a lock file and listens on a local socket, both named after
// the key (the edition's display name); a later copy finds the lock taken,
// asks the first over the socket to bring its window forward and steps aside.
// A lock left by a copy that died (killed, crashed) is recognised by its
// process id and taken over.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT
public:
    enum Outcome {
        // This copy holds the guard; it answers later copies.
        First,
        // A running copy took over the request; this copy should exit.
        HandedOver,
        // Another copy holds the lock but did not answer: this one goes on
        // unguarded rather than leave the user without a launcher.
        Unanswered,
    };

    explicit SingleInstanceGuard(const QString &key, QObject *parent = nullptr);
    // The launcher's key, its edition's display name: the window, and the
    // command-line verbs that must not run beside it, share one guard.
    static QString launcherKey();
    ~SingleInstanceGuard() override;

    // Takes the guard or hands over to its holder. Waits at most a few
    // seconds for the holder to answer (called before the window exists).
    Outcome claim();

    // Stops guarding: a copy started after this call becomes the first one.
    void release();

    // The socket name and lock file path derived from the key.
    QString serverName() const { return m_serverName; }
    QString lockPath() const;

signals:
    // A later copy asked for the window (on the GUI thread).
    void activationRequested();

private:
    bool listen();
    bool handOver();
    void onNewConnection();

    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
