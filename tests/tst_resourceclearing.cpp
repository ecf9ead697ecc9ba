#include "app/launcherconfig.h"
#include "install/deletefiletask.h"
#include "install/gamefiles.h"
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

// Where the game goes and how it is cleared away: the location dialog's room
// check and what it stores, and the clearing that deletes only the game,
// never through a link, and forgets every extraction record.
namespace {

void writeFile(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

constexpr qint64 GB = 1000LL * 1000 * 1000;

} // namespace

class TestResourceClearing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quillmereInitUiResources(); }
    void refusedFolders_data();
    void refusedFolders();
    void clearingDeletesTheGameAndForgetsIt();
    void clearingRefusedDeletesNothing_data();
    void clearingRefusedDeletesNothing();
    void locationRoomCheck_data();
    void locationRoomCheck();
    void locationDialogStoresPath();
};

void TestResourceClearing::refusedFolders_data()
{
    QTest::addColumn<QString>("folder"); // relative to a temporary root; "@" prefix: special
    QTest::addColumn<bool>("recorded"); // the launcher's own install records name it
    QTest::addColumn<bool>("refused");

    QTest::newRow("empty path") << "@empty" << false << true;
    QTest::newRow("relative path") << "@relative" << false << true;
    QTest::newRow("root") << "@root" << false << true;
    QTest::newRow("home folder") << "@home" << false << true;
    QTest::newRow("launcher folder") << "launcher" << false << true;
    QTest::newRow("above the launcher") << "" << false << true;
    QTest::newRow("no game inside") << "other" << false << true;
    QTest::newRow("link to the game") << "link" << false << true;
    QTest::newRow("game by executable") << "launcher/Quillmereen" << false << false;
    QTest::newRow("game by version file") << "elsewhere" << false << false;
    QTest::newRow("not there") << "gone" << false << false;
    QTest::newRow("game by the launcher's version file") << "ownversion" << false << false;
    // An install the launcher started may stop before the game's files exist.
    QTest::newRow("empty, recorded by the launcher") << "other" << true << false;
    QTest::newRow("root, recorded by the launcher") << "@root" << true << true;
    QTest::newRow("launcher folder, recorded by the launcher") << "launcher" << true << true;
    QTest::newRow("link, recorded by the launcher") << "link" << true << true;
}

void TestResourceClearing::refusedFolders()
{
    QFETCH(QString, folder);
    QFETCH(bool, recorded);
    QFETCH(bool, refused);

    QTemporaryDir root;
    const QString launcher = root.filePath(QStringLiteral("launcher"));
    writeFile(launcher + QStringLiteral("/quillmere-launcher"));
    writeFile(launcher + QStringLiteral("/Quillmereen/quillmere"));
    writeFile(root.filePath(QStringLiteral("elsewhere/version.txt")));
    writeFile(root.filePath(QStringLiteral("other/notes.txt")));
    writeFile(root.filePath(QStringLiteral("ownversion/quillmere_version.ini")));
    QVERIFY(QFile::link(launcher + QStringLiteral("/Quillmereen"), root.filePath(QStringLiteral("link"))));

    QString path = root.filePath(folder);
    if (folder == QLatin1String("@empty"))
        path.clear();
    else if (folder == QLatin1String("@relative"))
        path = QStringLiteral("Quillmereen");
    else if (folder == QLatin1String("@root"))
        path = QDir::rootPath();
    else if (folder == QLatin1String("@home"))
        path = QDir::homePath();
    else if (folder.isEmpty())
        path = root.path() + QStringLiteral("/."); // the launcher's parent, spelt oddly

    const QString reason = DeleteFileTask::refusalReason(path, launcher, QStringLiteral("quillmere"), recorded);
    QVERIFY2(reason.isEmpty() != refused, qPrintable(reason));
}

void TestResourceClearing::clearingDeletesTheGameAndForgetsIt()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    const QString game = files->installDir();
    writeFile(game + QStringLiteral("/quillmere"));
    writeFile(game + QStringLiteral("/data/a.pak"));
    writeFile(game + QStringLiteral("/data/b.pak"));
    writeFile(game + QStringLiteral("/data/c.pak"));
    writeFile(env.filePath(QStringLiteral("Downloads/q_a.7z")));
    // A link inside the game folder to something of the user's.
    QTemporaryDir outside;
    writeFile(outside.filePath(QStringLiteral("keep/precious.txt")));
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("keep")), game + QStringLiteral("/saves")));
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.1.0"));
    files->markArchiveExtracted(QStringLiteral("1.1.0"), QStringLiteral("http://h/q_a.7z"));
    files->markArchiveExtracted(QStringLiteral("1.0.0"), QStringLiteral("http://h/q_b.7z"));

    QWidget window;
    window.resize(1280, 720);
    DeleteGameResourceDialog::Request request;
    request.installDir = game;
    auto *dialog = new DeleteGameResourceDialog(request, &window, Qt::Dialog | Qt::FramelessWindowHint);
    QVERIFY(dialog->refusal().isEmpty());
    // Forgotten before the first file goes (the deletion's thread reports
    // only through the event loop, which has not run yet).
    QVERIFY(files->installedVersion().isEmpty());
    QVERIFY(files->status() != InstallStatus::Installed);
    QList<int> progress;
    connect(dialog->findChild<QProgressBar *>(QStringLiteral("delete_progressBar")), &QProgressBar::valueChanged, this,
        [&progress](int value) { progress << value; });
    QSignalSpy done(dialog, &DeleteGameResourceDialog::deletionDone);
    dialog->show();
    QTest::keyClick(dialog, Qt::Key_Escape); // ignored while deleting
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
    QVERIFY(dialog->isVisible());

    QVERIFY(!QFileInfo::exists(game));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/q_a.7z"))));
    QVERIFY(QFileInfo::exists(outside.filePath(QStringLiteral("keep/precious.txt"))));
    QVERIFY(files->installedVersion().isEmpty());
    QVERIFY(files->status() != InstallStatus::Installed);
    for (const QString &group : LauncherConfig::instance()->groups())
        QVERIFY2(!group.startsWith(QLatin1String("UNZIP-")), qPrintable(group));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 100);
    for (int i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i) >= progress.at(i - 1));

    QSignalSpy confirmed(dialog, &DeleteGameResourceDialog::deleteFinishSignal);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("delete_dialog_confrim")), Qt::LeftButton);
    QCOMPARE(confirmed.count(), 1);
}

void TestResourceClearing::clearingRefusedDeletesNothing_data()
{
    QTest::addColumn<bool>("gameInside");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("gameRunning");

    QTest::newRow("folder without the game") << false << false << false;
    QTest::newRow("install running") << true << true << false;
    QTest::newRow("game running") << true << true << true;
}

void TestResourceClearing::clearingRefusedDeletesNothing()
{
    QFETCH(bool, gameInside);
    QFETCH(bool, busy);
    QFETCH(bool, gameRunning);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    QTemporaryDir folder;
    writeFile(folder.filePath(gameInside ? QStringLiteral("quillmere") : QStringLiteral("letters.txt")));
    writeFile(env.filePath(QStringLiteral("Downloads/q_a.7z")));
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.1.0"));

    QWidget window;
    DeleteGameResourceDialog::Request request;
    request.installDir = folder.path();
    request.busy = busy;
    request.gameRunning = gameRunning;
    DeleteGameResourceDialog dialog(request, &window, Qt::Dialog | Qt::FramelessWindowHint);
    QVERIFY(!dialog.refusal().isEmpty());
    // The player is told why: a running game is named as the reason.
    const QString told = dialog.findChild<QLabel *>(QStringLiteral("DeleteResourceOkLabel"))->text();
    QCOMPARE(told == DeleteGameResourceDialog::tr("DeleteResourceGameRunning"), gameRunning);
    QVERIFY(!dialog.isDeleting());
    QSignalSpy confirmed(&dialog, &DeleteGameResourceDialog::deleteFinishSignal);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("delete_dialog_confrim")), Qt::LeftButton);
    QCOMPARE(confirmed.count(), 0);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    QVERIFY(QFileInfo::exists(env.filePath(QStringLiteral("Downloads/q_a.7z"))));
    QCOMPARE(files->installedVersion(), QStringLiteral("1.1.0"));
}

void TestResourceClearing::locationRoomCheck_data()
{
    QTest::addColumn<qint64>("installFree");
    QTest::addColumn<qint64>("downloadsFree");
    QTest::addColumn<bool>("otherVolume");
    QTest::addColumn<bool>("room");

    // A 9 GB package needs 11.7 GB where it is extracted.
    QTest::newRow("10 GB for 9 GB") << 10 * GB << 10 * GB << false << false;
    QTest::newRow("12 GB for 9 GB") << 12 * GB << 12 * GB << false << true;
    QTest::newRow("downloads volume too small") << 12 * GB << 8 * GB << true << false;
    QTest::newRow("both volumes large enough") << 12 * GB << 9 * GB << true << true;
}

void TestResourceClearing::locationRoomCheck()
{
    QFETCH(qint64, installFree);
    QFETCH(qint64, downloadsFree);
    QFETCH(bool, otherVolume);
    QFETCH(bool, room);

    TestEnv env(1);
    GameVersionInfo info;
    info.packageSize = 9 * GB;
    DownloadPathSettingDialog::Collaborators c;
    c.versionInfo = [&info] {
        return info;
    };
    const QString downloads = env.filePath(QStringLiteral("Downloads"));
    c.freeSpace = [=](const QString &path) {
        return path.startsWith(downloads) ? downloadsFree : installFree;
    };
    c.volumeOf = [=](const QString &path) {
        return otherVolume && path.startsWith(downloads) ? QStringLiteral("B") : QStringLiteral("A");
    };
    QWidget window;
    DownloadPathSettingDialog dialog(c, &window, Qt::Dialog | Qt::FramelessWindowHint);
    dialog.show();
    auto *install = dialog.findChild<QPushButton *>(QStringLiteral("pushButton_pathdownload"));
    QCOMPARE(dialog.hasRoom(), room);
    QCOMPARE(install->isEnabled(), room);

    // Shown again for a smaller package, the dialog checks the new size.
    dialog.hide();
    info.packageSize = 1 * GB;
    dialog.show();
    QVERIFY(dialog.hasRoom());
    QVERIFY(install->isEnabled());
}

void TestResourceClearing::locationDialogStoresPath()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    DownloadPathSettingDialog::Collaborators c;
    c.versionInfo = [] {
        GameVersionInfo info;
        info.packageSize = 1000;
        return info;
    };
    QTemporaryDir picked;
    QWidget window;
    DownloadPathSettingDialog dialog(c, &window, Qt::Dialog | Qt::FramelessWindowHint);
    const QString recorded = files->installDir();
    const QString chosen = picked.path() + QStringLiteral("/Quillmereen");

    // Nothing installed yet: closing keeps the choice.
    dialog.show();
    dialog.choose(picked.path());
    QCOMPARE(QDir::fromNativeSeparators(dialog.path()), chosen);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButton_close")), Qt::LeftButton);
    QCOMPARE(files->installDir(), chosen);

    // An installed game is not moved away from by closing the dialog.
    files->setInstallDir(recorded);
    writeFile(files->gameExePath());
    files->setStatus(InstallStatus::Installed);
    dialog.show();
    dialog.choose(picked.path());
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButton_close")), Qt::LeftButton);
    QCOMPARE(files->installDir(), recorded);

    // Confirming is a choice: stored, and the download may start.
    QSignalSpy confirmed(&dialog, &DownloadPathSettingDialog::dialogConfirm);
    dialog.show();
    dialog.choose(picked.path());
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("pushButton_pathdownload")), Qt::LeftButton);
    QCOMPARE(confirmed.count(), 1);
    QCOMPARE(files->installDir(), chosen);
}

QTEST_MAIN(TestResourceClearing)
#include "tst_resourceclearing.moc"
