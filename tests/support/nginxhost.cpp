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

NginxHost::NginxHost(const QString &root)
{
    QProcess start;
    start.start(QStringLiteral("bash"), {script(), QStringLiteral("start"), root, m_state.path()});
    if (!start.waitForFinished(30000) || start.exitCode() != 0) {
        m_error = QString::fromLocal8Bit(start.readAllStandardError());
        return;
    }
    bool ok = false;
    const int port = QString::fromLatin1(start.readAllStandardOutput()).trimmed().toInt(&ok);
    if (ok && port > 0)
        m_port = port;
    else
        m_error = QStringLiteral("nginx-serve printed no port");
}

NginxHost::~NginxHost()
{
    if (m_port <= 0)
        return;
    QProcess stop;
    stop.start(QStringLiteral("bash"), {script(), QStringLiteral("stop"), m_state.path()});
    stop.waitForFinished(10000);
}
