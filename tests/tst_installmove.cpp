// Moving an installed game: a rename on one volume, a checked copy onto
// another, the old install kept whole when the copy is cut short, the
// refusals, and the command line that does the same without a window.

#include "app/launcherconfig.h"
#include "app/singleinstanceguard.h"
#include "install/gamefiles.h"
#include "install/installmover.h"
#include "launch/gamelauncher.h"
#include "settings/settingcommondialog.h"
#include "settings/settingsmodel.h"
#include "support/testenv.h"

#include <QFileDialog>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QStorageInfo>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Outcome = InstallMover::Outcome;

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A game folder: an executable that leaves a mark where it lives, a nested
// data file, a hidden file, an empty folder and a relative link.
void makeGame(const QString &dir, int extraFiles = 0, int extraSize = 0)
{
    writeFile(dir + QStringLiteral("/quillmere"), "#!/bin/sh\ntouch \"$(dirname \"$0\")/played\"\n");
    QFile::setPermissions(dir + QStringLiteral("/quillmere"),
        QFile::permissions(dir + QStringLiteral("/quillmere")) | QFile::ExeOwner | QFile::ExeUser);
    writeFile(dir + QStringLiteral("/data/level1.pak"), QByteArray(300000, 'a'));
    writeFile(dir + QStringLiteral("/.hidden"), "h");
    writeFile(dir + QStringLiteral("/quillmere_version.ini"), "1.0.0\n");
    QDir().mkpath(dir + QStringLiteral("/saves"));
    QFile::link(QStringLiteral("data/level1.pak"), dir + QStringLiteral("/current.pak"));
    for (int i = 0; i < extraFiles; ++i)
        writeFile(dir + QStringLiteral("/data/extra%1.bin").arg(i), QByteArray(extraSize, char('0' + i % 10)));
}

// Every entry with its kind and content, to compare two folders.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(
        dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(dir).relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            entries[name] = "link:" + QFile::encodeName(QFile::symLinkTarget(info.filePath())).mid(dir.size());
        } else if (info.isDir()) {
            entries[name] = "folder";
        } else {
            QFile file(info.filePath());
            file.open(QIODevice::ReadOnly);
            entries[name] = file.readAll() + (info.isExecutable() ? "+x" : "");
        }
    }
    return entries;
}

// A folder on another volume than the temporary folder, or empty.
QString otherVolumeBase()
{
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isWritable())
        return QString();
    return QStorageInfo(shm).device() != QStorageInfo(QDir::tempPath()).device() ? shm : QString();
}

struct Run
{
    Outcome outcome = Outcome::Refused;
    QString message;
    QString folder;
    int progress = 0;
    qint64 lastBytes = 0;
    qint64 lastTotal = 0;
    QStringList switched;
};

// Moves and waits for the end; `onProgress` runs on the mover's thread.
Run moveGame(InstallMover::Collaborators c, const QString &to,
    std::function<void(InstallMover *, qint64, int)> onProgress = nullptr)
{
    Run run;
    auto switchRecords = c.switchRecords;
    c.switchRecords = [&run, switchRecords](const QString &folder) {
        run.switched << folder;
        return switchRecords ? switchRecords(folder) : true;
    };
    InstallMover mover(c);
    QObject::connect(
        &mover, &InstallMover::progress, &mover,
        [&run, &mover, onProgress](qint64 bytes, qint64 total, int files) {
            ++run.progress;
            run.lastBytes = bytes;
            run.lastTotal = total;
            if (onProgress)
                onProgress(&mover, bytes, files);
        },
        Qt::DirectConnection);
    QSignalSpy finished(&mover, &InstallMover::finished);
    mover.start(to);
    [&] {
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    }();
    if (finished.count() == 1) {
        run.outcome = finished.at(0).at(0).value<Outcome>();
        run.message = finished.at(0).at(1).toString();
        run.folder = finished.at(0).at(2).toString();
    }
    return run;
}

} // namespace

class TestInstallMove : public QObject
{
    Q_OBJECT

private slots:
    void sameVolumeRenames();
    void anotherVolumeCopiesChecksAndSwitches();
    void interruptedCopyKeepsTheOldInstall_data();
    void interruptedCopyKeepsTheOldInstall();
    void refused_data();
    void refused();
    void leftoverStagingIsRemoved();
    void killedCopyIsRemovedAtNextStart_data();
    void killedCopyIsRemovedAtNextStart();
    void copyUnderWayIsKept();
    void movedGamePlays();
    void settingsAskBeforeMoving_data();
    void settingsAskBeforeMoving();
    void commandLine_data();
    void commandLine();
};

void TestInstallMove::sameVolumeRenames()
{
    QTemporaryDir temp;
    const QString from = temp.filePath(QStringLiteral("games/Quillmere"));
    const QString to = temp.filePath(QStringLiteral("elsewhere/deeper/Quillmere"));
    makeGame(from);
    const auto before = snapshot(from);

    InstallMover::Collaborators c;
    c.from = from;
    const Run run = moveGame(c, to);
    QCOMPARE(run.outcome, Outcome::Moved);
    QCOMPARE(run.folder, to);
    QCOMPARE(run.switched, QStringList {to});
    QCOMPARE(run.progress, 0); // renamed, not copied
    QCOMPARE(snapshot(to), before);
    QVERIFY(!QFileInfo::exists(from));
}

void TestInstallMove::anotherVolumeCopiesChecksAndSwitches()
{
    const QString base = otherVolumeBase();
    if (base.isEmpty())
        QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
    QTemporaryDir temp;
    QTemporaryDir other(base + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = temp.filePath(QStringLiteral("Quillmere"));
    const QString to = other.filePath(QStringLiteral("Games/Quillmere"));
    makeGame(from, 3, 9 << 20);
    const auto before = snapshot(from);
    const qint64 total = 300000 + 3 * (9 << 20) + 1 + 6 + QFileInfo(from + QStringLiteral("/quillmere")).size();

    InstallMover::Collaborators c;
    c.from = from;
    QStringList checked;
    c.checkCopy = [&checked](const QString &relative, const QString &) {
        checked << relative;
        return true;
    };
    const Run run = moveGame(c, to);
    QCOMPARE(run.outcome, Outcome::Moved);
    QCOMPARE(run.switched, QStringList {to});
    QVERIFY(run.progress >= 4); // at the start, inside the large files, at the end
    QCOMPARE(run.lastTotal, total);
    QCOMPARE(run.lastBytes, run.lastTotal);
    QCOMPARE(snapshot(to), before);
    checked.sort();
    QCOMPARE(checked.size(), 7);
    QVERIFY(checked.contains(QStringLiteral("data/level1.pak")));
    QVERIFY(!QFileInfo::exists(from));
    QVERIFY(!QFileInfo::exists(InstallMover::stagingPath(to)));
}

// Whatever cuts the copy short, the old install and its records stay and
// neither the destination nor a staging folder is left.
void TestInstallMove::interruptedCopyKeepsTheOldInstall_data()
{
    QTest::addColumn<QString>("cut");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("cancelled after the first file") << QStringLiteral("cancel") << Outcome::Cancelled;
    QTest::newRow("a copy fails its check") << QStringLiteral("check") << Outcome::Failed;
    QTest::newRow("the records cannot be switched") << QStringLiteral("records") << Outcome::Failed;
    QTest::newRow("the disk fills up") << QStringLiteral("full") << Outcome::Failed;
}

void TestInstallMove::interruptedCopyKeepsTheOldInstall()
{
    QFETCH(QString, cut);
    QFETCH(Outcome, outcome);
    QTemporaryDir temp;
    QString base = otherVolumeBase();
    QTemporaryDir mountPoint;
    bool mounted = false;
    if (cut == QLatin1String("full")) {
        // A small volume of its own, so that the copy itself runs out of room.
        if (::geteuid() != 0)
            QSKIP("Mounting a small tmpfs needs root");
        mounted = ::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=2m") == 0;
        if (!mounted)
            QSKIP("A small tmpfs could not be mounted here");
        base = mountPoint.path();
    } else if (base.isEmpty()) {
        QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
    }
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            ::umount2(QFile::encodeName(mountPoint.path()).constData(), MNT_DETACH);
    });
    QTemporaryDir other(base + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = temp.filePath(QStringLiteral("Quillmere"));
    const QString to = other.filePath(QStringLiteral("Quillmere"));
    makeGame(from, 6, 1 << 20);
    const auto before = snapshot(from);

    InstallMover::Collaborators c;
    c.from = from;
    c.freeSpace = [](const QString &) {
        return Q_INT64_C(1) << 40;
    }; // the room check passes
    c.checkCopy = [cut](const QString &relative, const QString &) {
        return cut != QLatin1String("check") || relative != QLatin1String("data/extra3.bin");
    };
    c.switchRecords = [cut](const QString &) {
        return cut != QLatin1String("records");
    };
    const Run run = moveGame(c, to, [cut](InstallMover *mover, qint64, int files) {
        if (cut == QLatin1String("cancel") && files >= 1)
            mover->cancel();
    });
    QCOMPARE(run.outcome, outcome);
    QCOMPARE(run.folder, from);
    QVERIFY(!run.message.isEmpty());
    QCOMPARE(run.switched, cut == QLatin1String("records") ? QStringList {to} : QStringList());
    QCOMPARE(snapshot(from), before);
    QVERIFY(!QFileInfo::exists(to));
    QVERIFY(!QFileInfo::exists(InstallMover::stagingPath(to)));
}

void TestInstallMove::refused_data()
{
    QTest::addColumn<QString>("to"); // relative to the temporary folder
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("says");
    QTest::newRow("the game runs") << "new"
                                   << "game running"
                                   << "is running";
    QTest::newRow("an install runs") << "new"
                                     << "install running"
                                     << "being installed";
    QTest::newRow("no game") << "new"
                             << "no game"
                             << "no installed game";
    QTest::newRow("its own folder") << "Quillmere"
                                    << ""
                                    << "already in";
    QTest::newRow("its own folder, another name") << "games/../Quillmere/"
                                                  << ""
                                                  << "already in";
    QTest::newRow("inside the old folder") << "Quillmere/sub"
                                           << ""
                                           << "cannot be inside";
    QTest::newRow("around the old folder") << "."
                                           << ""
                                           << "cannot be inside";
    QTest::newRow("a folder with files") << "full"
                                         << ""
                                         << "not empty";
    QTest::newRow("a file") << "file"
                            << ""
                            << "not empty";
    QTest::newRow("no room on another volume") << "shm"
                                               << "no room"
                                               << "Not enough space";
}

void TestInstallMove::refused()
{
    QFETCH(QString, to);
    QFETCH(QString, state);
    QFETCH(QString, says);
    QTemporaryDir temp;
    const QString from = temp.filePath(QStringLiteral("Quillmere"));
    makeGame(from);
    writeFile(temp.filePath(QStringLiteral("full/keep.txt")), "mine");
    writeFile(temp.filePath(QStringLiteral("file")), "mine");
    const auto before = snapshot(temp.path());
    std::unique_ptr<QTemporaryDir> other;
    if (to == QLatin1String("shm")) {
        if (otherVolumeBase().isEmpty())
            QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
        other = std::make_unique<QTemporaryDir>(otherVolumeBase() + QStringLiteral("/tst_installmove-XXXXXX"));
        to = other->filePath(QStringLiteral("Quillmere"));
    } else {
        to = temp.filePath(to);
    }

    InstallMover::Collaborators c;
    c.from = state == QLatin1String("no game") ? temp.filePath(QStringLiteral("absent")) : from;
    c.gameRunning = [state] {
        return state == QLatin1String("game running");
    };
    c.installRunning = [state] {
        return state == QLatin1String("install running");
    };
    c.freeSpace = [state](const QString &) {
        return state == QLatin1String("no room") ? 1000 : Q_INT64_C(1) << 40;
    };
    const Run run = moveGame(c, to);
    QCOMPARE(run.outcome, Outcome::Refused);
    QVERIFY2(run.message.contains(says), qPrintable(run.message));
    QVERIFY(run.switched.isEmpty());
    QCOMPARE(snapshot(temp.path()), before);
    if (other)
        QVERIFY(!QFileInfo::exists(to));
}

// A staging folder a killed move left is removed by the next move; a folder
// of the same name without the mark is the player's and stays.
void TestInstallMove::leftoverStagingIsRemoved()
{
    const QString base = otherVolumeBase();
    if (base.isEmpty())
        QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
    QTemporaryDir temp;
    QTemporaryDir other(base + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = temp.filePath(QStringLiteral("Quillmere"));
    makeGame(from);
    const QString to = other.filePath(QStringLiteral("Quillmere"));
    writeFile(InstallMover::stagingPath(to) + QLatin1Char('/') + InstallMover::StagingMarker, "");
    writeFile(InstallMover::stagingPath(to) + QStringLiteral("/data/half.bin"), "half");

    InstallMover::Collaborators c;
    c.from = from;
    QCOMPARE(moveGame(c, to).outcome, Outcome::Moved);
    QVERIFY(!QFileInfo::exists(InstallMover::stagingPath(to)));
    QVERIFY(!QFileInfo::exists(to + QStringLiteral("/data/half.bin")));
}

// The launcher built beside the tests, copied into the test's installation,
// set to run without a display.
static void prepareLauncher(const TestEnv &env, QProcess *process)
{
    const QString program = env.filePath(QStringLiteral("quillmere-launcher"));
    const QString built
        = QString::fromLocal8Bit(qgetenv("QUILLMERE_BUILD_DIR")) + QStringLiteral("/src/quillmere-launcher");
    QVERIFY2(QFile::copy(built, program), qPrintable(built));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("TMPDIR"), env.appDir()); // its single-instance lock
    process->setProcessEnvironment(environment);
    process->setProgram(program);
}

// A move killed in the middle of its copy leaves the old install as it was,
// and the next start takes its half copy away: the window's clean-up, or a
// move elsewhere from the command line.
void TestInstallMove::killedCopyIsRemovedAtNextStart_data()
{
    QTest::addColumn<bool>("byWindow");
    QTest::newRow("window start") << true;
    QTest::newRow("next move elsewhere") << false;
}

void TestInstallMove::killedCopyIsRemovedAtNextStart()
{
    QFETCH(bool, byWindow);
    const QString base = otherVolumeBase();
    if (base.isEmpty())
        QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
    TestEnv env;
    QTemporaryDir other(base + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = env.filePath(QStringLiteral("Quillmereen"));
    const QString to = other.filePath(QStringLiteral("Quillmere"));
    makeGame(from, 64, 1 << 20);
    const auto before = snapshot(from);
    GameFiles::instance()->setInstallDir(from);
    GameFiles::instance()->setStatus(InstallStatus::Installed);
    // A pipe nobody writes to: the copy stops there until the kill.
    const QString pipe = from + QStringLiteral("/stuck.pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QProcess process;
    prepareLauncher(env, &process);
    if (QTest::currentTestFailed())
        return;
    process.setArguments({QStringLiteral("--move-install"), to});
    process.start();
    const QString staging = InstallMover::stagingPath(to);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(staging + QLatin1Char('/') + InstallMover::StagingMarker), 60000);
    ::kill(pid_t(process.processId()), SIGKILL);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY(QFile::remove(pipe));
    QVERIFY(QFileInfo::exists(InstallMover::journalPath()));
    QCOMPARE(snapshot(from), before);
    QCOMPARE(GameFiles::instance()->installDir(), from);

    const QString elsewhere = other.filePath(QStringLiteral("Elsewhere"));
    if (byWindow) {
        QVERIFY(InstallMover::removeInterruptedCopy(InstallMover::journalPath()));
    } else {
        process.setArguments({QStringLiteral("--move-install"), elsewhere});
        process.start();
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    }
    QVERIFY(!QFileInfo::exists(staging));
    QVERIFY(!QFileInfo::exists(InstallMover::journalPath()));
    QCOMPARE(snapshot(byWindow ? from : elsewhere), before);
}

// The clean-up never takes the staging folder of a copy still running.
void TestInstallMove::copyUnderWayIsKept()
{
    const QString base = otherVolumeBase();
    if (base.isEmpty())
        QSKIP("No second volume: /dev/shm is missing or on the temporary folder's volume");
    QTemporaryDir temp;
    QTemporaryDir other(base + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = temp.filePath(QStringLiteral("Quillmere"));
    const QString to = other.filePath(QStringLiteral("Quillmere"));
    makeGame(from, 2, 1 << 20);
    const auto before = snapshot(from);
    InstallMover::Collaborators c;
    c.from = from;
    c.journal = temp.filePath(QStringLiteral("move.journal"));
    int tries = 0;
    int taken = 0;
    const Run run = moveGame(c, to, [&](InstallMover *, qint64, int files) {
        if (files < 1 || tries > 0)
            return;
        ++tries;
        taken += InstallMover::removeInterruptedCopy(c.journal) ? 1 : 0;
    });
    QCOMPARE(tries, 1);
    QCOMPARE(taken, 0);
    QCOMPARE(run.outcome, Outcome::Moved);
    QCOMPARE(snapshot(to), before);
    QVERIFY(!QFileInfo::exists(c.journal));
}

// The records name the new folder, and the game starts from there.
void TestInstallMove::movedGamePlays()
{
    TestEnv env;
    const QString from = env.filePath(QStringLiteral("Quillmereen"));
    const QString to = env.filePath(QStringLiteral("library/Quillmereen"));
    makeGame(from);
    GameFiles *files = GameFiles::instance();
    files->setInstallDir(from);
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    files->setStatus(InstallStatus::Installed);
    LauncherConfig::instance()->writeBool(QStringLiteral("Launcher"), QStringLiteral("popup_on_gameexit"), false);

    QCOMPARE(moveGame(InstallMover::forRecordedGame(), to).outcome, Outcome::Moved);
    QCOMPARE(files->installDir(), to);
    QCOMPARE(LauncherConfig::instance()->registryValue(QStringLiteral("game_exe_install_dir")), to);
    QVERIFY(files->isGameInstalled(1));

    GameLauncher launcher;
    QString error;
    QVERIFY2(launcher.launch(&error), qPrintable(error));
    QTRY_VERIFY(QFileInfo::exists(to + QStringLiteral("/played")));
}

// The settings' Change of an installed game: a folder, the question, the
// move with its progress, the result as a tip and the new location.
void TestInstallMove::settingsAskBeforeMoving_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("confirmed") << QStringLiteral("pushButton_confrim");
    QTest::newRow("cancelled") << QStringLiteral("pushButton_cancle");
}

void TestInstallMove::settingsAskBeforeMoving()
{
    QFETCH(QString, answer);
    TestEnv env;
    const QString from = env.filePath(QStringLiteral("Quillmereen"));
    const QString chosen = env.filePath(QStringLiteral("library")); // not empty: the game goes into a sub-folder
    makeGame(from);
    writeFile(chosen + QStringLiteral("/other.txt"), "mine");
    GameFiles::instance()->setInstallDir(from);
    GameFiles::instance()->setStatus(InstallStatus::Installed);
    SettingsModel model;
    QWidget window;
    model.setMainWindow(&window);
    int moved = 0;
    model.actions().moveCollaborators = &InstallMover::forRecordedGame;
    model.actions().moved = [&moved] {
        ++moved;
    };

    model.changeInstallationLocation();
    QFileDialog *folders = nullptr;
    QTRY_VERIFY((folders = qobject_cast<QFileDialog *>(window.findChild<QFileDialog *>())));
    QCOMPARE(folders->fileMode(), QFileDialog::Directory);
    emit folders->fileSelected(chosen);
    folders->close();
    const QString to = chosen + QStringLiteral("/Quillmereen");
    SettingCommonDialog *question = nullptr;
    QTRY_VERIFY((question = window.findChild<SettingCommonDialog *>()));
    QCOMPARE(question->message(), InstallMover::question(to));
    QPointer<SettingCommonDialog> asked(question);
    question->findChild<QPushButton *>(answer)->click();
    QTRY_VERIFY(!asked);

    const bool confirmed = answer == QLatin1String("pushButton_confrim");
    SettingCommonDialog *tip = nullptr;
    if (confirmed) {
        QTRY_VERIFY((tip = window.findChild<SettingCommonDialog *>()));
        QCOMPARE(tip->message(), InstallMover::tr("The game was moved to %1.").arg(to));
    }
    QCOMPARE(moved, confirmed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(to + QStringLiteral("/quillmere")), confirmed);
    QCOMPARE(GameFiles::instance()->installDir(), confirmed ? to : from);
    QCOMPARE(model.installationLocation(), confirmed ? to + QStringLiteral("/quillmere") : QString());
    delete tip;
}

void TestInstallMove::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on stdout for 0, else on stderr
    const QString move = QStringLiteral("--move-install");
    QTest::newRow("help") << QStringList {QStringLiteral("--help")} << QString() << 0 << move;
    QTest::newRow("version") << QStringList {QStringLiteral("--version")} << QString() << 0
                             << LauncherConfig::applicationVersion();
    QTest::newRow("unknown option") << QStringList {QStringLiteral("--bogus")} << QString() << 2
                                    << QStringLiteral("bogus");
    QTest::newRow("move without a folder") << QStringList {move} << QString() << 2 << move;
    QTest::newRow("stray argument") << QStringList {move, QStringLiteral("a"), QStringLiteral("b")} << QString() << 2
                                    << QStringLiteral("'b'");
    QTest::newRow("moved") << QStringList {move, QStringLiteral("@new")} << QStringLiteral("installed") << 0
                           << QStringLiteral("moved to");
    QTest::newRow("nothing installed") << QStringList {move, QStringLiteral("@new")} << QString() << 1
                                       << QStringLiteral("no installed game");
    QTest::newRow("launcher running") << QStringList {move, QStringLiteral("@new")} << QStringLiteral("locked") << 1
                                      << QStringLiteral("launcher is running");
    QTest::newRow("refused") << QStringList {move, QStringLiteral("@inside")} << QStringLiteral("installed") << 1
                             << QStringLiteral("inside");
}

// The built launcher, run without a display: its answers and exit codes.
void TestInstallMove::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, state);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    TestEnv env;
    const QString program = env.filePath(QStringLiteral("quillmere-launcher"));
    const QString built
        = QString::fromLocal8Bit(qgetenv("QUILLMERE_BUILD_DIR")) + QStringLiteral("/src/quillmere-launcher");
    QVERIFY2(QFile::copy(built, program), qPrintable(built));
    // The installed game: on another volume when there is one, so that the
    // progress of a copy shows.
    const QString base = otherVolumeBase();
    QTemporaryDir other((base.isEmpty() ? env.appDir() : base) + QStringLiteral("/tst_installmove-XXXXXX"));
    const QString from = env.filePath(QStringLiteral("Quillmereen"));
    const QString to = other.filePath(QStringLiteral("Quillmere"));
    makeGame(from, 2, 1 << 20);
    if (!state.isEmpty()) {
        GameFiles::instance()->setInstallDir(from);
        GameFiles::instance()->setStatus(InstallStatus::Installed);
    }
    arguments.replaceInStrings(QStringLiteral("@new"), to);
    arguments.replaceInStrings(QStringLiteral("@inside"), from + QStringLiteral("/sub"));
    // The single-instance lock lives in the child's temporary folder.
    qputenv("TMPDIR", QFile::encodeName(env.appDir()));
    const auto restoreTemp = qScopeGuard([] { qunsetenv("TMPDIR"); });
    const QString key = LauncherConfig::instance()->manifestValue(QStringLiteral("app_displayname"));
    QLockFile lock(SingleInstanceGuard(key).lockPath());
    if (state == QLatin1String("locked"))
        QVERIFY(lock.tryLock(0));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(120000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == exitCode, qPrintable(out + err));
    QVERIFY2((exitCode == 0 ? out : err).contains(said, Qt::CaseInsensitive), qPrintable(out + err));
    // A copy onto another volume shows its progress.
    if (exitCode == 0 && arguments.size() == 2 && !base.isEmpty())
        QVERIFY2(out.contains(QStringLiteral("100%")), qPrintable(out));
    const bool moved = state == QLatin1String("installed") && exitCode == 0;
    QCOMPARE(QFileInfo::exists(from), !moved);
    QCOMPARE(QFileInfo::exists(to + QStringLiteral("/quillmere")), moved);
    if (moved)
        QCOMPARE(GameFiles::instance()->installDir(), to);
}

QTEST_MAIN(TestInstallMove)
#include "tst_installmove.moc"
