#pragma once

#include "api/apiresult.h"
#include "api/requestthrottle.h"
#include "api/serverurls.h"
#include "update/appdownloadinfo.h"

#include <QObject>

class AppVersionRequest;
class QNetworkAccessManager;

// Asks the launcher service, at most once every five minutes, whether a newer
// launcher exists, and announces one through notifyAppUpdate().
class Appinstallplugin : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kCheckIntervalMs = 300000;

    static Appinstallplugin *instance();

    // `urls`: where the launcher service is; `currentVersion`: the running
    // launcher's version; `clock`: milliseconds since the epoch.
    Appinstallplugin(const ServerUrls &urls, const QString &currentVersion, QNetworkAccessManager *network = nullptr,
        RequestThrottle::Clock clock = {}, QObject *parent = nullptr);

    // The automatic check: skipped (and logged) within five minutes of the
    // previous one, which counts from the send, answered or not.
    void checkUpdateInServer();

    static QString versionPath() { return QStringLiteral("/pc/launcher/version"); }

signals:
    void notifyAppUpdate(AppDownloadInfoPtr downloadInfo);

private slots:
    void onAppVersionReply(const ApiResult &result);

private:
    ServerUrls m_urls;
    QString m_currentVersion;
    QNetworkAccessManager *m_network = nullptr;
    RequestThrottle m_throttle;
    AppVersionRequest *m_request = nullptr;
};

// The check behind the settings page's "Check Version": a new request per
// press, no time limit. Reports a newer launcher, the up-to-date tip text, or
// nothing (failure or time-out), then deletes itself.
class LauncherVersionCheck : public QObject
{
    Q_OBJECT
public:
    LauncherVersionCheck(const ServerUrls &urls, const QString &currentVersion,
        QNetworkAccessManager *network = nullptr, QObject *parent = nullptr);

    void start();

    // "Current version: <v>", an empty line, and the up-to-date sentence.
    static QString upToDateText(const QString &currentVersion);

signals:
    void newerVersion(AppDownloadInfoPtr downloadInfo);
    void upToDate(QString tipText);

private:
    void onReply(const ApiResult &result);

    ServerUrls m_urls;
    QString m_currentVersion;
    AppVersionRequest *m_request = nullptr;
};
