#pragma once

#include "faultmodes.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// The publisher's services in one process: the game-package update service, the
// launcher service, the home-content service, the news query, the analytics receiver
// and the file host, all answered from one content folder (layout in README.md).
// Every answer is read from the folder at request time, so a test may rewrite a
// document between two requests without restarting the server.
class PublisherServer
{
public:
    struct Options
    {
        QString contentDir;
        FaultModes faults;
        QString certFile; // HTTPS when both are given
        QString keyFile;
        bool verbose = false;
        // Another host that serves the files/ folder (nginx, say): package
        // addresses in answers point there instead of at this server.
        QString filesHost;
    };

    explicit PublisherServer(const Options &options);
    ~PublisherServer();

    PublisherServer(const PublisherServer &) = delete;
    PublisherServer &operator=(const PublisherServer &) = delete;

    bool isValid() const;
    // Binds 127.0.0.1:port (0 = any free port); returns the port or -1.
    int bind(int port);
    // Serves until stop(); returns false when serving failed.
    bool run();
    // Safe from any thread: ends run() and wakes stalled requests.
    void stop();

private:
    void installRoutes();
    // Waits `ms` unless the server stops first.
    void stall(int ms);

    FaultModes currentFaults() const;
    QString baseUrl(const httplib::Request &request) const;
    // Replaces "{base}" in a document by this server's address, or by the
    // files host for hosted files when one is set.
    void expandBase(QByteArray *text, const httplib::Request &request) const;
    QString filesPrefix(const httplib::Request &request) const;
    // Reads a JSON document of the content folder with "{base}" replaced by the base URL.
    QJsonObject readDocument(const QString &relative, const httplib::Request &request, QString *error) const;
    QJsonValue serviceValue(const QJsonObject &services, const QString &gameId, const QString &key) const;
    // Decodes a request body (plain or scrambled JSON); on failure answers 400 and returns false.
    bool decodeBody(const httplib::Request &request, httplib::Response &response, QJsonObject *body);
    void appendLog(const QString &name, const QJsonObject &line);

    void sendEnvelope(const httplib::Request &request, httplib::Response &response, int code, const QString &msg,
        const QJsonObject &data = QJsonObject());
    void sendBytes(const httplib::Request &request, httplib::Response &response, const std::string &bytes,
        const char *contentType);

    void handleGameVersion(const httplib::Request &request, httplib::Response &response);
    void handleGameResource(const httplib::Request &request, httplib::Response &response);
    void handleLauncherVersion(const httplib::Request &request, httplib::Response &response);
    void handleContent(const httplib::Request &request, httplib::Response &response, const QString &what);
    void handleNews(const httplib::Request &request, httplib::Response &response);
    void handleConversion(const httplib::Request &request, httplib::Response &response);
    void handleReceiver(const httplib::Request &request, httplib::Response &response);
    void handleFile(const httplib::Request &request, httplib::Response &response);

    // The canonical path of files/<relative>, or empty with the HTTP status to answer.
    QString hostedPath(const QString &relative, int *status) const;
    // A hosted JSON document with "{base}" replaced; false for other files.
    bool readHostedDocument(const QString &path, const httplib::Request &request, QByteArray *text) const;
    // The MD5 of the document at `url` as this server serves it; empty when it hosts none there.
    QString servedDocumentDigest(const QString &url, const httplib::Request &request) const;

    // Shared by the two game endpoints: the game's releases, or an answer already sent.
    bool loadGame(
        const httplib::Request &request, httplib::Response &response, QJsonObject *body, QJsonArray *releases);

    Options m_options;
    std::unique_ptr<httplib::Server> m_server;
    bool m_https = false;
    int m_port = -1;

    std::mutex m_logMutex;
    std::mutex m_stopMutex;
    std::condition_variable m_stopCondition;
    bool m_stopping = false;
};
