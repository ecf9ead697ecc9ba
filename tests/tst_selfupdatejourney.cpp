#include "support/launcherprocess.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/virtualscreen.h"
#include "update/updatedialog.h"
#include "widgets/qmlhostdialog.h"
#include "widgets/uiresources.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWidget>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <memory>

// The launcher replaces itself, end to end: the real launcher of this build in
// a temporary application folder, a stand-in that offers a real launcher
// release, Update on the update page (clicked on a private X screen), the
// updater, and the new launcher up with the player's files as they were. Then
// a broken release: put back, told once, and not offered again by itself.
namespace {

constexpr int kStartMs = 60000;
constexpr int kUpdateMs = 120000;

QString built(const QString &relative)
{
    return qEnvironmentVariable("QUILLMERE_BUILD_DIR") + QLatin1Char('/') + relative;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool copyExecutable(const QString &from, const QString &to)
{
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(from) | QFile::ExeOwner);
}

bool writeExecutable(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Every file under `dir`: relative path and content.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), readAll(path));
    }
    return files;
}

// The processes running the executable `path` (also one replaced while it runs).
QList<qint64> processesOf(const QString &path)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry));
        exe.remove(QStringLiteral(" (deleted)"));
        if (number && exe == path)
            found << pid;
    }
    return found;
}

QJsonObject updateRecord(const QString &appDir)
{
    return QJsonDocument::fromJson(readAll(appDir + QStringLiteral("/selfupdate.json"))).object();
}

bool runPublisher(const QStringList &args, QString *output)
{
    QProcess publisher;
    publisher.setProcessChannelMode(QProcess::MergedChannels);
    publisher.start(PublisherProcess::binaryPath(), args);
    const bool finished = publisher.waitForStarted(10000) && publisher.waitForFinished(120000);
    *output = QString::fromLocal8Bit(publisher.readAll());
    return finished && publisher.exitStatus() == QProcess::NormalExit && publisher.exitCode() == 0;
}

// Where the update page's Update button is on a 1280 x 720 screen whose
// launcher window sits at (0, 0): the page built here the same way.
QPoint updateButtonOnScreen()
{
    QWidget window;
    window.setGeometry(0, 0, 1280, 720);
    window.show();
    UpdateDialog model;
    QmlHostDialog page(&window);
    page.setContextProperty(QStringLiteral("updateDialog"), &model);
    if (!page.load(QUrl(QStringLiteral("qrc:/Dialog/qml/UpdateDialog.qml"))))
        return {};
    page.openOver(&window);
    if (!QTest::qWaitForWindowExposed(&page))
        return {};
    const QList<QQuickItem *> items = page.view()->rootObject()->findChildren<QQuickItem *>();
    for (const QQuickItem *item : items) {
        if (item->property("text").toString() != QLatin1String("LauncherUpdateConfirm"))
            continue;
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        return page.view()->mapTo(&page, centre.toPoint()) + page.geometry().topLeft();
    }
    return {};
}

} // namespace

class TestSelfUpdateJourney : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void updateInstallsTheRelease();
    void brokenReleaseIsPutBack();

private:
    // Starts the launcher of the application folder, waits for the update page
    // of `version` and presses Update until the launcher hands over; then
    // waits for it to end.
    void confirmUpdate(const QString &version);
    QString launcherVersion() const;
    QString log() const { return QString::fromUtf8(readAll(m_env->filePath(QStringLiteral("logs/log.txt")))); }
    // What the updater said, for a failure's message.
    QByteArray updaterLog() const { return readAll(m_env->filePath(QStringLiteral("logs/updater.log"))).right(3000); }
    void stopLaunchers();

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_content;
    QTemporaryDir m_trees;
    std::unique_ptr<PublisherProcess> m_publisher;
    std::unique_ptr<VirtualScreen> m_screen;
    QPoint m_updateButton;
};

void TestSelfUpdateJourney::initTestCase()
{
    quillmereInitUiResources();
    if (!QFileInfo(built(QStringLiteral("src/updateProgram/quillmere-update"))).isExecutable())
        QSKIP("the updater program is not built (src/updateProgram/quillmere-update)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
        "xdotool is not installed (scripts/bootstrap installs it)");
    QVERIFY(QFileInfo(built(QStringLiteral("launcher-release/2.9.0/quillmere-launcher"))).isExecutable());

    // The releases: 2.9.0 is the launcher built with that version and the
    // updater; 2.9.1 ends at once, held back until the second test.
    QVERIFY(copyExecutable(built(QStringLiteral("launcher-release/2.9.0/quillmere-launcher")),
        m_trees.filePath(QStringLiteral("2.9.0/quillmere-launcher"))));
    QVERIFY(copyExecutable(built(QStringLiteral("src/updateProgram/quillmere-update")),
        m_trees.filePath(QStringLiteral("2.9.0/updateProgram2/quillmere-update"))));
    QVERIFY(writeExecutable(m_trees.filePath(QStringLiteral("2.9.1/quillmere-launcher")), "#!/bin/sh\nexit 1\n"));
    QString output;
    QVERIFY2(runPublisher({"launcher", "--content", m_content.path(), "--tree", m_trees.filePath("2.9.0"), "--version",
                              "2.9.0", "--message", "A real release"},
                 &output),
        qPrintable(output));
    QVERIFY2(runPublisher({"launcher", "--content", m_content.path(), "--tree", m_trees.filePath("2.9.1"), "--version",
                              "2.9.1", "--hold"},
                 &output),
        qPrintable(output));
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));

    // The application folder: the build's launcher and updater, the player's
    // settings and a file in the downloads.
    m_env = std::make_unique<TestEnv>(1);
    QVERIFY(copyExecutable(built(QStringLiteral("src/quillmere-launcher")), m_env->filePath("quillmere-launcher")));
    QVERIFY(copyExecutable(built(QStringLiteral("src/updateProgram/quillmere-update")),
        m_env->filePath(QStringLiteral("updateProgram/quillmere-update"))));
    m_env->writeFile(QStringLiteral("config.ini"),
        "[Launcher]\nloglevel=6\nrunningtype=1\nclose_tpye=1\ndev_service_base=" + m_publisher->baseUrl().toUtf8()
            + "\n");
    m_env->writeFile(QStringLiteral("Downloads/keep.bin"), pseudoRandom(300000, 7919));
    QCOMPARE(launcherVersion(), QStringLiteral("2.8.0"));

    m_screen = std::make_unique<VirtualScreen>();
    QVERIFY2(!m_screen->display().isEmpty(), qPrintable(m_screen->error()));
    m_updateButton = updateButtonOnScreen();
    QVERIFY(!m_updateButton.isNull());
}

void TestSelfUpdateJourney::cleanupTestCase()
{
    if (m_env)
        stopLaunchers();
}

QString TestSelfUpdateJourney::launcherVersion() const
{
    QProcess launcher;
    launcher.start(m_env->filePath(QStringLiteral("quillmere-launcher")), {QStringLiteral("--version")});
    launcher.waitForFinished(kStartMs);
    const QStringList words = QString::fromUtf8(launcher.readAllStandardOutput()).split(QLatin1Char(' '));
    return words.value(1).trimmed();
}

void TestSelfUpdateJourney::stopLaunchers()
{
    const QString program = m_env->filePath(QStringLiteral("quillmere-launcher"));
    for (const qint64 pid : processesOf(program))
        ::kill(pid_t(pid), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(processesOf(program).isEmpty(), kStartMs);
}

void TestSelfUpdateJourney::confirmUpdate(const QString &version)
{
    LauncherProcess launcher(m_env->filePath(QStringLiteral("quillmere-launcher")), m_env->appDir(),
        {{QStringLiteral("DISPLAY"), m_screen->display()}, {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}});
    const QString offered = QStringLiteral("New Version is :") + version;
    QTRY_VERIFY2_WITH_TIMEOUT(launcher.said(offered), qPrintable(launcher.output().right(3000)), kStartMs);
    // The page may not be on screen at the first click.
    const QString handedOver = QStringLiteral("The updater installs launcher %1").arg(version);
    for (int attempt = 0; attempt < 6 && !launcher.said(handedOver); ++attempt) {
        m_screen->click(m_updateButton);
        if (QTest::qWaitFor([&] { return launcher.said(handedOver); }, 5000))
            break;
    }
    QVERIFY2(launcher.said(handedOver), qPrintable(launcher.output().right(3000)));
    // It may have ended already, which waitForFinished() would count as a failure.
    QTRY_COMPARE_WITH_TIMEOUT(launcher.process().state(), QProcess::NotRunning, kStartMs);
    QCOMPARE(launcher.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.process().exitCode(), 0);
}

void TestSelfUpdateJourney::updateInstallsTheRelease()
{
    confirmUpdate(QStringLiteral("2.9.0"));
    // The player's files as the old launcher left them when it ended.
    const QByteArray settings = readAll(m_env->filePath(QStringLiteral("config.ini")));
    QVERIFY(settings.contains("dev_service_base="));
    const QMap<QString, QByteArray> downloads = snapshot(m_env->filePath(QStringLiteral("Downloads")));
    QVERIFY(downloads.contains(QStringLiteral("keep.bin")));

    QTRY_VERIFY2_WITH_TIMEOUT(log().contains(QStringLiteral("Reported to the updater that launcher 2.9.0 is up")),
        updaterLog().constData(), kUpdateMs);
    QTRY_COMPARE_WITH_TIMEOUT(
        updateRecord(m_env->appDir()).value("lastResult").toString(), QStringLiteral("updated"), kUpdateMs);
    QCOMPARE(updateRecord(m_env->appDir()).value("version").toString(), QStringLiteral("2.9.0"));
    QVERIFY(!processesOf(m_env->filePath(QStringLiteral("quillmere-launcher"))).isEmpty());
    QCOMPARE(launcherVersion(), QStringLiteral("2.9.0"));
    QCOMPARE(readAll(m_env->filePath(QStringLiteral("config.ini"))), settings);
    QCOMPARE(snapshot(m_env->filePath(QStringLiteral("Downloads"))), downloads);
    stopLaunchers();
}

void TestSelfUpdateJourney::brokenReleaseIsPutBack()
{
    QString output;
    QVERIFY2(PublisherProcess::publish(m_content.path(), QStringLiteral("2.9.1"), &output), qPrintable(output));
    confirmUpdate(QStringLiteral("2.9.1"));

    QTRY_VERIFY2_WITH_TIMEOUT(updateRecord(m_env->appDir()).value("lastResult").toString() == "rolledBack",
        updaterLog().constData(), kUpdateMs);
    QVERIFY(updateRecord(m_env->appDir()).value("failedVersions").toArray().contains(QStringLiteral("2.9.1")));
    // The launcher put back tells the player once and keeps 2.9.1 out of its own check.
    QTRY_VERIFY_WITH_TIMEOUT(
        log().contains(QStringLiteral("The launcher update notice is shown: 2.9.1 was rolled back to 2.9.0")),
        kUpdateMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        log().contains(QStringLiteral("Launcher 2.9.1 did not start here before and was rolled back")), kUpdateMs);
    QVERIFY(updateRecord(m_env->appDir()).value("noticeShown").toBool());
    QCOMPARE(launcherVersion(), QStringLiteral("2.9.0"));
    stopLaunchers();
}

QTEST_MAIN(TestSelfUpdateJourney)
#include "tst_selfupdatejourney.moc"
