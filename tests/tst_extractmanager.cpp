#include "extract/ziplibmanager.h"
#include "extract/zlibhelper.h"

#include "app/launcherconfig.h"
#include "install/gamefiles.h"
#include "support/testenv.h"

#include "extract_archives.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <functional>

using namespace TestArchives;

namespace {

const QString kVersion = QStringLiteral("1.4.0");

QString url(const QString &name)
{
    return QStringLiteral("http://cdn.example/game/1.4.0/") + name;
}

int unzipValue(const QString &packageUrl)
{
    return LauncherConfig::instance()->readInt(GameFiles::unzipGroup(kVersion), GameFiles::archiveKey(packageUrl));
}

// Tracks the manager's aggregated progress: it only grows and never passes the total.
struct ProgressCheck
{
    qlonglong lastValue = -1;
    qlonglong lastTotal = -1;
    bool sound = true;
    void attach(ZiplibManager *m)
    {
        QObject::connect(m, &ZiplibManager::sigProgress, [this](qlonglong v, qlonglong t) {
            if (v > t || v < lastValue)
                sound = false;
            lastValue = v;
            lastTotal = t;
        });
    }
};

} // namespace

class TestExtractManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void skipsRecordedPackages();
    void extractsAllAndEndsAtHundredPercent();
    void extractsArchivesSideBySide();
    void failedPackageIsDeletedAndMarked();
    void resumesAfterInterruption();
    void resetEndsTheManager();
    void cancelKeepsTheManagerUsable();
    void driveFailureKeepsTheArchive();
    void staleReportOfACancelledRunIsDropped();
    void archivesJoinTheRunAndGoOnceRecorded();

private:
    QString package(const QString &name, const QList<Entry> &entries, Format format = Format::Zip);
    QString installDir() const { return GameFiles::instance()->installDir(); }
    TestEnv *m_env = nullptr;
};

void TestExtractManager::init()
{
    m_env = new TestEnv;
    GameFiles::instance()->setInstallDir(m_env->filePath("game"));
}

void TestExtractManager::cleanup()
{
    delete m_env;
    m_env = nullptr;
}

// Writes a downloaded package for `name` and answers its URL.
QString TestExtractManager::package(const QString &name, const QList<Entry> &entries, Format format)
{
    const QString u = url(name);
    const QString path = GameFiles::instance()->downloadFilePath(u);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!write(path, entries, format))
        return QString();
    return u;
}

void TestExtractManager::skipsRecordedPackages()
{
    const QString a = url("a_origin_100_size_50_md5_1.zip");
    const QString b = url("b_origin_300_size_90_md5_2.zip");
    GameFiles::instance()->markArchiveExtracted(kVersion, a);
    GameFiles::instance()->markArchiveExtracted(kVersion, b);
    ZiplibManager manager;
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    manager.startExtract(kVersion, {a, b});
    QCOMPARE(finished.count(), 1);
    QVERIFY(!manager.isBusy());
}

// Names that misstate the unpacked size, an upper-case suffix and no suffix at all: the
// content decides the format, and the bar still ends at exactly its total.
void TestExtractManager::extractsAllAndEndsAtHundredPercent()
{
    const QString a = package("a_origin_100_size_50_md5_1.ZIP",
        {file("bin/game",
             "\x7f"
             "ELF",
             0755),
            file("data/a.txt", payload(300000, 'a'))});
    const QString b
        = package("b_origin_999999_size_90_md5_2", {file("data/b.txt", payload(200000, 'b'))}, Format::SevenZip);
    QVERIFY(!a.isEmpty() && !b.isEmpty());
    ZiplibManager manager;
    ProgressCheck progress;
    progress.attach(&manager);
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    QSignalSpy failed(&manager, &ZiplibManager::sigZipsError);
    manager.startExtract(kVersion, {a, b});
    QVERIFY(manager.isBusy());
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Extracting);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(failed.count(), 0);
    QVERIFY(!manager.isBusy());
    QVERIFY(progress.sound);
    QCOMPARE(progress.lastTotal, qlonglong(300000 + 200000 + 4));
    QCOMPARE(progress.lastValue, progress.lastTotal);
    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(b), 1);
    QCOMPARE(readFile(installDir() + "/data/b.txt"), payload(200000, 'b'));
    QVERIFY(QFileInfo(installDir() + "/bin/game").isExecutable());
}

// Two archives are in two workers at once: each worker, at its archive's first file, waits
// for the other to arrive at its own. One after another, the first would wait in vain.
void TestExtractManager::extractsArchivesSideBySide()
{
    QList<Entry> aFiles, bFiles;
    for (int i = 0; i < 3; ++i) {
        aFiles << file("a/f" + QByteArray::number(i), payload(200000, char('a' + i)));
        bFiles << file("b/f" + QByteArray::number(i), payload(300000, char('n' + i)));
    }
    const QString a = package("a_origin_600000_size_5_md5_1.zip", aFiles);
    const QString b = package("b_origin_900000_size_5_md5_2.7z", bFiles, Format::SevenZip);
    ZiplibManager manager;
    if (manager.workers().size() < 2)
        QSKIP("one core: the archives are extracted one after another");
    QSemaphore aArrived, bArrived;
    QAtomicInt alone = 0;
    for (ZlibHelper *worker : manager.workers()) {
        connect(
            worker, &ZlibHelper::sigProgressFile, worker,
            [&](const QString &name) {
                if (name == QLatin1String("a/f0")) {
                    aArrived.release();
                    if (!bArrived.tryAcquire(1, 30000))
                        alone.fetchAndAddOrdered(1);
                } else if (name == QLatin1String("b/f0")) {
                    bArrived.release();
                    if (!aArrived.tryAcquire(1, 30000))
                        alone.fetchAndAddOrdered(1);
                }
            },
            Qt::DirectConnection);
    }
    ProgressCheck progress;
    progress.attach(&manager);
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    manager.startExtract(kVersion, {a, b});
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 90000);
    QCOMPARE(alone.loadAcquire(), 0);
    QVERIFY(progress.sound);
    QCOMPARE(progress.lastTotal, qlonglong(600000 + 900000));
    QCOMPARE(progress.lastValue, progress.lastTotal);
    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(b), 1);
    QCOMPARE(readFile(installDir() + "/a/f2"), payload(200000, 'c'));
    QCOMPARE(readFile(installDir() + "/b/f2"), payload(300000, 'p'));
}

void TestExtractManager::failedPackageIsDeletedAndMarked()
{
    const QString a = package("a_origin_10_size_5_md5_1.zip", {file("a.txt", "alpha")});
    const QString bad = url("b_origin_10_size_5_md5_2.zip");
    writeFile(GameFiles::instance()->downloadFilePath(bad), "PK\x03\x04 damaged beyond repair");
    const QString c = package("c_origin_10_size_5_md5_3.7z", {file("c.txt", "gamma")}, Format::SevenZip);

    ZiplibManager manager;
    ProgressCheck progress;
    progress.attach(&manager);
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    QSignalSpy failed(&manager, &ZiplibManager::sigZipsError);
    QSignalSpy events(&manager, &ZiplibManager::sigTrackEvent);
    manager.startExtract(kVersion, {a, bad, c});
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(failed.first().at(0).toString(), QStringLiteral("extractError"));
    QCOMPARE(failed.first().at(1).toStringList(), QStringList {bad});
    QVERIFY(progress.sound);

    QCOMPARE(events.count(), 1);
    QCOMPARE(events.first().at(0).toString(), QStringLiteral("launcher_install_finish"));
    const QVariantMap props = events.first().at(1).toMap();
    QCOMPARE(props.value("result").toString(), QStringLiteral("fail"));
    QVERIFY(props.value("result_msg").toString().startsWith("BitException:"));
    QCOMPARE(props.value("fail_url").toString(), bad);

    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(c), 1);
    QCOMPARE(unzipValue(bad), 0);
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::ExtractFailed);
    QVERIFY(!QFileInfo::exists(GameFiles::instance()->downloadFilePath(bad)));
    QVERIFY(QFileInfo::exists(GameFiles::instance()->downloadFilePath(a)));
    QCOMPARE(readFile(installDir() + "/a.txt"), QByteArray("alpha"));
    QCOMPARE(readFile(installDir() + "/c.txt"), QByteArray("gamma"));
}

// Quit in the middle of the second package: the first stays recorded, the second is
// neither recorded nor deleted, and the next run extracts only the second.
void TestExtractManager::resumesAfterInterruption()
{
    const QString a = package("a_origin_5_size_5_md5_1.zip", {file("a.txt", "alpha")});
    QList<Entry> many;
    for (int i = 0; i < 6; ++i)
        many << file("b/f" + QByteArray::number(i), payload(100000, char('k' + i)));
    const QString b = package("b_origin_600000_size_5_md5_2.zip", many);

    auto *manager = new ZiplibManager;
    bool cancelled = false;
    for (ZlibHelper *worker : manager->workers()) {
        // Runs on the worker thread, as the manager's own cancel would, in the middle of b.
        connect(
            worker, &ZlibHelper::sigProgressFile, worker,
            [worker](const QString &name) {
                if (name == QLatin1String("b/f3"))
                    worker->cancel();
            },
            Qt::DirectConnection);
        connect(worker, &ZlibHelper::sigCancelled, this, [&] { cancelled = true; });
    }
    QSignalSpy failed(manager, &ZiplibManager::sigZipsError);
    manager->startExtract(kVersion, {a, b});
    // a may be extracted beside b: it is recorded once its worker has reported it.
    QTRY_VERIFY(cancelled && unzipValue(a) == 1);
    QVERIFY(manager->isBusy());
    delete manager; // the quit path

    QCOMPARE(failed.count(), 0);
    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(b), -1);
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Extracting);
    QVERIFY(QFileInfo::exists(GameFiles::instance()->downloadFilePath(b)));
    QVERIFY(!QFileInfo::exists(installDir() + "/b/f5"));

    QFile::remove(installDir() + "/a.txt");
    ZiplibManager again;
    QSignalSpy finished(&again, &ZiplibManager::unzipProgressFinish);
    again.startExtract(kVersion, {a, b});
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!QFileInfo::exists(installDir() + "/a.txt")); // skipped
    QCOMPARE(readFile(installDir() + "/b/f5"), payload(100000, char('k' + 5)));
    QCOMPARE(unzipValue(b), 1);
}

void TestExtractManager::resetEndsTheManager()
{
    const QString a = package("a_origin_5_size_5_md5_1.zip", {file("a.txt", "alpha")});
    ZiplibManager manager;
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    manager.startExtract(kVersion, {a});
    manager.resetExtract();
    QVERIFY(!manager.isBusy());
    manager.startExtract(kVersion, {a});
    QVERIFY(!manager.isBusy());
    QTRY_VERIFY(manager.workers().isEmpty()); // deleted on their threads
    QCOMPARE(finished.count(), 0);
}

void TestExtractManager::cancelKeepsTheManagerUsable()
{
    const QString a = package("a_origin_5_size_5_md5_1.zip", {file("a.txt", "alpha")});
    QList<Entry> many;
    for (int i = 0; i < 6; ++i)
        many << file("b/f" + QByteArray::number(i), payload(100000, char('k' + i)));
    const QString b = package("b_origin_600000_size_5_md5_2.zip", many);

    ZiplibManager manager;
    const QList<ZlibHelper *> workers = manager.workers();
    // The worker waits in the middle of b until the window has cancelled, so the cancel
    // always lands inside the archive; the window cancels once a, extracted beside b or
    // before it, is recorded.
    QSemaphore cancelled;
    std::function<void()> cancelWhenARecorded = [&] {
        if (unzipValue(a) != 1) {
            QMetaObject::invokeMethod(this, cancelWhenARecorded, Qt::QueuedConnection);
            return;
        }
        manager.cancelExtract();
        cancelled.release();
    };
    for (ZlibHelper *worker : workers) {
        connect(
            worker, &ZlibHelper::sigProgressFile, worker,
            [&](const QString &name) {
                if (name == QLatin1String("b/f2")) {
                    QMetaObject::invokeMethod(this, cancelWhenARecorded, Qt::QueuedConnection);
                    cancelled.acquire();
                }
            },
            Qt::DirectConnection);
    }
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    QSignalSpy failed(&manager, &ZiplibManager::sigZipsError);
    manager.startExtract(kVersion, {a, b});
    QTRY_VERIFY(!manager.isBusy());
    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(b), -1); // neither extracted nor failed: it runs again
    QVERIFY(QFileInfo::exists(GameFiles::instance()->downloadFilePath(b)));
    QCOMPARE(finished.count(), 0);
    QCOMPARE(failed.count(), 0);

    // The same manager extracts again with fresh workers.
    QVERIFY(!workers.contains(manager.workers().first()));
    manager.startExtract(kVersion, {a, b});
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(readFile(installDir() + "/b/f5"), payload(100000, char('k' + 5)));
    QCOMPARE(unzipValue(b), 1);
}

// A sound archive that failed for the drive is recorded as failed but kept: a download of
// many gigabytes is not thrown away because the disk was full.
void TestExtractManager::driveFailureKeepsTheArchive()
{
    const QString a = package("a_origin_10_size_5_md5_1.zip", {file("a.txt", "alpha")});
    ZiplibManager manager;
    ExtractLimits limits;
    limits.minFreeSpace = std::numeric_limits<qint64>::max() / 4;
    for (ZlibHelper *worker : manager.workers())
        worker->setLimits(limits);
    QSignalSpy failed(&manager, &ZiplibManager::sigZipsError);
    manager.startExtract(kVersion, {a});
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(1).toStringList(), QStringList {a});
    QCOMPARE(unzipValue(a), 0);
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::ExtractFailed);
    QVERIFY(QFileInfo::exists(GameFiles::instance()->downloadFilePath(a)));
    QVERIFY(!QFileInfo::exists(installDir() + "/a.txt"));
}

// The worker completes an archive just as the window cancels and starts again in one handler:
// the completion, still queued, belongs to the cancelled run and must not end the new one
// while its worker is still extracting the same archive.
void TestExtractManager::staleReportOfACancelledRunIsDropped()
{
    QList<Entry> many;
    for (int i = 0; i < 6; ++i)
        many << file("b/f" + QByteArray::number(i), payload(100000, char('k' + i)));
    const QString b = package("b_origin_600000_size_5_md5_2.zip", many);

    ZiplibManager manager;
    ZlibHelper *oldWorker = manager.workers().first(); // the first archive goes to the first worker
    QSemaphore handlerRunning, completionQueued, newWorkerMayRun;
    int finishedBeforeNewWorkerRan = -1;
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    QSignalSpy failed(&manager, &ZiplibManager::sigZipsError);

    // The window's handler: it runs while the old worker completes b, so the completion is
    // queued behind it.
    auto handler = [&] {
        handlerRunning.release();
        QVERIFY(completionQueued.tryAcquire(1, 60000));
        manager.cancelExtract();
        ZlibHelper *newWorker = manager.workers().first();
        connect(
            newWorker, &ZlibHelper::workStarted, newWorker, [&] { newWorkerMayRun.tryAcquire(1, 60000); },
            Qt::DirectConnection);
        manager.startExtract(kVersion, {b});
        // Runs after the queued completion: by then a stale report would have ended the run.
        QMetaObject::invokeMethod(
            this,
            [&] {
                finishedBeforeNewWorkerRan = finished.count();
                newWorkerMayRun.release();
            },
            Qt::QueuedConnection);
    };
    connect(
        oldWorker, &ZlibHelper::sigProgressFile, oldWorker,
        [&](const QString &name) {
            if (name == QLatin1String("b/f5")) {
                QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
                handlerRunning.tryAcquire(1, 60000);
            }
        },
        Qt::DirectConnection);
    // Connected after the manager, so the manager's copy of the report is queued first.
    connect(
        oldWorker, &ZlibHelper::sigProgress, oldWorker,
        [&](const QString &, qlonglong value, qlonglong total) {
            if (value == total)
                completionQueued.release();
        },
        Qt::DirectConnection);

    manager.startExtract(kVersion, {b});
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finishedBeforeNewWorkerRan, 0);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(readFile(installDir() + "/b/f5"), payload(100000, char('k' + 5)));
    QCOMPARE(unzipValue(b), 1);
    QVERIFY(!manager.isBusy());
}

// A package that downloads while it is extracted: an archive that arrives
// joins the running run, each is deleted once recorded, and the install
// stays recorded as a download.
void TestExtractManager::archivesJoinTheRunAndGoOnceRecorded()
{
    const QString a = package("a_origin_300000_size_9_md5_1.zip", {file("a.txt", payload(300000, 'a'))});
    const QString b = package("b_origin_200000_size_9_md5_2.zip", {file("b.txt", payload(200000, 'b'))});
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Downloading);
    ZiplibManager manager;
    manager.setDeleteExtracted(true);
    QSignalSpy extracted(&manager, &ZiplibManager::archiveExtracted);
    QSignalSpy finished(&manager, &ZiplibManager::unzipProgressFinish);
    manager.addArchives(kVersion, {a});
    manager.addArchives(kVersion, {a, b});
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(extracted.count(), 2);
    QCOMPARE(unzipValue(a), 1);
    QCOMPARE(unzipValue(b), 1);
    QVERIFY(!QFileInfo::exists(files->downloadFilePath(a)));
    QVERIFY(!QFileInfo::exists(files->downloadFilePath(b)));
    QCOMPARE(files->status(), InstallStatus::Downloading);
    QCOMPARE(readFile(installDir() + "/b.txt"), payload(200000, 'b'));
}

QTEST_GUILESS_MAIN(TestExtractManager)
#include "tst_extractmanager.moc"
