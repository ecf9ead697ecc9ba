#include "support/nginxhost.h"

#include <QFileInfo>
#include <QProcess>

namespace {

QString script()
{
    return QStringLiteral(QUILLMERE_SOURCE_DIR "/scripts/nginx-serve");
}

} // namespace

bool NginxHost::isInstalled()
{
    return QFileInfo(QStringLiteral("/usr/sbin/nginx")).isExecutable();
}

NginxHost::NginxHost(const QString &root, const Options &options)
    : m_root(root)
    , m_options(options)
{
    start();
}

bool NginxHost::start()
{
    if (m_running)
        return true;
    QProcess start;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (m_port > 0)
        environment.insert(QStringLiteral("NGINX_SERVE_PORT"), QString::number(m_port));
    if (!m_options.snippet.isEmpty())
        environment.insert(QStringLiteral("NGINX_SERVE_SNIPPET"), m_options.snippet);
    start.setProcessEnvironment(environment);
    start.start(QStringLiteral("bash"), {script(), QStringLiteral("start"), m_root, m_state.path()});
    if (!start.waitForFinished(30000) || start.exitCode() != 0) {
        m_error = QString::fromLocal8Bit(start.readAllStandardError());
        return false;
    }
    bool ok = false;
    const int port = QString::fromLatin1(start.readAllStandardOutput()).trimmed().toInt(&ok);
    if (!ok || port <= 0) {
        m_error = QStringLiteral("nginx-serve printed no port");
        return false;
    }
    m_port = port;
    m_running = true;
    return true;
}

void NginxHost::stop()
{
    if (!m_running)
        return;
    QProcess stop;
    stop.start(QStringLiteral("bash"), {script(), QStringLiteral("stop"), m_state.path()});
    stop.waitForFinished(10000);
    m_running = false;
}

NginxHost::~NginxHost()
{
    stop();
}
