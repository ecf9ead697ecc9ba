// The package download engine against the publisher stand-in: ranged starts and
// resumes, a server's faults, the package queue's stop, close and failure
// handling, and the speed limit.

#include "downloadtestutil.h"

#include "api/filefetch.h"
#include "app/launcherconfig.h"
#include "app/texts.h"
#include "download/downloadfilesmanager.h"
#include "download/downloadfiletask.h"
#include "download/downloadratelimiter.h"
#include "download/kvdownloadmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "install/gamefiles.h"
#include "support/httpfixture.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

#include <zlib.h>

using Finished = QList<QVariant>;

namespace {

// `size` zero bytes, gzip-compressed (a thousandth of the size).
QByteArray gzipOfZeros(qint64 size)
{
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    QByteArray piece(1 << 16, Qt::Uninitialized);
    for (qint64 left = size; left >= 0; left -= zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        stream.avail_in = uInt(std::min<qint64>(left, zeros.size()));
        const int flush = left <= zeros.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(piece.data());
            stream.avail_out = uInt(piece.size());
            deflate(&stream, flush);
            out.append(piece.constData(), piece.size() - int(stream.avail_out));
        } while (stream.avail_out == 0);
        if (flush == Z_FINISH)
            break;
    }
    deflateEnd(&stream);
    return out;
}

HttpFixture::Reply withRange(int status, const QByteArray &body, const QByteArray &contentRange)
{
    HttpFixture::Reply reply;
    reply.status = status;
    reply.contentType = "application/octet-stream";
    reply.body = body;
    reply.headers.append(qMakePair(QByteArray("Content-Range"), contentRange));
    return reply;
}

// What a hostile or broken file server answers for `data`.
HttpFixture::Reply hostileReply(const QString &mode, const HttpFixture::Request &request, const QByteArray &data)
{
    const QByteArray size = QByteArray::number(data.size());
    const int half = data.size() / 2;
    if (mode == QLatin1String("changed"))
        return HttpFixture::fileReply(request, patternBytes(data.size(), 99));
    if (mode == QLatin1String("smaller total"))
        return withRange(
            206, data.left(half), "bytes 0-" + QByteArray::number(half - 1) + '/' + QByteArray::number(half));
    if (mode == QLatin1String("short 206"))
        return withRange(206, data.left(100), "bytes 0-99/" + size);
    if (mode == QLatin1String("from 0"))
        return withRange(206, data, "bytes 0-" + QByteArray::number(data.size() - 1) + '/' + size);
    HttpFixture::Reply reply;
    reply.contentType = "application/octet-stream";
    if (mode == QLatin1String("half")) {
        reply.noContentLength = true;
        reply.body = data.left(half);
    } else if (mode == QLatin1String("endless")) {
        reply.endless = true;
        reply.body = data.left(65536);
    } else if (mode == QLatin1String("gzip")) {
        static const QByteArray bomb = gzipOfZeros(qint64(16) << 20);
        reply.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
        reply.body = bomb;
    } else {
        return HttpFixture::fileReply(request, data);
    }
    return reply;
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<KorvaneObject::DownloadingInfo>("KorvaneObject::DownloadingInfo"); }

    void freshAndResumedDownloads();
    void partialOrFinalFileAlreadyThere();
    void serverIgnoringRangeRestartsThePartialFile();
    void shortBodyFailsAndResumes();
    void stallErrorPageAndMissingFile();
    void readBuffersAndNothingToDo();
    void stopResumeAndClose();
    void speedLimitIsOneBudgetFromTheSetting();
    void tokenBucket_data();
    void tokenBucket();
    void progressRecordsOncePerSecond_data();
    void progressRecordsOncePerSecond();
    void hostileFileServers_data();
    void hostileFileServers();
    void lowSpeedLimit_data();
    void lowSpeedLimit();
    void restartsOncePerFile();
    void unusableAddressesAreRefused_data();
    void unusableAddressesAreRefused();
    void fullDiskEndsTheRunOnce();
    void staleReportsOfAStoppedRunAreDropped();
    void stopOfAnIdleEngineIsReported_data();
    void stopOfAnIdleEngineIsReported();
    void speedLimitFollowsTheSetting_data();
    void speedLimitFollowsTheSetting();
    void bodiesAreBounded_data();
    void bodiesAreBounded();
    void fullDriveIsNamed();
    void fileFetchLeavesErrorPagesUnread();
    void aggregatedTextsNeverDivideByZero_data();
    void aggregatedTextsNeverDivideByZero();

private:
    static Finished waitFinished(QSignalSpy &spy)
    {
        if (spy.isEmpty() && !spy.wait(20000))
            return {};
        return spy.takeFirst();
    }
    // Returns once everything queued for `object` so far has run (a late
    // report would have been delivered by then).
    static void flushQueued(QObject *object)
    {
        bool flushed = false;
        QMetaObject::invokeMethod(
            object, [&flushed] { flushed = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(flushed);
    }
    static QMap<QString, int> failuresOf(QSignalSpy &errors)
    {
        QMap<QString, int> map;
        for (const auto &args : errors)
            map.insert(args.at(0).toString(), args.at(1).toInt());
        return map;
    }
};

// A fresh download asks from byte 0 (the server answers 206 from 0); a partial
// file is resumed from its end and only the new bytes are reported. Both pass
// the declared size and digest.
void TestDownload::freshAndResumedDownloads()
{
    DownloadFixture fx;
    QVERIFY2(fx.publisher->isRunning(), qPrintable(fx.publisher->errorString()));
    // Large enough for the digest to fall behind the network now and then.
    const QByteArray data = patternBytes(24 * 1024 * 1024 + 17);
    const QString name = QStringLiteral("a_size_%1_md5_%2.bin").arg(data.size()).arg(QString::fromLatin1(md5Of(data)));
    const QString url = fx.serve(QStringLiteral("pkg/") + name, data);
    QDir().mkpath(fx.downloads(QString()));

    {
        KVDownloadManager fresh(url);
        QSignalSpy finished(&fresh, &KVDownloadManager::signalReplyFinished);
        QSignalSpy started(&fresh, &KVDownloadManager::signalStartConnect);
        fresh.startDownload(1);
        QCOMPARE(started.count(), 1);
        const Finished result = waitFinished(finished);
        QCOMPARE(result.value(0).toInt(), 206);
        QCOMPARE(result.value(1).toInt(), 0);
        QCOMPARE(result.value(2).toString(), QStringLiteral("success"));
        QCOMPARE(readAll(fx.downloads(name)), data);
        QVERIFY(!QFileInfo::exists(fx.downloads(name + QStringLiteral(".tmp"))));
    }

    QFile::remove(fx.downloads(name));
    writeBytes(fx.downloads(name + QStringLiteral(".tmp")), data.left(1000));
    KVDownloadManager resumed(url);
    QSignalSpy finished(&resumed, &KVDownloadManager::signalReplyFinished);
    QSignalSpy progress(&resumed, &KVDownloadManager::signalDownloadProcess);
    resumed.startDownload(1);
    QCOMPARE(resumed.resumeOffset(), qint64(1000));
    QCOMPARE(waitFinished(finished).value(0).toInt(), 206);
    qint64 reported = 0;
    for (const auto &args : progress)
        reported += args.at(0).value<KorvaneObject::DownloadingInfo>().bytesReceived;
    QCOMPARE(reported, qint64(data.size() - 1000));
    QCOMPARE(resumed.bytesTotal(), qint64(data.size()));
    QCOMPARE(readAll(fx.downloads(name)), data);
}

void TestDownload::partialOrFinalFileAlreadyThere()
{
    TestEnv env;
    // Nothing listens there: any request would fail.
    const QString url = QStringLiteral("http://127.0.0.1:1/files/g-1_origin_9_size_4096_md5_ab.7z");
    const QString partial = GameFiles::instance()->tempFilePath(url);
    writeBytes(partial, patternBytes(4096));
    {
        KVDownloadManager manager(url);
        QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
        manager.startDownload(1);
        QCOMPARE(finished.count(), 0); // from the event loop, without a request
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.first().at(0).toInt(), 200);
        QCOMPARE(finished.first().at(1).toInt(), 0);
        QCOMPARE(finished.first().at(2).toString(), QString());
        QVERIFY(!QFileInfo::exists(partial));
        QCOMPARE(readAll(GameFiles::instance()->downloadFilePath(url)), patternBytes(4096));
    }
    KVDownloadManager again(url);
    QSignalSpy finished(&again, &KVDownloadManager::signalReplyFinished);
    QSignalSpy downloaded(&again, &KVDownloadManager::signalDownloaded);
    again.startDownload(1);
    QCOMPARE(downloaded.count(), 1);
    QCOMPARE(finished.count(), 0);
    again.startDownload(1); // running without a request: ignored
    QCOMPARE(downloaded.count(), 1);
}

// A server that answers a resume with the whole file must not have it appended
// to the partial file: the file starts over and ends identical to the server's.
void TestDownload::serverIgnoringRangeRestartsThePartialFile()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QByteArray data = patternBytes(600 * 1024, 7);
    const QString url = fx.serve(QStringLiteral("b.bin"), data);
    writeBytes(fx.downloads(QStringLiteral("b.bin.tmp")), QByteArray(5000, 'x'));
    fx.publisher->setControl({{QStringLiteral("ignoreRange"), true}});

    KVDownloadManager manager(url);
    QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
    QSignalSpy progress(&manager, &KVDownloadManager::signalDownloadProcess);
    manager.startDownload(1);
    const Finished result = waitFinished(finished);
    QCOMPARE(result.value(0).toInt(), 200);
    QCOMPARE(result.value(1).toInt(), 0);
    QCOMPARE(readAll(fx.downloads(QStringLiteral("b.bin"))), data);
    // The 5000 bytes counted at the start are taken back.
    qint64 reported = 0;
    for (const auto &args : progress)
        reported += args.at(0).value<KorvaneObject::DownloadingInfo>().bytesReceived;
    QCOMPARE(reported, qint64(data.size() - 5000));
}

// A body cut short is a failure with a code; the bytes that came stay in the
// partial file and a new attempt completes the file from there.
void TestDownload::shortBodyFailsAndResumes()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QByteArray data = patternBytes(2 * 1024 * 1024, 3);
    const QString url = fx.serve(QStringLiteral("c.bin"), data);
    QDir().mkpath(fx.downloads(QString()));
    fx.publisher->setControl({{QStringLiteral("cutBodyAfter"), 700000}});
    {
        KVDownloadManager manager(url);
        QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
        manager.startDownload(1);
        const Finished result = waitFinished(finished);
        QCOMPARE(result.value(0).toInt(), -1);
        QCOMPARE(result.value(1).toInt(), int(QNetworkReply::RemoteHostClosedError));
        QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("c.bin"))));
        // What the network layer had not handed over when the connection broke is lost;
        // what is on disk is the file's beginning.
        const QByteArray partial = readAll(fx.downloads(QStringLiteral("c.bin.tmp")));
        QVERIFY(partial.size() > 0 && partial.size() <= 700000);
        QVERIFY(data.startsWith(partial));
        flushQueued(&manager);
        QCOMPARE(finished.count(), 0); // one report only
        manager.startDownload(1); // spent
        QCOMPARE(finished.count(), 0);
    }
    fx.publisher->setControl({});
    KVDownloadManager retry(url);
    QSignalSpy finished(&retry, &KVDownloadManager::signalReplyFinished);
    retry.startDownload(1);
    QVERIFY(retry.resumeOffset() > 0);
    QCOMPARE(waitFinished(finished).value(1).toInt(), 0);
    QCOMPARE(readAll(fx.downloads(QStringLiteral("c.bin"))), data);
}

// A stalled server fails after the time-out, an error page never reaches the
// partial file, and a missing file through the queue is a content error whose
// files are removed, while the other file of the package completes.
void TestDownload::stallErrorPageAndMissingFile()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QByteArray data = patternBytes(300000, 5);
    const QString url = fx.serve(QStringLiteral("d.bin"), data);
    writeBytes(fx.downloads(QStringLiteral("d.bin.tmp")), data.left(1234));

    fx.publisher->setControl({{QStringLiteral("stallMs"), 4000}});
    {
        KVDownloadManager manager(url);
        manager.setTransferTimeout(600);
        QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
        manager.startDownload(1);
        const Finished result = waitFinished(finished);
        QCOMPARE(result.value(0).toInt(), -1);
        QCOMPARE(result.value(1).toInt(), int(QNetworkReply::TimeoutError));
        QCOMPARE(readAll(fx.downloads(QStringLiteral("d.bin.tmp"))), data.left(1234));
    }
    fx.publisher->setControl({{QStringLiteral("status500"), true}});
    {
        KVDownloadManager manager(url);
        QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
        manager.startDownload(1);
        const Finished result = waitFinished(finished);
        QCOMPARE(result.value(1).toInt(), int(QNetworkReply::InternalServerError));
        QCOMPARE(readAll(fx.downloads(QStringLiteral("d.bin.tmp"))), data.left(1234));
    }
    fx.publisher->setControl({});

    const QString missing = fx.url(QStringLiteral("gone.bin"));
    writeBytes(fx.downloads(QStringLiteral("gone.bin.tmp")), "stale");
    QList<QPair<QString, QVariantMap>> events;
    DownloadCollaborators collaborators;
    collaborators.track = [&events](const QString &name, const QVariantMap &properties) {
        events.append({name, properties});
    };
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {url, missing};
    record.packageSize = data.size();
    engine.startDownload(record);
    QVERIFY(engine.isDownloading());
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(failuresOf(errors), (QMap<QString, int> {{missing, int(QNetworkReply::ContentNotFoundError)}}));
    QCOMPARE(finished.count(), 0);
    QVERIFY(!engine.isDownloading());
    QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("gone.bin.tmp"))));
    QCOMPARE(readAll(fx.downloads(QStringLiteral("d.bin"))), data);
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.first().first, QStringLiteral("launcher_downloadgame_finish"));
    QCOMPARE(events.first().second.value(QStringLiteral("downloadfail_code")).toInt(), 203);
}

void TestDownload::readBuffersAndNothingToDo()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    QStringList urls;
    for (const char *name : {"p1.bin", "p2.bin", "p3.bin"})
        urls << fx.serve(QString::fromLatin1(name), patternBytes(1000));
    fx.publisher->setControl({{QStringLiteral("stallMs"), 3000}});
    DownloadCollaborators collaborators;
    collaborators.rateLimit = 0;
    KVDownloadTaskManager engine(nullptr, collaborators);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = urls;
    record.packageSize = 3000;
    engine.startDownload(record);
    // Without a limit every file reads with the same buffer: the last one started
    // is not left with small reads.
    for (const QString &url : qAsConst(urls))
        QCOMPARE(engine.workers().value(url)->readBufferSize(), RangedTransfer::unlimitedBufferSize());
    QVERIFY(RangedTransfer::unlimitedBufferSize() >= 120 * 1024);
    QSignalSpy started(&engine, &DownloadInterface::signalStartConnect);
    QVERIFY(started.wait(2000));
    engine.startDownload(record); // running: ignored
    QCOMPARE(engine.workers().size(), 3);
    QSignalSpy stopped(&engine, &DownloadInterface::signalDownloadStop);
    engine.closeDownload();
    QVERIFY(stopped.wait(2000));
    fx.publisher->setControl({});

    for (int i = 0; i < 3; ++i)
        writeBytes(fx.downloads(QUrl(urls.at(i)).fileName()), patternBytes(1000));
    KVDownloadTaskManager done(nullptr, collaborators);
    QSignalSpy finished(&done, &DownloadInterface::signalReplyFinished);
    done.startDownload(record);
    QCOMPARE(finished.count(), 0); // never inside the call: the caller may not be listening yet
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toInt(), 200);
    QVERIFY(done.workers().isEmpty());
    QVERIFY(!done.isDownloading());
}

// A stop keeps the partial files and reports once; a new run resumes them and
// ends with the server's files. A close deletes what was downloaded.
void TestDownload::stopResumeAndClose()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QByteArray one = patternBytes(3 * 1024 * 1024, 11);
    const QByteArray two = patternBytes(3 * 1024 * 1024 + 5, 12);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {fx.serve(QStringLiteral("s1.bin"), one), fx.serve(QStringLiteral("s2.bin"), two)};
    record.packageSize = one.size() + two.size();

    DownloadCollaborators slow;
    slow.rateLimit = 2 * 1024 * 1024;
    {
        KVDownloadTaskManager engine(nullptr, slow);
        QSignalSpy stopped(&engine, &DownloadInterface::signalDownloadStop);
        engine.startDownload(record);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(fx.downloads(QStringLiteral("s1.bin.tmp"))).size() > 0
                && QFileInfo(fx.downloads(QStringLiteral("s2.bin.tmp"))).size() > 0,
            10000);
        engine.stopDownload();
        QVERIFY(stopped.wait(5000));
        flushQueued(&engine);
        QCOMPARE(stopped.count(), 1);
        QVERIFY(!engine.isDownloading());
        QVERIFY(QFileInfo(fx.downloads(QStringLiteral("s1.bin.tmp"))).size() < one.size());
    }
    {
        DownloadCollaborators fast;
        fast.rateLimit = 0;
        KVDownloadTaskManager engine(nullptr, fast);
        QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
        engine.startDownload(record);
        QVERIFY(finished.wait(20000));
        QCOMPARE(readAll(fx.downloads(QStringLiteral("s1.bin"))), one);
        QCOMPARE(readAll(fx.downloads(QStringLiteral("s2.bin"))), two);
    }
    QFile::remove(fx.downloads(QStringLiteral("s2.bin")));
    KVDownloadTaskManager engine(nullptr, slow);
    QSignalSpy stopped(&engine, &DownloadInterface::signalDownloadStop);
    engine.startDownload(record);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(fx.downloads(QStringLiteral("s2.bin.tmp"))).size() > 0, 10000);
    engine.closeDownload();
    QVERIFY(stopped.wait(5000));
    QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("s2.bin.tmp"))));
    QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("s2.bin"))));
    QVERIFY(QFileInfo::exists(fx.downloads(QStringLiteral("s1.bin")))); // not part of this run
}

// The limit is one budget for the whole engine, in KiB per second from the
// setting. (Its effect on the wall-clock rate is measured by bench/download.sh.)
void TestDownload::speedLimitIsOneBudgetFromTheSetting()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {server.url(QStringLiteral("/r1.bin")), server.url(QStringLiteral("/r2.bin"))};
    record.packageSize = 2000;
    HttpFixture::Reply late;
    late.delayMs = 60000;
    server.setReply("/r1.bin", late);
    server.setReply("/r2.bin", late);
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"), 400);

    KVDownloadTaskManager engine;
    engine.startDownload(record);
    const auto workers = engine.workers();
    QCOMPARE(workers.size(), 2);
    const auto limiter = workers.first()->rateLimiter();
    QVERIFY(limiter);
    QCOMPARE(limiter->rate(), qint64(400 * 1024));
    QCOMPARE(workers.last()->rateLimiter(), limiter);
    QSignalSpy stopped(&engine, &DownloadInterface::signalDownloadStop);
    engine.stopDownload();
    QVERIFY(stopped.wait(5000));
}

// The token bucket against its own clock: it starts empty, refills at the
// rate, and a pause never turns into more than a tenth of a second's burst.
void TestDownload::tokenBucket_data()
{
    QTest::addColumn<qint64>("rate");
    QTest::addColumn<qint64>("pauseMs");
    QTest::addColumn<qint64>("wanted");
    QTest::addColumn<qint64>("granted");
    QTest::addColumn<qint64>("nextBytes");
    QTest::addColumn<int>("nextMs");
    QTest::newRow("starts empty") << qint64(10000) << qint64(0) << qint64(100) << qint64(0) << qint64(1000) << 100;
    QTest::newRow("refills at the rate") << qint64(10000) << qint64(100) << qint64(5000) << qint64(1000) << qint64(1000)
                                         << 100;
    QTest::newRow("a pause is no burst") << qint64(10000) << qint64(60000) << qint64(1 << 20) << qint64(8192)
                                         << qint64(8192) << 820;
    QTest::newRow("a big rate") << qint64(4 << 20) << qint64(50) << qint64(1 << 20) << qint64(209715) << qint64(4 << 20)
                                << 100;
    QTest::newRow("no limit") << qint64(0) << qint64(0) << qint64(123456) << qint64(123456) << qint64(1) << 1;
}

void TestDownload::tokenBucket()
{
    QFETCH(qint64, rate);
    QFETCH(qint64, pauseMs);
    QFETCH(qint64, wanted);
    QFETCH(qint64, granted);
    QFETCH(qint64, nextBytes);
    QFETCH(int, nextMs);
    qint64 now = 1000;
    DownloadRateLimiter limiter(rate, [&now] { return now; });
    now += pauseMs;
    QCOMPARE(limiter.take(wanted), granted);
    // Whatever was left over shortens the wait for the next piece.
    QCOMPARE(limiter.msUntil(nextBytes), nextMs);
    now += nextMs;
    QCOMPARE(limiter.take(std::min(nextBytes, limiter.capacity())), std::min(nextBytes, limiter.capacity()));
}

namespace {

// The aggregation of an engine, fed by hand.
class AggregationProbe : public DownloadInterface
{
public:
    AggregationProbe(std::function<qint64()> clock, qint64 total)
        : DownloadInterface(nullptr, [&] {
            DownloadCollaborators c;
            c.clock = std::move(clock);
            return c;
        }())
    {
        m_totalBytes = total;
        restartClock();
    }
    using DownloadInterface::addProgress;
};

} // namespace

// One record at most a second, whatever the number of per-file records; its
// speed covers the bytes since the previous record.
void TestDownload::progressRecordsOncePerSecond_data()
{
    QTest::addColumn<QList<qint64>>("times"); // a per-file record of 100 bytes at each
    QTest::addColumn<QStringList>("records"); // percent and speed of each aggregated record
    QTest::newRow("not before a second") << QList<qint64> {100, 500, 1000} << QStringList();
    QTest::newRow("first after a second")
        << QList<qint64> {500, 999, 1001} << QStringList {QStringLiteral("3 299.0 B/S")};
    QList<qint64> every100;
    for (qint64 t = 100; t <= 3000; t += 100)
        every100.append(t);
    QTest::newRow("a record per chunk") << every100
                                        << QStringList {
                                               QStringLiteral("11 1000.0 B/S"), QStringLiteral("22 1000.0 B/S")};
    QTest::newRow("a quiet stretch") << QList<qint64> {1100, 6100}
                                     << QStringList {QStringLiteral("1 90.0 B/S"), QStringLiteral("2 20.0 B/S")};
}

void TestDownload::progressRecordsOncePerSecond()
{
    QFETCH(QList<qint64>, times);
    QFETCH(QStringList, records);
    qint64 now = 5000;
    AggregationProbe probe([&now] { return now; }, 10000);
    QStringList seen;
    connect(&probe, &DownloadInterface::signalDownloadProcess, [&seen](const KorvaneObject::DownloadingInfo &info) {
        seen.append(info.percent + QLatin1Char(' ') + info.downloadSpeed);
    });
    for (const qint64 t : times) {
        now = 5000 + t;
        probe.addProgress(100);
    }
    QCOMPARE(seen, records);
}

// Nothing but the declared file takes the final name: a file that can never
// become it is deleted as a content error (a retry starts over); a file whose
// name declares nothing is still held to what the server announced.
void TestDownload::hostileFileServers_data()
{
    const QByteArray data = patternBytes(100000, 9);
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("partial"); // in "<name>.tmp" before the start
    QTest::addColumn<bool>("declared"); // the name declares size and digest
    QTest::addColumn<int>("errorCode");
    const int content = RangedTransfer::ContentErrorCode;
    QTest::newRow("whole file") << "file" << QByteArray() << true << 0;
    QTest::newRow("resumed file") << "file" << data.left(40000) << true << 0;
    QTest::newRow("complete partial") << "file" << data << true << 0;
    QTest::newRow("complete partial, other content") << "file" << patternBytes(100000, 98) << true << content;
    QTest::newRow("changed since the partial") << "changed" << data.left(40000) << true << content;
    QTest::newRow("no length, half the body") << "half" << QByteArray() << true << content;
    QTest::newRow("206 with a smaller total") << "smaller total" << QByteArray() << true << content;
    QTest::newRow("endless body") << "endless" << QByteArray() << true << content;
    QTest::newRow("gzip bomb") << "gzip" << QByteArray() << true << content;
    QTest::newRow("206 of 100 bytes of the whole")
        << "short 206" << QByteArray() << false << int(RangedTransfer::IncompleteCode);
    QTest::newRow("resume answered from byte 0") << "from 0" << QByteArray(300, 'x') << false << 0;
}

void TestDownload::hostileFileServers()
{
    QFETCH(QString, mode);
    QFETCH(QByteArray, partial);
    QFETCH(bool, declared);
    QFETCH(int, errorCode);
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    const QByteArray data = patternBytes(100000, 9);
    const QString name = declared
        ? QStringLiteral("f_size_%1_md5_%2.bin").arg(data.size()).arg(QString::fromLatin1(md5Of(data)))
        : QStringLiteral("f.bin");
    server.setHandler('/' + name.toLatin1(),
        [mode, data](const HttpFixture::Request &request) { return hostileReply(mode, request, data); });
    const QString finalPath = env.filePath(QStringLiteral("Downloads/") + name);
    const QString partialPath = finalPath + QStringLiteral(".tmp");
    QDir().mkpath(env.filePath(QStringLiteral("Downloads")));
    if (!partial.isEmpty())
        writeBytes(partialPath, partial);

    KVDownloadManager manager(server.url(QLatin1Char('/') + name));
    QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
    manager.startDownload(1);
    const Finished result = waitFinished(finished);
    QCOMPARE(result.value(1).toInt(), errorCode);
    QCOMPARE(QFileInfo::exists(finalPath), errorCode == 0);
    if (errorCode == 0)
        QCOMPARE(readAll(finalPath), data);
    else if (errorCode == RangedTransfer::ContentErrorCode)
        QVERIFY(!QFileInfo::exists(partialPath));
    // Compressed bodies are never asked for.
    for (const auto &request : server.requests())
        QCOMPARE(request.header("Accept-Encoding"), QByteArray("identity"));
}

// A server that trickles fails as a network error once a window passes below
// the low-speed limit; a transfer held back by the user's own speed limit is
// never slow.
void TestDownload::lowSpeedLimit_data()
{
    QTest::addColumn<bool>("trickle");
    QTest::addColumn<qint64>("rateLimit");
    QTest::addColumn<qint64>("lowSpeed");
    QTest::addColumn<int>("errorCode");
    QTest::newRow("trickling server") << true << qint64(0) << qint64(1024) << int(QNetworkReply::TimeoutError);
    QTest::newRow("paced by the user's limit") << false << qint64(64 * 1024) << qint64(1 << 20) << 0;
}

void TestDownload::lowSpeedLimit()
{
    QFETCH(bool, trickle);
    QFETCH(qint64, rateLimit);
    QFETCH(qint64, lowSpeed);
    QFETCH(int, errorCode);
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    const QByteArray data = patternBytes(200 * 1024, 4);
    server.setHandler("/slow.bin", [trickle, data](const HttpFixture::Request &request) {
        HttpFixture::Reply reply = HttpFixture::fileReply(request, data);
        if (trickle) {
            reply.trickleBytes = 16;
            reply.trickleMs = 50;
        }
        return reply;
    });
    DownloadCollaborators collaborators;
    collaborators.rateLimit = rateLimit;
    collaborators.lowSpeedBytesPerSecond = lowSpeed;
    collaborators.lowSpeedWindowMs = 300;
    collaborators.giveUpAfterMs = 0; // the first failure is the run's, not retried
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {server.url(QStringLiteral("/slow.bin"))};
    record.packageSize = data.size();
    engine.startDownload(record);
    QTRY_VERIFY_WITH_TIMEOUT(errors.count() + finished.count() > 0, 20000);
    QCOMPARE(errors.isEmpty() ? 0 : errors.first().at(1).toInt(), errorCode);
    if (errorCode == 0)
        QCOMPARE(readAll(env.filePath(QStringLiteral("Downloads/slow.bin"))), data);
}

// One small-files task serves a whole batch: each file may restart from 0 once,
// not only the first (two stale partial files longer than their files).
void TestDownload::restartsOncePerFile()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    QTemporaryDir install;
    DownloadFileTask task;
    for (int i = 0; i < 2; ++i) {
        const QByteArray data = patternBytes(3000, 60 + i);
        const QByteArray path = "/s" + QByteArray::number(i);
        server.setHandler(
            path, [data](const HttpFixture::Request &request) { return HttpFixture::fileReply(request, data); });
        const QString dest = QString::fromLatin1(path.mid(1));
        writeBytes(install.filePath(dest + QStringLiteral(".tmp")), QByteArray(5000, 'x'));
        QSignalSpy finished(&task, &DownloadFileTask::signalReplyFinished);
        task.startDownload(server.url(QString::fromLatin1(path)), dest, install.path(), 1);
        QCOMPARE(waitFinished(finished).value(1).toInt(), 0);
        QCOMPARE(readAll(install.filePath(dest)), data);
    }
}

// An address whose last segment is no plain file name is refused before
// anything is written or asked for; the name check is the one the queue's
// clean-up uses too.
void TestDownload::unusableAddressesAreRefused_data()
{
    QTest::addColumn<QString>("segment");
    QTest::addColumn<QString>("name");
    QTest::newRow("back-slashes") << "..%5C..%5Cevil.dll" << QString();
    QTest::newRow("colon") << "c%3Aevil.dll" << QString();
    QTest::newRow("dot-dot") << "%2E%2E" << QString();
    QTest::newRow("dot") << "." << QString();
    QTest::newRow("control character") << "evil%0A.bin" << QString();
    QTest::newRow("folder") << "" << QString();
    QTest::newRow("plain") << "a%20b_size_3_md5.bin"
                           << "a b_size_3_md5.bin";
}

void TestDownload::unusableAddressesAreRefused()
{
    QFETCH(QString, segment);
    QFETCH(QString, name);
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    const QString url = server.url(QStringLiteral("/files/sub/") + segment);
    QCOMPARE(GameFiles::packageFileName(url), name);
    if (!name.isEmpty())
        return;
    QCOMPARE(GameFiles::instance()->downloadFilePath(url), QString());
    QCOMPARE(GameFiles::instance()->tempFilePath(url), QString());

    KVDownloadTaskManager engine;
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {url};
    record.packageSize = 3;
    engine.startDownload(record);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.first().at(1).toInt(), int(RangedTransfer::UnusableAddressCode));
    QVERIFY(engine.removeFailedFiles());
    QCOMPARE(server.requestCount(), 0);
    QCOMPARE(QDir(env.filePath(QStringLiteral("Downloads"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList());
}

// Writes failing in every worker of a run (a full disk) end the run once:
// one notice, then one stop, nothing after.
void TestDownload::fullDiskEndsTheRunOnce()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    HttpFixture::Reply late;
    late.delayMs = 60000;
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    for (const char *path : {"/d1.bin", "/d2.bin", "/d3.bin"}) {
        server.setReply(path, late);
        record.packageUrls.append(server.url(QString::fromLatin1(path)));
    }
    record.packageSize = 3 << 20;
    KVDownloadTaskManager engine;
    QStringList events;
    connect(&engine, &DownloadInterface::signalDirSpaceLimit, [&events] { events.append(QStringLiteral("dirspace")); });
    connect(&engine, &DownloadInterface::signalDownloadStop, [&events] { events.append(QStringLiteral("stop")); });
    connect(&engine, &DownloadInterface::signalDownloadError, [&events] { events.append(QStringLiteral("error")); });
    engine.startDownload(record);
    // Every worker's write fails in the same turn of the event loop, as on a full disk.
    for (KVDownloadManager *worker : engine.workers()) {
        worker->stopDownload();
        emit worker->signalDirSpaceLimit(QStringLiteral("1.0 MB"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("stop")), 5000);
    flushQueued(&engine);
    QCOMPARE(events, (QStringList {QStringLiteral("dirspace"), QStringLiteral("stop")}));
    QVERIFY(!engine.isDownloading());
}

// A stop and a start in one handler: a finish report of the old run still
// queued neither fails nor ends the new run, and the old run's stop is reported.
void TestDownload::staleReportsOfAStoppedRunAreDropped()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    HttpFixture::Reply late;
    late.delayMs = 60000;
    server.setReply("/old.bin", late);
    const QByteArray data = patternBytes(50000, 13);
    server.setHandler(
        "/new.bin", [data](const HttpFixture::Request &request) { return HttpFixture::fileReply(request, data); });
    GameVersionInfo oldRun;
    oldRun.latestVersion = QStringLiteral("1.0.0");
    oldRun.packageUrls = QStringList {server.url(QStringLiteral("/old.bin"))};
    GameVersionInfo newRun = oldRun;
    newRun.packageUrls = QStringList {server.url(QStringLiteral("/new.bin"))};
    newRun.packageSize = data.size();

    KVDownloadTaskManager engine;
    QSignalSpy stopped(&engine, &DownloadInterface::signalDownloadStop);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    engine.startDownload(oldRun);
    KVDownloadManager *old = engine.workers().value(oldRun.packageUrls.first());
    QVERIFY(old);
    // The old worker's failure is queued, then the caller restarts in the same turn.
    emit old->signalReplyFinished(404, int(QNetworkReply::ContentNotFoundError), QStringLiteral("gone"),
        old->realFilePath(), QString(), oldRun.packageUrls.first());
    engine.stopDownload();
    engine.startDownload(newRun);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().at(0).toInt(), 200);
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(readAll(env.filePath(QStringLiteral("Downloads/new.bin"))), data);
}

// A stop or close asked of an engine that runs nothing is answered like one of
// a running engine: one signalDownloadStop, so the caller can leave its busy state.
void TestDownload::stopOfAnIdleEngineIsReported_data()
{
    QTest::addColumn<bool>("smallFiles");
    QTest::addColumn<bool>("close");
    QTest::addColumn<bool>("afterARun");
    for (const bool smallFiles : {false, true}) {
        for (const bool close : {false, true}) {
            const QByteArray name = QByteArray(smallFiles ? "small files" : "packages") + (close ? " close" : " stop");
            QTest::newRow(name.constData()) << smallFiles << close << false;
            QTest::newRow((name + " after a run").constData()) << smallFiles << close << true;
        }
    }
}

void TestDownload::stopOfAnIdleEngineIsReported()
{
    QFETCH(bool, smallFiles);
    QFETCH(bool, close);
    QFETCH(bool, afterARun);
    TestEnv env;
    std::unique_ptr<DownloadInterface> engine;
    if (smallFiles)
        engine = std::make_unique<DownloadFilesManager>();
    else
        engine = std::make_unique<KVDownloadTaskManager>();
    QSignalSpy stopped(engine.get(), &DownloadInterface::signalDownloadStop);
    QSignalSpy finished(engine.get(), &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(engine.get(), &DownloadInterface::signalDownloadError);
    if (afterARun) {
        // A run that ends at once: nothing to fetch, or an unusable document.
        GameVersionInfo record;
        record.latestVersion = QStringLiteral("1.0.0");
        engine->startDownload(record);
        QTRY_VERIFY(finished.count() + errors.count() == 1);
    }
    QVERIFY(!engine->isDownloading());
    if (close)
        engine->closeDownload();
    else
        engine->stopDownload();
    QCOMPARE(stopped.count(), 0); // from the event loop, never inside the call
    QVERIFY(stopped.wait(2000));
    flushQueued(engine.get());
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(finished.count() + errors.count(), afterARun ? 1 : 0);
    QVERIFY(!engine->isDownloading());
}

// A limit saved in the settings while a file downloads is taken by the running
// transfer: a lifted limit lets it finish, a new one slows it down.
void TestDownload::speedLimitFollowsTheSetting_data()
{
    QTest::addColumn<int>("startKiB"); // 0: no limit
    QTest::addColumn<int>("changedKiB");
    QTest::newRow("lifted") << 16 << 0;
    QTest::newRow("set") << 0 << 16;
}

void TestDownload::speedLimitFollowsTheSetting()
{
    QFETCH(int, startKiB);
    QFETCH(int, changedKiB);
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    // 4 MiB at 64 KiB each 20 ms: a few seconds without a limit, minutes at 16 KiB/s.
    const QByteArray data = patternBytes(4 << 20, 21);
    server.setHandler("/big.bin", [data](const HttpFixture::Request &request) {
        HttpFixture::Reply reply = HttpFixture::fileReply(request, data);
        reply.trickleBytes = 64 * 1024;
        reply.trickleMs = 20;
        return reply;
    });
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"), startKiB);
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {server.url(QStringLiteral("/big.bin"))};
    record.packageSize = data.size();
    const QString partial = env.filePath(QStringLiteral("Downloads/big.bin.tmp"));

    KVDownloadTaskManager engine;
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    engine.startDownload(record);
    QTRY_VERIFY(QFileInfo(partial).size() > 0);
    DownloadRateLimiter::publishRate(qint64(changedKiB) * 1024);
    if (changedKiB == 0) {
        QVERIFY(finished.wait(30000)); // at 16 KiB/s this would take over four minutes
        QCOMPARE(finished.first().at(0).toInt(), 200);
    } else {
        QTest::qWait(300); // what was in flight when the limit came
        const qint64 before = QFileInfo(partial).size();
        QTest::qWait(1500);
        const qint64 grown = QFileInfo(partial).size() - before;
        // About 24 KiB at the new rate; without it the whole file would be done by now.
        QVERIFY2(grown < 200 * 1024, qPrintable(QString::number(grown)));
        QVERIFY(finished.isEmpty());
        engine.stopDownload();
    }
    DownloadRateLimiter::publishRate(0);
}

// What a transfer writes is bounded by what the server announced, or by the
// ceiling of its use when nothing is announced; an error page is not read to
// its end. Each ends at once instead of after the whole (endless) body.
void TestDownload::bodiesAreBounded_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentRange");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<qint64>("ceiling");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<qint64>("mostWritten");
    const int content = RangedTransfer::ContentErrorCode;
    QTest::newRow("206 past its total") << 206 << QByteArray("bytes 0-1048575/1048576") << true << qint64(0) << content
                                        << qint64(1 << 20);
    QTest::newRow("nothing announced, past the ceiling")
        << 200 << QByteArray() << true << qint64(1 << 20) << content << qint64(1 << 20);
    QTest::newRow("endless error page") << 404 << QByteArray() << true << qint64(0)
                                        << int(QNetworkReply::ContentNotFoundError) << qint64(0);
    QTest::newRow("long error page") << 503 << QByteArray() << false << qint64(0)
                                     << int(QNetworkReply::ServiceUnavailableError) << qint64(0);
}

void TestDownload::bodiesAreBounded()
{
    QFETCH(int, status);
    QFETCH(QByteArray, contentRange);
    QFETCH(bool, endless);
    QFETCH(qint64, ceiling);
    QFETCH(int, errorCode);
    QFETCH(qint64, mostWritten);
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    HttpFixture::Reply reply;
    reply.status = status;
    reply.contentType = "application/octet-stream";
    reply.body = patternBytes(256 * 1024, 5);
    reply.endless = endless;
    if (!contentRange.isEmpty())
        reply.headers.append(qMakePair(QByteArray("Content-Range"), contentRange));
    server.setReply("/f.bin", reply);

    KVDownloadManager manager(server.url(QStringLiteral("/f.bin")));
    manager.setBodyCeiling(ceiling);
    QSignalSpy finished(&manager, &KVDownloadManager::signalReplyFinished);
    manager.startDownload(1);
    const Finished result = waitFinished(finished);
    QCOMPARE(result.value(1).toInt(), errorCode);
    QVERIFY2(manager.bytesReceived() <= mostWritten + 1, qPrintable(QString::number(manager.bytesReceived())));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/f.bin"))));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/f.bin.tmp"))));
}

// A write the system refuses for want of space (the partial file is /dev/full)
// is logged as a full drive with its folder, and reported as one.
void TestDownload::fullDriveIsNamed()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("this system has no /dev/full");
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    const QByteArray data = patternBytes(100000, 8);
    server.setHandler(
        "/f.bin", [data](const HttpFixture::Request &request) { return HttpFixture::fileReply(request, data); });
    const QString downloads = env.filePath(QStringLiteral("Downloads"));
    QDir().mkpath(downloads);
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), downloads + QStringLiteral("/f.bin.tmp")));

    KVDownloadManager manager(server.url(QStringLiteral("/f.bin")));
    QSignalSpy full(&manager, &KVDownloadManager::signalDirSpaceLimit);
    LogCapture log;
    manager.startDownload(1);
    QVERIFY(full.wait(10000));
    QVERIFY(log.contains(QStringLiteral("the drive is full: ")));
    QVERIFY(log.contains(
        QStringLiteral(" free in [%1]; cannot write [f.bin.tmp]").arg(QFileInfo(downloads).absoluteFilePath())));
    QVERIFY(manager.isStopped());
    QVERIFY(!QFileInfo::exists(downloads + QStringLiteral("/f.bin")));
}

// An image download answered with an endless error page fails at its first
// data with the error of its status, and keeps no file.
void TestDownload::fileFetchLeavesErrorPagesUnread()
{
    TestEnv env;
    HttpFixture server;
    QVERIFY(server.listen());
    HttpFixture::Reply page;
    page.status = 404;
    page.contentType = "text/html";
    page.body = QByteArray(4096, 'x');
    page.endless = true;
    server.setReply("/poster.png", page);
    QNetworkAccessManager network;
    FileFetch fetch(&network, 64 << 20, 60000);
    QSignalSpy finished(&fetch, &FileFetch::finished);
    const QString path = env.filePath(QStringLiteral("poster.png"));
    QVERIFY(fetch.start(QUrl(server.url(QStringLiteral("/poster.png"))), path));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QCOMPARE(finished.first().at(2).toInt(), int(QNetworkReply::ContentNotFoundError));
    QVERIFY(!QFileInfo::exists(path));
}

void TestDownload::aggregatedTextsNeverDivideByZero_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("speed");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("timeLeft");
    QTest::newRow("normal") << qint64(42) << qint64(100) << qint64(2) << "42"
                            << "29s";
    QTest::newRow("no speed") << qint64(42) << qint64(100) << qint64(0) << "42"
                              << "--";
    QTest::newRow("no size") << qint64(42) << qint64(0) << qint64(10) << "0"
                             << "0s";
    QTest::newRow("more than announced") << qint64(150) << qint64(100) << qint64(10) << "100"
                                         << "0s";
    QTest::newRow("huge") << qint64(6) * 1024 * 1024 * 1024 * 1024 << qint64(8) * 1024 * 1024 * 1024 * 1024 << qint64(1)
                          << "75" << durationText(qint64(2) * 1024 * 1024 * 1024 * 1024);
}

void TestDownload::aggregatedTextsNeverDivideByZero()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(qint64, speed);
    QFETCH(QString, percent);
    QFETCH(QString, timeLeft);
    QCOMPARE(DownloadInterface::percentText(done, total), percent);
    QCOMPARE(DownloadInterface::timeLeftText(total - done, speed), timeLeft);
}

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
