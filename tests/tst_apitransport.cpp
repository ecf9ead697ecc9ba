// The request transport as the server sees it: wire form of plain, scrambled
// and analytics posts, reply decoding, the envelope failure table, time-outs,
// overlapping posts and the release of replies.

#include "api/apiresult.h"
#include "api/gzipcodec.h"
#include "api/kvqreplytimeout.h"
#include "api/requestclasses.h"
#include "app/launcherconfig.h"
#include "support/httpfixture.h"
#include "support/testenv.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

#include <zlib.h>

namespace {

QByteArray scramble(const QByteArray &plain)
{
    QByteArray bytes = plain;
    swapEach2Bytes(bytes);
    return compressGzip(bytes);
}

QByteArray unscramble(const QByteArray &wire)
{
    QByteArray bytes = uncompressGzip(wire);
    swapEach2Bytes(bytes);
    return bytes;
}

// A gzip stream of `megabytes` MiB of zeros, about 1 KiB per MiB, made
// without deflating them all: after a full flush the compressor forgets what
// came before, so the bytes of one flushed MiB can be repeated.
QByteArray gzipOfZeros(int megabytes)
{
    const int block = 1 << 20;
    const QByteArray zeros(block, '\0');
    z_stream stream {};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out;
    auto run = [&](const QByteArray &input, int flush) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
        stream.avail_in = uInt(input.size());
        char chunk[65536];
        do {
            stream.next_out = reinterpret_cast<Bytef *>(chunk);
            stream.avail_out = sizeof(chunk);
            deflate(&stream, flush);
            out.append(chunk, int(sizeof(chunk) - stream.avail_out));
        } while (stream.avail_out == 0);
    };
    run(zeros, Z_FULL_FLUSH);
    const int pieceStart = out.size();
    run(zeros, Z_FULL_FLUSH);
    const QByteArray piece = out.mid(pieceStart);
    for (int i = 2; i < megabytes; ++i)
        out.append(piece);
    run(QByteArray(), Z_FINISH);
    deflateEnd(&stream);

    // The trailer deflate wrote counts only the two blocks it saw.
    out.chop(8);
    const uLong blockCrc = crc32(0, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(block));
    uLong crc = blockCrc;
    for (int i = 1; i < megabytes; ++i)
        crc = crc32_combine(crc, blockCrc, block);
    const quint32 size = quint32(quint64(megabytes) * quint64(block));
    for (quint32 value : {quint32(crc), size}) {
        for (int shift = 0; shift < 32; shift += 8)
            out.append(char((value >> shift) & 0xff));
    }
    return out;
}

HttpFixture::Reply replyWith(
    const QByteArray &body, int status = 200, int delayMs = 0, const QByteArray &contentType = "application/json")
{
    HttpFixture::Reply reply;
    reply.body = body;
    reply.status = status;
    reply.delayMs = delayMs;
    reply.contentType = contentType;
    return reply;
}

} // namespace

class TestApiTransport : public QObject
{
    Q_OBJECT
private slots:
    void swapEach2Bytes_data();
    void swapEach2Bytes();
    void gzipRoundTrip();
    void uncompressRejectsHostileInput();
    void envelope_data();
    void envelope();
    void scrambledPostOnTheWire();
    void plainPostOnTheWire();
    void langHeader();
    void replyFailureTable_data();
    void replyFailureTable();
    void refusedConnectionIsJsonNull();
    void scrambledReplyIsDecoded();
    void analyticsPostOnTheWire();
    void lateReplyGivesOnlyTheError();
    void realTimeoutAfterFiveSeconds();
    void overlappingPostsAreIndependent();
    void repliesAndTimersAreReleased();
    void destroyingTheObjectReleasesItsReplies();
    void clientGoneFirstLeavesNothingToRelease();
    void oversizedRepliesFailCleanly_data();
    void oversizedRepliesFailCleanly();
    void networkFaultsAreRetried_data();
    void networkFaultsAreRetried();
    void refusedAndTimedOutPostsAreRetried();
};

void TestApiTransport::swapEach2Bytes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    const char m = char(0xA9);
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("one byte stays") << QByteArray("x") << QByteArray("x");
    const char abc[] = {char('b' ^ m), char('a' ^ m), 'c'};
    QTest::newRow("abc") << QByteArray("abc") << QByteArray(abc, 3);
    const char abcd[] = {char('b' ^ m), char('a' ^ m), char('d' ^ m), char('c' ^ m)};
    QTest::newRow("abcd") << QByteArray("abcd") << QByteArray(abcd, 4);
}

void TestApiTransport::swapEach2Bytes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QByteArray bytes = input;
    ::swapEach2Bytes(bytes);
    QCOMPARE(bytes, expected);
    ::swapEach2Bytes(bytes);
    QCOMPARE(bytes, input);
}

void TestApiTransport::gzipRoundTrip()
{
    QVERIFY(compressGzip(QByteArray()).isEmpty());
    QVERIFY(uncompressGzip(QByteArray()).isEmpty());

    QByteArray random(300000, Qt::Uninitialized);
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    for (const QByteArray &input : {QByteArray("{\"a\":1}"), random, QByteArray(1 << 20, 'z')}) {
        const QByteArray packed = compressGzip(input);
        QVERIFY(packed.startsWith("\x1f\x8b")); // a gzip header
        QCOMPARE(uncompressGzip(packed), input);
    }
    // A zlib stream is accepted as well.
    QCOMPARE(uncompressGzip(qCompress(QByteArray("hello")).mid(4)), QByteArray("hello"));
}

void TestApiTransport::uncompressRejectsHostileInput()
{
    const QByteArray input(100000, 'q');
    const QByteArray packed = compressGzip(input);

    // Cut short anywhere: nothing, never a partial body.
    for (int cut : {1, 10, packed.size() / 2, packed.size() - 1})
        QVERIFY2(uncompressGzip(packed.left(cut)).isEmpty(), qPrintable(QString::number(cut)));
    QVERIFY(uncompressGzip("not compressed at all").isEmpty());
    // A damaged checksum in the trailer.
    QByteArray corrupted = packed;
    corrupted[corrupted.size() - 6] = char(corrupted[corrupted.size() - 6] ^ 0x55);
    QVERIFY(uncompressGzip(corrupted).isEmpty());

    // A bomb: far more output than the cap gives nothing; up to the cap is fine.
    QVERIFY(uncompressGzip(packed, 65536).isEmpty());
    QCOMPARE(uncompressGzip(packed, input.size()), input);
    const QByteArray bomb = compressGzip(QByteArray(int(kMaxInflatedBytes) + 1, '\0'));
    QVERIFY(bomb.size() < 200000);
    QVERIFY(uncompressGzip(bomb).isEmpty());
}

void TestApiTransport::envelope_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("empty") << QByteArray() << -1 << "json is null" << QByteArray();
    QTest::newRow("html error page") << QByteArray("<html><body>502 Bad Gateway</body></html>") << -1
                                     << "QJsonParseError" << QByteArray();
    QTest::newRow("truncated json") << QByteArray(R"({"code":200,"msg":)") << -1 << "QJsonParseError" << QByteArray();
    QTest::newRow("top-level array") << QByteArray("[]") << -1 << "Server data is error" << QByteArray();
    QTest::newRow("array data") << QByteArray(R"({"code":200,"msg":"ok","data":[1,2]})") << 200 << "ok"
                                << QByteArray("{}");
    QTest::newRow("no code") << QByteArray(R"({"msg":"m","data":{"k":"v"}})") << 0 << "m" << QByteArray(R"({"k":"v"})");
    QTest::newRow("code as text") << QByteArray(R"({"code":"200","msg":5})") << 0 << "" << QByteArray("{}");
    QTest::newRow("game offline") << QByteArray(R"({"code":4001,"msg":"offline","data":null})") << 4001 << "offline"
                                  << QByteArray("{}");
}

void TestApiTransport::envelope()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, msg);
    QFETCH(QByteArray, data);
    const ApiResult result = ApiResult::fromReplyBody(body);
    QCOMPARE(result.code, code);
    QCOMPARE(result.msg, msg);
    if (data.isEmpty()) {
        QVERIFY(result.data.isEmpty());
    } else {
        const QByteArray indented = QJsonDocument::fromJson(data).toJson(QJsonDocument::Indented);
        QCOMPARE(result.data, QString::fromUtf8(indented));
    }
}

void TestApiTransport::scrambledPostOnTheWire()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    AppVersionRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);

    const QJsonObject body {{"a", 1}, {"text", QStringLiteral("Grüße")}};
    request.postRequest(0, body, server.url("/pc/launcher/version"), false, true);
    QTRY_COMPARE(finished.count(), 1);

    QCOMPARE(server.requestCount(), 1);
    const HttpFixture::Request sent = server.requests().first();
    QCOMPARE(sent.method, QByteArray("POST"));
    QCOMPARE(sent.path, QByteArray("/pc/launcher/version"));
    QVERIFY(!sent.hasHeader("debug"));
    QCOMPARE(sent.header("Content-Type"), QByteArray("text/plain;charset=utf-8"));
    QCOMPARE(unscramble(sent.body), QJsonDocument(body).toJson(QJsonDocument::Indented));
}

void TestApiTransport::plainPostOnTheWire()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    PosterRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);

    const QJsonObject body {{"gameId", "60001"}, {"imageTypes", QJsonArray {1}}};
    request.postRequest(0, body, server.url("/activity/pc/launcher/images"), true, false);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().value<ApiResult>().code, 200);

    const HttpFixture::Request sent = server.requests().first();
    QCOMPARE(sent.header("debug"), QByteArray("1"));
    QCOMPARE(sent.header("Content-Type"), QByteArray("application/json;charset=utf-8"));
    QCOMPARE(sent.body, QJsonDocument(body).toJson(QJsonDocument::Compact));

    // Only request kind 0 sends anything.
    request.postRequest(1, body, server.url("/other"), true, false);
    request.postRequest(0, body, server.url("/second"), true, false);
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(server.requestCount(), 2);
    QCOMPARE(server.requests().last().path, QByteArray("/second"));
}

void TestApiTransport::langHeader()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    PosterRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);

    const QList<QPair<int, QByteArray>> cases {
        {0, "zh_CN"}, {1, "en"}, {2, "ja_JP"}, {3, "ko_KR"}, {4, "zh_TW"}, {7, QByteArray()}};
    for (int i = 0; i < cases.size(); ++i) {
        const auto &c = cases.at(i);
        LauncherConfig::instance()->writeInt("Launcher", "language_index", c.first);
        request.postRequest(0, {}, server.url("/lang"), true, false);
        QTRY_COMPARE(finished.count(), i + 1);
        const HttpFixture::Request sent = server.requests().last();
        QCOMPARE(sent.header("lang"), c.second);
        QCOMPARE(sent.hasHeader("lang"), !c.second.isEmpty());
    }
}

void TestApiTransport::replyFailureTable_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("msg");

    QTest::newRow("500 empty") << 500 << QByteArray() << -1 << "json is null";
    QTest::newRow("404 html") << 404 << QByteArray("<!DOCTYPE html><html><h1>Not Found</h1></html>") << -1
                              << "QJsonParseError";
    QTest::newRow("unusable bytes") << 200 << QByteArray("\x00\xff\xfe garbage", 12) << -1 << "QJsonParseError";
    QTest::newRow("array") << 200 << QByteArray("[]") << -1 << "Server data is error";
    QTest::newRow("array data") << 200 << QByteArray(R"({"code":200,"msg":"ok","data":[1,2]})") << 200 << "ok";
    QTest::newRow("error envelope") << 500 << QByteArray(R"({"code":500,"msg":"down"})") << 500 << "down";
}

void TestApiTransport::replyFailureTable()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, msg);

    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/x", replyWith(body, status, 0, status == 404 ? "text/html" : "application/json"));
    BannerImageRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);
    request.postRequest(0, {}, server.url("/x"), true, false);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(failed.count(), 0);
    const ApiResult result = finished.first().first().value<ApiResult>();
    QCOMPARE(result.code, code);
    QCOMPARE(result.msg, msg);
    if (code == 200)
        QCOMPARE(QJsonDocument::fromJson(result.data.toUtf8()).object(), QJsonObject());
}

void TestApiTransport::refusedConnectionIsJsonNull()
{
    TestEnv env;
    quint16 port = 0;
    {
        QTcpServer probe; // a port that was free a moment ago and is closed now
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    AppNewsRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    request.postRequest(0, {}, QStringLiteral("http://127.0.0.1:%1/x").arg(port), true, false);
    QTRY_COMPARE(finished.count(), 1);
    const ApiResult result = finished.first().first().value<ApiResult>();
    QCOMPARE(result.code, -1);
    QCOMPARE(result.msg, QStringLiteral("json is null"));

    // An unknown environment leaves every base empty: the address is just a path.
    for (const QString &url : {QStringLiteral("/diff-update/version"), QString()}) {
        request.postRequest(0, {}, url, true, false);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(finished.last().first().value<ApiResult>().msg, QStringLiteral("json is null"));
        finished.removeLast();
    }
    QCOMPARE(request.pendingReplyCount(), 0);
}

void TestApiTransport::scrambledReplyIsDecoded()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    const QByteArray envelope = R"({"code":200,"msg":"ok","data":{"latestVersion":"2.9.0"}})";
    server.setReply("/good", replyWith(scramble(envelope)));
    server.setReply("/plain", replyWith(envelope)); // not a gzip stream
    server.setReply("/cut", replyWith(scramble(envelope).left(20)));

    AppVersionRequest request;
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    request.postRequest(0, {}, server.url("/good"), false, true);
    QTRY_COMPARE(finished.count(), 1);
    ApiResult result = finished.takeFirst().first().value<ApiResult>();
    QCOMPARE(result.code, 200);
    QCOMPARE(QJsonDocument::fromJson(result.data.toUtf8()).object().value("latestVersion").toString(),
        QStringLiteral("2.9.0"));

    for (const char *path : {"/plain", "/cut"}) {
        request.postRequest(0, {}, server.url(path), false, true);
        QTRY_COMPARE(finished.count(), 1);
        result = finished.takeFirst().first().value<ApiResult>();
        QCOMPARE(result.code, -1);
        QCOMPARE(result.msg, QStringLiteral("json is null"));
    }
}

void TestApiTransport::analyticsPostOnTheWire()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    // A reply that looks scrambled is not unscrambled for the analytics form.
    server.setReply("/receiver/app", replyWith(scramble(R"({"code":0,"msg":"ok"})")));
    ThinkingDataReport report;
    QSignalSpy finished(&report, &KVAbstractNetwork::signalReplyfinsh);

    const QString body = QStringLiteral("[{\"#event_name\": \"launcher_open\", \"x\": \"ü\"}]");
    report.postDataTrackRequest(0, "appid-1", body, server.url("/receiver/app"));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().value<ApiResult>().msg, QStringLiteral("QJsonParseError"));

    const HttpFixture::Request sent = server.requests().first();
    QCOMPARE(sent.header("Content-Type"), QByteArray("text/plain;charset=utf-8"));
    QCOMPARE(sent.header("appid"), QByteArray("appid-1"));
    QCOMPARE(sent.header("TA-Integration-Type"), QByteArray("PC"));
    QCOMPARE(sent.header("TA-Integration-Version"), QByteArray("2.3.0"));
    QCOMPARE(sent.header("TA-Integration-Count"), QByteArray("1"));
    QCOMPARE(sent.header("TA-Integration-Extra"), QByteArray("PC"));
    QVERIFY(!sent.hasHeader("lang"));
    QVERIFY(!sent.hasHeader("debug"));
    const auto decoded = QByteArray::fromBase64Encoding(sent.body, QByteArray::AbortOnBase64DecodingErrors);
    QVERIFY(decoded);
    QCOMPARE(uncompressGzip(*decoded), body.toUtf8());
}

void TestApiTransport::lateReplyGivesOnlyTheError()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/slow", replyWith(R"({"code":200})", 200, 1500));
    GameVersionRequest request;
    request.setReplyTimeout(300);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);

    request.postRequest(0, {}, server.url("/slow"), true, false);
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(request.pendingReplyCount(), 0);
    // Let the server's late answer go out, then give it time to arrive.
    QTRY_COMPARE(server.repliesWritten(), 1);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(failed.count(), 1);
}

void TestApiTransport::realTimeoutAfterFiveSeconds()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/six", replyWith(R"({"code":200})", 200, 6000));
    GameVersionRequest request;
    QCOMPARE(request.replyTimeout(), 5000);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);

    request.postRequest(0, {}, server.url("/six"), true, false);
    // The limit is not cut short: a coarse timer may fire up to 5 % early.
    const auto *guard = request.findChild<KVQReplyTimeout *>();
    QVERIFY(guard);
    const QList<QTimer *> timers = guard->findChildren<QTimer *>();
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers.first()->timerType(), Qt::PreciseTimer);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(server.repliesWritten(), 1, 20000);
    QTest::qWait(200);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(failed.count(), 1);
}

void TestApiTransport::overlappingPostsAreIndependent()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/a", replyWith(R"({"code":1,"msg":"a"})", 200, 400));
    server.setReply("/b", replyWith(R"({"code":2,"msg":"b"})"));
    server.setReply("/stuck", replyWith(R"({"code":3,"msg":"stuck"})", 200, 3000));

    GameVersionRequest request;
    request.setReplyTimeout(1500);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);
    request.postRequest(0, {}, server.url("/stuck"), true, false);
    request.postRequest(0, {}, server.url("/a"), true, false);
    request.postRequest(0, {}, server.url("/b"), true, false);
    QCOMPARE(request.pendingReplyCount(), 3);

    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(finished.at(0).first().value<ApiResult>().msg, QStringLiteral("b"));
    QCOMPARE(finished.at(1).first().value<ApiResult>().msg, QStringLiteral("a"));
    QTRY_COMPARE(failed.count(), 1);
    QTRY_COMPARE(server.repliesWritten(), 3);
    QTest::qWait(100);
    QCOMPARE(finished.count(), 2);
    QCOMPARE(failed.count(), 1);
}

void TestApiTransport::repliesAndTimersAreReleased()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/slow", replyWith(R"({"code":200})", 200, 800));
    QNetworkAccessManager manager;
    PosterRequest request(&manager);
    request.setReplyTimeout(200);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);

    // One after another: the time-out counts from the post, so a burst
    // queued behind slow replies would time out as well.
    const int rounds = 40;
    for (int i = 0; i < rounds; ++i) {
        request.postRequest(0, {}, server.url(i % 4 == 0 ? "/slow" : "/fast"), true, false);
        QTRY_COMPARE(finished.count() + failed.count(), i + 1);
    }
    // The slow ones time out; on a loaded machine a fast one may as well,
    // which changes nothing about what must be released.
    QVERIFY(failed.count() >= rounds / 4);
    QCOMPARE(request.pendingReplyCount(), 0);
    // Handled replies (and the time-out guards they own) are deleted.
    QTRY_COMPARE(manager.findChildren<QNetworkReply *>().size(), 0);
    QCOMPARE(manager.findChildren<KVQReplyTimeout *>().size(), 0);
}

void TestApiTransport::destroyingTheObjectReleasesItsReplies()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/slow", replyWith(R"({"code":200})", 200, 300));
    QNetworkAccessManager manager;
    auto *request = new NotificationAlertRequest(&manager);
    request->postRequest(0, {}, server.url("/slow"), true, false);
    request->postRequest(0, {}, server.url("/slow"), true, false);
    QTRY_COMPARE(server.requestCount(), 2);
    delete request;
    QTRY_COMPARE(manager.findChildren<QNetworkReply *>().size(), 0);
    QTRY_COMPARE(server.repliesWritten(), 2);
}

// A shared client destroyed before the object (its replies go with it): the object forgets
// them, so its own end touches no reply that is gone.
void TestApiTransport::clientGoneFirstLeavesNothingToRelease()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/slow", replyWith(R"({"code":200})", 200, 300));
    auto manager = std::make_unique<QNetworkAccessManager>();
    NotificationAlertRequest request(manager.get());
    request.postRequest(0, {}, server.url("/slow"), true, false);
    QTRY_COMPARE(server.requestCount(), 1);
    QCOMPARE(request.pendingReplyCount(), 1);
    manager.reset();
    QCOMPARE(request.pendingReplyCount(), 0);
}

void TestApiTransport::oversizedRepliesFailCleanly_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("gzipEncoded"); // sent with "Content-Encoding: gzip"
    QTest::addColumn<bool>("scrambled");
    QTest::addColumn<QString>("msg");

    QByteArray huge = R"({"code":200,"msg":")";
    huge += QByteArray(int(KVAbstractNetwork::kMaxReplyBytes) + 1024, 'x');
    huge += "\"}";
    static const QByteArray bomb = gzipOfZeros(1024); // 1 GiB once inflated
    QVERIFY(bomb.size() < 2 * 1024 * 1024);
    QCOMPARE(uncompressGzip(bomb, 4 << 20), QByteArray()); // a real stream, far past any cap

    QTest::newRow("body past the cap") << huge << false << false << "json is null";
    // Asked for identity, the transport hands over the compressed bytes as
    // they came: not JSON. Qt would otherwise inflate them all.
    QTest::newRow("gzip-encoded bomb") << bomb << true << false << "QJsonParseError";
    QTest::newRow("scrambled bomb") << bomb << false << true << "json is null";
    QTest::newRow("scrambled, gzip-encoded bomb") << bomb << true << true << "json is null";
}

void TestApiTransport::oversizedRepliesFailCleanly()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, gzipEncoded);
    QFETCH(bool, scrambled);
    QFETCH(QString, msg);

    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    HttpFixture::Reply reply = replyWith(body);
    if (gzipEncoded)
        reply.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
    server.setReply("/big", reply);
    GameVersionRequest request;
    request.setReplyTimeout(60000);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    request.postRequest(0, {}, server.url("/big"), true, scrambled);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    const ApiResult result = finished.first().first().value<ApiResult>();
    QCOMPARE(result.code, -1);
    QCOMPARE(result.msg, msg);
    QCOMPARE(server.requests().first().header("Accept-Encoding"), QByteArray("identity"));
    QCOMPARE(request.pendingReplyCount(), 0);
}

void TestApiTransport::networkFaultsAreRetried_data()
{
    QTest::addColumn<int>("status"); // of the first answers
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<int>("failures"); // answers of `status` before a good one
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("code"); // of the one report
    QTest::addColumn<qint64>("leastWait"); // the first retry's wait at least

    QTest::newRow("503 once") << 503 << QByteArray() << 1 << 2 << 200 << 0LL;
    QTest::newRow("429, Retry-After") << 429 << QByteArray("1") << 1 << 2 << 200 << 1000LL;
    QTest::newRow("408 twice") << 408 << QByteArray() << 2 << 3 << 200 << 0LL;
    QTest::newRow("500 past the retries") << 500 << QByteArray() << 5 << 3 << -1 << 0LL;
    QTest::newRow("Retry-After past the cap") << 503 << QByteArray("3600") << 1 << 1 << -1 << -1LL;
    QTest::newRow("404 is no network fault") << 404 << QByteArray() << 1 << 1 << -1 << -1LL;
}

void TestApiTransport::networkFaultsAreRetried()
{
    QFETCH(int, status);
    QFETCH(QByteArray, retryAfter);
    QFETCH(int, failures);
    QFETCH(int, requests);
    QFETCH(int, code);
    QFETCH(qint64, leastWait);

    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    int seen = 0;
    server.setHandler("/x", [&](const HttpFixture::Request &) {
        HttpFixture::Reply reply = replyWith(R"({"code":200,"msg":"ok","data":{}})");
        if (seen++ < failures) {
            reply = replyWith(QByteArray(), status);
            if (!retryAfter.isEmpty())
                reply.headers.append({"Retry-After", retryAfter});
        }
        return reply;
    });
    GameVersionRequest request;
    request.setRetries(KVAbstractNetwork::kServiceRetries, 10, 2000);
    QSignalSpy finished(&request, &KVAbstractNetwork::signalReplyfinsh);
    QSignalSpy failed(&request, &KVAbstractNetwork::signalReplyError);
    QSignalSpy retried(&request, &KVAbstractNetwork::retryScheduled);
    request.postRequest(0, {}, server.url("/x"), true, false);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(server.requestCount(), requests);
    QCOMPARE(retried.count(), requests - 1);
    QCOMPARE(finished.first().first().value<ApiResult>().code, code);
    if (leastWait >= 0)
        QVERIFY(retried.first().first().toLongLong() >= leastWait);
    QCOMPARE(request.pendingReplyCount(), 0);
}

// A refused connection is a network fault too; a time-out is retried and
// reports through the error signal once.
void TestApiTransport::refusedAndTimedOutPostsAreRetried()
{
    TestEnv env;
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    AppNewsRequest refused;
    refused.setRetries(1, 10, 100);
    QSignalSpy refusedRetries(&refused, &KVAbstractNetwork::retryScheduled);
    QSignalSpy refusedDone(&refused, &KVAbstractNetwork::signalReplyfinsh);
    refused.postRequest(0, {}, QStringLiteral("http://127.0.0.1:%1/x").arg(port), true, false);
    QTRY_COMPARE(refusedDone.count(), 1);
    QCOMPARE(refusedRetries.count(), 1);

    HttpFixture server;
    QVERIFY(server.listen());
    server.setReply("/slow", replyWith(R"({"code":200})", 200, 1500));
    GameVersionRequest slow;
    slow.setReplyTimeout(200);
    slow.setRetries(1, 10, 100);
    QSignalSpy failed(&slow, &KVAbstractNetwork::signalReplyError);
    QSignalSpy finished(&slow, &KVAbstractNetwork::signalReplyfinsh);
    slow.postRequest(0, {}, server.url("/slow"), true, false);
    QTRY_COMPARE(failed.count(), 1);
    QTRY_COMPARE(server.requestCount(), 2);
    QCOMPARE(finished.count(), 0);
}

QTEST_GUILESS_MAIN(TestApiTransport)
#include "tst_apitransport.moc"
