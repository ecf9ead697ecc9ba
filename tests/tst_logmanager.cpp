#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/logmanager.h"
#include "support/testenv.h"

#include <QtTest>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// A clock the test moves by hand.
struct FakeClock
{
    QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(9, 5, 3, 7));
    std::function<QDateTime()> function()
    {
        return [this] {
            return now;
        };
    }
};

const char kChildFlag[] = "--log-child";
const char kLoopEnded[] = "child: event loop ended";

// The launcher's start and end, in a process of its own: this executable run
// with kChildFlag, the application folder and what to do.
int runLogChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[3]);
    AppDir::setPath(QString::fromLocal8Bit(argv[2]));
    LogManager *log = LogManager::instance();
    qWarning("child line one");
    qWarning("child line two");
    if (mode == QLatin1String("quit")) {
        QTimer::singleShot(200, &app, &QCoreApplication::quit);
        app.exec();
        // The parent reads the log now; the process stays until it is done.
        std::puts(kLoopEnded);
        std::fflush(stdout);
        while (std::getchar() != EOF) { }
    } else if (mode == QLatin1String("fatal")) {
        qFatal("child gives up");
    } else if (mode == QLatin1String("unwritable")) {
        log->rolloverCheck(); // as the ten-minute timer does
        qWarning("child line three");
    }
    return 0;
}

} // namespace

class TestLogManager : public QObject
{
    Q_OBJECT

private slots:
    void levelSets_data();
    void levelSets();
    void lineFormatAndSetting();
    void bannerIgnoresTheLevel();
    void restartSameDayAppends();
    void startOnNewDayArchivesYesterday();
    void rolloverWhileRunning();
    void rolloverKeepsAnExistingDatedFile();
    void rolloverFailureIsLoggedAndLosesNothing();
    void installedHandlerWritesQtMessages();
    void concurrentMessagesDoNotInterleave();
    void unwritableFolderStillLogsToStdout();
    void linesReachTheFileAtTheEnd_data();
    void linesReachTheFileAtTheEnd();
    void unwritableFolderIsReportedOnce();
};

void TestLogManager::levelSets_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("passing"); // D I W E F
    QTest::newRow("absent counts as 4") << -1 << "-IW--";
    QTest::newRow("0 writes nothing") << 0 << "-----";
    QTest::newRow("1") << 1 << "----F";
    QTest::newRow("2") << 2 << "---E-";
    QTest::newRow("3") << 3 << "--W--";
    QTest::newRow("4") << 4 << "-IW--";
    QTest::newRow("5 is debug only") << 5 << "D----";
    QTest::newRow("6 writes everything") << 6 << "DIWEF";
    QTest::newRow("7 writes nothing") << 7 << "-----";
}

void TestLogManager::levelSets()
{
    QFETCH(int, level);
    QFETCH(QString, passing);
    const QtMsgType types[] = {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(LogManager::passes(types[i], level), passing.at(i) != QLatin1Char('-'));
}

void TestLogManager::lineFormatAndSetting()
{
    TestEnv env(1);
    FakeClock clock;
    LogManager log(env.filePath(QStringLiteral("logs")), clock.function());
    log.write(QtDebugMsg, QStringLiteral("hidden debug"));
    log.write(QtWarningMsg, QStringLiteral("disk is slow"));
    log.write(QtInfoMsg, QStringLiteral("中文 text"));

    // The setting is read for every message.
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("loglevel"), 5);
    log.write(QtWarningMsg, QStringLiteral("hidden warning"));
    log.write(QtDebugMsg, QStringLiteral("shown debug"));
    log.flush();

    const QString text = readAll(log.currentLogPath());
    QCOMPARE(text,
        QStringLiteral("[2026-12-08 09:05:03.007] [WARN]: disk is slow\n"
                       "[2026-12-08 09:05:03.007] [INFO]: 中文 text\n"
                       "[2026-12-08 09:05:03.007] [DEBUG]: shown debug\n"));
}

void TestLogManager::bannerIgnoresTheLevel()
{
    TestEnv env(1);
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("loglevel"), 0);
    FakeClock clock;
    LogManager log(env.filePath(QStringLiteral("logs")), clock.function());
    log.write(QtDebugMsg, LogManager::bannerText());
    log.write(QtWarningMsg, QStringLiteral("not written at level 0"));
    log.flush();
    QCOMPARE(LogManager::bannerText().size(), 115);
    QCOMPARE(readAll(log.currentLogPath()),
        QStringLiteral("[2026-12-08 09:05:03.007] ") + LogManager::bannerText() + QStringLiteral("\n\n"));
}

void TestLogManager::restartSameDayAppends()
{
    TestEnv env(1);
    const QString logs = env.filePath(QStringLiteral("logs"));
    FakeClock clock;
    clock.now = QDateTime::currentDateTime();
    {
        LogManager first(logs, clock.function());
        first.write(QtWarningMsg, QStringLiteral("first run"));
    }
    LogManager second(logs, clock.function());
    second.write(QtWarningMsg, QStringLiteral("second run"));
    second.flush();
    const QString text = readAll(second.currentLogPath());
    QVERIFY(text.contains(QLatin1String("first run")));
    QVERIFY(text.contains(QLatin1String("second run")));
    QCOMPARE(QDir(logs).entryList(QDir::Files), QStringList {QStringLiteral("log.txt")});
}

void TestLogManager::startOnNewDayArchivesYesterday()
{
    TestEnv env(1);
    env.writeFile(QStringLiteral("logs/log.txt"), "yesterday's line\n");
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    setModified(env.filePath(QStringLiteral("logs/log.txt")), yesterday);

    LogManager log(env.filePath(QStringLiteral("logs")));
    log.write(QtWarningMsg, QStringLiteral("today's line"));
    log.flush();

    const QString dated = env.filePath(QStringLiteral("logs/") + yesterday.date().toString(Qt::ISODate) + ".log");
    QCOMPARE(readAll(dated), QStringLiteral("yesterday's line\n"));
    const QString today = readAll(log.currentLogPath());
    QVERIFY(today.contains(QLatin1String("today's line")));
    QVERIFY(!today.contains(QLatin1String("yesterday")));
}

void TestLogManager::rolloverWhileRunning()
{
    TestEnv env(1);
    FakeClock clock;
    LogManager log(env.filePath(QStringLiteral("logs")), clock.function());
    log.write(QtWarningMsg, QStringLiteral("before midnight"));
    clock.now = clock.now.addDays(1);
    // Nothing moves until the check runs: lines just after midnight still go to the old day.
    log.write(QtWarningMsg, QStringLiteral("just after midnight"));
    log.rolloverCheck();
    log.write(QtWarningMsg, QStringLiteral("next day"));
    log.flush();

    const QString old = readAll(env.filePath(QStringLiteral("logs/2026-12-08.log")));
    QVERIFY(old.contains(QLatin1String("before midnight")));
    QVERIFY(old.contains(QLatin1String("just after midnight")));
    QVERIFY(!old.contains(QLatin1String("next day")));
    const QString current = readAll(log.currentLogPath());
    QVERIFY(current.contains(QLatin1String("next day")));
    QVERIFY(!current.contains(QLatin1String("midnight")));
}

void TestLogManager::rolloverKeepsAnExistingDatedFile()
{
    TestEnv env(1);
    env.writeFile(QStringLiteral("logs/2026-12-08.log"), "written earlier that day\n");
    FakeClock clock;
    LogManager log(env.filePath(QStringLiteral("logs")), clock.function());
    log.write(QtWarningMsg, QStringLiteral("later that day"));
    clock.now = clock.now.addDays(1);
    log.rolloverCheck();
    log.flush();

    const QString dated = readAll(env.filePath(QStringLiteral("logs/2026-12-08.log")));
    QVERIFY(dated.startsWith(QLatin1String("written earlier that day\n")));
    QVERIFY(dated.contains(QLatin1String("later that day")));
    QVERIFY(readAll(log.currentLogPath()).isEmpty());
}

void TestLogManager::rolloverFailureIsLoggedAndLosesNothing()
{
    // A folder squats on the dated name: the finished day cannot be archived.
    // The roll-over reports it through the log it holds locked, and the day's
    // lines stay in "log.txt" instead of being truncated away.
    TestEnv env(1);
    QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("logs/2026-12-08.log"))));
    FakeClock clock;
    LogManager log(env.filePath(QStringLiteral("logs")), clock.function());
    log.write(QtWarningMsg, QStringLiteral("precious line"));
    clock.now = clock.now.addDays(1);
    log.rolloverCheck();
    log.write(QtWarningMsg, QStringLiteral("next day"));
    log.flush();
    const QString text = readAll(log.currentLogPath());
    QVERIFY(text.contains(QLatin1String("precious line")));
    QVERIFY(text.contains(QLatin1String("Can not append the log to")));
    QVERIFY(text.indexOf(QLatin1String("Can not append")) < text.indexOf(QLatin1String("next day")));
}

void TestLogManager::installedHandlerWritesQtMessages()
{
    TestEnv env(1);
    LogManager *log = LogManager::instance();
    qWarning("through the handler");
    // A configuration rebuilt while the handler is installed warns about the
    // missing edition file; the handler asks for the same configuration. The
    // warning must neither deadlock nor be lost.
    env.setLauncherType(-1);
    QCOMPARE(LauncherConfig::launcherType(), 1);
    LauncherConfig::instance();
    qWarning("after the edition file went away");
    qDebug("debug is not written by default");
    log->flush();
    const QString text = readAll(log->currentLogPath());
    qInstallMessageHandler(nullptr);
    QVERIFY(text.contains(QLatin1String("[WARN]: through the handler")));
    QVERIFY(!text.contains(QLatin1String("debug is not written")));
    QVERIFY(text.contains(QLatin1String("[WARN]: after the edition file went away")));
    QVERIFY(text.contains(QLatin1String("[WARN]: Can not read the launcherType")));
}

void TestLogManager::concurrentMessagesDoNotInterleave()
{
    TestEnv env(1);
    LogManager log(env.filePath(QStringLiteral("logs")));
    constexpr int threads = 4;
    constexpr int perThread = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&log, t] {
            for (int i = 0; i < perThread; ++i)
                log.write(QtWarningMsg, QStringLiteral("thread %1 line %2 ").arg(t).arg(i).repeated(8));
        });
    }
    for (auto &worker : workers)
        worker.join();
    log.flush();
    const QStringList lines = readAll(log.currentLogPath()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), threads * perThread);
    const QRegularExpression whole(QStringLiteral("^\\[[0-9-]+ [0-9:.]+\\] \\[WARN\\]: (thread \\d+ line \\d+ ){8}$"));
    for (const QString &line : lines)
        QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
}

void TestLogManager::unwritableFolderStillLogsToStdout()
{
    TestEnv env(1);
    // A file where the log folder should be: the folder cannot be made.
    env.writeFile(QStringLiteral("logs"), "not a folder");
    LogManager log(env.filePath(QStringLiteral("logs")));
    log.write(QtWarningMsg, QStringLiteral("still fine"));
    log.flush();
    QCOMPARE(readAll(env.filePath(QStringLiteral("logs"))), QStringLiteral("not a folder"));
}

void TestLogManager::linesReachTheFileAtTheEnd_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("event loop quits after 200 ms") << "quit" << QString();
    QTest::newRow("return without an event loop") << "exit" << QString();
    QTest::newRow("fatal message") << "fatal"
                                   << "[FATAL]: child gives up";
}

void TestLogManager::linesReachTheFileAtTheEnd()
{
    // The flush timer runs once a second inside the event loop; a launcher
    // that ends sooner, or dies on a fatal message, must still leave its lines.
    QFETCH(QString, mode);
    QFETCH(QString, lastLine);
    TestEnv env(1);
    LauncherConfig::instance()->writeInt(QStringLiteral("Launcher"), QStringLiteral("loglevel"), 6);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {kChildFlag, env.appDir(), mode});
    QVERIFY(child.waitForStarted());

    if (mode == QLatin1String("quit")) {
        // Read while the process still runs: exit must not be what saved them.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += child.readAllStandardOutput()).contains(kLoopEnded), 20000);
    } else {
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), mode == QLatin1String("fatal") ? QProcess::CrashExit : QProcess::NormalExit);
    }
    const QString text = readAll(env.filePath(QStringLiteral("logs/log.txt")));
    QVERIFY2(text.contains(QLatin1String("[WARN]: child line one")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("[WARN]: child line two")), qPrintable(text));
    if (!lastLine.isEmpty())
        QVERIFY2(text.contains(lastLine), qPrintable(text));

    child.closeWriteChannel();
    QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished(20000));
}

void TestLogManager::unwritableFolderIsReportedOnce()
{
    TestEnv env(1);
    env.writeFile(QStringLiteral("logs"), "not a folder");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {kChildFlag, env.appDir(), QStringLiteral("unwritable")});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(child.readAllStandardError());
    QCOMPARE(err.count(QStringLiteral("Cannot write the log file")), 1);
    QVERIFY(QString::fromLocal8Bit(child.readAllStandardOutput()).contains(QLatin1String("child line three")));
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], kChildFlag) == 0)
        return runLogChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestLogManager test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_logmanager.moc"
