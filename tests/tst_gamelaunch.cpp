#include "app/launcherconfig.h"
#include "content/notificationplugin.h"
#include "home/notificationview.h"
#include "install/gamefiles.h"
#include "launch/checkprocessthread.h"
#include "launch/gamelauncher.h"
#include "mainwindow/mainwindow.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTranslator>
#include <QtTest>

#include <signal.h>

// Play: the game starts detached in its own folder, the window steps aside
// and comes back when that very process ends; a game that cannot start
// leaves the window where it is with a notice.
namespace {

void writeFile(const QString &path, const QByteArray &content = "x", bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

class TestGameLaunch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void playHidesAndTheEndOfTheGameBringsTheWindowBack_data();
    void playHidesAndTheEndOfTheGameBringsTheWindowBack();
    void unstartableGameKeepsTheWindow_data();
    void unstartableGameKeepsTheWindow();
    void leftoverArchives();
    void processNameMatch_data();
    void processNameMatch();

private:
    MainWindow::Collaborators collaborators();

    QTranslator m_translator;
    QStringList m_events;
};

void TestGameLaunch::initTestCase()
{
    quillmereInitUiResources();
    QVERIFY(m_translator.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_translator);
}

MainWindow::Collaborators TestGameLaunch::collaborators()
{
    m_events.clear();
    MainWindow::Collaborators c;
    c.track = [this](const QString &event, const QVariantMap &) {
        m_events << event;
    };
    return c;
}

// With a notification alert open, Play closes it as seen, without the
// dismissal that would bring the launcher back over the starting game.
void TestGameLaunch::playHidesAndTheEndOfTheGameBringsTheWindowBack_data()
{
    QTest::addColumn<bool>("alertOpen");
    QTest::newRow("no alert") << false;
    QTest::newRow("alert open") << true;
}

void TestGameLaunch::playHidesAndTheEndOfTheGameBringsTheWindowBack()
{
    QFETCH(bool, alertOpen);
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    // A game that runs until it is told to stop; the stored folder is empty,
    // so the game must start in its own folder.
    writeFile(files->gameExePath(), "#!/bin/sh\nexec sleep 60\n", true);
    writeFile(env.filePath(QStringLiteral("Downloads/q_a.7z")));
    writeFile(env.filePath(QStringLiteral("Downloads/q_b.zip")));

    NotificationPlugin::Collaborators alertParts;
    alertParts.activityBase = [] {
        return QStringLiteral("http://127.0.0.1:9");
    };
    NotificationPlugin alerts(alertParts);
    MainWindow::Collaborators c = collaborators();
    c.home.notificationPlugin = &alerts;
    MainWindow window(c);
    window.gameLauncher()->setWatchDelay(0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy watched(window.gameLauncher(), &GameLauncher::watched);
    QPointer<NotificationView> alert;
    if (alertOpen) {
        emit alerts.alertReady(7, QStringLiteral("Quillmere 1.1.0"), QStringLiteral("A new level"), QImage());
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *view = qobject_cast<NotificationView *>(widget))
                alert = view;
        }
        QVERIFY(alert && alert->isVisible());
    }

    window.launchGame();
    QTRY_VERIFY(!alert);
    const qint64 pid = window.gameLauncher()->processId();
    QVERIFY(pid > 0);
    QVERIFY(m_events.contains(QStringLiteral("launcher_playgame")));
    QVERIFY(!window.isVisible() || window.isMinimized());
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget(),
        QFileInfo(files->gameExePath()).absolutePath());
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/q_a.7z"))));
    QVERIFY(QFileInfo::exists(env.filePath(QStringLiteral("Downloads/q_b.zip"))));

    // While the game runs the watch sees it and the window stays away.
    QTRY_VERIFY(!watched.isEmpty());
    QCOMPARE(watched.first().first().toBool(), true);
    QVERIFY(!window.isVisible() || window.isMinimized());
    if (alertOpen) // seen: it is not shown again
        QCOMPARE(LauncherConfig::instance()->readInt(QStringLiteral("MESSAGE"), QStringLiteral("MessageID")), 7);

    QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(window.isVisible() && !window.isMinimized(), 10000);
    QCOMPARE(watched.last().first().toBool(), false);
    QTRY_VERIFY(!window.gameLauncher()->isWatching());
}

void TestGameLaunch::unstartableGameKeepsTheWindow_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no executable at all
    QTest::addColumn<QString>("key");

    QTest::newRow("missing") << QByteArray() << "invalidPath";
    // Present but not executable: the start itself fails.
    QTest::newRow("not startable") << QByteArray("not a program") << "gameStartFailed";
}

void TestGameLaunch::unstartableGameKeepsTheWindow()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);

    TestEnv env(1);
    if (!content.isEmpty())
        writeFile(GameFiles::instance()->gameExePath(), content, false);
    MainWindow window(collaborators());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.launchGame();
    QVERIFY(window.noticeDialog());
    const QString expected = QCoreApplication::translate("GameLauncher", qPrintable(key));
    QVERIFY(expected != key);
    bool shown = false;
    for (const QLabel *label : window.noticeDialog()->findChildren<QLabel *>())
        shown = shown || label->text() == expected;
    QVERIFY2(shown, qPrintable(expected));
    QVERIFY(window.isVisible() && !window.isMinimized());
    QVERIFY(!m_events.contains(QStringLiteral("launcher_playgame")));
    QVERIFY(!window.gameLauncher()->isWatching());
}

void TestGameLaunch::leftoverArchives()
{
    QTemporaryDir root;
    const QString downloads = root.filePath(QStringLiteral("Downloads"));
    for (const char *name : {"a.7z", "b.7Z", "c.zip", "d.7z.tmp", "sub/e.7z"})
        writeFile(downloads + QLatin1Char('/') + QLatin1String(name));
    writeFile(root.filePath(QStringLiteral("outside.7z")));
    QVERIFY(QFile::link(root.filePath(QStringLiteral("outside.7z")), downloads + QStringLiteral("/link.7z")));

    QCOMPARE(GameLauncher::removeLeftoverArchives(downloads), 1);
    QDir dir(downloads);
    QStringList left = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, QStringList({"b.7Z", "c.zip", "d.7z.tmp", "link.7z", "sub"}));
    QVERIFY(QFileInfo::exists(downloads + QStringLiteral("/sub/e.7z")));
    QVERIFY(QFileInfo::exists(root.filePath(QStringLiteral("outside.7z"))));
    QCOMPARE(GameLauncher::removeLeftoverArchives(root.filePath(QStringLiteral("missing"))), 0);
}

void TestGameLaunch::processNameMatch_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<bool>("matches");

    const QString exe = QStringLiteral("quillmere.exe");
    QTest::newRow("same") << "quillmere.exe" << exe << true;
    QTest::newRow("longer") << "quillmere.exe.bin" << exe << true;
    QTest::newRow("other case") << "Quillmere.exe" << exe << false;
    QTest::newRow("shorter") << "quillmere" << exe << false;
    QTest::newRow("launcher with the game's prefix") << "quillmere-launcher"
                                                     << "quillmere" << false;
    QTest::newRow("binary its script runs") << "quillmere.x86_64"
                                            << "quillmere" << true;
    QTest::newRow("bare dot") << "quillmere."
                              << "quillmere" << false;
    QTest::newRow("folder in the manifest") << "quillmere"
                                            << "bin/quillmere" << true;
    QTest::newRow("kernel's cut name") << "quillmere-serve"
                                       << "quillmere-server-x64" << true;
    QTest::newRow("shorter than the cut") << "quillmere-serv"
                                          << "quillmere-server-x64" << false;
    QTest::newRow("no executable") << "quillmere"
                                   << "" << false;
}

void TestGameLaunch::processNameMatch()
{
    QFETCH(QString, process);
    QFETCH(QString, executable);
    QFETCH(bool, matches);
    QCOMPARE(CheckProcessThread::matchesName(process, executable), matches);
}

QTEST_MAIN(TestGameLaunch)
#include "tst_gamelaunch.moc"
