#include "api/kvabstractnetwork.h"
#include "app/fileutil.h"
#include "app/kvapplication.h"
#include "app/launcherconfig.h"
#include "content/notificationplugin.h"
#include "content/posterplugin.h"
#include "db/dbmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "extract/ziplibmanager.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/logoreset.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/traymenu.h"
#include "support/publisherprocess.h"
#include "support/stubengine.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "update/appinstallplugin.h"
#include "update/updatedialog.h"
#include "widgets/trianglewidget.h"
#include "widgets/uiresources.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QStackedWidget>
#include <QTranslator>
#include <QtTest>

// The main window driven as a user drives it, against the publisher stand-in:
// the install display's road from "get game" to "play", the download failure
// policy, and what the window shows when the version service is away.
namespace {

const Tree kVersion1 {
    {QStringLiteral("quillmere"), pseudoRandom(60000, 1)},
    {QStringLiteral("version.txt"), "1.0.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(110000, 2)},
};

const Tree kVersion2 {
    {QStringLiteral("quillmere"), pseudoRandom(61000, 4)},
    {QStringLiteral("version.txt"), "1.1.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(110000, 2)},
    {QStringLiteral("data/new.pak"), pseudoRandom(9000, 5)},
};

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The log lines written while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        // The launcher's log takes the message handler when it starts: before the capture.
        KVApplication::instance();
        s_lines = &m_lines;
        s_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(s_previous);
        s_lines = nullptr;
    }
    int count(const QString &line) const { return m_lines.count(line); }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (s_lines)
            s_lines->append(message);
        if (s_previous)
            s_previous(type, context, message);
    }
    static QStringList *s_lines;
    static QtMessageHandler s_previous;
    QStringList m_lines;
};
QStringList *LogCapture::s_lines = nullptr;
QtMessageHandler LogCapture::s_previous = nullptr;

enum class Way { CloseButton, WindowSystem, TrayClose };
enum class Exit { Confirm, Cancel, CloseButton, Escape, WindowGone };
enum class Outcome { Quit, Hidden, Minimised, CloseQuestion, BusyQuestion };

QString closeType()
{
    return LauncherConfig::instance()->readString(QStringLiteral("Launcher"), QStringLiteral("close_tpye"));
}

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Exit)
Q_DECLARE_METATYPE(Outcome)

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void installPauseResumeThenForcedUpdate();
    void downloadFailurePolicy_data();
    void downloadFailurePolicy();
    void versionServiceAway_data();
    void versionServiceAway();
    void offlineLineComesAndGoes();
    void promptExits_data();
    void promptExits();
    void clearingLeavesGetGameHoweverClosed_data();
    void clearingLeavesGetGameHoweverClosed();
    void retryNoticeAndProgressOfOddInput_data();
    void retryNoticeAndProgressOfOddInput();
    void retryingShownInsteadOfSpeed();
    void homeChecksFollowTheWindow();
    void launcherUpdatePage_data();
    void launcherUpdatePage();
    void logoReset_data();
    void logoReset();
    void playSettingPopupPointsAtItsButton();
    void closeFollowsTheStoredChoice_data();
    void closeFollowsTheStoredChoice();
    void closeQuestionIsAnsweredOnce_data();
    void closeQuestionIsAnsweredOnce();
    void trayMenuOpensAboveTheCursorAndOpens();

private:
    GameInstallPlugin *makePlugin(const QString *base, int replyTimeoutMs = 5000);
    // The real engines at `rateLimit`, or stand-ins that download nothing.
    MainWindow::Collaborators collaborators(GameInstallPlugin *plugin, qint64 rateLimit = -1, bool stubEngines = false);

    // Home content: a poster and a newer launcher.
    void writeServices(const QJsonObject &launcher);
    int requests(const PublisherProcess &publisher, const QString &path) const;
    // A launcher check whose time limit has always passed.
    Appinstallplugin *makeAppPlugin(const PublisherProcess &publisher);

    QTemporaryDir m_home;
    QByteArray m_poster;
    QTemporaryDir m_firstRelease;
    QTemporaryDir m_secondRelease;
    QNetworkAccessManager m_network;
    QTranslator m_translator;
    // Download errors the window's engines reported, and the analytics events.
    int m_downloadErrors = 0;
    QStringList m_events;
    // Install state seen when the install-finish event went out.
    InstallStatus m_statusAtFinish = InstallStatus::Absent;
    QString m_versionAtFinish;
    int m_archivesAtFinish = -1;
    int m_recordsAtFinish = -1;
};

void TestMainWindow::initTestCase()
{
    quillmereInitUiResources();
    QVERIFY(m_translator.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_translator);
    QString output;
    QVERIFY2(PublisherProcess::makeUpdateContents(
                 m_firstRelease.path(), m_secondRelease.path(), kVersion1, kVersion2, &output),
        qPrintable(output));
    m_poster = png(1280, 720);
    QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("files/home"))));
    QFile poster(m_home.filePath(QStringLiteral("files/home/poster.png")));
    QVERIFY(poster.open(QIODevice::WriteOnly));
    poster.write(m_poster);
}

void TestMainWindow::cleanup()
{
    // The test's plug-ins share m_network: they go before it, with their requests.
    qDeleteAll(children());
}

void TestMainWindow::writeServices(const QJsonObject &launcher)
{
    const QString digest = QString::fromLatin1(QCryptographicHash::hash(m_poster, QCryptographicHash::Md5).toHex());
    const QJsonObject image {{QStringLiteral("imageUrl"), QStringLiteral("{base}/files/home/poster.png")},
        {QStringLiteral("onlineTime"), 1}, {QStringLiteral("md5"), digest}};
    QFile file(m_home.filePath(QStringLiteral("services.json")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(
        QJsonObject {{QStringLiteral("images"), QJsonArray {image}}, {QStringLiteral("launcher"), launcher}})
                   .toJson());
}

int TestMainWindow::requests(const PublisherProcess &publisher, const QString &path) const
{
    int count = 0;
    for (const QJsonObject &line : publisher.logLines(QStringLiteral("requests.jsonl")))
        count += line.value(QStringLiteral("path")).toString() == path ? 1 : 0;
    return count;
}

Appinstallplugin *TestMainWindow::makeAppPlugin(const PublisherProcess &publisher)
{
    auto now = std::make_shared<qint64>(0);
    return new Appinstallplugin(
        ServerUrls(publisher.baseUrl(), {}, {}, {}), QStringLiteral("2.9.0"), &m_network,
        [now] { return *now += Appinstallplugin::kCheckIntervalMs; }, this);
}

GameInstallPlugin *TestMainWindow::makePlugin(const QString *base, int replyTimeoutMs)
{
    GameInstallPlugin::Collaborators c;
    c.updateServiceBase = [base] {
        return *base;
    };
    c.manager = &m_network;
    c.runningType = 1;
    c.replyTimeoutMs = replyTimeoutMs;
    return new GameInstallPlugin(c, this);
}

MainWindow::Collaborators TestMainWindow::collaborators(GameInstallPlugin *plugin, qint64 rateLimit, bool stubEngines)
{
    m_downloadErrors = 0;
    m_events.clear();
    InstallSession::Collaborators c;
    c.installPlugin = plugin;
    c.makeEngine = [this, rateLimit, stubEngines](int, QObject *parent) {
        if (stubEngines)
            return InstallSession::downloadPort(new StubEngine(parent));
        DownloadCollaborators downloads;
        downloads.track = [](const QString &, const QVariantMap &) {
        };
        downloads.rateLimit = rateLimit;
        downloads.backoffFirstMs = 50;
        downloads.backoffCapMs = 200;
        downloads.giveUpAfterMs = 1000;
        auto *engine = new KVDownloadTaskManager(parent, downloads);
        connect(engine, &DownloadInterface::signalDownloadError, this, [this] { ++m_downloadErrors; });
        return InstallSession::downloadPort(engine);
    };
    c.makeExtractor = [](QObject *parent) {
        return InstallSession::extractPort(new ZiplibManager(nullptr, parent));
    };
    c.track = [this, plugin](const QString &event, const QVariantMap &) {
        m_events << event;
        if (event == QLatin1String("launcher_install_finish")) {
            GameFiles *files = GameFiles::instance();
            m_statusAtFinish = files->status();
            m_versionAtFinish = files->installedVersion();
            m_archivesAtFinish = 0;
            m_recordsAtFinish = files->unzippedArchives(plugin->gameVersionInfo().latestVersion).size();
            for (const QString &url : plugin->gameVersionInfo().packageUrls)
                m_archivesAtFinish += QFileInfo::exists(files->downloadFilePath(url)) ? 1 : 0;
        }
    };
    c.retryDelayMs = 10;
    MainWindow::Collaborators window;
    window.session = new InstallSession(c);
    window.track = c.track;
    return window;
}

void TestMainWindow::installPauseResumeThenForcedUpdate()
{
    TestEnv env(1);
    PublisherProcess first(m_firstRelease.path());
    QVERIFY2(first.isRunning(), qPrintable(first.errorString()));
    QString base = first.baseUrl();
    GameInstallPlugin *plugin = makePlugin(&base);
    // Slow enough that a pause lands in the middle of the download.
    MainWindow window(collaborators(plugin, 60000));
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::GetGame, 10000);

    click(&window, "pushButton_install");
    DownloadPathSettingDialog *where = window.downloadPathDialog();
    QVERIFY(where && where->isVisible());
    QVERIFY(where->hasRoom());
    click(where, "pushButton_pathdownload");
    QTRY_COMPARE(window.state(), MainWindow::State::Downloading);
    auto *sizeText = child<QLabel>(&window, "label_fileSizeText");
    QTRY_VERIFY_WITH_TIMEOUT(!sizeText->text().isEmpty(), 10000); // bytes have arrived

    click(&window, "pushButton_stop");
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::Paused, 10000);
    QCOMPARE(child<QStackedWidget>(&window, "stackedWidget_button")->currentIndex(), 1);
    QVERIFY(!window.isInstallIng());

    click(&window, "pushButton_play");
    QTRY_COMPARE(window.state(), MainWindow::State::Downloading);
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::Play, 60000);
    QVERIFY(child<QPushButton>(&window, "pushButton_playgame")->isVisible());

    GameFiles *files = GameFiles::instance();
    // The install was recorded while its extraction records were still
    // there; each archive of the package went as soon as it was recorded.
    QCOMPARE(m_statusAtFinish, InstallStatus::Installed);
    QCOMPARE(m_versionAtFinish, QStringLiteral("1.0.0"));
    QCOMPARE(m_recordsAtFinish, plugin->gameVersionInfo().packageUrls.size());
    QCOMPARE(m_archivesAtFinish, 0);
    for (const QString &url : plugin->gameVersionInfo().packageUrls)
        QVERIFY(!QFileInfo::exists(files->downloadFilePath(url)));
    QVERIFY(files->unzippedArchives(QStringLiteral("1.0.0")).isEmpty());
    QFile exe(files->gameExePath());
    QVERIFY(exe.open(QIODevice::ReadOnly));
    QCOMPARE(exe.readAll(), kVersion1.value(QStringLiteral("quillmere")));
    QVERIFY(m_events.contains(QStringLiteral("launcher_downloadgame_start")));
    QVERIFY(m_events.contains(QStringLiteral("launcher_downloadgame_finish")));

    // A forced update, asked for by the user: update -> downloading -> play.
    PublisherProcess second(m_secondRelease.path());
    QVERIFY2(second.isRunning(), qPrintable(second.errorString()));
    base = second.baseUrl();
    window.runVersionCheck(true);
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::Update, 10000);
    QList<MainWindow::State> states;
    connect(&window, &MainWindow::stateChanged, this, [&states](MainWindow::State state) { states << state; });
    click(&window, "pushButton_update");
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::Play, 60000);
    QVERIFY(states.contains(MainWindow::State::Downloading));
    QCOMPARE(files->installedVersion(), QStringLiteral("1.1.0"));
    QCOMPARE(files->status(), InstallStatus::Installed);
    QVERIFY(QFileInfo::exists(files->installDir() + QStringLiteral("/data/new.pak")));
}

void TestMainWindow::downloadFailurePolicy_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("removeArchive");
    QTest::addColumn<int>("errors"); // download errors until the notice
    QTest::addColumn<QString>("noticeKey");

    // A missing archive (404) is a content error: the notice comes at once.
    QTest::newRow("content error") << QStringList() << true << 1 << "ExeError";
    // A host that only answers 500: the engine retries until nothing came for
    // its bound (short here), then the notice at once, with no restarts on top.
    QTest::newRow("server error") << QStringList {QStringLiteral("--status-500"), QStringLiteral("--fault-path"),
        QStringLiteral("/files/")} << false
                                  << 1 << "ExeSomeError(%1-%2)。";
}

void TestMainWindow::downloadFailurePolicy()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, removeArchive);
    QFETCH(int, errors);
    QFETCH(QString, noticeKey);

    TestEnv env(1);
    QTemporaryDir content;
    QVERIFY(FileUtil::copyFolder(m_firstRelease.path(), content.path()));
    PublisherProcess publisher(content.path(), faults);
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    const QString base = publisher.baseUrl();
    GameInstallPlugin *plugin = makePlugin(&base);
    MainWindow window(collaborators(plugin));
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.state(), MainWindow::State::GetGame, 10000);
    const QString url = plugin->gameVersionInfo().packageUrls.value(0);
    if (removeArchive) {
        QDirIterator it(content.path() + QStringLiteral("/files"), {QUrl(url).fileName()}, QDir::Files,
            QDirIterator::Subdirectories);
        QVERIFY(it.hasNext());
        QVERIFY(QFile::remove(it.next()));
    }

    click(&window, "pushButton_install");
    click(window.downloadPathDialog(), "pushButton_pathdownload");
    QTRY_VERIFY_WITH_TIMEOUT(window.noticeDialog() && window.noticeDialog()->isVisible(), 30000);
    QCOMPARE(m_downloadErrors, errors);
    QCOMPARE(window.state(), MainWindow::State::Paused); // the resume button, not a dead pause button
    const QString message = window.noticeDialog()->message();
    QVERIFY2(message.startsWith(QCoreApplication::translate("MainWindow", qPrintable(noticeKey)).section('.', 0, 0)),
        qPrintable(message));
    if (removeArchive) {
        // The archive's part letter and the network layer's "not found".
        const QString part = url.mid(url.lastIndexOf(QLatin1Char('_')) + 1, 1);
        QVERIFY2(message.endsWith(part + QStringLiteral("-203")), qPrintable(message));
    }
    QVERIFY(!window.isInstallIng());
}

void TestMainWindow::versionServiceAway_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("stalled"); // or not listening at all
    QTest::addColumn<MainWindow::State>("shown");

    QTest::newRow("stalled, installed game stays playable") << true << true << MainWindow::State::Play;
    QTest::newRow("stalled, nothing installed") << false << true << MainWindow::State::GetGame;
    QTest::newRow("no network, installed game stays playable") << true << false << MainWindow::State::Play;
    QTest::newRow("no network, nothing installed") << false << false << MainWindow::State::GetGame;
}

void TestMainWindow::versionServiceAway()
{
    QFETCH(bool, installed);
    QFETCH(bool, stalled);
    QFETCH(MainWindow::State, shown);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    if (installed) {
        files->setStatus(InstallStatus::Installed);
        files->setInstalledVersion(QStringLiteral("1.0.0"));
        QDir().mkpath(files->installDir());
        QFile exe(files->gameExePath());
        QVERIFY(exe.open(QIODevice::WriteOnly));
        exe.write("game");
    }
    PublisherProcess publisher(m_firstRelease.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    publisher.setControl({{QStringLiteral("stallMs"), 3000}, {QStringLiteral("pathPrefix"), "/diff-update/"}});
    const QString base = publisher.baseUrl();
    if (!stalled)
        publisher.stop();
    GameInstallPlugin *plugin = makePlugin(&base, 300);
    QSignalSpy timedOut(plugin, &GameInstallPlugin::networkError);
    QSignalSpy unanswered(plugin, &GameInstallPlugin::versionQueryFailed);
    MainWindow window(collaborators(plugin));
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT((stalled ? timedOut : unanswered).count(), 1, 10000);
    QTRY_COMPARE(window.state(), shown);

    if (stalled && !installed) {
        // The user's try again is sent although the automatic query's limit has not passed.
        publisher.setControl({});
        click(&window, "pushButton_install");
        QVERIFY(window.noticeDialog() && window.noticeDialog()->isVisible());
        QSignalSpy offered(plugin, &GameInstallPlugin::needToDownload);
        QTRY_COMPARE_WITH_TIMEOUT(offered.count(), 1, 10000);
    }
}

// The services go away and come back: one line says so while Play stays, and
// the line goes with the version answered, without a restart.
void TestMainWindow::offlineLineComesAndGoes()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    QDir().mkpath(files->installDir());
    QFile exe(files->gameExePath());
    QVERIFY(exe.open(QIODevice::WriteOnly));
    exe.write("game");
    exe.close();
    PublisherProcess publisher(m_firstRelease.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    const QString base = publisher.baseUrl();
    publisher.stop();
    GameInstallPlugin *plugin = makePlugin(&base);
    QSignalSpy answered(plugin, &GameInstallPlugin::serviceReached);
    MainWindow window(collaborators(plugin));
    window.show();
    auto *line = child<QLabel>(&window, "label_offline");
    QTRY_VERIFY_WITH_TIMEOUT(line->isVisible(), 20000);
    QVERIFY2(line->text().startsWith(QStringLiteral("Offline")), qPrintable(line->text()));
    QTRY_COMPARE(window.state(), MainWindow::State::Play);

    QVERIFY2(publisher.restart(), qPrintable(publisher.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(!line->isVisible(), 60000);
    QVERIFY(answered.last().first().toBool());
    QCOMPARE(plugin->gameVersionInfo().latestVersion, QStringLiteral("1.0.0"));
    QCOMPARE(window.state(), MainWindow::State::Play);
}

void TestMainWindow::promptExits_data()
{
    QTest::addColumn<bool>("roomQuestion"); // or the content-error notice
    QTest::addColumn<Exit>("exit");
    QTest::addColumn<MainWindow::State>("shown");
    QTest::addColumn<bool>("quit");

    QTest::newRow("notice, button") << false << Exit::Confirm << MainWindow::State::Downloading << false;
    QTest::newRow("notice, x") << false << Exit::CloseButton << MainWindow::State::Paused << false;
    QTest::newRow("notice, Escape") << false << Exit::Escape << MainWindow::State::Paused << false;
    QTest::newRow("notice, window gone") << false << Exit::WindowGone << MainWindow::State::Paused << false;
    QTest::newRow("room, retry") << true << Exit::Confirm << MainWindow::State::Extracting << false;
    QTest::newRow("room, close") << true << Exit::Cancel << MainWindow::State::NeedUnzip << true;
    QTest::newRow("room, x") << true << Exit::CloseButton << MainWindow::State::NeedUnzip << false;
    QTest::newRow("room, Escape") << true << Exit::Escape << MainWindow::State::NeedUnzip << false;
    QTest::newRow("room, window gone") << true << Exit::WindowGone << MainWindow::State::NeedUnzip << false;
}

// Every way out of the window's notices and questions reaches the session as
// an answer, and the display shows the state it leads to.
void TestMainWindow::promptExits()
{
    QFETCH(bool, roomQuestion);
    QFETCH(Exit, exit);
    QFETCH(MainWindow::State, shown);
    QFETCH(bool, quit);

    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    GameInstallPlugin *plugin = makePlugin(&base);
    auto window = std::make_unique<MainWindow>(collaborators(plugin, -1, true));
    InstallSession *session = window->session();
    session->setParent(this); // it outlives the window of the last row
    window->show();
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
    info.packageSize = 100;
    if (roomQuestion) {
        info.packageSize = std::numeric_limits<qint64>::max() / 2; // no disk has that much room
        window->setGameVersionInfo(info);
        emit plugin->needToUnzip();
        QTRY_COMPARE(window->state(), MainWindow::State::NeedUnzip);
        click(window.get(), "pushButton_needToUnzip");
    } else {
        window->setGameVersionInfo(info);
        window->updateGameNow();
        static_cast<StubEngine *>(session->downloadEngine())->m_running = false;
        session->retryDownload(info.packageUrls.first(), 203);
    }
    QDialog *dialog = window->promptDialog();
    QVERIFY(dialog && dialog->isVisible());
    QSignalSpy quits(window.get(), &MainWindow::quitRequested);
    QSignalSpy sessionQuits(session, &InstallSession::quitRequested);
    switch (exit) {
    case Exit::Confirm:
        click(dialog, roomQuestion ? "pushButton_confrim" : "pushbutton_dialog_confrim");
        break;
    case Exit::Cancel:
        click(dialog, "pushButton_cancle");
        break;
    case Exit::CloseButton:
        click(dialog, "pushButton_close");
        break;
    case Exit::Escape:
        QTest::keyClick(dialog, Qt::Key_Escape);
        break;
    case Exit::WindowGone:
        window.reset();
        break;
    }
    QTRY_COMPARE(session->state(), shown);
    QTest::qWait(0); // a dismissal posted after a button changes nothing
    QCOMPARE(session->state(), shown);
    QCOMPARE(sessionQuits.count(), quit ? 1 : 0);
    if (window) {
        QCOMPARE(quits.count(), quit ? 1 : 0);
        QCOMPARE(window->state(), shown);
        // A question asked again (Retry without room) is on screen; nothing else is.
        QCOMPARE(window->promptDialog() != nullptr, roomQuestion && exit == Exit::Confirm);
    } else {
        QVERIFY(!session->currentPrompt());
    }
}

void TestMainWindow::clearingLeavesGetGameHoweverClosed_data()
{
    QTest::addColumn<Exit>("exit");
    QTest::addColumn<bool>("installAfter");
    QTest::newRow("confirm") << Exit::Confirm << false;
    QTest::newRow("x") << Exit::CloseButton << false;
    QTest::newRow("Escape") << Exit::Escape << false;
    // A game without a record of its files, cleared to be downloaded again.
    QTest::newRow("then installed again") << Exit::Confirm << true;
}

// The finished clearing dialog, however it is left, leaves the get-game
// button: Play over a deleted game would start nothing.
void TestMainWindow::clearingLeavesGetGameHoweverClosed()
{
    QFETCH(Exit, exit);
    QFETCH(bool, installAfter);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    QVERIFY(QDir().mkpath(files->installDir()));
    QFile exe(files->gameExePath());
    QVERIFY(exe.open(QIODevice::WriteOnly));
    exe.close();
    const QString base = QStringLiteral("http://127.0.0.1:9");
    GameInstallPlugin *plugin = makePlugin(&base);
    MainWindow window(collaborators(plugin, -1, true));
    plugin->setParent(&window);
    window.show();
    emit plugin->installed();
    QTRY_COMPARE(window.state(), MainWindow::State::Play);
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
    window.setGameVersionInfo(info);
    QSignalSpy cleared(&window, &MainWindow::resourcesCleared);
    window.showDeleteGameResourceDialog(installAfter);
    DeleteGameResourceDialog *dialog = window.deleteDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(!dialog->isDeleting());
    QVERIFY2(dialog->refusal().isEmpty(), qPrintable(dialog->refusal()));
    if (exit == Exit::Confirm)
        click(dialog, "delete_dialog_confrim");
    else if (exit == Exit::Escape)
        QTest::keyClick(dialog, Qt::Key_Escape);
    else
        dialog->close();
    QTRY_VERIFY(!window.deleteDialog());
    QCOMPARE(window.state(), MainWindow::State::GetGame);
    QCOMPARE(cleared.count(), 1);
    QVERIFY(!QFileInfo::exists(files->gameExePath()));
    // The service names the package anew; installing again begins with the
    // location question.
    window.setGameVersionInfo(info);
    emit plugin->needToDownload(info);
    QTRY_COMPARE(window.state(), MainWindow::State::GetGame);
    if (installAfter)
        QTRY_VERIFY(window.downloadPathDialog() && window.downloadPathDialog()->isVisible());
    else
        QVERIFY(!window.downloadPathDialog() || !window.downloadPathDialog()->isVisible());
}

void TestMainWindow::retryNoticeAndProgressOfOddInput_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("ending");

    QTest::newRow("part letter") << "http://h/files/q_b.7z" << 203 << "b-203";
    QTest::newRow("no underscore") << "http://h/files/q.7z" << 203 << "again.-203";
    QTest::newRow("underscore last") << "http://h/files/q_" << 301 << "again.-301";
    QTest::newRow("empty address") << "" << 250 << "again.-250";
}

void TestMainWindow::retryNoticeAndProgressOfOddInput()
{
    QFETCH(QString, url);
    QFETCH(int, code);
    QFETCH(QString, ending);

    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    MainWindow window(collaborators(makePlugin(&base), -1, true));
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
    window.setGameVersionInfo(info);
    window.updateGameNow();
    QCOMPARE(window.state(), MainWindow::State::Downloading);
    window.session()->retryDownload(url, code);
    QVERIFY(window.noticeDialog());
    const QString expected
        = QString(ending).replace(QStringLiteral("ExeError"), QCoreApplication::translate("MainWindow", "ExeError"));
    QVERIFY2(window.noticeDialog()->message().endsWith(expected), qPrintable(window.noticeDialog()->message()));

    // Nothing to extract yet reads 0 %, never a division by zero.
    window.session()->onExtractProgress(5, 0);
    QCOMPARE(child<QProgressBar>(&window, "progressBar_zip")->value(), 0);
    QVERIFY(child<QLabel>(&window, "label_process_zip")->text().contains(QStringLiteral(" 0%")));
}

// While every transfer waits for its next attempt the display says when, not a speed of nothing.
void TestMainWindow::retryingShownInsteadOfSpeed()
{
    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    MainWindow window(collaborators(makePlugin(&base), -1, true));
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.0.0");
    info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
    window.setGameVersionInfo(info);
    window.updateGameNow();
    QCOMPARE(window.state(), MainWindow::State::Downloading);
    KorvaneObject::DownloadingInfo waiting;
    waiting.percent = QStringLiteral("40");
    waiting.retryInSeconds = 7;
    emit static_cast<StubEngine *>(window.session()->downloadEngine())->signalDownloadProcess(waiting);
    const QString expected = QCoreApplication::translate("MainWindow", "label_retryingIn").arg(7);
    QTRY_COMPARE(child<QLabel>(&window, "label_downloadSpeed")->text(), expected);
}

// window hides (to the tray) and run at once when it is shown again, also
// when closing an alert brings it back; only activations after the first
// check the game's version once more.
void TestMainWindow::homeChecksFollowTheWindow()
{
    TestEnv env(1);
    writeServices({{"latestVersion", "2.9.0"}});
    PublisherProcess publisher(m_home.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    const QString base = publisher.baseUrl();
    QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("AppData"))));
    DbManager database(env.filePath(QStringLiteral("AppData/korvanedb.sql3")));
    emit database.initWorker(QString());
    PosterPlugin::Collaborators posterParts;
    posterParts.activityBase = [base] {
        return base;
    };
    posterParts.manager = &m_network;
    posterParts.database = &database;
    PosterPlugin poster(posterParts);
    NotificationPlugin::Collaborators alertParts;
    alertParts.activityBase = posterParts.activityBase;
    alertParts.manager = &m_network;
    NotificationPlugin alerts(alertParts);
    UpdateDialog updateDialog;

    MainWindow::Collaborators c = collaborators(makePlugin(&base));
    c.home.appPlugin = makeAppPlugin(publisher);
    c.home.posterPlugin = &poster;
    c.home.notificationPlugin = &alerts;
    c.home.database = &database;
    c.home.updateDialog = &updateDialog;
    LogCapture log;
    MainWindow window(c);
    const QString launcherPath = Appinstallplugin::versionPath();
    auto *posterLabel = child<QLabel>(&window, "posterStaticLabel");
    QTRY_VERIFY_WITH_TIMEOUT(!posterLabel->pixmap(Qt::ReturnByValue).isNull(), 10000);
    QCOMPARE(posterLabel->pixmap(Qt::ReturnByValue).size(), QSize(1280, 720));
    QTRY_COMPARE_WITH_TIMEOUT(requests(publisher, QStringLiteral("/activity/pc/launcher/message")), 1, 10000);

    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.homeWiring()->checksRunning());
    QCOMPARE(log.count(QStringLiteral("windowActivate > version check")), 0); // the first activation
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&window);
    QCOMPARE(log.count(QStringLiteral("windowActivate > version check")), 1);
    QTRY_VERIFY_WITH_TIMEOUT(requests(publisher, launcherPath) >= 2, 10000);

    window.hide();
    QCOMPARE(log.count(QStringLiteral("scheduledTaskTimer > stop")), 1);
    QVERIFY(!window.homeWiring()->checksRunning());
    const int before = requests(publisher, launcherPath);
    emit alerts.messageDismissed(QStringLiteral("https://www.quillmere.example/news"));
    QTRY_VERIFY(window.isVisible());
    QVERIFY(window.homeWiring()->checksRunning());
    QTRY_VERIFY_WITH_TIMEOUT(requests(publisher, launcherPath) > before, 10000);
}

void TestMainWindow::launcherUpdatePage_data()
{
    QTest::addColumn<bool>("autoUpdate");
    QTest::addColumn<QString>("downloadUrl");
    QTest::addColumn<QString>("close"); // "confirm", "cancel" or "escape"
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<bool>("updater"); // an updater in "updateProgram/"
    QTest::addColumn<bool>("handedOver"); // the updater started and the launcher quit

    const QString link = QStringLiteral("https://cdn.quillmere.example/launcher-2.10.0.zip");
    const QString package = QStringLiteral(
        "https://cdn.quillmere.example/l-2.10.0_origin_9_size_8_md5_0123456789abcdef0123456789abcdef.zip");
    QTest::newRow("confirm opens the download") << false << link << "confirm" << QStringList {link} << true << false;
    QTest::newRow("cancel opens nothing") << false << link << "cancel" << QStringList() << true << false;
    QTest::newRow("the Escape key closes it too") << false << link << "escape" << QStringList() << false << false;
    QTest::newRow("a local file is not opened") << false << "file:///etc/passwd"
                                                << "confirm" << QStringList() << true << false;
    QTest::newRow("automatic updates show nothing") << true << link << "confirm" << QStringList() << true << false;
    QTest::newRow("a checkable package is installed by the updater")
        << false << package << "confirm" << QStringList() << true << true;
    QTest::newRow("without the updater the download opens")
        << false << package << "confirm" << QStringList {package} << false << false;
    QTest::newRow("cancel starts no updater") << false << package << "cancel" << QStringList() << true << false;
}

// A newer launcher shows its page with the record's texts; while it is open
// the launcher and game checks pause, and they resume once it is closed.
void TestMainWindow::launcherUpdatePage()
{
    QFETCH(bool, autoUpdate);
    QFETCH(QString, downloadUrl);
    QFETCH(QString, close);
    QFETCH(QStringList, opened);
    QFETCH(bool, updater);
    QFETCH(bool, handedOver);

    TestEnv env(1);
    if (updater) {
        env.writeFile(QStringLiteral("updateProgram/quillmere-update"), "#!/bin/sh\n");
        QFile(env.filePath(QStringLiteral("updateProgram/quillmere-update")))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    LauncherConfig::instance()->writeBool(QStringLiteral("Launcher"), QStringLiteral("auto_update"), autoUpdate);
    writeServices({{"latestVersion", "2.10.0"}, {"downloadUrl", downloadUrl}, {"updateMessage", "New banners"}});
    PublisherProcess publisher(m_home.path());
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
    const QString base = publisher.baseUrl();
    UpdateDialog updateDialog;
    QStringList openedUrls;
    MainWindow::Collaborators c = collaborators(makePlugin(&base));
    c.home.appPlugin = makeAppPlugin(publisher);
    c.home.updateDialog = &updateDialog;
    c.home.openUrl = [&openedUrls](const QUrl &url) {
        openedUrls << url.toString();
        return true;
    };
    QStringList updaterRun;
    int quits = 0;
    c.home.startUpdater = [&updaterRun](const QString &program, const QStringList &arguments) {
        updaterRun = QStringList {program} + arguments;
        return true;
    };
    c.home.quit = [&quits] {
        ++quits;
    };
    QSignalSpy announced(c.home.appPlugin, &Appinstallplugin::notifyAppUpdate);
    MainWindow window(c);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(announced.count() >= 1, 10000);
    QCoreApplication::sendPostedEvents(); // the window's queued answer
    if (autoUpdate) {
        QVERIFY(!window.homeWiring()->updatePage());
        return;
    }
    QmlHostDialog *page = window.homeWiring()->updatePage();
    QVERIFY(page && page->isVisible());
    // Without a compositor, X11 shows a translucent page only over an opaque window.
    QVERIFY(!window.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(updateDialog.latestVersion(), QStringLiteral("2.10.0"));
    QCOMPARE(updateDialog.updateMessage(), QStringLiteral("New banners"));
    QVERIFY(updateDialog.isShown());

    // Open: showing the window again checks the poster only. Counted once the
    // checks sent before are answered (the stand-in logs a request before it answers).
    const auto *launcherRequest = c.home.appPlugin->findChild<KVAbstractNetwork *>();
    QVERIFY(launcherRequest);
    QTRY_COMPARE_WITH_TIMEOUT(launcherRequest->pendingReplyCount(), 0, 10000);
    LogCapture log;
    const int launcherChecks = requests(publisher, Appinstallplugin::versionPath());
    window.hide();
    window.show();
    QCOMPARE(log.count(QStringLiteral(
                 "scheduledTaskTimer > the launcher update page is open: launcher and game checks skipped")),
        1);

    if (close == QLatin1String("confirm"))
        updateDialog.confirm();
    else if (close == QLatin1String("cancel"))
        updateDialog.cancel();
    else
        QTest::keyClick(page, Qt::Key_Escape);
    QTRY_VERIFY(!window.homeWiring()->updatePage());
    QVERIFY(!updateDialog.isShown());
    QCOMPARE(openedUrls, opened);
    QCOMPARE(quits, handedOver ? 1 : 0);
    if (handedOver) {
        QCOMPARE(updaterRun,
            QStringList({env.filePath("updateProgram/quillmere-update"), "--app-dir", env.appDir(), "--launcher",
                "quillmere-launcher", "--wait-pid", QString::number(QCoreApplication::applicationPid()), "--version",
                "2.10.0", "--url", downloadUrl, "--language", "en"}));
    } else {
        QVERIFY(updaterRun.isEmpty());
    }
    window.hide();
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(requests(publisher, Appinstallplugin::versionPath()) > launcherChecks, 10000);
}

void TestMainWindow::logoReset_data()
{
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("reset");

    QTest::newRow("confirmed") << false << true << true;
    QTest::newRow("declined") << false << false << false;
    QTest::newRow("refused while downloading") << true << true << false;
}

// Ten clicks on the logo ask before the launcher's data go; a confirmed reset
// leaves the database working and later clicks do nothing.
void TestMainWindow::logoReset()
{
    QFETCH(bool, busy);
    QFETCH(bool, accept);
    QFETCH(bool, reset);

    TestEnv env(1);
    const QStringList files {QStringLiteral("Downloads/q_a.7z"), QStringLiteral("Images/poster_1.gi"),
        QStringLiteral("Update/note.txt"), QStringLiteral("AppData/keep.txt")};
    for (const QString &file : files)
        env.writeFile(file, "data");
    LauncherConfig::instance()->writeString(QStringLiteral("Launcher"), QStringLiteral("marker"), QStringLiteral("1"));
    DbManager database(env.filePath(QStringLiteral("AppData/korvanedb.sql3")));
    emit database.initWorker(QString());

    const QString base = QStringLiteral("http://127.0.0.1:9");
    MainWindow::Collaborators c = collaborators(makePlugin(&base), -1, true);
    c.home.database = &database;
    MainWindow window(c);
    window.show();
    if (busy) {
        GameVersionInfo info;
        info.latestVersion = QStringLiteral("1.0.0");
        info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
        window.setGameVersionInfo(info);
        window.updateGameNow();
        QVERIFY(window.isInstallIng());
    }
    LogoReset *logo = window.logoReset();
    QSignalSpy finished(logo, &LogoReset::finished);
    for (int i = 0; i < LogoReset::kClicks - 1; ++i)
        click(&window, "textlogo_button");
    QVERIFY(!logo->question() && !logo->notice());
    click(&window, "textlogo_button");
    if (busy) {
        QVERIFY(logo->notice() && logo->notice()->isVisible());
        QVERIFY(!logo->question());
    } else {
        QVERIFY(logo->question() && logo->question()->isVisible());
        if (accept)
            logo->question()->accept();
        else
            logo->question()->reject();
    }
    if (reset) {
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toBool(), true);
    } else {
        QTRY_VERIFY(!logo->question());
    }
    for (const QString &file : files)
        QCOMPARE(QFileInfo::exists(env.filePath(file)), !reset);
    QCOMPARE(LauncherConfig::instance()->readString(QStringLiteral("Launcher"), QStringLiteral("marker")),
        reset ? QString() : QStringLiteral("1"));

    // The database answers again, in its new file.
    QSignalSpy answers(&database, &DbManager::operationCompleted);
    const int id = database.query(QStringLiteral("select 1"));
    QTRY_COMPARE(answers.count(), 1);
    QCOMPARE(answers.first().value(0).toInt(), id);
    QVERIFY(answers.first().value(1).toBool());

    if (reset) { // the eleventh click and after: nothing
        for (int i = 0; i < LogoReset::kClicks; ++i)
            click(&window, "textlogo_button");
        QVERIFY(!logo->question() && !logo->notice());
    }
}

void TestMainWindow::playSettingPopupPointsAtItsButton()
{
    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    MainWindow window(collaborators(makePlugin(&base)));
    window.show();
    auto *button = child<QPushButton>(&window, "pushButton_playsetting");
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(button, &enter);
    auto *popup = window.findChild<TriangleWidget *>();
    QVERIFY(popup && popup->isVisible());
    // The tip of the pointer under its white panel.
    const QPoint tip = popup->mapToGlobal(QPoint(108, popup->height() - 1));
    const QRect target(button->mapToGlobal(QPoint(0, 0)), button->size());
    QVERIFY2(target.contains(tip), qPrintable(QStringLiteral("tip %1,%2").arg(tip.x()).arg(tip.y())));
}

void TestMainWindow::closeFollowsTheStoredChoice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<Way>("way");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("not chosen: the question") << "" << false << true << Way::CloseButton << Outcome::CloseQuestion;
    QTest::newRow("unknown choice, Alt+F4: the question")
        << "0" << false << true << Way::WindowSystem << Outcome::CloseQuestion;
    QTest::newRow("1 quits") << "1" << false << true << Way::CloseButton << Outcome::Quit;
    QTest::newRow("1, Alt+F4 quits") << "1" << false << true << Way::WindowSystem << Outcome::Quit;
    QTest::newRow("2 hides to the tray") << "2" << false << true << Way::CloseButton << Outcome::Hidden;
    QTest::newRow("2 without a tray minimises") << "2" << false << false << Way::WindowSystem << Outcome::Minimised;
    QTest::newRow("tray Close quits whatever is stored") << "2" << false << true << Way::TrayClose << Outcome::Quit;
    QTest::newRow("1 while downloading asks") << "1" << true << true << Way::CloseButton << Outcome::BusyQuestion;
    QTest::newRow("tray Close while downloading asks") << "" << true << true << Way::TrayClose << Outcome::BusyQuestion;
}

void TestMainWindow::closeFollowsTheStoredChoice()
{
    QFETCH(QString, stored);
    QFETCH(bool, downloading);
    QFETCH(bool, tray);
    QFETCH(Way, way);
    QFETCH(Outcome, outcome);

    TestEnv env(1);
    LauncherConfig::instance()->writeString(QStringLiteral("Launcher"), QStringLiteral("close_tpye"), stored);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    GameInstallPlugin *plugin = makePlugin(&base);
    MainWindow::Collaborators c = collaborators(plugin, -1, true);
    c.trayAvailable = [tray] {
        return tray;
    };
    MainWindow window(c);
    // Its version query may still be on the way at the end: it ends with the
    // window, before the network manager it uses.
    plugin->setParent(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (downloading) {
        GameVersionInfo info;
        info.latestVersion = QStringLiteral("1.0.0");
        info.packageUrls = QStringList {QStringLiteral("http://127.0.0.1:9/files/q_a.7z")};
        window.setGameVersionInfo(info);
        window.updateGameNow();
        QVERIFY(window.isInstallIng());
    }
    QSignalSpy quit(&window, &MainWindow::quitRequested);

    if (way == Way::CloseButton)
        click(&window, "pushButton_close");
    else if (way == Way::WindowSystem)
        QVERIFY(!window.close()); // the close event is refused; the behaviour decides
    else
        window.trayMenu()->closeAction()->trigger();

    CloseBehaviour *behaviour = window.closeBehaviour();
    switch (outcome) {
    case Outcome::Quit:
        QTRY_COMPARE(quit.count(), 1);
        QVERIFY(!behaviour->closeQuestion());
        break;
    case Outcome::Hidden:
        QTRY_VERIFY(window.isHidden());
        // One click on the tray icon brings it back.
        emit window.trayMenu()->icon()->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(window.isVisible());
        break;
    case Outcome::Minimised:
        QTRY_VERIFY(window.isMinimized());
        QVERIFY(window.isVisible());
        break;
    case Outcome::CloseQuestion: {
        QTRY_VERIFY(behaviour->closeQuestion() && behaviour->closeQuestion()->isVisible());
        QQuickWidget *view = behaviour->closeQuestion()->view();
        auto *mini = view->rootObject()->findChild<QQuickItem *>(QStringLiteral("miniRadio"));
        QVERIFY(mini && mini->property("checked").toBool()); // hiding is preselected
        // Escape leaves without an answer.
        QTest::keyClick(behaviour->closeQuestion(), Qt::Key_Escape);
        QTRY_VERIFY(!behaviour->closeQuestion());
        QCOMPARE(closeType(), stored);
        QVERIFY(window.isVisible() && !window.isMinimized());
        break;
    }
    case Outcome::BusyQuestion: {
        QTRY_VERIFY(behaviour->busyQuestion() && behaviour->busyQuestion()->isVisible());
        QVERIFY(!behaviour->closeQuestion());
        const QString text = child<QLabel>(behaviour->busyQuestion(), "UpdateMessage")->text();
        QCOMPARE(text, QCoreApplication::translate("MainWindow", "ExitOnDownloading"));
        QCOMPARE(quit.count(), 0);
        click(behaviour->busyQuestion(), "pushButton_confrim");
        QTRY_COMPARE(quit.count(), 1);
        break;
    }
    }
    if (outcome != Outcome::Quit && outcome != Outcome::BusyQuestion)
        QCOMPARE(quit.count(), 0);
    QCOMPARE(closeType(), stored);
}

void TestMainWindow::closeQuestionIsAnsweredOnce_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("tray");

    QTest::newRow("close") << "closeRadio"
                           << "1" << true;
    QTest::newRow("hide to the tray") << "miniRadio"
                                      << "2" << true;
    QTest::newRow("hide without a tray") << "miniRadio"
                                         << "2" << false;
}

void TestMainWindow::closeQuestionIsAnsweredOnce()
{
    QFETCH(QString, radio);
    QFETCH(QString, stored);
    QFETCH(bool, tray);

    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    MainWindow::Collaborators c = collaborators(makePlugin(&base));
    c.trayAvailable = [tray] {
        return tray;
    };
    MainWindow window(c);
    // Its version query may still be on the way at the end: it ends with the
    // window, before the network manager it uses.
    c.session->plugin()->setParent(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy quit(&window, &MainWindow::quitRequested);

    click(&window, "pushButton_close");
    CloseBehaviour *behaviour = window.closeBehaviour();
    QTRY_VERIFY(behaviour->closeQuestion() && behaviour->closeQuestion()->isVisible());
    QQuickWidget *view = behaviour->closeQuestion()->view();
    QVERIFY(QTest::qWaitForWindowExposed(behaviour->closeQuestion()));
    QVERIFY(clickItem(view, qPrintable(radio)));
    QTRY_VERIFY(view->rootObject()->findChild<QQuickItem *>(radio)->property("checked").toBool());
    QVERIFY(clickItem(view, "confirmButton"));

    QTRY_VERIFY(!behaviour->closeQuestion());
    QCOMPARE(closeType(), stored);
    const bool quits = stored == QLatin1String("1");
    QTRY_COMPARE(quit.count(), quits ? 1 : 0);
    if (!quits)
        QTRY_VERIFY(tray ? window.isHidden() : window.isMinimized());

    // The next close follows the answer without asking.
    window.showNormal();
    click(&window, "pushButton_close");
    QTRY_COMPARE(quit.count(), quits ? 2 : 0);
    if (!quits)
        QTRY_VERIFY(tray ? window.isHidden() : window.isMinimized());
    QVERIFY(!behaviour->closeQuestion());
}

void TestMainWindow::trayMenuOpensAboveTheCursorAndOpens()
{
    TestEnv env(1);
    const QString base = QStringLiteral("http://127.0.0.1:9");
    GameInstallPlugin *plugin = makePlugin(&base);
    MainWindow window(collaborators(plugin));
    plugin->setParent(&window);
    window.showMinimized();
    QTRY_VERIFY(window.isMinimized());

    // The tray sits at the bottom of the screen: the menu opens upwards.
    QCursor::setPos(600, 500);
    QTRY_COMPARE(QCursor::pos(), QPoint(600, 500));
    emit window.trayMenu()->icon()->activated(QSystemTrayIcon::Context);
    QMenu *menu = window.trayMenu()->menu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), QPoint(600, 500 - menu->height()));
    QCOMPARE(menu->actions().size(), 2);

    window.trayMenu()->openAction()->trigger();
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
