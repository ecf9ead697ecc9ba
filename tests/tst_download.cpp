// The package download engine against the publisher stand-in: ranged starts and
// resumes, a server's faults, the package queue's stop, close and failure
// handling, and the speed limit.

#include "downloadtestutil.h"

#include "app/launcherconfig.h"
#include "app/texts.h"
#include "download/downloadratelimiter.h"
#include "download/kvdownloadmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "install/gamefiles.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

using Finished = QList<QVariant>;

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
    void speedLimitHoldsAcrossParallelFiles();
    void aggregatedTextsNeverDivideByZero_data();
    void aggregatedTextsNeverDivideByZero();

private:
    static Finished waitFinished(QSignalSpy &spy)
    {
        if (spy.isEmpty() && !spy.wait(20000))
            return {};
        return spy.takeFirst();
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
// file is resumed from its end and only the new bytes are reported.
void TestDownload::freshAndResumedDownloads()
{
    DownloadFixture fx;
    QVERIFY2(fx.publisher->isRunning(), qPrintable(fx.publisher->errorString()));
    const QByteArray data = patternBytes(3 * 1024 * 1024 + 17);
    const QString url = fx.serve(QStringLiteral("pkg/a.bin"), data);
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
        QCOMPARE(readAll(fx.downloads(QStringLiteral("a.bin"))), data);
        QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("a.bin.tmp"))));
    }

    QFile::remove(fx.downloads(QStringLiteral("a.bin")));
    writeBytes(fx.downloads(QStringLiteral("a.bin.tmp")), data.left(1000));
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
    QCOMPARE(readAll(fx.downloads(QStringLiteral("a.bin"))), data);
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
        QCOMPARE(finished.count(), 1); // at once, without a request
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
        QTest::qWait(50);
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
    // The unlimited read buffer is shared out by the number of files started so far.
    QCOMPARE(engine.workers().value(urls.at(0))->readBufferSize(), qint64(122880));
    QCOMPARE(engine.workers().value(urls.at(1))->readBufferSize(), qint64(61440));
    QCOMPARE(engine.workers().value(urls.at(2))->readBufferSize(), qint64(40960));
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
        QTest::qWait(100);
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

// The limit is a rate for the whole engine: two files together stay within 15 %
// of it over ten seconds, measured from the bytes on disk.
void TestDownload::speedLimitHoldsAcrossParallelFiles()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const qint64 size = 8 * 1024 * 1024;
    GameVersionInfo record;
    record.latestVersion = QStringLiteral("1.0.0");
    record.packageUrls = QStringList {fx.serve(QStringLiteral("r1.bin"), patternBytes(size, 21)),
        fx.serve(QStringLiteral("r2.bin"), patternBytes(size, 22))};
    record.packageSize = 2 * size;
    // Through the setting, as the settings page stores it: KiB per second.
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("downloadspeed"), 400);
    const double limit = 400 * 1024;

    KVDownloadTaskManager engine;
    QSignalSpy progress(&engine, &DownloadInterface::signalDownloadProcess);
    const auto onDisk = [&] {
        return QFileInfo(fx.downloads(QStringLiteral("r1.bin.tmp"))).size()
            + QFileInfo(fx.downloads(QStringLiteral("r2.bin.tmp"))).size();
    };
    engine.startDownload(record);
    QTest::qWait(1000);
    QElapsedTimer clock;
    clock.start();
    const qint64 first = onDisk();
    QTest::qWait(10000);
    const double seconds = clock.elapsed() / 1000.0;
    const qint64 last = onDisk();
    const double rate = (last - first) / seconds;
    QVERIFY2(rate > limit * 0.85 && rate < limit * 1.15,
        qPrintable(QStringLiteral("%1 B/s against a limit of %2 B/s").arg(rate).arg(limit)));
    QVERIFY(QFileInfo(fx.downloads(QStringLiteral("r1.bin.tmp"))).size() > 0);
    QVERIFY(QFileInfo(fx.downloads(QStringLiteral("r2.bin.tmp"))).size() > 0);
    // The records show the paced speed and a time left that follows from it.
    QVERIFY(progress.count() >= 8);
    const auto info = progress.last().at(0).value<KorvaneObject::DownloadingInfo>();
    QVERIFY2(info.downloadSpeed.endsWith(QLatin1String("KB/S")), qPrintable(info.downloadSpeed));
    QVERIFY2(info.timeLeft.contains(QLatin1Char('s')), qPrintable(info.timeLeft));
    engine.stopDownload();
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
