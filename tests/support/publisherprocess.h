#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// The publisher stand-in (quillmere-publisher) running as a child process on a free
// port of 127.0.0.1, serving one content folder. Stopped with SIGTERM on destruction.
//
//     PublisherProcess publisher(contentDir);          // or with {"--ignore-range"} ...
//     QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
//     QUrl url(publisher.baseUrl() + "/diff-update/version");
//
// The binary is found through QUILLMERE_BUILD_DIR (set by CTest for every test).
class PublisherProcess
{
public:
    explicit PublisherProcess(const QString &contentDir, const QStringList &extraArgs = QStringList());
    ~PublisherProcess();

    PublisherProcess(const PublisherProcess &) = delete;
    PublisherProcess &operator=(const PublisherProcess &) = delete;

    bool isRunning() const { return m_port > 0 && m_process.state() == QProcess::Running; }
    QString errorString() const { return m_error; }
    int port() const { return m_port; }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString contentDir() const { return m_contentDir; }

    // Fault modes read by the server for every request ("control.json"); an empty
    // object removes the file, so only the command line's modes remain.
    void setControl(const QJsonObject &control) const;

    // Lines the server appended to logs/<name> ("analytics.jsonl", "requests.jsonl",
    // "conversions.jsonl"), oldest first.
    QList<QJsonObject> logLines(const QString &name) const;
    QList<QJsonObject> analyticsEvents() const { return logLines(QStringLiteral("analytics.jsonl")); }

    // Sends SIGTERM and waits; the exit code, or -1 when it had to be killed.
    int stop();
    // Starts the stopped stand-in again on the same port, with the same arguments.
    bool restart();

    static QString binaryPath();
    // Runs "quillmere-publisher build <args>"; its error output goes to `output`.
    static bool runBuilder(const QStringList &args, QString *output = nullptr);
    // Runs "quillmere-publisher publish": a held `version` of `contentDir` is
    // offered from the running stand-in's next answer on.
    static bool publish(const QString &contentDir, const QString &version, QString *error = nullptr);
    // Writes the given version trees ({version: {relative path: content}}) into a
    // temporary folder and builds `contentDir` from them with `builderArgs` added
    // (game id 60001 unless the arguments give one). A file that starts with
    // "#!" is written executable.
    static bool makeContent(const QString &contentDir, const QMap<QString, QMap<QString, QByteArray>> &versions,
        const QStringList &builderArgs = QStringList(), QString *error = nullptr);
    // The two content folders of an update journey, 7z packages in parts of
    // 60000 bytes: `firstDir` serves 1.0.0 alone, `secondDir` 1.0.0 and a
    // forced 1.1.0.
    static bool makeUpdateContents(const QString &firstDir, const QString &secondDir,
        const QMap<QString, QByteArray> &version1, const QMap<QString, QByteArray> &version2, QString *error = nullptr);

private:
    bool launch(int port);

    QProcess m_process;
    QStringList m_extraArgs;
    QString m_contentDir;
    QString m_error;
    int m_port = -1;
};
