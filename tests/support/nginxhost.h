#pragma once

#include <QString>
#include <QTemporaryDir>

// nginx serving one folder on a free port of 127.0.0.1 with a configuration of
// its own (scripts/nginx-serve), as a deployment's file host would; stopped on
// destruction.
class NginxHost
{
public:
    explicit NginxHost(const QString &root);
    ~NginxHost();

    NginxHost(const NginxHost &) = delete;
    NginxHost &operator=(const NginxHost &) = delete;

    // Whether nginx is installed at all (scripts/bootstrap installs it).
    static bool isInstalled();

    bool isRunning() const { return m_port > 0; }
    QString errorString() const { return m_error; }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    QTemporaryDir m_state;
    QString m_error;
    int m_port = -1;
};
