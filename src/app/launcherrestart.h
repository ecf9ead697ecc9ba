#pragma once

#include <QObject>
#include <QString>

#include <functional>

class SingleInstanceGuard;

// The restart that a confirmed language change asks for. The new copy must
// not start while this one still holds the single-instance guard: it would
// hand over to the dying copy and exit, leaving no launcher. So the change
// stores the language and runs the orderly quit; the end of main, once the
// loop has left and the window is gone, releases the guard and only then
// starts the new copy, detached.
class LauncherRestart : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        // The launcher started again; empty: this executable's own path.
        QString program;
        // Stores the language index; null: the configuration's "language_index".
        std::function<void(int index)> storeLanguage;
        // Runs the orderly quit; null: OrderlyQuit::instance()->request().
        std::function<void()> quit;
        // Starts the program detached and returns its process id (0 when it
        // could not); null: QProcess::startDetached in the program's folder.
        std::function<qint64(const QString &program)> start;
    };

    explicit LauncherRestart(Collaborators collaborators = {}, QObject *parent = nullptr);

    // The confirmed language change to the language of `index` (0..4).
    void restart(int index);
    bool isPending() const { return m_pending; }

    // After the event loop: releases `guard`, then starts the new copy when a
    // restart is pending. Returns the new copy's process id, 0 when none was started.
    qint64 finish(SingleInstanceGuard &guard);

private:
    Collaborators m_collaborators;
    bool m_pending = false;
};
