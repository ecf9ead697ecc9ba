#pragma once

#include <QMap>
#include <QString>

// The base addresses of the four services for the running environment, read
// from the edition's manifest. The process-wide set is built on first use and
// never changes; other sets (for tests, or a stand-in) are plain values.
class ServerUrls
{
public:
    // The process-wide set, for KVApplication's running type.
    static const ServerUrls *instance();

    // The set of environment `runningType` (1 development, 2 test, 3 release)
    // from `manifest`; every base is empty for any other running type.
    static ServerUrls forEnvironment(int runningType, const QMap<QString, QString> &manifest);

    ServerUrls() = default;
    ServerUrls(const QString &host, const QString &activityHost, const QString &dataHost, const QString &hotUpdateHost);

    QString host() const { return m_host; } // launcher/SDK service
    QString activityHost() const { return m_activityHost; } // home-content service
    QString dataHost() const { return m_dataHost; } // analytics receiver, a complete address
    QString hotUpdateHost() const { return m_hotUpdateHost; } // game-package update service

    // Base + path by plain concatenation: no separator is added or removed.
    QString hostUrl(const QString &path) const { return m_host + path; }
    QString activityUrl(const QString &path) const { return m_activityHost + path; }
    QString hotUpdateUrl(const QString &path) const { return m_hotUpdateHost + path; }

private:
    QString m_host;
    QString m_activityHost;
    QString m_dataHost;
    QString m_hotUpdateHost;
};
