#pragma once

#include <QString>
#include <QTemporaryDir>

// nginx serving one folder on a free port of 127.0.0.1 with a configuration of
// its own (scripts/nginx-serve), as a deployment's file host would; stopped on
// destruction. It can be stopped and started again on the same port.
class NginxHost
{
public:
    struct Options
    {
        QString snippet; // directives added to the served location
    };
    explicit NginxHost(const QString &root, const Options &options = {});
    ~NginxHost();

    NginxHost(const NginxHost &) = delete;
    NginxHost &operator=(const NginxHost &) = delete;

    // Whether nginx is installed at all (scripts/bootstrap installs it).
    static bool isInstalled();

    bool isRunning() const { return m_running; }
    QString errorString() const { return m_error; }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

    // Stops nginx (its connections are closed); the port stays this host's.
    void stop();
    // Starts it again on the same port; false when it could not.
    bool start();

private:
    QTemporaryDir m_state;
    QString m_root;
    Options m_options;
    QString m_error;
    int m_port = -1;
    bool m_running = false;
};
