#pragma once

#include <QString>
#include <QVector>

// Makes the replacement of the launcher's own files safe against a kill at any
// moment. The new files wait unpacked in "<app>/.update-staging/files/"; each
// one is swapped in by itself: the old file first gets a second name in
// "<app>/.update-previous/" (a hard link, so its place is never empty), then
// the new one is renamed over it, which replaces it in one step. A file is
// therefore always either the old one or the new one, and whether it was
// swapped can be read from the disk alone: its staged copy is gone.
//
// A small journal ("<app>/.update-journal.json", written atomically before each
// phase) names the files, whether each had an old version, and the phase.
// recover() finishes what a killed updater left: a swap that was not complete
// is undone (every file back to the old one), a complete one is kept, and a
// rollback that was under way is completed. The launcher's executable is
// swapped last and restored first, so the executable a player starts always
// belongs to the version the recovery keeps.
//
// One updater at a time: the updater holds "<app>/.update.lock" for its whole
// run, and recover() does nothing while a live process holds it.
class SelfUpdateJournal
{
public:
    enum class Phase { None, Swapping, Swapped, RollingBack };
    enum class Outcome {
        Nothing, // no journal: nothing was interrupted
        Busy, // an updater is at work right now
        RestoredPrevious, // the old version is whole again
        KeptNew, // the new version was complete and stays
        Failed, // the journal is unreadable or a file could not be moved
    };

    struct File
    {
        QString path; // relative to the application folder
        bool hadOld = false; // the application folder held a file of that name
    };

    explicit SelfUpdateJournal(const QString &appDir);

    // Called by main() of the launcher before anything else touches the application folder.
    static Outcome recover(const QString &appDir);

    // What recover() does, for an updater that holds the lock already.
    Outcome recoverHeld();

    QString appDir() const { return m_appDir; }
    // A file of the launcher's folder, by its path relative to it.
    QString appPath(const QString &relative) const;
    QString stagingDir() const; // "<app>/.update-staging"
    QString stagedFilesDir() const; // "<app>/.update-staging/files"
    QString previousDir() const; // "<app>/.update-previous"
    QString lockPath() const;
    QString journalPath() const;

    Phase phase() const { return m_phase; }
    QString launcherName() const { return m_launcher; }
    QString version() const { return m_version; }
    QString previousVersion() const { return m_previousVersion; }
    QVector<File> files() const { return m_files; }

    // The content of the next journal written; the launcher's file is put last.
    void describe(const QString &launcherName, const QString &version, const QString &previousVersion,
        const QVector<File> &files);

    // Reads the journal; false when there is none or it cannot be read (error set).
    bool load(QString *error);
    // Writes the journal with `phase` atomically.
    bool save(Phase phase, QString *error);
    void remove();

    // Swaps every staged file in, the launcher's last.
    bool swapIn(QString *error);
    // Puts every file back as it was before swapIn(), the launcher's first. May be
    // repeated after an interruption.
    bool undo(QString *error);
    // Whether every file has been swapped in.
    bool allSwapped() const;

    // Called after each step that changes the disk (tests end the process there).
    static void setStepHook(void (*hook)());
    static void step();

private:
    bool swapFile(const File &file, QString *error);
    bool undoFile(const File &file, QString *error);
    QString stagedPath(const QString &relative) const;
    QString previousPath(const QString &relative) const;

    QString m_appDir;
    Phase m_phase = Phase::None;
    QString m_launcher;
    QString m_version;
    QString m_previousVersion;
    QVector<File> m_files;
};
