#pragma once

#include "install/installmanifest.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class QThread;

// How far a check has come: files and bytes over those to check, and the seconds left
// at the rate so far (-1 while unknown).
struct VerifyProgress
{
    qint64 filesDone = 0;
    qint64 filesTotal = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    qint64 secondsLeft = -1;
};

// What a check of the game folder against its manifest found. Places are relative to
// the game folder, "/"-separated.
struct VerifyReport
{
    enum class Outcome { Intact, Damaged, NotChecked, Cancelled };
    Outcome outcome = Outcome::NotChecked;
    bool full = false;
    QString version;
    QString error; // NotChecked: why
    QStringList missing; // listed, not there (also every file of a removed folder)
    QStringList damaged; // wrong size or digest, unreadable, or a link or folder in its place
    QStringList unexpected; // in the folder, not listed (the game's own files): left alone
    QStringList repaired; // set by a repair: what it put back
    qint64 files = 0;
    qint64 bytes = 0;

    QStringList faulty() const { return missing + damaged; }
    QString toText() const;
    QJsonObject toJson() const;
};

enum class VerifyMode { Quick, Full };

// Holds a running check between two blocks while it is paused. Set from any thread; the
// check's lanes wait in hold() without spinning, and a cancel must wake() them.
class VerifyPause
{
public:
    void set(bool paused);
    bool isSet() const { return m_paused.load(std::memory_order_relaxed); }
    void wake();
    // Returns once not paused or `cancel` is raised.
    void hold(const std::atomic_bool *cancel);
    // The time spent paused so far: the estimate of the time left leaves it out.
    qint64 pausedMs() const;

private:
    std::atomic_bool m_paused {false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    qint64 m_pausedMs = 0;
    qint64 m_since = 0; // when the running pause began (steady clock, ms)
};

// Checks `dir` against `manifest` on the caller's thread. Quick: every listed file is
// there as a plain file of its size; full: and its digest matches, read in blocks.
// `cancel`, when raised, ends the check within a block as Cancelled; `pause` holds it
// between blocks; `progress` is called now and then (at most about ten times a second)
// and once at the end. Only reads.
VerifyReport verifyInstall(const QString &dir, const InstallManifest &manifest, VerifyMode mode,
    const std::atomic_bool *cancel = nullptr, const std::function<void(const VerifyProgress &)> &progress = {},
    VerifyPause *pause = nullptr);

// Runs verifyInstall() on a thread of its own and reports on the owner's thread. One
// check per object; destroying it cancels the check and waits for at most one block.
class GameVerifier : public QObject
{
    Q_OBJECT
public:
    explicit GameVerifier(QObject *parent = nullptr);
    ~GameVerifier() override;

    void start(const QString &dir, const InstallManifest &manifest, VerifyMode mode);
    void cancel();
    // Holds the check between two blocks until resumed; progress stops meanwhile.
    void pause() { m_pause.set(true); }
    void resume() { m_pause.set(false); }
    bool isPaused() const { return m_pause.isSet(); }
    bool isRunning() const;

signals:
    void progress(VerifyProgress progress);
    void finished(VerifyReport report);

private:
    QThread *m_thread = nullptr;
    std::atomic_bool m_cancel {false};
    VerifyPause m_pause;
};

Q_DECLARE_METATYPE(VerifyProgress)
Q_DECLARE_METATYPE(VerifyReport)
