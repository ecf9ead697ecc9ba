#include "publisherprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <csignal>

PublisherProcess::PublisherProcess(const QString &contentDir, const QStringList &extraArgs)
    : m_contentDir(contentDir)
    , m_extraArgs(extraArgs)
{
    launch(0);
}

bool PublisherProcess::restart()
{
    if (m_port <= 0 || m_process.state() != QProcess::NotRunning)
        return false;
    const int port = m_port;
    m_error.clear();
    return launch(port) && m_port == port;
}

bool PublisherProcess::launch(int port)
{
    const QString binary = binaryPath();
    if (!QFileInfo(binary).isExecutable()) {
        m_error = QStringLiteral("quillmere-publisher not found at %1").arg(binary);
        return false;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(binary,
        QStringList {QStringLiteral("--content"), m_contentDir, QStringLiteral("--port"), QString::number(port)}
            + m_extraArgs);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(binary, m_process.errorString());
        return false;
    }
    // The first line of its output is the port it listens on.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000)) {
            m_error = QStringLiteral("quillmere-publisher printed no port (state %1)").arg(m_process.state());
            return false;
        }
    }
    bool ok = false;
    m_port = m_process.readLine().trimmed().toInt(&ok);
    if (!ok || m_port <= 0) {
        m_error = QStringLiteral("quillmere-publisher printed no usable port");
        m_port = -1;
        return false;
    }
    return true;
}

PublisherProcess::~PublisherProcess()
{
    stop();
}

int PublisherProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void PublisherProcess::setControl(const QJsonObject &control) const
{
    const QString path = m_contentDir + QStringLiteral("/control.json");
    if (control.isEmpty()) {
        QFile::remove(path);
        return;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(control).toJson(QJsonDocument::Compact));
}

QList<QJsonObject> PublisherProcess::logLines(const QString &name) const
{
    QList<QJsonObject> lines;
    QFile file(m_contentDir + QStringLiteral("/logs/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            lines.append(QJsonDocument::fromJson(line).object());
    }
    return lines;
}

QString PublisherProcess::binaryPath()
{
    return qEnvironmentVariable("QUILLMERE_BUILD_DIR") + QStringLiteral("/publisher/quillmere-publisher");
}

bool PublisherProcess::runBuilder(const QStringList &args, QString *output)
{
    QProcess builder;
    builder.setProcessChannelMode(QProcess::MergedChannels);
    builder.start(binaryPath(), QStringList {QStringLiteral("build")} + args);
    const bool finished = builder.waitForStarted(10000) && builder.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(builder.readAll());
    return finished && builder.exitStatus() == QProcess::NormalExit && builder.exitCode() == 0;
}

bool PublisherProcess::publish(const QString &contentDir, const QString &version, QString *error)
{
    QProcess publisher;
    publisher.setProcessChannelMode(QProcess::MergedChannels);
    publisher.start(binaryPath(), {QStringLiteral("publish"), QStringLiteral("--content"), contentDir, version});
    const bool finished = publisher.waitForStarted(10000) && publisher.waitForFinished(10000);
    if (error)
        *error = QString::fromLocal8Bit(publisher.readAll());
    return finished && publisher.exitStatus() == QProcess::NormalExit && publisher.exitCode() == 0;
}

bool PublisherProcess::makeContent(const QString &contentDir, const QMap<QString, QMap<QString, QByteArray>> &versions,
    const QStringList &builderArgs, QString *error)
{
    QTemporaryDir trees;
    if (!trees.isValid())
        return false;
    for (auto version = versions.cbegin(); version != versions.cend(); ++version) {
        for (auto file = version->cbegin(); file != version->cend(); ++file) {
            const QString path = trees.filePath(version.key() + QLatin1Char('/') + file.key());
            QDir().mkpath(QFileInfo(path).path());
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) || out.write(file.value()) != file.value().size())
                return false;
            // A script is the game the launcher starts: the packages keep the mode.
            if (file.value().startsWith("#!"))
                out.setPermissions(out.permissions() | QFile::ExeOwner | QFile::ExeUser);
        }
    }
    QStringList args {QStringLiteral("--versions"), trees.path(), QStringLiteral("--content"), contentDir};
    if (!builderArgs.contains(QStringLiteral("--game-id")))
        args << QStringLiteral("--game-id") << QStringLiteral("60001");
    return runBuilder(args + builderArgs, error);
}

bool PublisherProcess::makeUpdateContents(const QString &firstDir, const QString &secondDir,
    const QMap<QString, QByteArray> &version1, const QMap<QString, QByteArray> &version2, QString *error)
{
    const QStringList parts {
        QStringLiteral("--format"), QStringLiteral("7z"), QStringLiteral("--part-size"), QStringLiteral("60000")};
    return makeContent(firstDir, {{QStringLiteral("1.0.0"), version1}}, parts, error)
        && makeContent(secondDir, {{QStringLiteral("1.0.0"), version1}, {QStringLiteral("1.1.0"), version2}},
            parts + QStringList {QStringLiteral("--force"), QStringLiteral("1.1.0")}, error);
}
