#pragma once

#include "selfupdate/selfupdatejournal.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class PackageTransfer;
class QLockFile;

// What the launcher asks of its updater.
struct SelfUpdateRequest
{
    QString appDir; // the application folder whose launcher is replaced
    QString launcherName; // the launcher's file name in it
    QString version; // the version the package brings
    QString url; // the package: a .zip or .7z whose name declares its size and MD5
    qint64 waitPid = 0; // the launcher that asked; it must end first
    QString gameDir; // the game's folder, relative to appDir (never touched); may be empty
    int waitPidMs = 60000;
    int readyTimeoutMs = 30000;
    int maxAttempts = 8; // download attempts after network failures
};

// Replaces the launcher with a new version and makes sure it starts: waits for
// the launcher to end, downloads its package into "<app>/.update-staging/"
// (resumed, size and digest checked, network failures retried with backoff),
// unpacks it there, swaps the files in (see SelfUpdateJournal), starts the new
// launcher with QUILLMERE_UPDATE_READY naming a file and waits for its version
// to appear there. A launcher that exits, crashes or stays silent is replaced by
// the previous files again and started instead; "<app>/selfupdate.json" tells
// the next start what happened. A failure before the swap leaves every file as
// it was and starts the old launcher again, so the player is never left
// without one. Files of the user (settings, downloads, logs, the database, the
// game) are never replaced, whatever the package holds.
class SelfUpdater : public QObject
{
    Q_OBJECT
public:
    enum class Stage { Waiting, Downloading, Unpacking, Replacing, Starting, RollingBack, Done };
    Q_ENUM(Stage)
    enum class Result { Updated, RolledBack, Failed };
    Q_ENUM(Result)

    explicit SelfUpdater(const SelfUpdateRequest &request, QObject *parent = nullptr);
    ~SelfUpdater() override;

    void start();

    // Why a request cannot be carried out; empty when it can.
    static QString refusal(const SelfUpdateRequest &request);
    // Whether a path of the package names something of the user's.
    static bool isUserData(const QString &relative, const QString &gameDir);

signals:
    void stageChanged(SelfUpdater::Stage stage);
    void progress(qint64 done, qint64 total);
    void finished(SelfUpdater::Result result, const QString &message);

private:
    struct Unpacked;

    void setStage(Stage stage);
    void poll(int intervalMs, void (SelfUpdater::*check)());
    void checkLauncherEnded();
    void download();
    void onTransferEnded(int errorCode, const QString &message);
    void unpack();
    void onUnpacked(const Unpacked &unpacked);
    bool plan(QString *error);
    void readPreviousVersion();
    void swap();
    void startNew();
    void checkReady();
    void checkSilentEnded();
    void rollBack(const QString &why);
    void succeed();
    void fail(const QString &why, bool startOld);
    void finish(Result result, const QString &message);
    bool startLauncher(bool announce, qint64 *pid);
    QString readyPath() const;
    QString packagePath() const;

    SelfUpdateRequest m_request;
    SelfUpdateJournal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_poll;
    QElapsedTimer m_clock;
    QPointer<PackageTransfer> m_transfer;
    int m_attempt = 0;
    bool m_refetched = false;
    QVector<SelfUpdateJournal::File> m_files;
    QString m_previousVersion;
    qint64 m_newPid = 0;
    QString m_whyRollBack;
    QString m_refusal;
    bool m_done = false;
};
