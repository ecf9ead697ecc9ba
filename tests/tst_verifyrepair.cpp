#include "download/downloadfilesmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "extract/gamerepair.h"
#include "extract/verifycommand.h"
#include "extract/ziplibmanager.h"
#include "install/gamefiles.h"
#include "install/gameverify.h"
#include "install/gameversioninfo.h"
#include "install/installmanifest.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/startupcheck.h"
#include "mainwindow/verifyflow.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "support/publisherprocess.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTranslator>

#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A text of the window as the English catalogue makes it.
QString inEnglish(const std::function<QString()> &make)
{
    quillmereInitUiResources();
    QTranslator english;
    if (!english.load(QStringLiteral(":/i18n/app_en")))
        return QStringLiteral("(no English catalogue)");
    QCoreApplication::installTranslator(&english);
    const QString text = make();
    QCoreApplication::removeTranslator(&english);
    return text;
}

enum Kind { Archives = 0, SmallFiles = 1 };

QByteArray filled(int size, char seed)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7 + i / 251);
    return data;
}

const QMap<QString, QByteArray> kTree {
    {QStringLiteral("quillmere"), QByteArray("#!/bin/sh\necho game\n")},
    {QStringLiteral("readme.txt"), QByteArray("the demo game\n")},
    {QStringLiteral("data/levels.pak"), filled(150000, 'a')},
    {QStringLiteral("data/sound/music.ogg"), filled(90000, 'm')},
    {QStringLiteral("data/sound/voice.ogg"), filled(3000, 'v')},
};

// The game folder's files with their content, relative paths.
QMap<QString, QByteArray> treeOf(const QString &dir)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        tree.insert(path.mid(dir.size() + 1),
            QFileInfo(path).isSymLink() ? QByteArray("link") : (file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
    }
    return tree;
}

} // namespace

class TestVerifyRepair : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void faultsAreFoundAndMended_data();
    void faultsAreFoundAndMended();
    void cancelledCheckChangesNothing();
    void differentialUpdateRewritesTheManifest();
    void commandExitsByWhatItFound_data();
    void commandExitsByWhatItFound();
    void playerRepairsFromTheWindow();
    void noRepairUnderARunningGame();
    void noCheckBeforeAnUpdateHasEnded_data();
    void noCheckBeforeAnUpdateHasEnded();
    void checkRunsInTheInstallDisplay();
    void unrecordedInstall_data();
    void unrecordedInstall();
    void progressLineSaysHowFar_data();
    void progressLineSaysHowFar();
    void foundFilesAreListed_data();
    void foundFilesAreListed();
    void startUpCheckIsDue_data();
    void startUpCheckIsDue();
    void startUpCheckSpeaksOnlyOfDamage_data();
    void startUpCheckSpeaksOnlyOfDamage();

private:
    // Installs the release as the launcher does, through the engines, and records its files.
    void install(Kind kind);
    GameVersionInfo release(Kind kind) const;

    QTemporaryDir m_content;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<PublisherProcess> m_publisher;
    QString m_gameDir;
};

void TestVerifyRepair::initTestCase()
{
    QString output;
    QVERIFY2(PublisherProcess::makeContent(m_content.path(), {{QStringLiteral("1.0.0"), kTree}},
                 {QStringLiteral("--format"), QStringLiteral("zip"), QStringLiteral("--part-size"),
                     QStringLiteral("100000"), QStringLiteral("--small-files")},
                 &output),
        qPrintable(output));
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
}

GameVersionInfo TestVerifyRepair::release(Kind kind) const
{
    QFile file(m_content.path() + QStringLiteral("/games/60001/releases.json"));
    file.open(QIODevice::ReadOnly);
    QByteArray text = file.readAll();
    text.replace("{base}", m_publisher->baseUrl().toUtf8());
    const QJsonObject first = QJsonDocument::fromJson(text).object().value("releases").toArray().first().toObject();
    const QJsonObject package = first.value(kind == SmallFiles ? "smallFilesPackage" : "fullPackage").toObject();
    GameVersionInfo info;
    info.latestVersion = first.value("version").toString();
    info.updateType = int(UpdateType::Full);
    info.downloadType = package.value("downloadType").toInt();
    for (const QJsonValue &url : package.value("packageUrls").toArray())
        info.packageUrls.append(url.toString());
    info.packageSize = qint64(package.value("packageSize").toDouble());
    info.packageRealSize = qint64(package.value("packageRealSize").toDouble());
    info.packageJson = package.value("packageJson").toString();
    return info;
}

void TestVerifyRepair::install(Kind kind)
{
    m_env.reset(); // before the next one: it points the application folder back as it goes
    m_env = std::make_unique<TestEnv>(1);
    m_gameDir = m_env->filePath(QStringLiteral("Game"));
    QVERIFY(QDir().mkpath(m_gameDir));
    GameFiles *files = GameFiles::instance();
    files->setInstallDir(m_gameDir);
    const GameVersionInfo info = release(kind);
    std::unique_ptr<DownloadInterface> engine;
    if (kind == SmallFiles)
        engine = std::make_unique<DownloadFilesManager>();
    else
        engine = std::make_unique<KVDownloadTaskManager>();
    QSignalSpy fetched(engine.get(), &DownloadInterface::signalReplyFinished);
    engine->startDownload(info);
    QTRY_COMPARE_WITH_TIMEOUT(fetched.count(), 1, 30000);
    if (kind == Archives) {
        ZiplibManager extractor;
        QSignalSpy done(&extractor, &ZiplibManager::unzipProgressFinish);
        extractor.startExtract(info);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
    }
    QVERIFY(InstallManifest::commit(info, QString()));
    for (const QString &url : info.packageUrls)
        QFile::remove(files->downloadFilePath(url));
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(info.latestVersion);
    InstallManifest manifest;
    QVERIFY(InstallManifest::load(InstallManifest::pathOf(info.latestVersion), &manifest));
    QCOMPARE(manifest.entries.size(), kTree.size());
    QCOMPARE(verifyInstall(m_gameDir, manifest, VerifyMode::Full).outcome, VerifyReport::Outcome::Intact);
}

void TestVerifyRepair::faultsAreFoundAndMended_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("damaged");
    const QString pak = QStringLiteral("data/levels.pak");
    const QStringList sound {QStringLiteral("data/sound/music.ogg"), QStringLiteral("data/sound/voice.ogg")};
    for (const Kind kind : {Archives, SmallFiles}) {
        const char *name = kind == Archives ? "archives" : "small files";
        QTest::addRow("%s: deleted", name) << int(kind) << "delete" << QStringList {pak} << QStringList();
        QTest::addRow("%s: truncated", name) << int(kind) << "truncate" << QStringList() << QStringList {pak};
        QTest::addRow("%s: one byte changed", name) << int(kind) << "flip" << QStringList() << QStringList {pak};
        QTest::addRow("%s: a link in its place", name) << int(kind) << "link" << QStringList() << QStringList {pak};
        QTest::addRow("%s: a folder removed", name) << int(kind) << "rmdir" << sound << QStringList();
    }
}

void TestVerifyRepair::faultsAreFoundAndMended()
{
    QFETCH(int, kind);
    QFETCH(QString, fault);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, damaged);
    install(Kind(kind));
    if (QTest::currentTestFailed())
        return;
    // The player's own files, in the game folder and beside a damaged one.
    const QMap<QString, QByteArray> own {{QStringLiteral("saves/slot1.sav"), QByteArray("progress")},
        {QStringLiteral("data/settings.cfg"), QByteArray("volume=3")}};
    for (auto it = own.constBegin(); it != own.constEnd(); ++it) {
        QDir().mkpath(QFileInfo(m_gameDir + '/' + it.key()).path());
        QFile file(m_gameDir + '/' + it.key());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(it.value()) == it.value().size());
    }
    const QString pak = m_gameDir + QStringLiteral("/data/levels.pak");
    if (fault == QLatin1String("delete")) {
        QVERIFY(QFile::remove(pak));
    } else if (fault == QLatin1String("truncate")) {
        QVERIFY(QFile::resize(pak, 1000));
    } else if (fault == QLatin1String("flip")) {
        QFile file(pak);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(77777) && file.write("\x01", 1) == 1);
    } else if (fault == QLatin1String("link")) {
        // A link to a faithful copy elsewhere: the link itself is the fault.
        const QString copy = m_env->filePath(QStringLiteral("copy.pak"));
        QVERIFY(QFile::copy(pak, copy) && QFile::remove(pak) && QFile::link(copy, pak));
    } else {
        QVERIFY(QDir(m_gameDir + QStringLiteral("/data/sound")).removeRecursively());
    }

    InstallManifest manifest;
    QVERIFY(InstallManifest::load(InstallManifest::pathOf(QStringLiteral("1.0.0")), &manifest));
    const VerifyReport found = verifyInstall(m_gameDir, manifest, VerifyMode::Full);
    QCOMPARE(found.outcome, VerifyReport::Outcome::Damaged);
    QCOMPARE(found.missing, missing);
    QCOMPARE(found.damaged, damaged);
    QCOMPARE(found.unexpected, QStringList(own.keys()));

    GameRepair repair(m_gameDir, manifest);
    QSignalSpy ended(&repair, &GameRepair::finished);
    repair.start(found);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
    const VerifyReport after = ended.first().first().value<VerifyReport>();
    QCOMPARE(after.outcome, VerifyReport::Outcome::Intact);
    QCOMPARE(after.repaired, missing + damaged);
    QMap<QString, QByteArray> expected = kTree;
    for (auto it = own.constBegin(); it != own.constEnd(); ++it)
        expected.insert(it.key(), it.value());
    QCOMPARE(treeOf(m_gameDir), expected);
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Installed);
    // The packages fetched for the repair are gone again.
    QCOMPARE(QDir(m_env->filePath(QStringLiteral("Downloads"))).entryList({QStringLiteral("*.zip*")}, QDir::Files),
        QStringList());
}

void TestVerifyRepair::cancelledCheckChangesNothing()
{
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    const QString pak = m_gameDir + QStringLiteral("/data/levels.pak");
    QVERIFY(QFile::resize(pak, 1000));
    const QMap<QString, QByteArray> before = treeOf(m_gameDir);
    const QString manifestPath = InstallManifest::pathOf(QStringLiteral("1.0.0"));
    QFile manifestFile(manifestPath);
    QVERIFY(manifestFile.open(QIODevice::ReadOnly));
    const QByteArray manifestBefore = manifestFile.readAll();
    InstallManifest manifest;
    QVERIFY(InstallManifest::load(manifestPath, &manifest));

    // Cancelled from the first progress report, once the check has begun.
    std::atomic_bool cancel {false};
    const VerifyReport report = verifyInstall(
        m_gameDir, manifest, VerifyMode::Full, &cancel, [&cancel](const VerifyProgress &) { cancel.store(true); });
    QCOMPARE(report.outcome, VerifyReport::Outcome::Cancelled);
    QVERIFY(report.faulty().isEmpty());
    QCOMPARE(treeOf(m_gameDir), before);
    QVERIFY(manifestFile.seek(0));
    QCOMPARE(manifestFile.readAll(), manifestBefore);
}

void TestVerifyRepair::differentialUpdateRewritesTheManifest()
{
    m_env.reset();
    m_env = std::make_unique<TestEnv>(1);
    const auto entry = [](const char *place, qint64 size, const char *digest) {
        ManifestEntry e;
        e.place = place;
        e.size = size;
        e.xxh128 = digest;
        return e;
    };
    const QString fullUrl = QStringLiteral("http://host/files/q-1.0.0-full.zip");
    const QString diffUrl = QStringLiteral("http://host/files/q-1.1.0-diff.zip");
    InstallManifest old;
    old.version = QStringLiteral("1.0.0");
    for (const char *place : {"a.bin", "b.bin", "c.bin"})
        old.put(entry(place, 1, "11"));
    for (ManifestEntry &e : old.entries)
        e.source = fullUrl;
    QVERIFY(old.save(InstallManifest::pathOf(old.version)));
    QVERIFY(InstallManifest::stagePart(
        InstallManifest::stagingFolder(), diffUrl, {entry("b.bin", 2, "22"), entry("d/e.bin", 3, "33")}));

    GameVersionInfo update;
    update.latestVersion = QStringLiteral("1.1.0");
    update.updateType = int(UpdateType::Differential);
    update.packageUrls = QStringList {diffUrl};
    update.removedFiles = QStringList {QStringLiteral("c.bin")};
    QVERIFY(InstallManifest::commit(update, old.version));

    InstallManifest now;
    QVERIFY(InstallManifest::load(InstallManifest::pathOf(update.latestVersion), &now));
    QCOMPARE(now.version, update.latestVersion);
    QStringList listed;
    for (const ManifestEntry &e : now.entries)
        listed << QStringLiteral("%1 %2 %3 %4").arg(QString::fromUtf8(e.place)).arg(e.size).arg(e.xxh128, e.source);
    QCOMPARE(listed,
        QStringList({QStringLiteral("a.bin 1 11 ") + fullUrl, QStringLiteral("b.bin 2 22 ") + diffUrl,
            QStringLiteral("d/e.bin 3 33 ") + diffUrl}));
    QVERIFY(!QFile::exists(InstallManifest::pathOf(old.version)));
    QVERIFY(QDir(InstallManifest::stagingFolder()).isEmpty());
}

void TestVerifyRepair::commandExitsByWhatItFound_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("result");
    QTest::newRow("intact") << QString() << QStringList {"--full"} << 0 << "intact";
    QTest::newRow("damage found") << "delete" << QStringList() << 1 << "damaged";
    QTest::newRow("damage repaired") << "delete" << QStringList {"--repair"} << 0 << "intact";
    QTest::newRow("no manifest") << "manifest" << QStringList {"--full"} << 2 << "not-checked";
}

void TestVerifyRepair::commandExitsByWhatItFound()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, result);
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    if (fault == QLatin1String("delete"))
        QVERIFY(QFile::remove(m_gameDir + QStringLiteral("/readme.txt")));
    else if (fault == QLatin1String("manifest"))
        QVERIFY(QFile::remove(InstallManifest::pathOf(QStringLiteral("1.0.0"))));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    VerifyCommandOptions options;
    options.full = arguments.contains("--full");
    options.repair = arguments.contains("--repair");
    options.json = true;
    const int code = runVerifyCommand(options, outStream, errStream);
    QCOMPARE(code, exitCode);
    const QJsonObject report = QJsonDocument::fromJson(out.toUtf8()).object();
    QCOMPARE(report.value("result").toString(), result);
    QCOMPARE(QFile::exists(m_gameDir + QStringLiteral("/readme.txt")), exitCode != 1);
}

void TestVerifyRepair::playerRepairsFromTheWindow()
{
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    const QString readme = m_gameDir + QStringLiteral("/readme.txt");
    QVERIFY(QFile::remove(readme));
    QWidget window;
    window.resize(1280, 720);
    VerifyFlow flow(&window);
    flow.start();
    WarningDialogwithDoublebutton *question = nullptr;
    QTRY_VERIFY((question = window.findChild<WarningDialogwithDoublebutton *>(QStringLiteral("verifyRepairQuestion"))));
    emit question->dialogConfirm();
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QDialog *>(QStringLiteral("verifyResult")), 60000);
    QVERIFY(!flow.isRunning());
    QFile file(readme);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), kTree.value(QStringLiteral("readme.txt")));
}

void TestVerifyRepair::noRepairUnderARunningGame()
{
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    const QString readme = m_gameDir + QStringLiteral("/readme.txt");
    QVERIFY(QFile::remove(readme));
    QWidget window;
    window.resize(1280, 720);
    VerifyFlow flow(&window);
    flow.setGameRunning([] { return true; });
    flow.start();
    WarningDialogwithDoublebutton *question = nullptr;
    QTRY_VERIFY((question = window.findChild<WarningDialogwithDoublebutton *>(QStringLiteral("verifyRepairQuestion"))));
    emit question->dialogConfirm();
    QTRY_VERIFY(window.findChild<QDialog *>(QStringLiteral("verifyResult")));
    QVERIFY(!flow.isRunning());
    QVERIFY(!QFile::exists(readme));
}

void TestVerifyRepair::noCheckBeforeAnUpdateHasEnded_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("downloading") << int(InstallStatus::Downloading);
    QTest::newRow("extracting") << int(InstallStatus::Extracting);
    QTest::newRow("extraction failed") << int(InstallStatus::ExtractFailed);
}

// An update that has not ended leaves the next version's files in the folder: checked
// against the installed one they would be "repaired" back, under the update.
void TestVerifyRepair::noCheckBeforeAnUpdateHasEnded()
{
    QFETCH(int, status);
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(QFile::remove(m_gameDir + QStringLiteral("/readme.txt")));
    GameFiles::instance()->setStatus(InstallStatus(status));
    QWidget window;
    window.resize(1280, 720);
    VerifyFlow flow(&window);
    flow.start();
    QVERIFY(!flow.isRunning());
    QVERIFY(window.findChild<QDialog *>(QStringLiteral("verifyResult")));
}

// The check draws in the install display. Paused, it waits for resume and then reports
// the game intact; cancelled, it asks nothing and changes nothing, and the display is back.
void TestVerifyRepair::checkRunsInTheInstallDisplay()
{
    install(Archives);
    if (QTest::currentTestFailed())
        return;
    quillmereInitUiResources();
    MainWindow window({});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    auto *flow = window.findChild<VerifyFlow *>();
    const auto button = [&window](const char *name) {
        return window.findChild<QPushButton *>(QLatin1String(name));
    };
    const auto verifyShown = [stack] {
        return stack->isVisible() && stack->currentWidget()->objectName() == QLatin1String("verify_page_6");
    };
    const auto asked = [&window] {
        for (QDialog *dialog : window.findChildren<QDialog *>()) {
            if (dialog->isVisible())
                return dialog->objectName();
        }
        return QString();
    };

    window.verifyGameFiles();
    QVERIFY(verifyShown());
    QVERIFY(!button("pushButton_playgame")->isVisible());
    button("pushButton_verifyPause")->click();
    QVERIFY(flow->isPaused());
    QVERIFY(button("pushButton_verifyResume")->isVisible());
    button("pushButton_verifyResume")->click();
    QTRY_COMPARE_WITH_TIMEOUT(asked(), QStringLiteral("verifyResult"), 30000);
    QVERIFY(!verifyShown());
    window.findChild<QDialog *>(QStringLiteral("verifyResult"))->close();

    QVERIFY(QFile::resize(m_gameDir + QStringLiteral("/data/levels.pak"), 1000));
    const QMap<QString, QByteArray> before = treeOf(m_gameDir);
    window.verifyGameFiles();
    QVERIFY(verifyShown());
    button("pushButton_verifyCancel")->click();
    QVERIFY(!verifyShown());
    QTRY_VERIFY(!flow->isRunning());
    QCOMPARE(asked(), QString());
    QCOMPARE(treeOf(m_gameDir), before);
}

void TestVerifyRepair::unrecordedInstall_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("damage");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("small files, as the document says") << int(SmallFiles) << false << "verifyResult" << true;
    QTest::newRow("small files, one byte changed") << int(SmallFiles) << true << "verifyRepairQuestion" << false;
    QTest::newRow("archives") << int(Archives) << false << "verifyReinstallQuestion" << false;
}

// An install made before its files were recorded: a small-files one is recorded from the
// service's document when its files match it; for an archive one a fresh download is offered.
void TestVerifyRepair::unrecordedInstall()
{
    QFETCH(int, kind);
    QFETCH(bool, damage);
    QFETCH(QString, shown);
    QFETCH(bool, recorded);
    install(Kind(kind));
    if (QTest::currentTestFailed())
        return;
    const QString record = InstallManifest::pathOf(GameFiles::instance()->installedVersion());
    QVERIFY(QFile::remove(record));
    if (damage) {
        QFile levels(m_gameDir + QStringLiteral("/data/levels.pak"));
        QVERIFY(levels.open(QIODevice::ReadWrite) && levels.seek(70000) && levels.write("#", 1) == 1);
    }
    QWidget window;
    window.resize(1280, 720);
    VerifyFlow flow(&window);
    const GameVersionInfo info = release(Kind(kind));
    flow.setVersionInfo([info] { return info; });
    bool reinstalled = false;
    flow.setReinstall([&reinstalled] { reinstalled = true; });
    flow.start();
    QDialog *dialog = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((dialog = window.findChild<QDialog *>(shown)), 30000);
    QCOMPARE(QFile::exists(record), recorded);
    if (auto *question = qobject_cast<WarningDialogwithDoublebutton *>(dialog); question && kind == Archives) {
        emit question->dialogConfirm();
        QVERIFY(reinstalled);
    }
}

void TestVerifyRepair::progressLineSaysHowFar_data()
{
    QTest::addColumn<qint64>("bytesDone");
    QTest::addColumn<qint64>("secondsLeft");
    QTest::addColumn<QString>("line");
    QTest::newRow("estimate not yet known")
        << qint64(1024) << qint64(-1) << QStringLiteral("3 of 8 files · 1.0 KB of 4.0 KB · 25%");
    QTest::newRow("with an estimate") << qint64(3072) << qint64(90)
                                      << QStringLiteral("3 of 8 files · 3.0 KB of 4.0 KB · 75% (about 1m 30s left)");
}

void TestVerifyRepair::progressLineSaysHowFar()
{
    QFETCH(qint64, bytesDone);
    QFETCH(qint64, secondsLeft);
    QFETCH(QString, line);
    VerifyProgress progress;
    progress.filesDone = 3;
    progress.filesTotal = 8;
    progress.bytesDone = bytesDone;
    progress.bytesTotal = 4096;
    progress.secondsLeft = secondsLeft;
    QCOMPARE(inEnglish([&] { return VerifyFlow::progressText(progress); }), line);
}

// Under the repair question: what was found, two lines at most.
void TestVerifyRepair::foundFilesAreListed_data()
{
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("damaged");
    QTest::addColumn<QString>("text");
    const QString longPath = QString(30, QLatin1Char('x')) + QStringLiteral("/") + QString(30, QLatin1Char('y'));
    QTest::newRow("one of each") << QStringList {QStringLiteral("data/a.pak")} << QStringList {QStringLiteral("b.dat")}
                                 << QStringLiteral("\nMissing: data/a.pak\nDamaged: b.dat");
    QTest::newRow("more than fit") << QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
                                   << QStringList {QStringLiteral("d")} << QStringLiteral("\nMissing: a\n…and 3 more");
    QTest::newRow("a long path keeps its end")
        << QStringList {longPath} << QStringList {} << QStringLiteral("\nMissing: …") + longPath.right(39);
    QTest::newRow("nothing") << QStringList {} << QStringList {} << QString();
}

void TestVerifyRepair::foundFilesAreListed()
{
    QFETCH(QStringList, missing);
    QFETCH(QStringList, damaged);
    QFETCH(QString, text);
    VerifyReport report;
    report.missing = missing;
    report.damaged = damaged;
    QCOMPARE(inEnglish([&] { return VerifyFlow::foundText(report); }), text);
}

void TestVerifyRepair::startUpCheckIsDue_data()
{
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("due");
    QTest::newRow("clean end") << false << int(InstallStatus::Installed) << false;
    QTest::newRow("crash") << true << int(InstallStatus::Installed) << true;
    QTest::newRow("killed downloading") << false << int(InstallStatus::Downloading) << true;
    QTest::newRow("killed after download") << false << int(InstallStatus::Downloaded) << true;
    QTest::newRow("killed extracting") << false << int(InstallStatus::Extracting) << true;
    QTest::newRow("extraction failed") << false << int(InstallStatus::ExtractFailed) << true;
    QTest::newRow("crash, nothing installed") << true << int(InstallStatus::NotStarted) << false;
    QTest::newRow("nothing recorded") << false << int(InstallStatus::Absent) << false;
}

void TestVerifyRepair::startUpCheckIsDue()
{
    QFETCH(bool, crashed);
    QFETCH(int, status);
    QFETCH(bool, due);
    QCOMPARE(StartupCheck::due(crashed, InstallStatus(status)), due);
}

void TestVerifyRepair::startUpCheckSpeaksOnlyOfDamage_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("damage");
    QTest::newRow("intact") << int(Archives) << false;
    QTest::newRow("archives, file deleted") << int(Archives) << true;
    QTest::newRow("small files, file deleted") << int(SmallFiles) << true;
}

// Intact: nothing on screen. Damaged: the repair question, and agreeing mends the game.
void TestVerifyRepair::startUpCheckSpeaksOnlyOfDamage()
{
    QFETCH(int, kind);
    QFETCH(bool, damage);
    install(Kind(kind));
    if (QTest::currentTestFailed())
        return;
    const QString voice = m_gameDir + QStringLiteral("/data/sound/voice.ogg");
    if (damage)
        QVERIFY(QFile::remove(voice));
    QWidget window;
    window.resize(1280, 720);
    VerifyFlow flow(&window);
    StartupCheck *check
        = flow.checkAtStart(m_gameDir, InstallManifest::pathOf(GameFiles::instance()->installedVersion()));
    QSignalSpy finished(check, &StartupCheck::finished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first().first().value<VerifyReport>().outcome,
        damage ? VerifyReport::Outcome::Damaged : VerifyReport::Outcome::Intact);
    auto *question = window.findChild<WarningDialogwithDoublebutton *>(QStringLiteral("verifyRepairQuestion"));
    QCOMPARE(question != nullptr, damage);
    QVERIFY(!window.findChild<QDialog *>(QStringLiteral("verifyResult")));
    if (!damage)
        return;
    emit question->dialogConfirm();
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QDialog *>(QStringLiteral("verifyResult")), 60000);
    QCOMPARE(treeOf(m_gameDir).value(QStringLiteral("data/sound/voice.ogg")),
        kTree.value(QStringLiteral("data/sound/voice.ogg")));
}

QTEST_MAIN(TestVerifyRepair)
#include "tst_verifyrepair.moc"
