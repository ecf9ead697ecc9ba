#pragma once

#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "download/enginejob.h"
#include "extract/zlibhelper.h"

class DataTrackManager;
class GameVersionInfo;
class QThread;

// Extracts the downloaded archives of one game version into the install folder, side by
// side on worker threads of its own, one per core (libarchive decodes an archive on one
// thread, and a package comes in several archives). Archives recorded as extracted for the
// version ("UNZIP-<version>" = 1) are skipped, so an interrupted install resumes with what
// is missing. Progress is the bytes written over the bytes to write, both summed over the
// run's archives. A run ends, when the last archive is done, with unzipProgressFinish() or
// with one sigZipsError("extractError", failed URLs in the order they failed); failed
// archives are recorded 0. An archive that
// is itself at fault (damaged, not an archive, hostile) is deleted so that it is downloaded
// again; one that failed for the drive (full, not writable) is kept and extracted again as it
// is, as a download of many gigabytes is the dearer thing to repeat.
//
// Lives on the GUI thread and never blocks it; the worker's signals arrive queued.
// Destroying the manager (or cancelExtract()) stops the running archives within a data
// block: what was extracted and reported stays recorded, the interrupted archives are
// neither recorded nor deleted and are extracted again by the next run.
//
// A run ends once, through finish(): with its signal when it ran to the end, silently when
// it is cancelled or the manager is reset. Queued reports are delivered even after their
// connection is gone, so every set of workers serves one run (EngineJob's generation): the
// workers are retired when their run ends and fresh ones wait for the next, and a report
// of any other run is dropped where the workers are connected. A report still queued from
// a cancelled run never reaches the run started after it, even for the same archive.
class ZiplibManager : public QObject, protected EngineJob
{
    Q_OBJECT
public:
    // `tracker`, when given, receives the analytics event of each failed archive.
    explicit ZiplibManager(DataTrackManager *tracker = nullptr, QObject *parent = nullptr);
    ~ZiplibManager() override;

    // Starts a run for the packages of a version (the working record's latestVersion and
    // packageUrls). Ignored while a run is busy or after resetExtract().
    void startExtract(const QString &latestVersion, const QStringList &packageUrls);
    void startExtract(const GameVersionInfo &info);
    // Adds archives of the running run's version (starting a run when none
    // runs): the archives of a package that is still downloading, each as it
    // arrives. Those already recorded, queued or extracting are skipped.
    void addArchives(const QString &latestVersion, const QStringList &packageUrls);
    // Each archive is deleted as soon as its extraction is recorded (a
    // package that streams in needs the room), not left to the caller.
    void setDeleteExtracted(bool on) { m_deleteExtracted = on; }
    bool isBusy() const { return m_isBusy; }
    // Ends the manager: disconnects and drops the worker (stopping what it runs). The
    // manager cannot extract afterwards.
    void resetExtract();
    // Stops the run without recording the interrupted archive; the manager stays usable.
    void cancelExtract();
    // The workers of the current run (each on its thread), one per core: for tests and
    // diagnostics that need to observe them directly. Empty after resetExtract().
    QList<ZlibHelper *> workers() const;

signals:
    void workStarted();
    void sigProgress(qlonglong nValue, qlonglong nTotalSize);
    void sigZipsError(QString msg, QStringList url);
    void unzipProgressFinish();
    // One archive was extracted and recorded (and deleted, when asked to).
    void archiveExtracted(QString url);
    // Analytics: emitted once per failed archive, before the run goes on. Connect to
    // DataTrackManager::trackEvent(eventName, properties). eventName is
    // "launcher_install_finish"; properties are "result" = "fail", "result_msg" = the
    // worker's error text ("BitException:..."), "fail_url" = the archive's URL.
    void sigTrackEvent(QString eventName, QVariantMap properties);

private slots:
    void extractStarted();
    void extractZipTotal(qlonglong nTotalSize);
    void extractProgress(QString url, qlonglong nValue, qlonglong nTotalSize);
    void extractProgressFile(QString sFile);
    void extractError(QString msg, QString urls);

private:
    // A worker thread and the archive it extracts.
    struct Lane
    {
        QThread *thread = nullptr;
        QPointer<ZlibHelper> worker;
        QString current; // the URL in the worker; empty when none
    };

    // How a run ended.
    enum class Outcome { Finished, Failed, Cancelled };

    void attachWorkers();
    void extractRejected(const QString &url);
    void next();
    void enqueue(const QStringList &packageUrls);
    // The one end of a run: retires its workers and reports the outcome.
    void finish(Outcome outcome);
    void recordFailures();
    // Disconnects the workers and cancels what they run.
    void stopWorkers();
    // Stops the workers and lets them go (deleted on their threads).
    void retireWorkers();
    Lane *laneOf(const QString &url);
    bool running() const;

    bool m_isBusy = false;
    qint64 m_totalBytes = 0;
    QString m_version;
    QList<Lane> m_lanes;
    QStringList m_unzipQueue;
    QStringList m_failedUrls;
    QStringList m_finishedUrls;
    QMap<QString, QPair<qint64, qint64>> m_progress;
    // The size each URL of the run counts with in m_totalBytes: the name's "origin_" size
    // until the worker reports the archive's real one.
    QMap<QString, qint64> m_expected;
    QSet<QString> m_rejectedUrls; // failed URLs whose archive itself is bad
    bool m_spent = false;
    bool m_deleteExtracted = false;
    QList<QMetaObject::Connection> m_connections;
};
