#include "api/serverurls.h"

#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "app/processsingleton.h"

#include <QDebug>
#include <QSslSocket>
#include <QThreadPool>

namespace {
ProcessSingleton<ServerUrls> s_instance;
} // namespace

ServerUrls::ServerUrls(
    const QString &host, const QString &activityHost, const QString &dataHost, const QString &hotUpdateHost)
    : m_host(host)
    , m_activityHost(activityHost)
    , m_dataHost(dataHost)
    , m_hotUpdateHost(hotUpdateHost)
{ }

ServerUrls ServerUrls::forEnvironment(int runningType, const QMap<QString, QString> &manifest)
{
    struct Column
    {
        const char *host;
        const char *activity;
        const char *data;
        const char *hotUpdate;
    };
    static const Column columns[] = {
        {"Dev_host", "Dev_activity_host", "Data_Test_host", "Dev_hotupdate_host"},
        {"Test_host", "Test_activity_host", "Data_Test_host", "Test_hotupdate_host"},
        {"Release_host", "Release_activity_host", "Data_Release_host", "Release_hotupdate_host"},
    };
    if (runningType < 1 || runningType > 3)
        return {};
    const Column &column = columns[runningType - 1];
    const auto value = [&manifest](const char *key) {
        return manifest.value(QString::fromLatin1(key));
    };
    return ServerUrls(value(column.host), value(column.activity), value(column.data), value(column.hotUpdate));
}

const ServerUrls *ServerUrls::instance()
{
    return s_instance.get([] {
        const int runningType = KVApplication::instance()->runningType();
        qInfo().noquote() << QStringLiteral("initUrls getRunningTpye : %1 ").arg(runningType);
        auto *urls = new ServerUrls(forEnvironment(runningType, LauncherConfig::instance()->manifest()));
        // Loading the TLS library takes a few milliseconds: not on the way
        // to the first window.
        QThreadPool::globalInstance()->start([] {
            qInfo().noquote() << QStringLiteral("Support https : %1 , openssl buildversion: %2 , version : %3")
                                     .arg(QSslSocket::supportsSsl() ? 1 : 0)
                                     .arg(QSslSocket::sslLibraryBuildVersionString(),
                                         QSslSocket::sslLibraryVersionString());
        });
        return urls;
    });
}
