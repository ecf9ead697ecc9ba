#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "launch/gamelauncher.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/launcherroot.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/traymenu.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"
#include "support/uidriver.h"
#include "widgets/uiresources.h"

#include <QAction>
#include <QDirIterator>
#include <QFileDialog>
#include <QJsonArray>
#include <QLabel>
#include <QProgressBar>
#include <QTranslator>

#include <memory>
#include <signal.h>

// The sessions a player lives, one after the other on one stand-in publisher
// and one launcher folder, through the launcher the entry builds (its root,
// pointed at the stand-in): a first install into a folder of their own with
// a pause, playing, an update published while the launcher runs, clearing
// the game and installing it again, the settings, and the way out through
// the tray. Each step starts from what the one before left.
namespace {

// The game is a real program that runs until it is ended.
const Tree kVersion1 {
    {QStringLiteral("quillmere"), "#!/bin/sh\nexec sleep 60\n"},
    {QStringLiteral("quillmere_version.ini"), "1.0.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(300000, 1)},
    {QStringLiteral("data/old-notes.txt"), "notes of the first release\n"},
};

// Changes the game, keeps the world, adds a level and drops the notes.
const Tree kVersion2 {
    {QStringLiteral("quillmere"), "#!/bin/sh\n# 1.1.0\nexec sleep 60\n"},
    {QStringLiteral("quillmere_version.ini"), "1.1.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(300000, 1)},
    {QStringLiteral("data/level2.pak"), pseudoRandom(20000, 3)},
};

// Slow enough that a pause lands in the middle of the first download.
constexpr qint64 kRateLimit = 150000;
constexpr int kInstallMs = 30000;

// Every file below `root`, by relative path.
Tree treeOf(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            tree.insert(QDir(root).relativeFilePath(file.fileName()), file.readAll());
    }
    return tree;
}

// The relative paths where two trees differ.
QStringList differences(const Tree &actual, const Tree &expected)
{
    QStringList paths;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (actual.value(it.key()) != it.value())
            paths << it.key();
    }
    for (const QString &path : actual.keys()) {
        if (!expected.contains(path))
            paths << path;
    }
    return paths;
}

bool shown(const QWidget *widget)
{
    return widget && widget->isVisible();
}

} // namespace

class TestJourneys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstInstallAndPlay();
    void updateClearAndInstallAgain();
    void settingsTrayAndQuit();

private:
    // Installs what the window offers into the folder it shows: the
    // location dialog's confirm, then waits for the play button.
    void installOffered();
    int resourceRequestsFrom(const QString &currentVersion) const;
    // The analytics events of `name` the stand-in received.
    int eventsReceived(const QString &name) const;

    QTranslator m_translator;
    QTemporaryDir m_content;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<PublisherProcess> m_publisher;
    std::unique_ptr<LauncherRoot> m_root;
    GameInstallPlugin *m_plugin = nullptr;
    MainWindow *m_window = nullptr;
    SettingsModel *m_settings = nullptr;
    int m_restartQuits = 0;
    QString m_installDir;
};

void TestJourneys::initTestCase()
{
    quillmereInitUiResources();
    QVERIFY(m_translator.load(QStringLiteral(":/i18n/app_en")));
    QCoreApplication::installTranslator(&m_translator);
    // 1.1.0 is built but held back until the publisher publishes it.
    QString output;
    QVERIFY2(PublisherProcess::makeContent(m_content.path(),
                 {{QStringLiteral("1.0.0"), kVersion1}, {QStringLiteral("1.1.0"), kVersion2}},
                 {QStringLiteral("--format"), QStringLiteral("7z"), QStringLiteral("--part-size"),
                     QStringLiteral("60000"), QStringLiteral("--hold"), QStringLiteral("1.1.0")},
                 &output),
        qPrintable(output));
    m_env = std::make_unique<TestEnv>(1);
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));

    // The language the entry would have chosen; the restart is only asked
    // for (the restart itself spawns a launcher); hiding to the tray works
    // on any desktop.
    LauncherConfig::instance()->setLanguageIndex(1);
    LauncherRoot::Overrides overrides;
    overrides.serviceBase = m_publisher->baseUrl();
    overrides.rateLimit = kRateLimit;
    overrides.restart.quit = [this] {
        ++m_restartQuits;
    };
    overrides.restart.start = [](const QString &) -> qint64 {
        qFatal("no launcher is started here");
        return 0;
    };
    overrides.trayAvailable = [] {
        return true;
    };
    m_root = std::make_unique<LauncherRoot>(std::move(overrides));
    m_plugin = m_root->installPlugin();
    m_window = m_root->window();
    m_settings = m_root->settings();
    m_window->gameLauncher()->setWatchDelay(0);
    QTRY_VERIFY(m_settings->isFilled());
}

void TestJourneys::cleanupTestCase()
{
    m_root.reset();
    m_publisher.reset();
    m_env.reset();
}

void TestJourneys::installOffered()
{
    DownloadPathSettingDialog *where = m_window->downloadPathDialog();
    QTRY_VERIFY(shown(where));
    QVERIFY(where->hasRoom());
    QCOMPARE(QDir::fromNativeSeparators(where->path()), m_installDir);
    click(where, "pushButton_pathdownload");
    QTRY_COMPARE_WITH_TIMEOUT(m_window->state(), MainWindow::State::Play, kInstallMs);
}

int TestJourneys::eventsReceived(const QString &name) const
{
    int count = 0;
    for (const QJsonObject &line : m_publisher->analyticsEvents()) {
        if (line.value(QStringLiteral("event")).toObject().value(QStringLiteral("#event_name")).toString() == name)
            ++count;
    }
    return count;
}

int TestJourneys::resourceRequestsFrom(const QString &currentVersion) const
{
    int count = 0;
    for (const QJsonObject &line : m_publisher->logLines(QStringLiteral("requests.jsonl"))) {
        const QJsonObject body = line.value(QStringLiteral("body")).toObject();
        if (line.value(QStringLiteral("path")).toString() == QLatin1String("/diff-update/resource")
            && body.value(QStringLiteral("currentVersion")).toString() == currentVersion)
            ++count;
    }
    return count;
}

// Install into a picked folder with a pause in the middle, then play: the
// window steps aside while the game runs and comes back when it ends.
void TestJourneys::firstInstallAndPlay()
{
    MainWindow *window = m_window;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::GetGame, 10000);
    QCOMPARE(m_plugin->gameVersionInfo().latestVersion, QStringLiteral("1.0.0"));

    click(window, "pushButton_install");
    DownloadPathSettingDialog *where = window->downloadPathDialog();
    QVERIFY(shown(where));
    const QString picked = m_env->filePath(QStringLiteral("games"));
    QVERIFY(QDir().mkpath(picked));
    click(where, "pushButton_changepath");
    auto *picker = where->findChild<QFileDialog *>();
    QTRY_VERIFY(shown(picker));
    picker->selectFile(picked);
    static_cast<QDialog *>(picker)->accept(); // the picker's own accept, as its button
    m_installDir = picked + QLatin1Char('/') + LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir"));
    QCOMPARE(QDir::fromNativeSeparators(where->path()), m_installDir);
    QVERIFY(m_installDir != GameFiles::instance()->installDir());
    click(where, "pushButton_pathdownload");
    QTRY_COMPARE(window->state(), MainWindow::State::Downloading);
    QTRY_VERIFY_WITH_TIMEOUT(!child<QLabel>(window, "label_fileSizeText")->text().isEmpty(), 10000);

    click(window, "pushButton_stop");
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::Paused, 10000);
    QVERIFY(!window->isInstallIng());
    const int paused = child<QProgressBar>(window, "progressBar")->value();
    QVERIFY2(paused < 100, qPrintable(QString::number(paused)));
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Downloading);

    click(window, "pushButton_play");
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::Play, kInstallMs);
    GameFiles *files = GameFiles::instance();
    QCOMPARE(files->installDir(), m_installDir);
    QCOMPARE(files->installedVersion(), QStringLiteral("1.0.0"));
    QCOMPARE(differences(treeOf(m_installDir), kVersion1), QStringList());
    QTRY_COMPARE(eventsReceived(QStringLiteral("launcher_downloadgame_start")), 2);
    QTRY_COMPARE(eventsReceived(QStringLiteral("launcher_install_finish")), 1);

    QSignalSpy watched(window->gameLauncher(), &GameLauncher::watched);
    click(window, "pushButton_playgame");
    const qint64 pid = window->gameLauncher()->processId();
    QVERIFY(pid > 0);
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget(), m_installDir);
    QTRY_VERIFY_WITH_TIMEOUT(!watched.isEmpty(), 10000);
    QCOMPARE(watched.first().first().toBool(), true);
    QVERIFY(window->isHidden());

    QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(window->isVisible() && !window->isMinimized(), 10000);
    QCOMPARE(watched.last().first().toBool(), false);
    QCOMPARE(window->state(), MainWindow::State::Play);
}

// 1.1.0 published while the launcher runs: the window's own check asks,
// the differential package brings the tree to 1.1.0. Then the game is
// cleared and installed again whole.
void TestJourneys::updateClearAndInstallAgain()
{
    MainWindow *window = m_window;
    QString output;
    QVERIFY2(PublisherProcess::publish(m_content.path(), QStringLiteral("1.1.0"), &output), qPrintable(output));

    GameUpdatePrompt *prompt = window->updatePrompt();
    click(window, "pushButton_checkUpddate");
    QTRY_VERIFY_WITH_TIMEOUT(shown(prompt->question()), 10000);
    QCOMPARE(prompt->question()->message(), QStringLiteral("New Version found(1.1.0), update now?"));
    click(prompt->question(), "pushButton_confrim");
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::Downloading, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(window->state(), MainWindow::State::Play, kInstallMs);
    GameFiles *files = GameFiles::instance();
    QCOMPARE(files->installedVersion(), QStringLiteral("1.1.0"));
    QCOMPARE(m_plugin->gameVersionInfo().updateType, 2);
    QCOMPARE(resourceRequestsFrom(QStringLiteral("1.0.0")), 1);
    QCOMPARE(differences(treeOf(m_installDir), kVersion2), QStringList());

    // Clearing: the play-settings pop-up's "clear", its question, the
    // deletion; then the install button is back and installs 1.1.0 whole.
    click(window, "pushButton_cleared");
    auto *question = window->findChild<WarningDialogwithDoublebutton *>();
    QVERIFY(shown(question));
    click(question, "pushButton_confrim");
    DeleteGameResourceDialog *clearing = nullptr;
    QTRY_VERIFY((clearing = window->findChild<DeleteGameResourceDialog *>()));
    QVERIFY(clearing->refusal().isEmpty());
    QSignalSpy done(clearing, &DeleteGameResourceDialog::deletionDone);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
    QVERIFY(!QFileInfo::exists(m_installDir));
    click(clearing, "delete_dialog_confrim");
    QTRY_COMPARE(window->state(), MainWindow::State::GetGame);
    QVERIFY(files->installedVersion().isEmpty());
    // The update's package only holds what changed: the window asks for the whole game.
    QTRY_COMPARE_WITH_TIMEOUT(resourceRequestsFrom(QString()), 2, 10000);
    QTRY_COMPARE(m_plugin->gameVersionInfo().updateType, 1);

    click(window, "pushButton_install");
    installOffered();
    QCOMPARE(files->installedVersion(), QStringLiteral("1.1.0"));
    QCOMPARE(differences(treeOf(m_installDir), kVersion2), QStringList());
}

// The settings through the window's button: hiding to the tray and a new
// language, which asks for the restart. Then the close button hides, the
// tray's Open brings the window back and its Close quits in order.
void TestJourneys::settingsTrayAndQuit()
{
    MainWindow *window = m_window;
    click(window, "pushButton_setting");
    auto *settings = window->findChild<SettingQtDialog *>();
    QTRY_VERIFY(shown(settings));
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    QQuickWidget *page = settings->view();
    const QString hideText = QCoreApplication::translate("KVSettings4General", "Close to minimize launcher");
    QQuickItem *hideSwitch = nullptr;
    QQuickItem *languages = nullptr;
    for (QQuickItem *item : page->rootObject()->findChildren<QQuickItem *>()) {
        if (item->property("text").toString() == hideText && item->property("checked").isValid())
            hideSwitch = item;
        if (item->inherits("QQuickComboBox"))
            languages = item;
    }
    QVERIFY(hideSwitch);
    QVERIFY(languages);
    QCOMPARE(hideSwitch->property("checked").toBool(), false);
    clickItem(page, hideSwitch);
    QTRY_COMPARE(m_settings->closeType(), QStringLiteral("2"));
    QVERIFY(hideSwitch->property("checked").toBool());

    // Japanese, chosen in the list: the question, then the restart.
    QVERIFY(QMetaObject::invokeMethod(languages, "activated", Q_ARG(int, 2)));
    SettingCommonDialog *restartQuestion = nullptr;
    QTRY_VERIFY((restartQuestion = window->findChild<SettingCommonDialog *>()) && restartQuestion->isVisible());
    QCOMPARE(restartQuestion->message(), QCoreApplication::translate("SettingsModel", "restartOnModifyingLanguage"));
    click(restartQuestion, "pushButton_confrim");
    QTRY_COMPARE(m_restartQuits, 1);
    QVERIFY(m_root->restart()->isPending());
    QVERIFY(!settings->isVisible());
    QVERIFY(m_settings->waitForStoreWork(5000));
    LauncherConfig *config = LauncherConfig::instance();
    QCOMPARE(config->readString(QStringLiteral("Launcher"), QStringLiteral("close_tpye")), QStringLiteral("2"));
    QCOMPARE(config->readInt(QStringLiteral("Launcher"), QStringLiteral("language_index")), 2);

    QSignalSpy quitRequested(window, &MainWindow::quitRequested);
    QSignalSpy stopped(m_root->quit(), &OrderlyQuit::stopped);
    click(window, "pushButton_close");
    QTRY_VERIFY(window->isHidden());
    QVERIFY(!window->closeBehaviour()->closeQuestion());
    window->trayMenu()->openAction()->trigger();
    QTRY_VERIFY(window->isVisible() && !window->isMinimized());
    QCOMPARE(quitRequested.count(), 0);

    window->trayMenu()->closeAction()->trigger();
    QTRY_COMPARE(stopped.count(), 1);
    QCOMPARE(quitRequested.count(), 1);
    QVERIFY(m_root->quit()->isQuitting());
    QVERIFY(!window->isInstallIng());
    QVERIFY(!window->gameLauncher()->isWatching());
    QVERIFY(!window->session()->downloadEngine());
    QCOMPARE(config->readString(QStringLiteral("Launcher"), QStringLiteral("close_tpye")), QStringLiteral("2"));
}

QTEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
