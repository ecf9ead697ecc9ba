#include "publisherserver.h"

#include "versions.h"
#include "wire.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <httplib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

// Faults read by the pre-routing handler for the request this thread is serving.
thread_local FaultModes t_faults;

constexpr size_t kChunkSize = 256 * 1024;
// Hosted documents up to this size get "{base}" replaced; larger files are served as they are.
constexpr qint64 kMaxDocumentSize = 16 * 1024 * 1024;

const char *kJson = "application/json;charset=utf-8";

struct FileHandle
{
    explicit FileHandle(int descriptor)
        : fd(descriptor)
    { }
    ~FileHandle()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd;
};

const char *contentTypeFor(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return "image/png";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "image/jpeg";
    if (suffix == QLatin1String("json"))
        return "application/json";
    if (suffix == QLatin1String("zip"))
        return "application/zip";
    if (suffix == QLatin1String("7z"))
        return "application/x-7z-compressed";
    if (suffix == QLatin1String("txt"))
        return "text/plain";
    return "application/octet-stream";
}

// One byte range of a file, or the whole file. RFC 7233: a malformed or multi-range
// header may be ignored (200 with everything), an unsatisfiable one gets 416.
enum class RangeResult { Whole, Partial, Unsatisfiable };

RangeResult parseRange(const std::string &header, qint64 size, qint64 *first, qint64 *last)
{
    *first = 0;
    *last = size - 1;
    if (header.empty())
        return RangeResult::Whole;
    const QString text = QString::fromStdString(header).trimmed();
    if (!text.startsWith(QLatin1String("bytes=")) || text.contains(QLatin1Char(',')))
        return RangeResult::Whole;
    const QString spec = text.mid(6).trimmed();
    const int dash = spec.indexOf(QLatin1Char('-'));
    if (dash < 0)
        return RangeResult::Whole;
    const QString from = spec.left(dash).trimmed();
    const QString to = spec.mid(dash + 1).trimmed();
    bool okFrom = false;
    bool okTo = false;
    if (from.isEmpty()) {
        const qint64 suffix = to.toLongLong(&okTo);
        if (!okTo || suffix < 0)
            return RangeResult::Whole;
        if (suffix == 0 || size == 0)
            return RangeResult::Unsatisfiable;
        *first = std::max<qint64>(0, size - suffix);
        return RangeResult::Partial;
    }
    const qint64 start = from.toLongLong(&okFrom);
    if (!okFrom || start < 0)
        return RangeResult::Whole;
    qint64 end = size - 1;
    if (!to.isEmpty()) {
        end = to.toLongLong(&okTo);
        if (!okTo || end < start)
            return RangeResult::Whole;
    }
    if (start >= size)
        return RangeResult::Unsatisfiable;
    *first = start;
    *last = std::min(end, size - 1);
    return RangeResult::Partial;
}

QString textOf(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(static_cast<qint64>(value.toDouble()));
    return QString();
}

QJsonObject emptyPackage()
{
    return QJsonObject {{QStringLiteral("downloadType"), 0}, {QStringLiteral("packageUrls"), QJsonArray()},
        {QStringLiteral("packageRealSize"), 0}, {QStringLiteral("packageSize"), 0},
        {QStringLiteral("packageJson"), QString()}, {QStringLiteral("packageMd5"), QString()}};
}

} // namespace

PublisherServer::PublisherServer(const Options &options)
    : m_options(options)
{
    if (!m_options.certFile.isEmpty() && !m_options.keyFile.isEmpty()) {
        m_server = std::make_unique<httplib::SSLServer>(
            m_options.certFile.toLocal8Bit().constData(), m_options.keyFile.toLocal8Bit().constData());
        m_https = true;
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    // Nagle's algorithm meeting delayed ACKs costs about 40 ms per small reply on a
    // kept-alive connection.
    m_server->set_tcp_nodelay(true);
    m_server->set_keep_alive_max_count(1000);
    // An idle kept-alive connection holds a worker until this runs out, and a
    // stop waits for every worker: keep it short so SIGTERM ends at once.
    m_server->set_keep_alive_timeout(1);
    m_server->set_payload_max_length(64 * 1024 * 1024);
    m_server->set_read_timeout(30, 0);
    m_server->set_write_timeout(30, 0);
    // Stalled requests and parallel package downloads each hold a worker.
    m_server->new_task_queue = [] {
        return new httplib::ThreadPool(48);
    };
    installRoutes();
}

PublisherServer::~PublisherServer() = default;

bool PublisherServer::isValid() const
{
    return m_server && m_server->is_valid();
}

int PublisherServer::bind(int port)
{
    if (port == 0)
        m_port = m_server->bind_to_any_port("127.0.0.1");
    else
        m_port = m_server->bind_to_port("127.0.0.1", port) ? port : -1;
    return m_port;
}

bool PublisherServer::run()
{
    return m_server->listen_after_bind();
}

void PublisherServer::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = true;
    }
    m_stopCondition.notify_all();
    m_server->stop();
}

void PublisherServer::stall(int ms)
{
    std::unique_lock<std::mutex> lock(m_stopMutex);
    m_stopCondition.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

FaultModes PublisherServer::currentFaults() const
{
    QString error;
    const FaultModes modes
        = FaultModes::load(m_options.faults, m_options.contentDir + QStringLiteral("/control.json"), &error);
    if (!error.isEmpty())
        std::fprintf(stderr, "quillmere-publisher: %s\n", qPrintable(error));
    return modes;
}

QString PublisherServer::baseUrl(const httplib::Request &request) const
{
    const QString scheme = m_https ? QStringLiteral("https") : QStringLiteral("http");
    QString host = QString::fromStdString(request.get_header_value("Host"));
    if (host.isEmpty())
        host = QStringLiteral("127.0.0.1:%1").arg(m_port);
    return scheme + QStringLiteral("://") + host;
}

QString PublisherServer::filesPrefix(const httplib::Request &request) const
{
    if (!m_options.filesHost.isEmpty())
        return m_options.filesHost + QLatin1Char('/');
    return baseUrl(request) + QStringLiteral("/files/");
}

void PublisherServer::expandBase(QByteArray *text, const httplib::Request &request) const
{
    if (!m_options.filesHost.isEmpty())
        text->replace("{base}/files/", filesPrefix(request).toUtf8());
    text->replace("{base}", baseUrl(request).toUtf8());
}

QJsonObject PublisherServer::readDocument(
    const QString &relative, const httplib::Request &request, QString *error) const
{
    QFile file(m_options.contentDir + QLatin1Char('/') + relative);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 is missing").arg(relative);
        return QJsonObject();
    }
    QByteArray text = file.readAll();
    expandBase(&text, request);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("%1 is not a JSON object: %2").arg(relative, parseError.errorString());
        std::fprintf(stderr, "quillmere-publisher: %s\n", qPrintable(*error));
        return QJsonObject();
    }
    return document.object();
}

QJsonValue PublisherServer::serviceValue(const QJsonObject &services, const QString &gameId, const QString &key) const
{
    const QJsonObject perGame = services.value(QLatin1String("perGame")).toObject().value(gameId).toObject();
    if (perGame.contains(key))
        return perGame.value(key);
    return services.value(key);
}

bool PublisherServer::decodeBody(const httplib::Request &request, httplib::Response &response, QJsonObject *body)
{
    QByteArray bytes = QByteArray::fromStdString(request.body);
    const bool scrambled = Wire::looksGzipped(bytes);
    if (scrambled) {
        QByteArray plain;
        if (!Wire::unscramble(bytes, &plain)) {
            sendEnvelope(request, response, 400, QStringLiteral("request body is not a complete gzip stream"));
            return false;
        }
        bytes = plain;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (!document.isObject()) {
        sendEnvelope(request, response, 400,
            QStringLiteral("request body is not a JSON object: %1").arg(parseError.errorString()));
        return false;
    }
    *body = document.object();
    appendLog(QStringLiteral("requests.jsonl"),
        QJsonObject {{QStringLiteral("path"), QString::fromStdString(request.path)},
            {QStringLiteral("scrambled"), scrambled},
            {QStringLiteral("debug"), QString::fromStdString(request.get_header_value("debug"))},
            {QStringLiteral("lang"), QString::fromStdString(request.get_header_value("lang"))},
            {QStringLiteral("contentType"), QString::fromStdString(request.get_header_value("Content-Type"))},
            {QStringLiteral("body"), *body}});
    return true;
}

void PublisherServer::appendLog(const QString &name, const QJsonObject &line)
{
    QJsonObject stamped = line;
    stamped.insert(QStringLiteral("receivedAt"), QDateTime::currentMSecsSinceEpoch());
    const QByteArray text = QJsonDocument(stamped).toJson(QJsonDocument::Compact) + '\n';
    std::lock_guard<std::mutex> lock(m_logMutex);
    QDir().mkpath(m_options.contentDir + QStringLiteral("/logs"));
    QFile file(m_options.contentDir + QStringLiteral("/logs/") + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text) != text.size())
        std::fprintf(stderr, "quillmere-publisher: cannot append to logs/%s\n", qPrintable(name));
}

void PublisherServer::sendBytes(
    const httplib::Request &request, httplib::Response &response, const std::string &bytes, const char *contentType)
{
    const FaultModes &faults = t_faults;
    if (faults.cutBodyAfter < 0 || !faults.applies(request.path)) {
        response.set_content(bytes, contentType);
        return;
    }
    // Announces the whole length, sends the first bytes and drops the connection.
    auto data = std::make_shared<std::string>(bytes);
    const size_t cut = static_cast<size_t>(faults.cutBodyAfter);
    response.set_content_provider(
        data->size(), contentType, [data, cut](size_t offset, size_t length, httplib::DataSink &sink) {
            if (offset >= cut)
                return false;
            const size_t n = std::min(length, cut - offset);
            return sink.write(data->data() + offset, n);
        });
}

void PublisherServer::sendEnvelope(
    const httplib::Request &request, httplib::Response &response, int code, const QString &msg, const QJsonObject &data)
{
    response.status = 200;
    sendBytes(request, response, Wire::envelope(code, msg, data).toStdString(), kJson);
}

void PublisherServer::installRoutes()
{
    httplib::Server &server = *m_server;

    server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
        // Ranges are answered by the file handler alone; the library must not apply them
        // a second time to what the handler sends.
        const_cast<httplib::Request &>(request).ranges.clear();
        t_faults = currentFaults();
        if (m_options.verbose)
            std::fprintf(stderr, "%s %s\n", request.method.c_str(), request.path.c_str());
        if (!t_faults.applies(request.path))
            return httplib::Server::HandlerResponse::Unhandled;
        if (t_faults.stallMs > 0)
            stall(t_faults.stallMs);
        if (t_faults.status500) {
            // Answered before the body was read: the connection cannot serve another request.
            response.set_header("Connection", "close");
            response.status = 500;
            response.set_content("Internal Server Error\n", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server.Post(
        "/diff-update/version", [this](const httplib::Request &q, httplib::Response &r) { handleGameVersion(q, r); });
    server.Post(
        "/diff-update/resource", [this](const httplib::Request &q, httplib::Response &r) { handleGameResource(q, r); });
    server.Post("/pc/launcher/version",
        [this](const httplib::Request &q, httplib::Response &r) { handleLauncherVersion(q, r); });
    server.Post("/activity/pc/launcher/images",
        [this](const httplib::Request &q, httplib::Response &r) { handleContent(q, r, QStringLiteral("images")); });
    server.Post("/activity/pc/launcher/base-info",
        [this](const httplib::Request &q, httplib::Response &r) { handleContent(q, r, QStringLiteral("baseInfo")); });
    server.Post("/activity/pc/launcher/banner",
        [this](const httplib::Request &q, httplib::Response &r) { handleContent(q, r, QStringLiteral("banner")); });
    server.Post("/activity/pc/launcher/message",
        [this](const httplib::Request &q, httplib::Response &r) { handleContent(q, r, QStringLiteral("message")); });
    server.Post("/activity/official/websites/information/query",
        [this](const httplib::Request &q, httplib::Response &r) { handleNews(q, r); });
    server.Post(
        "/pc/conversion/upload", [this](const httplib::Request &q, httplib::Response &r) { handleConversion(q, r); });
    server.Post("/receiver/app", [this](const httplib::Request &q, httplib::Response &r) { handleReceiver(q, r); });
    server.Get("/files/.+", [this](const httplib::Request &q, httplib::Response &r) { handleFile(q, r); });

    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (response.body.empty() && response.status >= 400)
            response.set_content(std::to_string(response.status) + "\n", "text/plain");
    });
    server.set_exception_handler([](const httplib::Request &, httplib::Response &response, std::exception_ptr) {
        response.status = 500;
        response.set_content("Internal Server Error\n", "text/plain");
    });
}

bool PublisherServer::loadGame(
    const httplib::Request &request, httplib::Response &response, QJsonObject *body, QJsonArray *releases)
{
    if (!decodeBody(request, response, body))
        return false;
    const QString gameId = textOf(body->value(QLatin1String("gameId")));
    if (gameId.isEmpty()) {
        sendEnvelope(request, response, 400, QStringLiteral("gameId is missing"));
        return false;
    }
    QString error;
    const QJsonObject services = readDocument(QStringLiteral("services.json"), request, &error);
    const QJsonObject game = services.value(QLatin1String("games")).toObject().value(gameId).toObject();
    if (t_faults.gameOffline && t_faults.applies(request.path)) {
        sendEnvelope(request, response, 4001, t_faults.offlineMessage);
        return false;
    }
    if (game.value(QLatin1String("offline")).toBool()) {
        sendEnvelope(request, response, 4001,
            game.value(QLatin1String("offlineMessage")).toString(QStringLiteral("The game is offline")));
        return false;
    }
    error.clear();
    const QJsonObject document = readDocument(QStringLiteral("games/%1/releases.json").arg(gameId), request, &error);
    // A release built but held back ("published": false) is not there yet.
    *releases = QJsonArray();
    for (const QJsonValue &release : document.value(QLatin1String("releases")).toArray()) {
        if (release.toObject().value(QLatin1String("published")).toBool(true))
            releases->append(release);
    }
    if (releases->isEmpty()) {
        sendEnvelope(request, response, 4004, QStringLiteral("no release of game %1").arg(gameId));
        return false;
    }
    return true;
}

void PublisherServer::handleGameVersion(const httplib::Request &request, httplib::Response &response)
{
    QJsonObject body;
    QJsonArray releases;
    if (!loadGame(request, response, &body, &releases))
        return;
    QJsonObject latest;
    for (const QJsonValue &value : releases) {
        const QJsonObject release = value.toObject();
        if (latest.isEmpty()
            || Versions::compare(release.value(QLatin1String("version")).toString(),
                   latest.value(QLatin1String("version")).toString())
                > 0)
            latest = release;
    }
    sendEnvelope(request, response, 200, QStringLiteral("success"),
        QJsonObject {{QStringLiteral("latestVersion"), latest.value(QLatin1String("version")).toString()},
            {QStringLiteral("forceUpdate"), latest.value(QLatin1String("forceUpdate")).toBool()}});
}

void PublisherServer::handleGameResource(const httplib::Request &request, httplib::Response &response)
{
    QJsonObject body;
    QJsonArray releases;
    if (!loadGame(request, response, &body, &releases))
        return;
    const QString current = body.value(QLatin1String("currentVersion")).toString();
    QString target = body.value(QLatin1String("targetVersion")).toString();
    QJsonObject chosen;
    for (const QJsonValue &value : releases) {
        const QJsonObject release = value.toObject();
        const QString version = release.value(QLatin1String("version")).toString();
        if (target.isEmpty()) {
            if (chosen.isEmpty() || Versions::compare(version, chosen.value(QLatin1String("version")).toString()) > 0)
                chosen = release;
        } else if (version == target) {
            chosen = release;
        }
    }
    if (chosen.isEmpty()) {
        sendEnvelope(request, response, 4004, QStringLiteral("unknown target version %1").arg(target));
        return;
    }
    target = chosen.value(QLatin1String("version")).toString();

    QString error;
    const QJsonObject services = readDocument(QStringLiteral("services.json"), request, &error);
    const QString gameId = textOf(body.value(QLatin1String("gameId")));
    const QJsonObject game = services.value(QLatin1String("games")).toObject().value(gameId).toObject();
    QJsonObject full = chosen.value(QLatin1String("fullPackage")).toObject();
    if (game.value(QLatin1String("packageKind")).toString() == QLatin1String("smallFiles")
        && chosen.contains(QLatin1String("smallFilesPackage")))
        full = chosen.value(QLatin1String("smallFilesPackage")).toObject();
    // A differential package exists only from the version just before the target; any
    // other current version (or none) gets the full package alone.
    QJsonObject diff = emptyPackage();
    if (!current.isEmpty() && current != target) {
        const QJsonObject fromCurrent = chosen.value(QLatin1String("diffs")).toObject().value(current).toObject();
        if (!fromCurrent.isEmpty()) {
            diff = fromCurrent;
            // The files the previous version had and the target has not: the
            // launcher deletes them once the package is extracted.
            diff.insert(QStringLiteral("removedFiles"), chosen.value(QLatin1String("removedFiles")).toArray());
        }
    }
    // The small-files document is served with "{base}" replaced, so the digest
    // announced for it is the one of the text the launcher receives.
    for (QJsonObject *package : {&full, &diff}) {
        const QString digest = servedDocumentDigest(package->value(QLatin1String("packageJson")).toString(), request);
        if (!digest.isEmpty())
            package->insert(QStringLiteral("packageMd5"), digest);
    }
    sendEnvelope(request, response, 200, QStringLiteral("success"),
        QJsonObject {{QStringLiteral("targetVersion"), target},
            {QStringLiteral("forceUpdate"), chosen.value(QLatin1String("forceUpdate")).toBool()},
            {QStringLiteral("fullPackage"), full}, {QStringLiteral("diffPackage"), diff}});
}

void PublisherServer::handleLauncherVersion(const httplib::Request &request, httplib::Response &response)
{
    QJsonObject body;
    if (!decodeBody(request, response, &body))
        return;
    QString error;
    const QJsonObject services = readDocument(QStringLiteral("services.json"), request, &error);
    const QJsonObject launcher
        = serviceValue(services, textOf(body.value(QLatin1String("gameId"))), QStringLiteral("launcher")).toObject();
    QJsonObject data;
    for (const char *key : {"mainUrl", "downloadUrl", "latestVersion", "updateMessage"})
        data.insert(QLatin1String(key), launcher.value(QLatin1String(key)).toString());
    const QJsonObject reply {{QStringLiteral("code"), 200}, {QStringLiteral("msg"), QStringLiteral("success")},
        {QStringLiteral("data"), data}};
    response.status = 200;
    // The launcher sends this query scrambled and unscrambles the answer; a request
    // marked "debug" (a person with curl) gets it in the clear.
    if (request.get_header_value("debug") == "1") {
        sendBytes(request, response, QJsonDocument(reply).toJson(QJsonDocument::Compact).toStdString(), kJson);
        return;
    }
    sendBytes(request, response, Wire::scramble(QJsonDocument(reply).toJson(QJsonDocument::Indented)).toStdString(),
        "application/octet-stream");
}

void PublisherServer::handleContent(const httplib::Request &request, httplib::Response &response, const QString &what)
{
    QJsonObject body;
    if (!decodeBody(request, response, &body))
        return;
    QString error;
    const QJsonObject services = readDocument(QStringLiteral("services.json"), request, &error);
    const QString gameId = textOf(body.value(QLatin1String("gameId")));
    const QJsonValue value = serviceValue(services, gameId, what);
    QJsonObject data;
    if (what == QLatin1String("images") || what == QLatin1String("banner")) {
        QJsonArray images = value.toArray();
        const QJsonArray types = body.value(QLatin1String("imageTypes")).toArray();
        if (!types.isEmpty()) {
            QJsonArray wanted;
            for (const QJsonValue &image : images) {
                const QJsonValue type = image.toObject().value(QLatin1String("imageType"));
                if (type.isUndefined() || types.contains(type))
                    wanted.append(image);
            }
            images = wanted;
        }
        data.insert(QStringLiteral("images"), images);
    } else if (what == QLatin1String("message")) {
        data = value.toObject();
        if (!data.contains(QLatin1String("messageId")))
            data.insert(QStringLiteral("messageId"), 0);
    } else {
        data = value.toObject();
    }
    sendEnvelope(request, response, 200, QStringLiteral("success"), data);
}

void PublisherServer::handleNews(const httplib::Request &request, httplib::Response &response)
{
    QJsonObject body;
    if (!decodeBody(request, response, &body))
        return;
    QString error;
    const QJsonObject services = readDocument(QStringLiteral("services.json"), request, &error);
    const QString gameId = textOf(body.value(QLatin1String("gameId")));
    // Type 1 (sent as no member) and -1 both mean every kind of entry.
    const int type = body.value(QLatin1String("informationType")).toInt(1);
    const int current = std::max(1, body.value(QLatin1String("current")).toInt(1));
    // A server that ignores the page size asked for sends its own.
    const int pageSize = t_faults.newsPageSize > 0
        ? t_faults.newsPageSize
        : std::clamp(body.value(QLatin1String("pageSize")).toInt(10), 1, 100);

    QList<QJsonObject> entries;
    for (const QJsonValue &value : serviceValue(services, gameId, QStringLiteral("news")).toArray()) {
        const QJsonObject entry = value.toObject();
        if (type == 1 || type == -1 || entry.value(QLatin1String("informationType")).toInt() == type)
            entries.append(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(QLatin1String("updateTime")).toString() > b.value(QLatin1String("updateTime")).toString();
    });
    QJsonArray page;
    const qint64 first = static_cast<qint64>(current - 1) * pageSize;
    for (qint64 i = first; i < entries.size() && i < first + pageSize; ++i)
        page.append(entries.at(static_cast<int>(i)));
    const int total = entries.size();
    sendEnvelope(request, response, 200, QStringLiteral("success"),
        QJsonObject {{QStringLiteral("pageData"), page}, {QStringLiteral("current"), current},
            {QStringLiteral("pageSize"), pageSize}, {QStringLiteral("total"), total},
            {QStringLiteral("pages"), (total + pageSize - 1) / pageSize}});
}

void PublisherServer::handleConversion(const httplib::Request &request, httplib::Response &response)
{
    QJsonObject body;
    if (!decodeBody(request, response, &body))
        return;
    if (body.value(QLatin1String("conversionActionName")).toString().isEmpty()) {
        sendEnvelope(request, response, 400, QStringLiteral("conversionActionName is missing"));
        return;
    }
    appendLog(QStringLiteral("conversions.jsonl"), QJsonObject {{QStringLiteral("conversion"), body}});
    sendEnvelope(request, response, 200, QStringLiteral("success"));
}

void PublisherServer::handleReceiver(const httplib::Request &request, httplib::Response &response)
{
    const QString appid = QString::fromStdString(request.get_header_value("appid"));
    if (appid.isEmpty()) {
        sendEnvelope(request, response, 400, QStringLiteral("missing appid header"));
        return;
    }
    QByteArray compressed;
    if (!Wire::fromBase64Strict(QByteArray::fromStdString(request.body), &compressed)) {
        sendEnvelope(request, response, 400, QStringLiteral("body is not Base64"));
        return;
    }
    QByteArray json;
    if (!Wire::gunzip(compressed, &json)) {
        sendEnvelope(request, response, 400, QStringLiteral("body is not a complete gzip stream"));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    QJsonArray events;
    if (document.isArray())
        events = document.array();
    else if (document.isObject())
        events.append(document.object());
    else {
        sendEnvelope(request, response, 400, QStringLiteral("body is not JSON: %1").arg(parseError.errorString()));
        return;
    }
    if (events.isEmpty()) {
        sendEnvelope(request, response, 400, QStringLiteral("no events in body"));
        return;
    }
    for (int i = 0; i < events.size(); ++i) {
        const QJsonObject event = events.at(i).toObject();
        if (!events.at(i).isObject() || event.value(QLatin1String("#event_name")).toString().isEmpty()
            || event.value(QLatin1String("#type")).toString().isEmpty()) {
            sendEnvelope(request, response, 400,
                QStringLiteral("event %1 is not an object with \"#type\" and \"#event_name\"").arg(i));
            return;
        }
    }
    const QJsonObject integration {
        {QStringLiteral("type"), QString::fromStdString(request.get_header_value("TA-Integration-Type"))},
        {QStringLiteral("version"), QString::fromStdString(request.get_header_value("TA-Integration-Version"))},
        {QStringLiteral("count"), QString::fromStdString(request.get_header_value("TA-Integration-Count"))},
        {QStringLiteral("extra"), QString::fromStdString(request.get_header_value("TA-Integration-Extra"))}};
    for (const QJsonValue &event : events)
        appendLog(QStringLiteral("analytics.jsonl"),
            QJsonObject {{QStringLiteral("appid"), appid}, {QStringLiteral("integration"), integration},
                {QStringLiteral("event"), event}});
    sendEnvelope(
        request, response, 200, QStringLiteral("success"), QJsonObject {{QStringLiteral("accepted"), events.size()}});
}

QString PublisherServer::hostedPath(const QString &relative, int *status) const
{
    const QStringList segments = relative.split(QLatin1Char('/'));
    if (relative.contains(QChar(0)) || segments.contains(QStringLiteral(".."))
        || relative.startsWith(QLatin1Char('/'))) {
        *status = 403;
        return QString();
    }
    const QString root = QFileInfo(m_options.contentDir + QStringLiteral("/files")).canonicalFilePath();
    const QString path = QFileInfo(m_options.contentDir + QStringLiteral("/files/") + relative).canonicalFilePath();
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root + QLatin1Char('/'))) {
        *status = 404;
        return QString();
    }
    return path;
}

bool PublisherServer::readHostedDocument(const QString &path, const httplib::Request &request, QByteArray *text) const
{
    QFile file(path);
    if (QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) != 0
        || file.size() > kMaxDocumentSize || !file.open(QIODevice::ReadOnly))
        return false;
    *text = file.readAll();
    expandBase(text, request);
    return true;
}

QString PublisherServer::servedDocumentDigest(const QString &url, const httplib::Request &request) const
{
    const QString prefix = filesPrefix(request);
    if (!url.startsWith(prefix))
        return QString();
    int status = 0;
    const QString path = hostedPath(url.mid(prefix.size()), &status);
    QByteArray text;
    if (path.isEmpty() || !readHostedDocument(path, request, &text))
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex());
}

void PublisherServer::handleFile(const httplib::Request &request, httplib::Response &response)
{
    const QString relative = QString::fromStdString(request.path).mid(int(sizeof("/files/")) - 1);
    int status = 0;
    const QString path = hostedPath(relative, &status);
    if (path.isEmpty()) {
        response.status = status;
        return;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info
    {
    };
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        response.status = 404;
        return;
    }
    auto file = std::make_shared<FileHandle>(fd);
    // A document names other hosted files through "{base}" (a small-files
    // document's "packedhost"); it is served as the launcher must read it.
    std::shared_ptr<const QByteArray> document;
    QByteArray text;
    if (readHostedDocument(path, request, &text))
        document = std::make_shared<const QByteArray>(text);
    const qint64 size = document ? document->size() : qint64(info.st_size);
    const FaultModes &faults = t_faults;
    const bool faulty = faults.applies(request.path);

    qint64 first = 0;
    qint64 last = size - 1;
    RangeResult range = RangeResult::Whole;
    if (!(faulty && faults.ignoreRange))
        range = parseRange(request.get_header_value("Range"), size, &first, &last);
    response.set_header("Accept-Ranges", "bytes");
    if (range == RangeResult::Unsatisfiable) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(size));
        response.set_content("Range Not Satisfiable\n", "text/plain");
        return;
    }
    if (range == RangeResult::Partial) {
        response.status = 206;
        response.set_header("Content-Range",
            "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size));
    } else {
        response.status = 200;
    }
    const qint64 length = size > 0 ? last - first + 1 : 0;
    if (length == 0) {
        response.set_content(std::string(), contentTypeFor(path));
        return;
    }
    const qint64 cut = faulty ? faults.cutBodyAfter : -1;
    // Reads only the asked range, one chunk per call, so memory stays flat whatever the
    // file's size.
    response.set_content_provider(static_cast<size_t>(length), contentTypeFor(path),
        [file, document, first, cut](size_t offset, size_t wanted, httplib::DataSink &sink) {
            thread_local std::vector<char> buffer(kChunkSize);
            if (cut >= 0 && static_cast<qint64>(offset) >= cut)
                return false;
            size_t n = std::min(wanted, kChunkSize);
            if (cut >= 0)
                n = std::min<size_t>(n, static_cast<size_t>(cut) - offset);
            if (document)
                return sink.write(document->constData() + first + offset, n);
            const ssize_t got = ::pread(file->fd, buffer.data(), n, static_cast<off_t>(first + offset));
            if (got <= 0)
                return false;
            return sink.write(buffer.data(), static_cast<size_t>(got));
        });
}
