#pragma once

#include "install/gameverify.h"
#include "install/installmanifest.h"

#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>
#include <memory>

class DownloadInterface;
class QThread;

// Puts back what a check found missing or damaged, and nothing else. First what stands in
// a listed file's place (a link, a damaged file) is removed; folders that are links on the
// way to a listed file are removed as links, never followed. Then:
// - a small-files install runs the small-files engine over its document again, which
//   keeps every file with the right size and MD5 and fetches the others;
// - an archive install fetches again only the packages that hold the files (resumed and
//   checked against their names' digest by the package engine), extracts from them only
//   those files, and deletes the packages.
// A full check follows; its report, with `repaired` set, ends the repair. The install
// records the engines change while they run (status, target version) are put back, so the
// game stays recorded as installed. Files the manifest does not list are never touched.
class GameRepair : public QObject
{
    Q_OBJECT
public:
    // Makes the download engine for a kind of install; null: the launcher's own.
    using EngineFactory = std::function<DownloadInterface *(InstallManifest::Kind kind, QObject *parent)>;

    GameRepair(const QString &installDir, const InstallManifest &manifest, EngineFactory engines = {},
        QObject *parent = nullptr);
    ~GameRepair() override;

    // `found`: the report of a check of the same folder against the same manifest.
    void start(const VerifyReport &found);
    void cancel();

signals:
    // "fetch", "extract" or "verify", with its progress.
    void progress(QString phase, qint64 done, qint64 total);
    void finished(VerifyReport report);

private:
    void clearPlaces();
    void fetch();
    void onFetched(bool ok, const QString &why);
    void extract();
    void verifyAgain();
    void end(VerifyReport report);

    QString m_dir;
    InstallManifest m_manifest;
    EngineFactory m_engines;
    QStringList m_faulty;
    QString m_error;
    QPointer<DownloadInterface> m_engine;
    QThread *m_worker = nullptr;
    std::shared_ptr<std::atomic_bool> m_cancel;
    GameVerifier *m_verifier = nullptr;
    bool m_ended = false;
    // The install records the engines overwrite, put back when they are done.
    int m_status = 0;
    QString m_targetVersion;
    int m_updateType = 0;
};
