#pragma once

#include "api/apiresult.h"
#include "api/kvabstractnetwork.h"
#include "api/requestthrottle.h"
#include "app/basebean.h"
#include "install/downloadinginfo.h"
#include "install/gameversioninfo.h"

#include <QObject>
#include <QString>

#include <functional>

class GameVersionRequest;
class QNetworkAccessManager;

// Decides what the launcher must do about the game: download it, update it,
// resume an interrupted download, extract downloaded archives, or nothing.
// It asks the update service for the latest version, weighs the answer
// against the install state kept between runs (GameFiles), asks for the
// matching package and announces its conclusion through one signal. The
// download engines and the extraction manager do the work and advance the
// stored state; the main window finishes an install by calling
// RemoveDownloadZip() and writing the installed version.
//
// Widget-free: where the prompted check needs the user's answer, it emits
// updatePromptRequested() and the window calls
// requestTargetGameDownloadFileResource() once the user agreed.
//
// Lives on the GUI thread; its request objects reply there.
class GameInstallPlugin : public QObject
{
    Q_OBJECT
public:
    // The automatic version query is sent at most once in this period.
    static constexpr qint64 kQueryIntervalMs = 180000;

    // What the coordinator talks to; tests hand in their own.
    struct Collaborators
    {
        // Base address of the update service; null: the running environment's.
        std::function<QString()> updateServiceBase;
        QNetworkAccessManager *manager = nullptr; // null: each request owns its client
        RequestThrottle::Clock clock; // null: the system clock
        int replyTimeoutMs = KVAbstractNetwork::kDefaultTimeoutMs;
        // What the signed request records carry about this launcher.
        DeviceInfo device;
        AppPackageInfo package;
        int runningType = 3;
    };

    // The process-wide coordinator with the launcher's own collaborators,
    // built on first use and never destroyed before exit.
    static GameInstallPlugin *instance();

    explicit GameInstallPlugin(Collaborators collaborators, QObject *parent = nullptr);
    ~GameInstallPlugin() override;

    // The automatic version query; ignored within kQueryIntervalMs of the last one sent.
    void requestGameVersionInfo();
    // The version query the user asked for (a retry after a failure): sent at
    // once, whatever the limit says; the automatic query's limit then counts
    // from this one.
    void requestGameVersionInfoNow();

    // The user's version check. A newer version is offered through
    // updatePromptRequested(); `quiet` leaves out versionIsNew() when the
    // installed version is current.
    void checkVersionWithPrompt(bool quiet);

    // Asks for the package from the installed version to `target` after the
    // user agreed to update. Ends with updatePromptFinished() (the window
    // closes its question), then updateNewVersionNow(), networkError() or
    // gameoffline().
    void requestTargetGameDownloadFileResource(const QString &target);

    // One version query of a caller's own (the settings' manual check), sent
    // with the stored target version through a request made for it alone,
    // which is deleted after its answer or time-out. `done` runs on the GUI
    // thread with the reply, or with null on a time-out; not at all once
    // `context` is gone.
    void queryLatestVersionOnce(QObject *context, std::function<void(const ApiResult *reply)> done);

    GameVersionInfo gameVersionInfo() const { return m_info; }
    void setGameVersionInfo(const GameVersionInfo &info) { m_info = info; }

    // Whether the package being asked for replaces an installed game.
    bool isUpdate() const { return m_isUpdate; }

    // The progress of the package files already on disk (final and ".tmp"),
    // for archive packages; every field empty when nothing is there.
    KorvaneObject::DownloadingInfo currentDownloadingInfo() const;

    // Deletes the downloaded files of the working package.
    void RemoveDownloadZip();

signals:
    void needToDownload(GameVersionInfo gameVersionInfo);
    void needToUpdate(GameVersionInfo gameVersionInfo);
    void installed();
    void networkError(QString message);
    void gameoffline(QString message);
    void downloading(KorvaneObject::DownloadingInfo info);
    void needToUnzip();
    void updateNewVersionNow();
    void versionIsNew(QString latestGameVersion);
    // The automatic version query got no usable answer (no network, an
    // unreadable reply); nothing else is announced and the next query tries again.
    void versionQueryFailed();
    // The version query was answered (true), or failed for want of an answer.
    void serviceReached(bool answered);

    // The prompted check found `latestVersion`, newer than the version of the
    // recorded download: the window asks the user whether to update now.
    void updatePromptRequested(QString latestVersion);
    // The package query the user asked for has ended (answer, refusal or
    // time-out): the window closes its question.
    void updatePromptFinished();

private:
    GameVersionRequest *makeRequest(const char *what);
    GameCurrentRequestInfo requestRecord(const QString &currentVersion) const;
    QString updateServiceUrl(const QString &path) const;

    void onVersionReply(const ApiResult &result);
    void onResourceReply(const ApiResult &result);
    void onCheckReply(const ApiResult &result);
    void onTargetReply(const ApiResult &result);

    void processLatestVersion(const GameVersionInfo &latest);
    void processNewerVersion();
    void requestGameResource(const QString &current, const QString &target);
    void clearDownloadsFolder();
    bool acceptPackage(const GameFileDownloadInfo &resource, const char *caller);
    void reportDownloadState();
    void checkDownloadedPackages();

    Collaborators m_collaborators;
    RequestThrottle m_throttle;
    GameVersionRequest *m_versionRequest = nullptr;
    GameVersionRequest *m_checkRequest = nullptr;
    GameVersionRequest *m_resourceRequest = nullptr;
    GameVersionRequest *m_targetRequest = nullptr;
    // The prompted check in flight: the version it asked from and whether it is quiet.
    QString m_checkVersion;
    bool m_checkQuiet = false;
    bool m_isUpdate = false;
    GameVersionInfo m_info;
};
