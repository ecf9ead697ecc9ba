// The package engine in a separate process (bench/download_bench): killed in the
// middle of a download and started again, and writing to a size-limited disk.

#include "downloadtestutil.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QString benchPath()
{
    return QString::fromLocal8Bit(qgetenv("QUILLMERE_BUILD_DIR")) + QStringLiteral("/bench/download_bench");
}

// A child whose files may not grow past `limit` bytes, as on a full disk: writes
// past it fail with EFBIG (the signal that would end the process is ignored).
class LimitedProcess : public QProcess
{
public:
    explicit LimitedProcess(rlim_t limit)
        : m_limit(limit)
    { }

protected:
    void setupChildProcess() override
    {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {m_limit, m_limit};
        setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    rlim_t m_limit;
};

} // namespace

class TestDownloadProcess : public QObject
{
    Q_OBJECT

private slots:
    void killedDownloadResumesToTheServersFiles();
    void fullDiskStopsAndKeepsThePartialFile();
};

void TestDownloadProcess::killedDownloadResumesToTheServersFiles()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    QVERIFY2(QFileInfo(benchPath()).isExecutable(), qPrintable(benchPath()));
    QList<QByteArray> data;
    QStringList args {QStringLiteral("--speed"), QStringLiteral("3072"), fx.env.appDir(), QStringLiteral("package")};
    qint64 total = 0;
    QStringList urls;
    for (int i = 0; i < 3; ++i) {
        data.append(patternBytes(4 * 1024 * 1024 + i * 333, 40 + i));
        urls << fx.serve(QStringLiteral("k%1.bin").arg(i), data.last());
        total += data.last().size();
    }
    args << QString::number(total) << urls;

    QProcess first;
    first.start(benchPath(), args);
    QVERIFY(first.waitForStarted());
    const auto onDisk = [&] {
        qint64 sum = 0;
        for (int i = 0; i < 3; ++i)
            sum += QFileInfo(fx.downloads(QStringLiteral("k%1.bin.tmp").arg(i))).size();
        return sum;
    };
    QTRY_VERIFY_WITH_TIMEOUT(onDisk() > 2 * 1024 * 1024, 15000);
    first.kill(); // SIGKILL
    QVERIFY(first.waitForFinished());
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);
    QVERIFY(onDisk() < total);

    QProcess second;
    args.removeFirst();
    args.removeFirst(); // no limit this time
    second.start(benchPath(), args);
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().contains("finished 200"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(md5Of(readAll(fx.downloads(QStringLiteral("k%1.bin").arg(i)))), md5Of(data.at(i)));
}

void TestDownloadProcess::fullDiskStopsAndKeepsThePartialFile()
{
    DownloadFixture fx;
    QVERIFY(fx.publisher->isRunning());
    const QByteArray data = patternBytes(3 * 1024 * 1024, 50);
    const QString url = fx.serve(QStringLiteral("full.bin"), data);
    QDir().mkpath(fx.downloads(QString()));

    LimitedProcess child(1024 * 1024);
    child.start(benchPath(), {fx.env.appDir(), QStringLiteral("package"), QString::number(data.size()), url});
    QVERIFY(child.waitForFinished(30000));
    const QByteArray output = child.readAllStandardOutput();
    QCOMPARE(child.exitCode(), 2);
    QVERIFY2(output.contains("dirspace"), output.constData());
    QVERIFY(!QFileInfo::exists(fx.downloads(QStringLiteral("full.bin"))));
    const QByteArray partial = readAll(fx.downloads(QStringLiteral("full.bin.tmp")));
    QVERIFY(partial.size() > 0 && partial.size() <= 1024 * 1024);
    QVERIFY(data.startsWith(partial));

    // With room again, the download resumes from what was kept.
    QProcess again;
    again.start(benchPath(), {fx.env.appDir(), QStringLiteral("package"), QString::number(data.size()), url});
    QVERIFY(again.waitForFinished(30000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(readAll(fx.downloads(QStringLiteral("full.bin"))), data);
}

QTEST_GUILESS_MAIN(TestDownloadProcess)
#include "tst_downloadprocess.moc"
