#pragma once

#include "install/installmanifest.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>

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

// Checks `dir` against `manifest` on the caller's thread. Quick: every listed file is
// there as a plain file of its size; full: and its digest matches, read in blocks.
// `cancel`, when raised, ends the check within a block as Cancelled; `progress` is
// called now and then (at most about ten times a second) and once at the end. Only reads.
VerifyReport verifyInstall(const QString &dir, const InstallManifest &manifest, VerifyMode mode,
    const std::atomic_bool *cancel = nullptr, const std::function<void(const VerifyProgress &)> &progress = {});

// Runs verifyInstall() on a thread of its own and reports on the owner's thread. One
// check per object; destroying it cancels the check and waits for at most one block.
class GameVerifier : public QObject
{
    Q_OBJECT
public:
    explicit GameVerifier(QObject *parent = nullptr);
    ~GameVerifier() override;

    void start(const QString &dir, const InstallManifest &manifest, VerifyMode mode);
    void cancel() { m_cancel.store(true); }
    bool isRunning() const;

signals:
    void progress(VerifyProgress progress);
    void finished(VerifyReport report);

private:
    QThread *m_thread = nullptr;
    std::atomic_bool m_cancel {false};
};

Q_DECLARE_METATYPE(VerifyProgress)
Q_DECLARE_METATYPE(VerifyReport)
