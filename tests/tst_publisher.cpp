// The publisher stand-in, run as a process: the endpoints' answers, ranged file
// hosting, the scrambled reply, the analytics log, the fault modes, a round trip
// of the release builder and a small-files install from its answers.

#include "downloadtestutil.h"
#include "support/testdata.h"

#include "download/downloadfilesmanager.h"
#include "install/gamefiles.h"
#include "install/gameversioninfo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <memory>

namespace {

QByteArray gzipBytes(const QByteArray &data)
{
    z_stream stream {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))) + 32, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

QByteArray gunzipBytes(const QByteArray &data)
{
    z_stream stream {};
    inflateInit2(&stream, 47);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    QByteArray out;
    char chunk[16384];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof(chunk);
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, int(sizeof(chunk) - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

QByteArray swapPairs(QByteArray data)
{
    for (int i = 0; i + 1 < data.size(); i += 2) {
        const char a = data[i];
        data[i] = char(data[i + 1] ^ char(0xA9));
        data[i + 1] = char(a ^ char(0xA9));
    }
    return data;
}

// Every regular file of an archive, by path.
bool readArchive(const QString &path, Tree *files)
{
    std::unique_ptr<archive, int (*)(archive *)> reader(archive_read_new(), archive_read_free);
    archive_read_support_format_all(reader.get());
    archive_read_support_filter_all(reader.get());
    if (archive_read_open_filename(reader.get(), QFile::encodeName(path).constData(), 65536) != ARCHIVE_OK)
        return false;
    archive_entry *entry = nullptr;
    while (archive_read_next_header(reader.get(), &entry) == ARCHIVE_OK) {
        QByteArray content;
        char buffer[65536];
        la_ssize_t n = 0;
        while ((n = archive_read_data(reader.get(), buffer, sizeof(buffer))) > 0)
            content.append(buffer, int(n));
        if (n < 0)
            return false;
        if (archive_entry_filetype(entry) == AE_IFREG)
            files->insert(QString::fromUtf8(archive_entry_pathname_utf8(entry)), content);
    }
    return true;
}

struct Reply
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

} // namespace

class TestPublisher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void gameVersion();
    void gameResource_data();
    void gameResource();
    void gameOfflineAndBadRequests();
    void launcherVersionIsScrambled();
    void homeContent();
    void newsPaging();
    void conversionAndAnalytics();
    void analyticsRejectsMalformedBodies_data();
    void analyticsRejectsMalformedBodies();
    void rangedFile_data();
    void rangedFile();
    void fileHostRefusesEscapes();
    void faultModes();
    void faultModeFromCommandLine();
    void releaseRoundTrip_data();
    void releaseRoundTrip();
    void smallFilesInstall_data();
    void smallFilesInstall();
    void builderRefusesBadInput();
    void heldReleaseIsPublishedLater();
    void launcherRelease();

private:
    Reply post(const QString &path, const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers = {});
    Reply get(const QString &url, const QByteArray &range = QByteArray());
    Reply finish(QNetworkReply *reply);
    QString packageUrl(const QString &version, const QString &pattern) const;

    QNetworkAccessManager m_network;
    QTemporaryDir m_content;
    std::unique_ptr<PublisherProcess> m_publisher;
    QMap<QString, Tree> m_versions;
};

void TestPublisher::initTestCase()
{
    QVERIFY(m_content.isValid());
    m_versions[QStringLiteral("1.0.0")] = Tree {{QStringLiteral("quillmere"), pseudoRandom(70000, 1)},
        {QStringLiteral("version.txt"), "1.0.0\n"}, {QStringLiteral("data/old.dat"), pseudoRandom(50000, 2)},
        {QStringLiteral("data/same.dat"), pseudoRandom(90000, 3)}};
    m_versions[QStringLiteral("1.1.0")] = Tree {{QStringLiteral("quillmere"), pseudoRandom(70000, 4)},
        {QStringLiteral("version.txt"), "1.1.0\n"}, {QStringLiteral("data/new.dat"), pseudoRandom(1000, 5)},
        {QStringLiteral("data/same.dat"), pseudoRandom(90000, 3)}};
    QString output;
    QVERIFY2(PublisherProcess::makeContent(m_content.path(), m_versions,
                 {QStringLiteral("--game-id"), QStringLiteral("60001,70001,90001"), QStringLiteral("--format"),
                     QStringLiteral("zip"), QStringLiteral("--part-size"), QStringLiteral("100000"),
                     QStringLiteral("--force"), QStringLiteral("1.1.0"), QStringLiteral("--small-files")},
                 &output),
        qPrintable(output));

    const QJsonObject services {
        {QStringLiteral("games"),
            QJsonObject {{QStringLiteral("90001"),
                             QJsonObject {{QStringLiteral("offline"), true},
                                 {QStringLiteral("offlineMessage"), QStringLiteral("down")}}},
                {QStringLiteral("70001"),
                    QJsonObject {{QStringLiteral("packageKind"), QStringLiteral("smallFiles")}}}}},
        {QStringLiteral("launcher"),
            QJsonObject {{QStringLiteral("latestVersion"), QStringLiteral("2.9.0")},
                {QStringLiteral("mainUrl"), QStringLiteral("{base}/files/x")},
                {QStringLiteral("updateMessage"), QStringLiteral("Faster")}}},
        {QStringLiteral("images"),
            QJsonArray {QJsonObject {{QStringLiteral("imageUrl"), QStringLiteral("{base}/files/poster.png")},
                {QStringLiteral("onlineTime"), 1700000000}, {QStringLiteral("md5"), QStringLiteral("abc")}}}},
        {QStringLiteral("baseInfo"),
            QJsonObject {{QStringLiteral("bgVideoUrl"), QStringLiteral("{base}/files/v.zip")},
                {QStringLiteral("isShowBgVideo"), true},
                {QStringLiteral("h5eventUrl"), QStringLiteral("https://e.example")}}},
        {QStringLiteral("banner"),
            QJsonArray {QJsonObject {{QStringLiteral("imageUrl"), QStringLiteral("{base}/files/b1.png")},
                {QStringLiteral("imageLink"), QStringLiteral("https://b.example")}}}},
        {QStringLiteral("message"),
            QJsonObject {{QStringLiteral("messageId"), 7}, {QStringLiteral("title"), QStringLiteral("Hello")}}},
        {QStringLiteral("perGame"),
            QJsonObject {{QStringLiteral("50001"), QJsonObject {{QStringLiteral("message"), QJsonObject()}}}}},
        {QStringLiteral("news"),
            QJsonArray {QJsonObject {{QStringLiteral("id"), 1}, {QStringLiteral("informationType"), 2},
                            {QStringLiteral("title"), QStringLiteral("n1")},
                            {QStringLiteral("updateTime"), QStringLiteral("2024-01-01 10:00:00")}},
                QJsonObject {{QStringLiteral("id"), 2}, {QStringLiteral("informationType"), 3},
                    {QStringLiteral("title"), QStringLiteral("n2")},
                    {QStringLiteral("updateTime"), QStringLiteral("2024-03-01 10:00:00")}},
                QJsonObject {{QStringLiteral("id"), 3}, {QStringLiteral("informationType"), 2},
                    {QStringLiteral("title"), QStringLiteral("n3")},
                    {QStringLiteral("updateTime"), QStringLiteral("2024-02-01 10:00:00")}}}}};
    QFile file(m_content.filePath(QStringLiteral("services.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(services).toJson());
    file.close();

    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
}

void TestPublisher::cleanup()
{
    if (m_publisher)
        m_publisher->setControl(QJsonObject());
}

Reply TestPublisher::finish(QNetworkReply *reply)
{
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(30000);
    Reply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.error = reply->error();
    result.body = reply->readAll();
    for (const auto &pair : reply->rawHeaderPairs())
        result.headers.insert(pair.first.toLower(), pair.second);
    reply->deleteLater();
    return result;
}

Reply TestPublisher::post(
    const QString &path, const QByteArray &body, const QList<QPair<QByteArray, QByteArray>> &headers)
{
    QNetworkRequest request(QUrl(m_publisher->baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json;charset=utf-8"));
    for (const auto &header : headers)
        request.setRawHeader(header.first, header.second);
    return finish(m_network.post(request, body));
}

Reply TestPublisher::get(const QString &url, const QByteArray &range)
{
    QNetworkRequest request(QUrl(url.startsWith(QLatin1String("http")) ? url : m_publisher->baseUrl() + url));
    if (!range.isEmpty())
        request.setRawHeader("Range", range);
    return finish(m_network.get(request));
}

QString TestPublisher::packageUrl(const QString &version, const QString &pattern) const
{
    const QStringList names = QDir(m_content.filePath(QStringLiteral("files/packages/") + version))
                                  .entryList({pattern}, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : QStringLiteral("/files/packages/%1/%2").arg(version, names.first());
}

void TestPublisher::gameVersion()
{
    const Reply reply = post(QStringLiteral("/diff-update/version"),
        R"({"gameId":"60001","osType":2,"currentVersion":"","targetVersion":""})", {{"debug", "1"}, {"lang", "en"}});
    QCOMPARE(reply.status, 200);
    const QJsonObject json = reply.json();
    QCOMPARE(json.value("code").toInt(), 200);
    QCOMPARE(json.value("data").toObject().value("latestVersion").toString(), QStringLiteral("1.1.0"));
    QCOMPARE(json.value("data").toObject().value("forceUpdate").toBool(), true);
    // Every request is logged for tests, decoded.
    const QJsonObject logged = m_publisher->logLines(QStringLiteral("requests.jsonl")).last();
    QCOMPARE(logged.value("path").toString(), QStringLiteral("/diff-update/version"));
    QCOMPARE(logged.value("lang").toString(), QStringLiteral("en"));
    QCOMPARE(logged.value("body").toObject().value("osType").toInt(), 2);
}

void TestPublisher::gameResource_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expectedTarget");
    QTest::addColumn<bool>("expectDiff");
    QTest::addColumn<bool>("forced");

    QTest::newRow("first install") << ""
                                   << ""
                                   << "1.1.0" << false << true;
    QTest::newRow("update from the previous version") << "1.0.0"
                                                      << "1.1.0"
                                                      << "1.1.0" << true << true;
    QTest::newRow("update from an unknown version") << "0.9.0"
                                                    << "1.1.0"
                                                    << "1.1.0" << false << true;
    QTest::newRow("same version again") << "1.1.0"
                                        << "1.1.0"
                                        << "1.1.0" << false << true;
    QTest::newRow("an older target") << ""
                                     << "1.0.0"
                                     << "1.0.0" << false << false;
}

void TestPublisher::gameResource()
{
    QFETCH(QString, current);
    QFETCH(QString, target);
    QFETCH(QString, expectedTarget);
    QFETCH(bool, expectDiff);
    QFETCH(bool, forced);

    const QJsonObject request {{"gameId", "60001"}, {"currentVersion", current}, {"targetVersion", target}};
    const Reply reply = post(QStringLiteral("/diff-update/resource"), QJsonDocument(request).toJson());
    const QJsonObject json = reply.json();
    QCOMPARE(json.value("code").toInt(), 200);
    const QJsonObject data = json.value("data").toObject();
    QCOMPARE(data.value("targetVersion").toString(), expectedTarget);
    QCOMPARE(data.value("forceUpdate").toBool(), forced);

    const QJsonObject full = data.value("fullPackage").toObject();
    QCOMPARE(full.value("downloadType").toInt(), 0);
    const QJsonArray fullUrls = full.value("packageUrls").toArray();
    QVERIFY(fullUrls.size() >= 2); // split at 100000 unpacked bytes
    qint64 packed = 0;
    qint64 unpacked = 0;
    static const QRegularExpression name(QStringLiteral("_origin_(\\d+)_size_(\\d+)_md5_([0-9a-f]{32})\\.zip$"));
    for (const QJsonValue &url : fullUrls) {
        QVERIFY(
            url.toString().startsWith(m_publisher->baseUrl() + QStringLiteral("/files/packages/") + expectedTarget));
        const auto match = name.match(url.toString());
        QVERIFY2(match.hasMatch(), qPrintable(url.toString()));
        unpacked += match.captured(1).toLongLong();
        packed += match.captured(2).toLongLong();
    }
    QCOMPARE(full.value("packageSize").toVariant().toLongLong(), packed);
    QCOMPARE(full.value("packageRealSize").toVariant().toLongLong(), unpacked);

    const QJsonObject diff = data.value("diffPackage").toObject();
    QCOMPARE(diff.value("packageUrls").toArray().isEmpty(), !expectDiff);
    if (expectDiff) {
        // Only the changed and added files: the executable, version.txt and data/new.dat.
        QCOMPARE(diff.value("packageRealSize").toVariant().toLongLong(), qint64(70000 + 6 + 1000));
        // And what the launcher deletes afterwards.
        QCOMPARE(diff.value("removedFiles").toArray(), QJsonArray {"data/old.dat"});
    }
}

void TestPublisher::gameOfflineAndBadRequests()
{
    QJsonObject json = post(QStringLiteral("/diff-update/version"), R"({"gameId":"90001"})").json();
    QCOMPARE(json.value("code").toInt(), 4001);
    QCOMPARE(json.value("msg").toString(), QStringLiteral("down"));
    json = post(QStringLiteral("/diff-update/resource"), R"({"gameId":90001,"targetVersion":"1.1.0"})").json();
    QCOMPARE(json.value("code").toInt(), 4001);

    json = post(QStringLiteral("/diff-update/version"), R"({"gameId":"12345"})").json();
    QCOMPARE(json.value("code").toInt(), 4004);
    json = post(QStringLiteral("/diff-update/resource"), R"({"gameId":"60001","targetVersion":"7.0"})").json();
    QCOMPARE(json.value("code").toInt(), 4004);

    for (const QByteArray &body :
        {QByteArray(), QByteArray("[1,2]"), QByteArray("{oops"), QByteArray("\x1f\x8b\x08garbage")}) {
        const Reply reply = post(QStringLiteral("/diff-update/version"), body);
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.json().value("code").toInt(), 400);
        QVERIFY(!reply.json().value("msg").toString().isEmpty());
    }
    QCOMPARE(post(QStringLiteral("/diff-update/version"), "{}").json().value("code").toInt(), 400);
}

void TestPublisher::launcherVersionIsScrambled()
{
    // As the launcher sends it: the indented JSON, pair-swapped and masked, gzipped,
    // as text/plain and without the "debug" header.
    const QByteArray indented = QJsonDocument(QJsonObject {{"version", "2.8.0"}, {"gameId", "60001"}}).toJson();
    QNetworkRequest request(QUrl(m_publisher->baseUrl() + QStringLiteral("/pc/launcher/version")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain;charset=utf-8"));
    const Reply reply = finish(m_network.post(request, gzipBytes(swapPairs(indented))));
    QCOMPARE(reply.status, 200);
    QVERIFY(QJsonDocument::fromJson(reply.body).isNull()); // not readable as it stands

    const QByteArray decoded = swapPairs(gunzipBytes(reply.body));
    const QJsonObject json = QJsonDocument::fromJson(decoded).object();
    QCOMPARE(json.value("code").toInt(), 200);
    const QJsonObject data = json.value("data").toObject();
    QCOMPARE(data.value("latestVersion").toString(), QStringLiteral("2.9.0"));
    QCOMPARE(data.value("mainUrl").toString(), m_publisher->baseUrl() + QStringLiteral("/files/x"));
    QCOMPARE(data.value("updateMessage").toString(), QStringLiteral("Faster"));
    QVERIFY(data.contains("downloadUrl"));

    const QJsonObject logged = m_publisher->logLines(QStringLiteral("requests.jsonl")).last();
    QCOMPARE(logged.value("scrambled").toBool(), true);
    QCOMPARE(logged.value("body").toObject().value("version").toString(), QStringLiteral("2.8.0"));

    // Marked "debug", the answer comes in the clear.
    const Reply plain = post(QStringLiteral("/pc/launcher/version"), R"({"gameId":"60001"})", {{"debug", "1"}});
    QCOMPARE(plain.json().value("data").toObject().value("latestVersion").toString(), QStringLiteral("2.9.0"));
}

void TestPublisher::homeContent()
{
    QJsonObject data = post(QStringLiteral("/activity/pc/launcher/images"), R"({"gameId":"60001","imageTypes":[1]})")
                           .json()
                           .value("data")
                           .toObject();
    const QJsonObject poster = data.value("images").toArray().first().toObject();
    QCOMPARE(poster.value("imageUrl").toString(), m_publisher->baseUrl() + QStringLiteral("/files/poster.png"));
    QCOMPARE(poster.value("onlineTime").toInt(), 1700000000);
    QCOMPARE(poster.value("md5").toString(), QStringLiteral("abc"));

    data = post(QStringLiteral("/activity/pc/launcher/base-info"), R"({"gameId":"60001","envType":1})")
               .json()
               .value("data")
               .toObject();
    QCOMPARE(data.value("isShowBgVideo").toBool(), true);
    QCOMPARE(data.value("h5eventUrl").toString(), QStringLiteral("https://e.example"));
    QVERIFY(data.value("bgVideoUrl").toString().startsWith(m_publisher->baseUrl()));

    data
        = post(QStringLiteral("/activity/pc/launcher/banner"), R"({"gameId":"60001"})").json().value("data").toObject();
    QCOMPARE(data.value("images").toArray().first().toObject().value("imageLink").toString(),
        QStringLiteral("https://b.example"));

    QJsonObject json = post(QStringLiteral("/activity/pc/launcher/message"), R"({"gameId":"60001"})").json();
    QCOMPARE(json.value("msg").toString(), QStringLiteral("success"));
    QCOMPARE(json.value("data").toObject().value("messageId").toInt(), 7);
    // An edition without a notification gets message id 0, which shows nothing.
    json = post(QStringLiteral("/activity/pc/launcher/message"), R"({"gameId":"50001"})").json();
    QCOMPARE(json.value("data").toObject().value("messageId").toInt(), 0);
}

void TestPublisher::newsPaging()
{
    const QString path = QStringLiteral("/activity/official/websites/information/query");
    // No type (type 1) means every kind, newest first.
    QJsonObject data = post(path, R"({"current":1,"pageSize":2,"gameId":60001})").json().value("data").toObject();
    QJsonArray page = data.value("pageData").toArray();
    QCOMPARE(page.size(), 2);
    QCOMPARE(page.at(0).toObject().value("id").toInt(), 2);
    QCOMPARE(page.at(1).toObject().value("id").toInt(), 3);
    QCOMPARE(data.value("total").toInt(), 3);
    QCOMPARE(data.value("pages").toInt(), 2);

    data = post(path, R"({"informationType":-1,"current":2,"pageSize":2,"gameId":60001})")
               .json()
               .value("data")
               .toObject();
    QCOMPARE(data.value("pageData").toArray().size(), 1);
    QCOMPARE(data.value("current").toInt(), 2);

    data = post(path, R"({"informationType":2,"current":1,"pageSize":2,"gameId":60001})")
               .json()
               .value("data")
               .toObject();
    page = data.value("pageData").toArray();
    QCOMPARE(page.size(), 2);
    for (const QJsonValue &entry : page)
        QCOMPARE(entry.toObject().value("informationType").toInt(), 2);
}

void TestPublisher::conversionAndAnalytics()
{
    QJsonObject json = post(QStringLiteral("/pc/conversion/upload"),
        R"({"conversionActionName":"launcher_open","gclid":"g","uploadType":"once"})",
        {{"debug", "1"}}).json();
    QCOMPARE(json.value("code").toInt(), 200);
    QCOMPARE(m_publisher->logLines(QStringLiteral("conversions.jsonl"))
                 .last()
                 .value("conversion")
                 .toObject()
                 .value("conversionActionName"),
        QJsonValue(QStringLiteral("launcher_open")));

    const QByteArray events = "["
        + QJsonDocument(QJsonObject {{"#type", "track"}, {"#event_name", "launcher_open"},
                            {"properties", QJsonObject {{"#os", "Linux"}}}})
              .toJson()
        + "]";
    const int before = m_publisher->analyticsEvents().size();
    const Reply reply = post(QStringLiteral("/receiver/app"), gzipBytes(events).toBase64(),
        {{"appid", "debug-appid"}, {"TA-Integration-Type", "PC"}, {"TA-Integration-Count", "1"}});
    QCOMPARE(reply.json().value("code").toInt(), 200);
    const QList<QJsonObject> logged = m_publisher->analyticsEvents();
    QCOMPARE(logged.size(), before + 1);
    QCOMPARE(logged.last().value("appid").toString(), QStringLiteral("debug-appid"));
    QCOMPARE(logged.last().value("integration").toObject().value("type").toString(), QStringLiteral("PC"));
    QCOMPARE(logged.last().value("event").toObject().value("#event_name").toString(), QStringLiteral("launcher_open"));
    QCOMPARE(logged.last().value("event").toObject().value("properties").toObject().value("#os").toString(),
        QStringLiteral("Linux"));
}

void TestPublisher::analyticsRejectsMalformedBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("appid");
    const QByteArray good = gzipBytes(R"([{"#type":"track","#event_name":"x"}])");
    QTest::newRow("no appid") << good.toBase64() << QByteArray();
    QTest::newRow("not Base64") << QByteArray("%%%not base64%%%") << QByteArray("a");
    QTest::newRow("plain JSON") << QByteArray(R"([{"#type":"track","#event_name":"x"}])") << QByteArray("a");
    QTest::newRow("gzip cut short") << good.left(good.size() - 6).toBase64() << QByteArray("a");
    QTest::newRow("not JSON") << gzipBytes("hello").toBase64() << QByteArray("a");
    QTest::newRow("empty array") << gzipBytes("[]").toBase64() << QByteArray("a");
    QTest::newRow("event without a name") << gzipBytes(R"([{"#type":"track"}])").toBase64() << QByteArray("a");
    QTest::newRow("one good, one number")
        << gzipBytes(R"([{"#type":"track","#event_name":"x"},5])").toBase64() << QByteArray("a");
}

void TestPublisher::analyticsRejectsMalformedBodies()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, appid);
    const int before = m_publisher->analyticsEvents().size();
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!appid.isEmpty())
        headers.append({"appid", appid});
    const QJsonObject json = post(QStringLiteral("/receiver/app"), body, headers).json();
    QCOMPARE(json.value("code").toInt(), 400);
    QVERIFY(!json.value("msg").toString().isEmpty());
    QCOMPARE(m_publisher->analyticsEvents().size(), before);
}

void TestPublisher::rangedFile_data()
{
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("first"); // -1: whole file
    QTest::addColumn<qint64>("last"); // counted from the end when negative

    QTest::newRow("no range") << QByteArray() << 200 << qint64(-1) << qint64(0);
    QTest::newRow("open end") << QByteArray("bytes=1000-") << 206 << qint64(1000) << qint64(-1);
    QTest::newRow("first byte") << QByteArray("bytes=0-0") << 206 << qint64(0) << qint64(0);
    QTest::newRow("past the end clamped") << QByteArray("bytes=10-99999999") << 206 << qint64(10) << qint64(-1);
    QTest::newRow("suffix") << QByteArray("bytes=-100") << 206 << qint64(-100) << qint64(-1);
    QTest::newRow("start past the end") << QByteArray("bytes=99999999-") << 416 << qint64(0) << qint64(0);
    QTest::newRow("several ranges ignored") << QByteArray("bytes=0-1,5-6") << 200 << qint64(-1) << qint64(0);
}

void TestPublisher::rangedFile()
{
    QFETCH(QByteArray, range);
    QFETCH(int, status);
    QFETCH(qint64, first);
    QFETCH(qint64, last);

    const QString url = packageUrl(QStringLiteral("1.0.0"), QStringLiteral("*full-1_*"));
    QFile file(m_content.filePath(url.mid(1)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    const qint64 size = whole.size();

    const Reply reply = get(url, range);
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.headers.value("accept-ranges"), QByteArray("bytes"));
    if (status == 416) {
        QCOMPARE(reply.headers.value("content-range"), "bytes */" + QByteArray::number(size));
        return;
    }
    if (first < 0 && status == 200) {
        QCOMPARE(reply.body, whole);
        QCOMPARE(reply.headers.value("content-length").toLongLong(), size);
        QVERIFY(!reply.headers.contains("content-range"));
        return;
    }
    const qint64 from = first < 0 ? size + first : first;
    const qint64 to = last < 0 ? size + last : last;
    QCOMPARE(
        reply.headers.value("content-range"), QStringLiteral("bytes %1-%2/%3").arg(from).arg(to).arg(size).toLatin1());
    QCOMPARE(reply.headers.value("content-length").toLongLong(), to - from + 1);
    QCOMPARE(reply.body, whole.mid(int(from), int(to - from + 1)));
}

void TestPublisher::fileHostRefusesEscapes()
{
    QVERIFY(QFile::exists(m_content.filePath(QStringLiteral("services.json"))));
    QNetworkRequest request(QUrl(m_publisher->baseUrl() + QStringLiteral("/files/%2E%2E/services.json")));
    const Reply escaped = finish(m_network.get(request));
    QVERIFY(escaped.status == 403 || escaped.status == 404);
    QVERIFY(!escaped.body.contains("launcher"));
    QCOMPARE(get(QStringLiteral("/files/packages/none.zip")).status, 404);
    QCOMPARE(get(QStringLiteral("/files/packages/1.0.0")).status, 404); // a folder
}

void TestPublisher::faultModes()
{
    const QString url = packageUrl(QStringLiteral("1.0.0"), QStringLiteral("*full-1_*"));
    const qint64 size = QFileInfo(m_content.filePath(url.mid(1))).size();

    m_publisher->setControl({{"ignoreRange", true}});
    Reply reply = get(url, "bytes=100-");
    QCOMPARE(reply.status, 200);
    QCOMPARE(qint64(reply.body.size()), size);
    QVERIFY(!reply.headers.contains("content-range"));

    m_publisher->setControl({{"cutBodyAfter", 1000}});
    reply = get(url);
    QCOMPARE(reply.error, QNetworkReply::RemoteHostClosedError);
    QVERIFY(reply.body.size() <= 1000);
    // Answers of the services are cut the same way.
    reply = post(QStringLiteral("/activity/pc/launcher/banner"), R"({"gameId":"60001"})");
    QVERIFY(reply.error != QNetworkReply::NoError || reply.body.size() <= 1000);

    m_publisher->setControl({{"status500", true}, {"pathPrefix", "/activity/"}});
    reply = post(QStringLiteral("/activity/pc/launcher/banner"), R"({"gameId":"60001"})");
    QCOMPARE(reply.status, 500);
    QVERIFY(QJsonDocument::fromJson(reply.body).isNull());
    // Outside the prefix nothing changes.
    {
        const Reply outside = post(QStringLiteral("/diff-update/version"), R"({"gameId":"60001"})");
        QVERIFY2(outside.json().value("code").toInt() == 200,
            qPrintable(QStringLiteral("%1 %2 %3")
                           .arg(outside.status)
                           .arg(outside.error)
                           .arg(QString::fromUtf8(outside.body))));
    }

    m_publisher->setControl({{"gameOffline", true}, {"offlineMessage", "maintenance"}});
    QJsonObject json = post(QStringLiteral("/diff-update/version"), R"({"gameId":"60001"})").json();
    QCOMPARE(json.value("code").toInt(), 4001);
    QCOMPARE(json.value("msg").toString(), QStringLiteral("maintenance"));
    QCOMPARE(post(QStringLiteral("/diff-update/resource"), R"({"gameId":"60001"})").json().value("code").toInt(), 4001);

    m_publisher->setControl({{"stallMs", 1500}, {"pathPrefix", "/activity/pc/launcher/message"}});
    QElapsedTimer timer;
    timer.start();
    json = post(QStringLiteral("/activity/pc/launcher/message"), R"({"gameId":"60001"})").json();
    QVERIFY(timer.elapsed() >= 1400); // a lower bound only: the answer waited
    QCOMPARE(json.value("code").toInt(), 200);

    // A malformed control file is ignored.
    QFile control(m_content.filePath(QStringLiteral("control.json")));
    QVERIFY(control.open(QIODevice::WriteOnly));
    control.write("{not json");
    control.close();
    QCOMPARE(get(url, "bytes=0-9").status, 206);
}

void TestPublisher::faultModeFromCommandLine()
{
    // A stall from the command line, and a stop while a request is stalled: SIGTERM ends
    // the process at once and cleanly.
    PublisherProcess stalled(m_content.path(), {QStringLiteral("--stall-ms"), QStringLiteral("600000")});
    QVERIFY2(stalled.isRunning(), qPrintable(stalled.errorString()));
    QNetworkRequest request(QUrl(stalled.baseUrl() + QStringLiteral("/files/packages/none")));
    QNetworkReply *reply = m_network.get(request);
    QTest::qWait(200);
    QVERIFY(!reply->isFinished());
    QCOMPARE(stalled.stop(), 0);
    finish(reply);

    PublisherProcess ignoring(m_content.path(), {QStringLiteral("--ignore-range")});
    QVERIFY2(ignoring.isRunning(), qPrintable(ignoring.errorString()));
    QVERIFY(ignoring.port() != m_publisher->port());
    QCOMPARE(
        get(ignoring.baseUrl() + packageUrl(QStringLiteral("1.0.0"), QStringLiteral("*full-1_*")), "bytes=5-").status,
        200);
}

void TestPublisher::releaseRoundTrip_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("7z") << QStringLiteral("7z");
    QTest::newRow("zip") << QStringLiteral("zip");
}

void TestPublisher::releaseRoundTrip()
{
    QFETCH(QString, format);
    QTemporaryDir content;
    QString output;
    QVERIFY2(PublisherProcess::makeContent(content.path(), m_versions,
                 {QStringLiteral("--format"), format, QStringLiteral("--part-size"), QStringLiteral("60000")}, &output),
        qPrintable(output));
    const QJsonArray releases = QJsonDocument::fromJson([&] {
        QFile file(content.filePath(QStringLiteral("games/60001/releases.json")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }())
                                    .object()
                                    .value("releases")
                                    .toArray();
    QCOMPARE(releases.size(), 2);

    auto extract = [&](const QJsonObject &package, Tree *files) {
        for (const QJsonValue &url : package.value("packageUrls").toArray()) {
            const QString path = content.filePath(url.toString().remove(QStringLiteral("{base}/")));
            const QString name = QFileInfo(path).fileName();
            static const QRegularExpression pattern(QStringLiteral("_origin_(\\d+)_size_(\\d+)_md5_([0-9a-f]{32})\\."));
            const auto match = pattern.match(name);
            QVERIFY2(match.hasMatch(), qPrintable(name));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(match.captured(2).toLongLong(), qint64(bytes.size()));
            QCOMPARE(match.captured(3),
                QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
            QVERIFY(name.endsWith(QLatin1Char('.') + format));
            Tree part;
            QVERIFY2(readArchive(path, &part), qPrintable(path));
            qint64 unpacked = 0;
            for (const QByteArray &data : part)
                unpacked += data.size();
            QCOMPARE(match.captured(1).toLongLong(), unpacked);
            for (auto it = part.cbegin(); it != part.cend(); ++it) {
                QVERIFY2(!files->contains(it.key()), "a file in two parts");
                files->insert(it.key(), it.value());
            }
        }
    };

    for (int i = 0; i < 2; ++i) {
        const QJsonObject release = releases.at(i).toObject();
        const QString version = release.value("version").toString();
        Tree full;
        extract(release.value("fullPackage").toObject(), &full);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(full, m_versions.value(version));
        QVERIFY(release.value("fullPackage").toObject().value("packageUrls").toArray().size() >= 3);
    }

    // The old tree, with the differential package laid over it and the removed files
    // taken away, is the new tree.
    const QJsonObject latest = releases.at(1).toObject();
    Tree updated = m_versions.value(QStringLiteral("1.0.0"));
    Tree diff;
    extract(latest.value("diffs").toObject().value("1.0.0").toObject(), &diff);
    QVERIFY(!diff.contains(QStringLiteral("data/same.dat")));
    for (auto it = diff.cbegin(); it != diff.cend(); ++it)
        updated.insert(it.key(), it.value());
    for (const QJsonValue &removed : latest.value("removedFiles").toArray())
        updated.remove(removed.toString());
    QCOMPARE(updated, m_versions.value(QStringLiteral("1.1.0")));
}

void TestPublisher::builderRefusesBadInput()
{
    QTemporaryDir content;
    QString output;
    QVERIFY(!PublisherProcess::makeContent(content.path(), {{QStringLiteral("1.0.0"), Tree {{"a", "b"}}}},
        {QStringLiteral("--format"), QStringLiteral("rar")}, &output));
    QVERIFY(output.contains(QStringLiteral("rar")));
    // A version name with a marker of the package names would mislead their readers.
    QVERIFY(
        !PublisherProcess::makeContent(content.path(), {{QStringLiteral("1_size_2"), Tree {{"a", "b"}}}}, {}, &output));
    QVERIFY(!PublisherProcess::runBuilder(
        {QStringLiteral("--versions"), content.filePath(QStringLiteral("none")), QStringLiteral("--content"),
            content.path(), QStringLiteral("--game-id"), QStringLiteral("1")},
        &output));
    QVERIFY(!QFile::exists(content.filePath(QStringLiteral("games/1/releases.json"))));
}

void TestPublisher::smallFilesInstall_data()
{
    QTest::addColumn<bool>("documentPartial");
    QTest::newRow("fresh") << false;
    // A fetch of the document cut short earlier resumes within the text as served.
    QTest::newRow("document resumed") << true;
}

// The small-files package installed through the launcher's engine from the
// stand-in's answer as it comes: the document, its digest and every file.
void TestPublisher::smallFilesInstall()
{
    QFETCH(bool, documentPartial);
    TestEnv env;
    const QString install = env.filePath(QStringLiteral("game"));
    GameFiles::instance()->setInstallDir(install);
    const Reply reply
        = post(QStringLiteral("/diff-update/resource"), R"({"gameId":"70001","currentVersion":"","targetVersion":""})");
    QCOMPARE(reply.json().value("code").toInt(), 200);
    GameVersionInfo info;
    info.takePackage(GameFileDownloadInfo::fromResourceReply(
        QString::fromUtf8(QJsonDocument(reply.json().value("data").toObject()).toJson())));
    QCOMPARE(info.downloadType, 1);
    QCOMPARE(info.latestVersion, QStringLiteral("1.1.0"));
    if (documentPartial) {
        const QByteArray served = get(info.packageJson).body;
        QVERIFY(served.size() > 100);
        QVERIFY(writeBytes(GameFiles::instance()->tempFilePath(info.packageJson), served.left(served.size() / 2)));
    }

    DownloadFilesManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(info);
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 30000);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(finished.first().at(0).toInt(), 200);
    const Tree &tree = m_versions.value(QStringLiteral("1.1.0"));
    Tree installed;
    QDirIterator it(install, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        installed.insert(QDir(install).relativeFilePath(path), readAll(path));
    }
    QCOMPARE(installed, tree);
}

void TestPublisher::heldReleaseIsPublishedLater()
{
    QTemporaryDir content;
    QString output;
    QVERIFY2(PublisherProcess::makeContent(
                 content.path(), m_versions, {QStringLiteral("--hold"), QStringLiteral("1.1.0")}, &output),
        qPrintable(output));
    auto held = std::make_unique<PublisherProcess>(content.path());
    QVERIFY2(held->isRunning(), qPrintable(held->errorString()));
    std::swap(m_publisher, held);
    const auto latest = [this] {
        return post(QStringLiteral("/diff-update/version"), R"({"gameId":"60001","currentVersion":"1.0.0"})")
            .json()
            .value("data")
            .toObject()
            .value("latestVersion")
            .toString();
    };
    const QString before = latest();
    QString publishOutput;
    const bool published = PublisherProcess::publish(content.path(), QStringLiteral("1.1.0"), &publishOutput);
    const QString after = latest();
    std::swap(m_publisher, held);

    QCOMPARE(before, QStringLiteral("1.0.0"));
    QVERIFY2(published, qPrintable(publishOutput));
    // The running stand-in offers it from the next request on.
    QCOMPARE(after, QStringLiteral("1.1.0"));
}

// A release of the launcher: one zip whose name declares what the launcher
// checks, offered by the launcher service at once or, held, once published;
// the rest of services.json stays as it was.
void TestPublisher::launcherRelease()
{
    QTemporaryDir content;
    QTemporaryDir tree;
    const QByteArray launcher = pseudoRandom(40000, 7);
    const QByteArray updater = pseudoRandom(20000, 8);
    for (const auto &file : {std::make_pair(QStringLiteral("quillmere-launcher"), launcher),
             std::make_pair(QStringLiteral("updateProgram/quillmere-update"), updater)}) {
        QDir().mkpath(QFileInfo(tree.filePath(file.first)).path());
        QFile out(tree.filePath(file.first));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.second);
    }
    QFile services(content.filePath(QStringLiteral("services.json")));
    QVERIFY(services.open(QIODevice::WriteOnly));
    services.write(R"({"message": {"messageId": 3, "title": "kept"}})");
    services.close();
    const auto build = [&](const QStringList &extra) {
        QProcess builder;
        builder.setProcessChannelMode(QProcess::MergedChannels);
        builder.start(PublisherProcess::binaryPath(),
            QStringList {"launcher", "--content", content.path(), "--tree", tree.path(), "--message", "notes"} + extra);
        return builder.waitForFinished(60000) && builder.exitCode() == 0;
    };
    QVERIFY(build({"--version", "2.9.0"}));
    QVERIFY(build({"--version", "2.9.1", "--hold"}));
    QVERIFY(!build({"--version", "../2.9.2"}));

    auto stand = std::make_unique<PublisherProcess>(content.path());
    QVERIFY2(stand->isRunning(), qPrintable(stand->errorString()));
    std::swap(m_publisher, stand);
    const auto offered = [this] {
        return post(QStringLiteral("/pc/launcher/version"), R"({"gameId":"60001"})", {{"debug", "1"}})
            .json()
            .value("data")
            .toObject();
    };
    const QJsonObject first = offered();
    const Reply package = get(first.value("downloadUrl").toString());
    const QString message = post(QStringLiteral("/activity/pc/launcher/message"), R"({"gameId":"60001"})")
                                .json()
                                .value("data")
                                .toObject()
                                .value("title")
                                .toString();
    QString output;
    const bool published = PublisherProcess::publish(content.path(), QStringLiteral("2.9.1"), &output);
    const QJsonObject second = offered();
    std::swap(m_publisher, stand);

    QCOMPARE(first.value("latestVersion").toString(), QStringLiteral("2.9.0"));
    QCOMPARE(first.value("updateMessage").toString(), QStringLiteral("notes"));
    QCOMPARE(package.status, 200);
    const QString name = QUrl(first.value("downloadUrl").toString()).fileName();
    const QString declared
        = QStringLiteral("_origin_%1_size_%2_md5_%3.zip")
              .arg(launcher.size() + updater.size())
              .arg(package.body.size())
              .arg(QString::fromLatin1(QCryptographicHash::hash(package.body, QCryptographicHash::Md5).toHex()));
    QVERIFY2(name.startsWith(QLatin1String("quillmere-launcher-2.9.0")) && name.endsWith(declared), qPrintable(name));
    QCOMPARE(message, QStringLiteral("kept"));
    QVERIFY2(published, qPrintable(output));
    QCOMPARE(second.value("latestVersion").toString(), QStringLiteral("2.9.1"));
}

QTEST_GUILESS_MAIN(TestPublisher)
#include "tst_publisher.moc"
