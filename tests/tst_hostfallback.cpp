// Failed package transfers taken up again against real file hosts (nginx):
// another host, backoff, Retry-After, a flapping host, and the bound.

#include "downloadtestutil.h"

#include "download/downloadcode.h"
#include "download/kvdownloadtaskmanager.h"
#include "download/transferretry.h"
#include "support/nginxhost.h"

#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// A package file of `size` bytes whose name declares its size and digest, put
// into `root`; returns its path below the root.
QString servePackage(const QString &root, const QString &stem, const QByteArray &data)
{
    const QString name
        = QStringLiteral("%1_size_%2_md5_%3.bin").arg(stem).arg(data.size()).arg(QString::fromLatin1(md5Of(data)));
    writeBytes(root + QLatin1Char('/') + name, data);
    return name;
}

GameVersionInfo recordOf(const QString &url, qint64 size)
{
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {url};
    record.packageSize = size;
    return record;
}

// No speed limit, no analytics.
DownloadCollaborators quietCollaborators()
{
    DownloadCollaborators collaborators;
    collaborators.rateLimit = 0;
    collaborators.track = [](const QString &, const QVariantMap &) {
    };
    return collaborators;
}

// The offsets of the range requests in the log, in order.
QList<qint64> rangeOffsets(const LogCapture &log)
{
    static const QRegularExpression pattern(QStringLiteral("strRange : bytes=(\\d+)-"));
    QList<qint64> offsets;
    for (const QString &line : log.matching(QStringLiteral("strRange : ")))
        offsets.append(pattern.match(line).captured(1).toLongLong());
    return offsets;
}

// A clock that only moves when a wait is scheduled: every wait passes at
// once, and its length is kept.
struct InjectedTime
{
    qint64 now = 0;
    QList<qint64> waits;
    std::function<void()> beforeCall;

    void install(DownloadCollaborators &collaborators)
    {
        collaborators.clock = [this] {
            return now;
        };
        collaborators.schedule = [this](qint64 ms, std::function<void()> call) {
            waits.append(ms);
            now += ms;
            if (beforeCall)
                beforeCall();
            QTimer::singleShot(0, std::move(call));
        };
    }
};

} // namespace

class TestHostFallback : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY2(NginxHost::isInstalled(), "nginx is not installed (scripts/bootstrap installs it)"); }
    void failureKinds_data();
    void failureKinds();
    void retryAfterAndJitter();
    void hostKilledMidPackage();
    void retryAfterHonoured();
    void flappingHostCompletes();
    void contentFaultFetchedOnceMore();
    void allHostsGoneGivesUpKeepingPartial();
};

void TestHostFallback::failureKinds_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    using K = TransferRetry::Kind;
    QTest::newRow("refused") << int(QNetworkReply::ConnectionRefusedError) << 0 << int(K::Network);
    QTest::newRow("time-out") << int(QNetworkReply::TimeoutError) << 0 << int(K::Network);
    QTest::newRow("short body") << codeValue(DownloadCode::Incomplete) << 206 << int(K::Network);
    QTest::newRow("503") << int(QNetworkReply::ServiceUnavailableError) << 503 << int(K::Network);
    QTest::newRow("429") << int(QNetworkReply::UnknownContentError) << 429 << int(K::Network);
    QTest::newRow("408") << int(QNetworkReply::UnknownContentError) << 408 << int(K::Network);
    QTest::newRow("404") << int(QNetworkReply::ContentNotFoundError) << 404 << int(K::Content);
    QTest::newRow("digest") << codeValue(DownloadCode::ContentError) << 206 << int(K::Content);
    QTest::newRow("unusable address") << codeValue(DownloadCode::UnusableAddress) << 0 << int(K::Final);
}

void TestHostFallback::failureKinds()
{
    QFETCH(int, error);
    QFETCH(int, status);
    QFETCH(int, kind);
    QCOMPARE(int(TransferRetry::classify(error, status)), kind);
}

void TestHostFallback::retryAfterAndJitter()
{
    const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    QCOMPARE(TransferRetry::retryAfterMs("7", now), qint64(7000));
    QCOMPARE(TransferRetry::retryAfterMs("Fri, 02 Jan 2026 03:04:35 GMT", now), qint64(30000));
    QCOMPARE(TransferRetry::retryAfterMs("soon", now), qint64(-1));
    QCOMPARE(TransferRetry::retryAfterMs("-3", now), qint64(-1));
    // Full jitter: anywhere from nothing to the doubled ceiling, never past the cap.
    QCOMPARE(TransferRetry::backoffMs(0, 1000, 60000, 0.0), qint64(0));
    QCOMPARE(TransferRetry::backoffMs(3, 1000, 60000, 0.5), qint64(4000));
    QCOMPARE(TransferRetry::backoffMs(40, 1000, 60000, 1.0), qint64(60000));
}

// The package's own host is stopped in the middle: the rest comes from the
// mirror, from where the partial file ends, and the file is whole.
void TestHostFallback::hostKilledMidPackage()
{
    TestEnv env;
    QTemporaryDir root;
    const QByteArray data = patternBytes(8 << 20, 3);
    const QString name = servePackage(root.path(), QStringLiteral("mid"), data);
    const NginxHost::Options paced {QStringLiteral("limit_rate 2m;")};
    NginxHost first(root.path(), paced);
    NginxHost second(root.path(), paced);
    QVERIFY2(first.isRunning() && second.isRunning(), qPrintable(first.errorString() + second.errorString()));

    LogCapture log;
    DownloadCollaborators collaborators = quietCollaborators();
    collaborators.mirrors = QStringList {second.baseUrl()};
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(recordOf(first.baseUrl() + QLatin1Char('/') + name, data.size()));
    const QString partial = env.filePath(QStringLiteral("Downloads/") + name + QStringLiteral(".tmp"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(partial).size() > (2 << 20), 20000);
    first.stop();
    const qint64 keptAtStop = QFileInfo(partial).size();

    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 30000);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(readAll(env.filePath(QStringLiteral("Downloads/") + name)), data);
    const QList<qint64> offsets = rangeOffsets(log);
    QCOMPARE(offsets.size(), 2);
    QCOMPARE(offsets.first(), qint64(0));
    QVERIFY2(offsets.last() >= keptAtStop, qPrintable(QString::number(offsets.last())));
    QVERIFY(log.contains(QStringLiteral("from host : ") + second.baseUrl()));
}

// A host answering 503 with Retry-After: the next attempt waits that long.
void TestHostFallback::retryAfterHonoured()
{
    TestEnv env;
    QTemporaryDir root;
    const QByteArray data = patternBytes(64 * 1024, 4);
    const QString name = servePackage(root.path() + QStringLiteral("/files"), QStringLiteral("busy"), data);
    const QString flag = root.filePath(QStringLiteral("busy"));
    writeBytes(flag, "1");
    NginxHost host(root.filePath(QStringLiteral("files")),
        {QStringLiteral("if (-f %1) { add_header Retry-After 7 always; return 503; }").arg(flag)});
    QVERIFY2(host.isRunning(), qPrintable(host.errorString()));

    DownloadCollaborators collaborators = quietCollaborators();
    collaborators.random = [] {
        return 0.0;
    }; // the backoff alone would not wait at all
    InjectedTime time;
    time.install(collaborators);
    time.beforeCall = [&flag] {
        QFile::remove(flag);
    };
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(recordOf(host.baseUrl() + QLatin1Char('/') + name, data.size()));
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 20000);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(time.waits, QList<qint64> {7000});
    QCOMPARE(readAll(env.filePath(QStringLiteral("Downloads/") + name)), data);
}

// One host that is up for 2 s, then down for 3 s, over and over; at 512 KiB/s the
// 10 MiB file needs about a minute of that (QUILLMERE_FLAP="upMs,downMs,KiB" sets
// other periods and sizes).
void TestHostFallback::flappingHostCompletes()
{
    const QStringList flap = qEnvironmentVariable("QUILLMERE_FLAP", QStringLiteral("2000,3000,10240")).split(',');
    QCOMPARE(flap.size(), 3);
    const int upMs = flap.at(0).toInt();
    const int downMs = flap.at(1).toInt();
    TestEnv env;
    QTemporaryDir root;
    const QByteArray data = patternBytes(flap.at(2).toLongLong() * 1024, 5);
    const QString name = servePackage(root.path(), QStringLiteral("flap"), data);
    NginxHost host(root.path(), {QStringLiteral("limit_rate 512k;")});
    QVERIFY2(host.isRunning(), qPrintable(host.errorString()));

    LogCapture log;
    DownloadCollaborators collaborators = quietCollaborators();
    collaborators.backoffFirstMs = 250;
    collaborators.backoffCapMs = 1000;
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy finished(&engine, &DownloadInterface::signalReplyFinished);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QTimer flapper;
    flapper.setSingleShot(true);
    connect(&flapper, &QTimer::timeout, &flapper, [&] {
        if (host.isRunning())
            host.stop();
        else
            QVERIFY(host.start());
        flapper.start(host.isRunning() ? upMs : downMs);
    });
    flapper.start(upMs);
    QElapsedTimer flapping;
    flapping.start();
    engine.startDownload(recordOf(host.baseUrl() + QLatin1Char('/') + name, data.size()));
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() + errors.count() > 0, 120000);
    flapper.stop();
    qInfo("the host flapped for %lld ms", static_cast<long long>(flapping.elapsed()));
    QCOMPARE(errors.count(), 0);
    QVERIFY(rangeOffsets(log).size() > 1); // it was cut at least once
    QCOMPARE(readAll(env.filePath(QStringLiteral("Downloads/") + name)), data);
}

// A file that is not what its name declares is fetched once more from its
// start, then reported; the bad file is not kept.
void TestHostFallback::contentFaultFetchedOnceMore()
{
    TestEnv env;
    QTemporaryDir root;
    const QByteArray data = patternBytes(32 * 1024, 6);
    const QString name = QStringLiteral("bad_size_%1_md5_%2.bin").arg(data.size()).arg(QString(32, QLatin1Char('0')));
    writeBytes(root.filePath(name), data);
    NginxHost host(root.path());
    QVERIFY2(host.isRunning(), qPrintable(host.errorString()));

    LogCapture log;
    DownloadCollaborators collaborators = quietCollaborators();
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    engine.startDownload(recordOf(host.baseUrl() + QLatin1Char('/') + name, data.size()));
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.first().at(1).toInt(), codeValue(DownloadCode::ContentError));
    QCOMPARE(rangeOffsets(log), (QList<qint64> {0, 0}));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/") + name + QStringLiteral(".tmp"))));
}

// Every host gone: retried (and said so) until nothing came for the bound,
// then reported, with the partial file as it was.
void TestHostFallback::allHostsGoneGivesUpKeepingPartial()
{
    TestEnv env;
    QTemporaryDir root;
    const QByteArray data = patternBytes(64 * 1024, 7);
    const QString name = servePackage(root.path(), QStringLiteral("gone"), data);
    const QString partial = env.filePath(QStringLiteral("Downloads/") + name + QStringLiteral(".tmp"));
    writeBytes(partial, data.left(20000));
    NginxHost first(root.path());
    NginxHost second(root.path());
    QVERIFY(first.isRunning() && second.isRunning());
    first.stop();
    second.stop();

    DownloadCollaborators collaborators = quietCollaborators();
    collaborators.mirrors = QStringList {second.baseUrl()};
    collaborators.random = [] {
        return 0.999;
    };
    InjectedTime time;
    time.install(collaborators);
    KVDownloadTaskManager engine(nullptr, collaborators);
    QSignalSpy errors(&engine, &DownloadInterface::signalDownloadError);
    QSignalSpy progress(&engine, &DownloadInterface::signalDownloadProcess);
    engine.startDownload(recordOf(first.baseUrl() + QLatin1Char('/') + name, data.size()));
    QVERIFY(errors.wait(60000));
    QVERIFY2(time.now >= collaborators.giveUpAfterMs, qPrintable(QString::number(time.now)));
    QCOMPARE(readAll(partial), data.left(20000));
    QVERIFY(!progress.isEmpty());
    QVERIFY(progress.last().first().value<KorvaneObject::DownloadingInfo>().retryInSeconds > 0);
}

QTEST_GUILESS_MAIN(TestHostFallback)
#include "tst_hostfallback.moc"
