// The launcher's process life, on the real executable copied into a temporary
// application folder: one copy at a time, a crash remembered until the next
// start, the orderly end on SIGTERM/SIGINT, and closing while a download runs.

#include "app/crashhandler.h"
#include "app/launcherconfig.h"
#include "app/launcherrestart.h"
#include "app/orderlyquit.h"
#include "app/singleinstanceguard.h"
#include "db/dbmanager.h"
#include "install/gameversioninfo.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "settings/crashnotice.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "support/launcherprocess.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/virtualscreen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

constexpr int StartMs = 60000;
constexpr int PortWaitMs = 120000;

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Where a button of a 1280 x 720 dialog surface at (0, 0) is, built here the same way.
QPoint centreOf(QWidget *surface, const char *name)
{
    surface->show();
    QTest::qWaitForWindowExposed(surface);
    auto *button = surface->findChild<QPushButton *>(QLatin1String(name));
    return button ? button->mapTo(surface, button->rect().center()) : QPoint();
}

qint64 partialBytes(const QString &folder)
{
    qint64 bytes = 0;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.tmp")}, QDir::Files);
    for (const QFileInfo &file : files)
        bytes += file.size();
    return bytes;
}

} // namespace

class TestProcessLife : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void secondCopyHandsOverToTheFirst();
    void killedCopyLeavesNoGuard();
    void terminationSignalQuitsInOrder_data();
    void terminationSignalQuitsInOrder();
    void quitRunsEveryStopStepOnce();
    void closingWhileDownloadingAsksThenQuits();
    void languageRestartLeavesOneLauncher();
    void crashIsNoticedAtTheNextStart();
    void crashNoticeSitsInTheWindow_data();
    void crashNoticeSitsInTheWindow();
    void damagedCrashRecordIsIgnored_data();
    void damagedCrashRecordIsIgnored();

private:
    std::unique_ptr<LauncherProcess> start();
    bool waitUntilUp(LauncherProcess &launcher);

    std::unique_ptr<TestEnv> m_env;
    QString m_program;
};

void TestProcessLife::init()
{
    m_env = std::make_unique<TestEnv>(1);
    // Debug lines show when the window is up; development points the
    // services at the local stand-in's address (nothing answers: fine).
    m_env->writeFile(QStringLiteral("config.ini"), "[Launcher]\nloglevel=6\nrunningtype=1\n");
    m_program = m_env->filePath(QStringLiteral("quillmere-launcher"));
    const QString built
        = QString::fromLocal8Bit(qgetenv("QUILLMERE_BUILD_DIR")) + QStringLiteral("/src/quillmere-launcher");
    QVERIFY2(QFile::copy(built, m_program), qPrintable(built));
}

void TestProcessLife::cleanup()
{
    m_env.reset();
}

std::unique_ptr<LauncherProcess> TestProcessLife::start()
{
    return std::make_unique<LauncherProcess>(m_program, m_env->appDir());
}

bool TestProcessLife::waitUntilUp(LauncherProcess &launcher)
{
    // The last line of the start, logged after the guard listens.
    const bool up = QTest::qWaitFor([&] { return launcher.said(QStringLiteral("Application Version:")); }, StartMs);
    if (!up)
        qWarning().noquote() << launcher.output();
    return up;
}

void TestProcessLife::secondCopyHandsOverToTheFirst()
{
    auto first = start();
    QVERIFY(waitUntilUp(*first));

    auto second = start();
    QVERIFY(second->process().waitForFinished(StartMs));
    QCOMPARE(second->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->process().exitCode(), 255); // -1
    QVERIFY2(!second->said(QStringLiteral("Application Version:")), qPrintable(second->output()));

    QTRY_VERIFY_WITH_TIMEOUT(
        first->said(QStringLiteral("The window is brought forward (visible yes, minimised no)")), StartMs);
    QVERIFY(first->said(QStringLiteral("Another copy of the launcher was started")));
    QCOMPARE(first->process().state(), QProcess::Running);
}

void TestProcessLife::killedCopyLeavesNoGuard()
{
    auto first = start();
    QVERIFY(waitUntilUp(*first));
    first->process().kill();
    QVERIFY(first->process().waitForFinished(StartMs));

    // The dead copy's lock and socket are still there; the next copy takes over...
    auto again = start();
    QVERIFY(waitUntilUp(*again));
    // ...and guards in its turn.
    auto third = start();
    QVERIFY(third->process().waitForFinished(StartMs));
    QCOMPARE(third->process().exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(again->said(QStringLiteral("The window is brought forward")), StartMs);
}

void TestProcessLife::terminationSignalQuitsInOrder_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (log-out)") << int(SIGTERM);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

void TestProcessLife::terminationSignalQuitsInOrder()
{
    QFETCH(int, signalNumber);
    auto launcher = start();
    QVERIFY(waitUntilUp(*launcher));
    launcher->signal(signalNumber);
    QVERIFY(launcher->process().waitForFinished(StartMs));
    QCOMPARE(launcher->process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher->process().exitCode(), 0);

    // The quit's own lines are the last ones: the log was flushed at the end.
    const QString log = readAll(m_env->filePath(QStringLiteral("logs/log.txt")));
    QVERIFY2(log.contains(QStringLiteral("Signal %1 received; quitting").arg(signalNumber)), qPrintable(log));
    QVERIFY2(log.contains(QLatin1String("Close the Application!")), qPrintable(log));
    QVERIFY2(!launcher->said(QStringLiteral("QThread: Destroyed while thread is still running")),
        qPrintable(launcher->output()));
    QVERIFY(!QFile::exists(m_env->filePath(QStringLiteral("crash.txt"))));
}

void TestProcessLife::quitRunsEveryStopStepOnce()
{
    DbManager database(m_env->filePath(QStringLiteral("AppData/test.sql3")));
    emit database.initWorker(QString());
    OrderlyQuit quit;
    QStringList steps;
    quit.setFinalStep([&] {
        steps << QStringLiteral("database");
        QVERIFY(database.stopWorker(3000));
    });
    quit.addStopHook([&] { steps << QStringLiteral("downloads"); });
    quit.addStopHook([&] { steps << QStringLiteral("watch thread"); });
    QSignalSpy stopped(&quit, &OrderlyQuit::stopped);
    connect(&quit, &OrderlyQuit::stopped, this, [&] { steps << QStringLiteral("stopped"); });

    // The tray, the close question and a signal may all ask at once.
    quit.request();
    quit.request();
    QVERIFY(steps.isEmpty()); // queued, never inside the caller
    QTRY_COMPARE(stopped.count(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(steps, QStringList({"downloads", "watch thread", "database", "stopped"}));
    QCOMPARE(stopped.count(), 1);
    QVERIFY(quit.isQuitting());
    // The worker's thread has ended: nothing is left running at exit.
    QVERIFY(database.stopWorker(0));
}

void TestProcessLife::closingWhileDownloadingAsksThenQuits()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
        "xdotool is not installed (scripts/bootstrap installs it)");
    VirtualScreen screen;
    QVERIFY2(!screen.display().isEmpty(), qPrintable(screen.error()));
    // The development environment's services are fixed to port 8686.
    QTemporaryDir first, second;
    QString output;
    const Tree version1 {{QStringLiteral("quillmere"), pseudoRandom(150000, 1)}};
    const Tree version2 {{QStringLiteral("quillmere"), pseudoRandom(150000, 2)}};
    QVERIFY2(PublisherProcess::makeUpdateContents(first.path(), second.path(), version1, version2, &output),
        qPrintable(output));
    // A demo or another stand-in may hold the port for a while: wait for it,
    // and fail rather than pass unseen when it stays taken.
    std::unique_ptr<PublisherProcess> publisher;
    const auto started = [&] {
        publisher = std::make_unique<PublisherProcess>(
            first.path(), QStringList {QStringLiteral("--port"), QStringLiteral("8686")});
        return publisher->isRunning();
    };
    QVERIFY2(QTest::qWaitFor(started, PortWaitMs), "port 8686 stays taken (a demo or another stand-in runs)");
    // 2 KiB/s keeps the download running until it is closed.
    m_env->writeFile(QStringLiteral("config.ini"), "[Launcher]\nloglevel=6\nrunningtype=1\ndownloadspeed=2\n");

    LauncherProcess launcher(m_program, m_env->appDir(),
        {{QStringLiteral("DISPLAY"), screen.display()}, {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}});
    QVERIFY(waitUntilUp(launcher));
    QTRY_VERIFY_WITH_TIMEOUT(
        launcher.said(QStringLiteral("Main button state: InstallSession::State::GetGame")), StartMs);

    // The install button (until it answers: the state is logged before the
    // window's page reaches the screen), then the path dialog's download
    // button (until the download starts: the dialog may not be on screen at
    // the first click).
    const QString asked = QStringLiteral("latestGameVersion : 1.0.0");
    for (int attempt = 0; attempt < 5 && !launcher.said(asked); ++attempt) {
        screen.click({718 + 168 + 283 / 2, 576 + 42 + 81 / 2});
        QTest::qWaitFor([&] { return launcher.said(asked); }, 5000);
    }
    QVERIFY(launcher.said(asked));
    DownloadPathSettingDialog::Collaborators where;
    where.versionInfo = [] {
        return GameVersionInfo();
    };
    DownloadPathSettingDialog pathDialog(where, nullptr, Qt::Dialog | Qt::FramelessWindowHint);
    const QPoint download = centreOf(&pathDialog, "pushButton_pathdownload");
    const QString downloading = QStringLiteral("Main button state: InstallSession::State::Downloading");
    for (int attempt = 0; attempt < 5 && !launcher.said(downloading); ++attempt) {
        screen.click(download);
        QTest::qWaitFor([&] { return launcher.said(downloading); }, 5000);
    }
    QVERIFY2(launcher.said(downloading), qPrintable(launcher.output().right(4000)));
    const QString downloads = m_env->filePath(QStringLiteral("Downloads"));
    QTRY_VERIFY_WITH_TIMEOUT(partialBytes(downloads) > 0, StartMs);

    // The close button asks first; confirmed, the launcher ends.
    screen.click({1280 - 24 - 36 / 2, 56 / 2});
    QTRY_VERIFY_WITH_TIMEOUT(launcher.said(QStringLiteral("Closing while the game downloads - asking first")), StartMs);
    QCOMPARE(launcher.process().state(), QProcess::Running);
    WarningDialogwithDoublebutton question(QStringLiteral("?"));
    question.setWindowFlags(Qt::FramelessWindowHint);
    screen.click(centreOf(&question, "pushButton_confrim"));

    QVERIFY(launcher.process().waitForFinished(StartMs));
    QCOMPARE(launcher.process().exitStatus(), QProcess::NormalExit);
    QVERIFY2(launcher.process().exitCode() == 0, qPrintable(launcher.output().right(4000)));
    QVERIFY2(launcher.said(QStringLiteral("Close the Application!")), qPrintable(launcher.output()));
    QVERIFY2(!launcher.said(QStringLiteral("QThread: Destroyed while thread is still running")),
        qPrintable(launcher.output()));
    QVERIFY(partialBytes(downloads) > 0); // resumed at the next start
}

void TestProcessLife::languageRestartLeavesOneLauncher()
{
    // This process plays the running launcher of the temporary folder: it
    // holds that launcher's guard and restarts through the launcher's restart.
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_env->appDir().toLocal8Bit());
    const auto restoreTmp = qScopeGuard([tmp] {
        if (tmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", tmp);
    });
    SingleInstanceGuard guard(LauncherConfig::instance()->manifestValue(QStringLiteral("app_displayname")));
    QCOMPARE(guard.claim(), SingleInstanceGuard::First);
    OrderlyQuit quit;
    QSignalSpy stopped(&quit, &OrderlyQuit::stopped);
    LauncherRestart::Collaborators c;
    c.program = m_program;
    c.quit = [&quit] {
        quit.request();
    };
    // The new copy must find the guard free, or it hands over to the dying copy.
    bool guardFreeAtStart = false;
    c.start = [&](const QString &program) {
        guardFreeAtStart = !QFile::exists(guard.lockPath());
        qint64 pid = 0;
        return QProcess::startDetached(program, {}, m_env->appDir(), &pid) ? pid : 0;
    };
    LauncherRestart restart(c);

    restart.restart(2); // Japanese
    QTRY_COMPARE(stopped.count(), 1);
    QCOMPARE(LauncherConfig::instance()->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")), 2);
    const qint64 pid = restart.finish(guard);
    QVERIFY(pid > 0);
    const auto stopCopy = qScopeGuard([pid] { ::kill(pid_t(pid), SIGKILL); });
    QVERIFY(guardFreeAtStart);

    // The new copy did not hand over to the old one: it is up, in the new language...
    const QString logPath = m_env->filePath(QStringLiteral("logs/log.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(readAll(logPath).contains(QLatin1String("Application Version:")), StartMs);
    QVERIFY2(readAll(logPath).contains(QLatin1String("Interface language ja (index 2)")), qPrintable(readAll(logPath)));
    // ...and it is the only one: a further copy hands over to it.
    auto another = start();
    QVERIFY(another->process().waitForFinished(StartMs));
    QCOMPARE(another->process().exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(
        readAll(logPath).contains(QLatin1String("Another copy of the launcher was started")), StartMs);
}

void TestProcessLife::crashIsNoticedAtTheNextStart()
{
    const QString record = m_env->filePath(QStringLiteral("crash.txt"));
    auto crashed = start();
    QVERIFY(waitUntilUp(*crashed));
    crashed->signal(SIGSEGV);
    QVERIFY(crashed->process().waitForFinished(StartMs));
    QCOMPARE(crashed->process().exitStatus(), QProcess::CrashExit);
    QVERIFY2(readAll(record).startsWith(QLatin1String("b ")), qPrintable(readAll(record)));
    const QString log = readAll(m_env->filePath(QStringLiteral("logs/log.txt")));
    QVERIFY2(log.contains(QLatin1String("[FATAL]: Sorry, the program has crashed and needs to close.Error Code-b ,")),
        qPrintable(log));

    auto next = start();
    QVERIFY(waitUntilUp(*next));
    QTRY_VERIFY_WITH_TIMEOUT(next->said(QStringLiteral("The crash notice is shown")), StartMs);
    QVERIFY2(next->said(QStringLiteral("The launcher crashed last time: Sorry, the program has crashed and needs to "
                                       "close.Error Code-b , Error Message-")),
        qPrintable(next->output()));
    QVERIFY(!QFile::exists(record));
}

void TestProcessLife::crashNoticeSitsInTheWindow_data()
{
    QTest::addColumn<bool>("windowShown");
    QTest::newRow("over the shown window") << true;
    QTest::newRow("on the screen, the window hidden") << false;
}

void TestProcessLife::crashNoticeSitsInTheWindow()
{
    QFETCH(bool, windowShown);
    QWidget window;
    window.setFixedSize(1280, 720);
    if (windowShown) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QPointer<WarningDialogWithSingleButton> notice = CrashNotice::open(&window, QStringLiteral("text"));
    QTRY_VERIFY(notice->isVisible());
    QVERIFY(notice->isModal());
    QCOMPARE(notice->isWindow(), !windowShown);
    // The dimmed surface covers the window, or stands at the screen's centre.
    const QRect around = windowShown ? window.rect() : QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(notice->geometry().center(), around.center());
    // The panel sits at the surface's centre, its text and buttons inside it.
    auto *panel = notice->findChild<QWidget *>(QStringLiteral("dialog_bg"));
    QVERIFY(panel);
    QCOMPARE(panel->geometry().center(), notice->rect().center());
    for (const char *part : {"warningMessage", "pushbutton_dialog_confrim", "pushButton_close"}) {
        auto *widget = notice->findChild<QWidget *>(QLatin1String(part));
        QVERIFY2(widget, part);
        const QRect inPanel(widget->mapTo(panel, QPoint()), widget->size());
        QVERIFY2(panel->rect().contains(inPanel), part);
    }
    notice->reject();
    QTRY_VERIFY(notice.isNull());
}

void TestProcessLife::damagedCrashRecordIsIgnored_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("code");
    QTest::newRow("signal 11 at an address") << QByteArray("b 1f00dcaf\n") << "b";
    QTest::newRow("abort") << QByteArray("6 0") << "6";
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("upper case") << QByteArray("B 1F\n") << QString();
    QTest::newRow("address past 32 bits") << QByteArray("b 123456789\n") << QString();
    QTest::newRow("markup") << QByteArray("b <b>x</b>\n") << QString();
}

void TestProcessLife::damagedCrashRecordIsIgnored()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, code);
    m_env->writeFile(QStringLiteral("crash.txt"), content);
    const CrashHandler::Record record = CrashHandler::readRecord(m_env->filePath(QStringLiteral("crash.txt")));
    QCOMPARE(record.code, code);
    QCOMPARE(record.isValid(), !code.isEmpty());
}

QTEST_MAIN(TestProcessLife)
#include "tst_processlife.moc"
