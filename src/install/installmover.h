#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Moves an installed game to another folder on a thread of its own, so that
// the old install keeps working until the new one is complete and recorded.
//
// On the same volume the folder is renamed. Onto another volume the files are
// copied into a staging folder beside the destination, every copy is checked
// (its size, and whatever `checkCopy` adds), the staging folder is renamed to
// the destination, the records are switched, and only then is the old folder
// deleted. A cancel, a full disk or any failed write removes the staging
// folder and leaves the old install and its records as they were. A killed
// process cannot clean up: a journal names the staging folder while the copy
// runs, and the next start (or the next move) removes what it names.
//
// Refused, without touching anything: while the game or an install runs,
// when the destination is the game's folder, lies inside it (or holds it),
// is a file or a folder that is not empty, or its volume has no room.
class InstallMover : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Moved,
        Refused, // nothing was touched
        Failed, // the copy or the switch failed; the old install is intact
        Cancelled, // the old install is intact
    };
    Q_ENUM(Outcome)

    struct Collaborators
    {
        // The game's folder now.
        QString from;
        // Asked on the caller's thread when the move starts; null: no.
        std::function<bool()> gameRunning;
        std::function<bool()> installRunning;
        // Makes `folder` the recorded install folder; false when it could
        // not be recorded. Runs on the mover's thread.
        std::function<bool(const QString &folder)> switchRecords;
        // Free bytes on the volume of an existing path; null: the system's answer.
        std::function<qint64(const QString &path)> freeSpace;
        // A further check of a copied file beyond its size, such as the
        // digest the install recorded for `relativePath` ('/'-separated).
        // False rejects the copy. Null: sizes only. Runs on the mover's thread.
        std::function<bool(const QString &relativePath, const QString &copiedFile)> checkCopy;
        // The file that names the staging folder while a copy runs (see
        // removeInterruptedCopy()); empty: none is kept.
        QString journal;
    };

    // The name of the staging folder's marker, so that only a folder this
    // class made is ever removed as a left-over.
    static const QString StagingMarker;

    // The installed game as the launcher records it: its folder, and the
    // records a move switches (the settings store and the native store).
    // The one place where a check of the copies against what the install
    // recorded is added, for the settings and the command line alike.
    static Collaborators forRecordedGame();

    explicit InstallMover(Collaborators collaborators, QObject *parent = nullptr);
    // Cancels a running move and waits for its thread.
    ~InstallMover() override;

    // Starts moving the game to `to` (created when absent). finished() follows
    // in every case, also for a refusal, and never before this returns.
    // False when a move is already running.
    bool start(const QString &to);
    // Asks a running copy to stop; finished(Cancelled) follows.
    void cancel();
    bool isRunning() const;
    QString from() const { return m_collaborators.from; }

    // Texts the settings and the command line show around a move.
    static QString question(const QString &to);
    static QString startText(const QString &from, const QString &to);
    static QString progressText(qint64 bytesDone, qint64 bytesTotal, int filesDone, int filesTotal);
    // The staging folder of a destination.
    static QString stagingPath(const QString &to);
    // The launcher's journal of a copy under way, beside its settings.
    static QString journalPath();
    // Removes the staging folder `journal` names when it carries the marker
    // and no copy of this process writes into it, then the journal itself
    // (kept when the folder could not be removed, to try again). True when a
    // half copy was removed. Blocks while it deletes: not for the GUI thread.
    static bool removeInterruptedCopy(const QString &journal);

signals:
    // While files are copied (not for a rename).
    void progress(qint64 bytesDone, qint64 bytesTotal, int filesDone, int filesTotal);
    // `message`: what to show the player; `folder`: where the game is now.
    void finished(InstallMover::Outcome outcome, const QString &message, const QString &folder);

private:
    struct Job;
    void run(const QString &from, const QString &to);
    void copyAcross(const QString &from, const QString &to, const QString &staging);
    static bool markStaging(const QString &staging);
    QString copyEntries(const Job &job, const QString &from, const QString &staging);
    QString copyFile(const QString &source, const QString &target, const Job &job, qint64 *done, int files);
    QString checkEntries(const Job &job, const QString &staging);
    void finish(Outcome outcome, const QString &message, const QString &folder);
    QString refusal(const QString &from, const QString &to) const;

    Collaborators m_collaborators;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancel {false};
};
