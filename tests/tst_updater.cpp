#include "extract_archives.h"
#include "selfupdate/selfupdatejournal.h"
#include "support/httpfixture.h"
#include "support/testdata.h"
#include "updaterlanguage.h"
#include "updatewindow.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLockFile>
#include <QTranslator>
#include <QtTest>

// The updater program end to end: a temporary application folder holding a
// stand-in launcher (a shell script that answers --version, logs its start and
// reports its window through QUILLMERE_UPDATE_READY), a package served over
// HTTP, and the real quillmere-update.
namespace {

const QString Launcher = QStringLiteral("quillmere-launcher");
const QString OldVersion = QStringLiteral("2.8.0");

enum class Kind { Good, Broken, Silent };

QByteArray script(const QString &version, Kind kind)
{
    return QStringLiteral("#!/bin/sh\n"
                          "if [ \"$1\" = \"--version\" ]; then echo \"quillmere-launcher %1\"; exit 0; fi\n"
                          "%2\n"
                          "echo %1 >> \"$FAKE_LAUNCHER_LOG\"\n"
                          "if [ -n \"$QUILLMERE_UPDATE_READY\" ]; then\n"
                          "  printf %1 > \"$QUILLMERE_UPDATE_READY.part\" && mv \"$QUILLMERE_UPDATE_READY.part\" "
                          "\"$QUILLMERE_UPDATE_READY\"\n"
                          "fi\n")
        .arg(version,
            kind == Kind::Broken       ? QStringLiteral("exit 3")
                : kind == Kind::Silent ? QStringLiteral("exec sleep 600")
                                       : QString())
        .toUtf8();
}

// The launcher's own files; a new version brings one more.
Tree launcherTree(const QString &version, Kind kind = Kind::Good)
{
    Tree tree;
    tree[Launcher] = script(version, kind);
    tree[QStringLiteral("lib/libcore.so")] = "core " + version.toUtf8();
    tree[QStringLiteral("share/app.rcc")] = pseudoRandom(20000, qHash(version)) + version.toUtf8();
    if (version != OldVersion)
        tree[QStringLiteral("plugins/extra.so")] = "extra " + version.toUtf8();
    return tree;
}

// What belongs to the player; a package that names any of it must not replace it.
Tree userTree()
{
    Tree tree;
    tree[QStringLiteral("launcher_settings.ini")] = "[Launcher]\nlanguage_index=2\n";
    tree[QStringLiteral("Downloads/game_part1_size_9_md5_0.7z")] = pseudoRandom(5000, 7);
    tree[QStringLiteral("logs/log.txt")] = "an earlier log\n";
    tree[QStringLiteral("AppData/korvanedb.sql3")] = pseudoRandom(3000, 9);
    tree[QStringLiteral("old-only.dat")] = "kept by every version";
    return tree;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QJsonObject readRecord(const QString &appDir)
{
    return QJsonDocument::fromJson(readAll(appDir + QStringLiteral("/selfupdate.json"))).object();
}

// The version the application folder holds, or "mixed" when its files disagree.
QString installedVersion(const QString &appDir, const QStringList &versions)
{
    for (const QString &version : versions) {
        const Tree tree = launcherTree(version);
        bool whole = version != OldVersion || !QFileInfo::exists(appDir + QStringLiteral("/plugins/extra.so"));
        for (auto it = tree.cbegin(); it != tree.cend() && whole; ++it) {
            if (it.key() != Launcher)
                whole = readAll(appDir + QLatin1Char('/') + it.key()) == it.value();
        }
        if (whole)
            return version;
    }
    return QStringLiteral("mixed");
}

// What `<launcher> --version` says, as a support person would ask.
QString launcherSays(const QString &appDir)
{
    QProcess process;
    process.start(appDir + QLatin1Char('/') + Launcher, {QStringLiteral("--version")});
    if (!process.waitForFinished(30000))
        return QStringLiteral("<did not start>");
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed().section(QLatin1Char(' '), -1);
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void updateReplacesTheLauncherAndKeepsUserFiles();
    void brokenVersionIsRolledBack_data();
    void brokenVersionIsRolledBack();
    void unusablePackageReplacesNothing_data();
    void unusablePackageReplacesNothing();
    void killedAnywhereLeavesOneWholeVersion_data();
    void killedAnywhereLeavesOneWholeVersion();
    void recoveryLeavesARunningUpdaterAlone();
    void windowSpeaksTheLaunchersLanguage_data();
    void windowSpeaksTheLaunchersLanguage();

private:
    void writeTree(const Tree &tree);
    QString publish(
        const QString &version, Kind kind, const QList<TestArchives::Entry> &extra = {}, bool withLauncher = true);
    void runUpdater(const QString &version, const QString &url, int killAtStep = 0);
    QStringList starts() const;

    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_appDir;
    std::unique_ptr<HttpFixture> m_server;
    QByteArray m_output;
    QByteArray m_package;
    int m_exitCode = -1;
    QProcess::ExitStatus m_exitStatus = QProcess::NormalExit;
};

void TestUpdater::init()
{
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
    m_appDir = m_temp->filePath(QStringLiteral("app"));
    writeTree(launcherTree(OldVersion));
    writeTree(userTree());
    QFile::setPermissions(
        m_appDir + QLatin1Char('/') + Launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile record(m_appDir + QStringLiteral("/selfupdate.json"));
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write(R"({"failedVersions": ["2.8.5"], "lastResult": "rolledBack", "noticeShown": true})");
    record.close();
    m_server = std::make_unique<HttpFixture>();
    QVERIFY(m_server->listen());
}

void TestUpdater::writeTree(const Tree &tree)
{
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        const QString path = m_appDir + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(it.value());
    }
}

// Serves the package of `version` under a name that declares its size and digest.
QString TestUpdater::publish(
    const QString &version, Kind kind, const QList<TestArchives::Entry> &extra, bool withLauncher)
{
    Tree tree = launcherTree(version, kind);
    if (!withLauncher)
        tree.remove(Launcher);
    QList<TestArchives::Entry> entries;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it)
        entries << TestArchives::file(it.key().toUtf8(), it.value(), it.key() == Launcher ? 0755 : 0644);
    // A package that names the player's files must not reach them.
    entries << TestArchives::file("launcher_settings.ini", "[Launcher]\nlanguage_index=0\n")
            << TestArchives::file("Downloads/game_part1_size_9_md5_0.7z", "replaced") << extra;
    const QString archive = m_temp->filePath(QStringLiteral("package.zip"));
    QFile::remove(archive);
    if (!TestArchives::write(archive, entries))
        return {};
    const QByteArray bytes = readAll(archive);
    m_package = bytes;
    const QString name
        = QStringLiteral("launcher_%1_size_%2_md5_%3.zip")
              .arg(version)
              .arg(bytes.size())
              .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
    m_server->setHandler("/releases/" + name.toUtf8(),
        [bytes](const HttpFixture::Request &request) { return HttpFixture::fileReply(request, bytes); });
    return m_server->url(QStringLiteral("/releases/") + name);
}

QStringList TestUpdater::starts() const
{
    return QString::fromUtf8(readAll(m_temp->filePath(QStringLiteral("starts.log"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Runs quillmere-update as the launcher would, the launcher being a process
// that ends once the updater waits for it.
void TestUpdater::runUpdater(const QString &version, const QString &url, int killAtStep)
{
    QProcess launcher;
    launcher.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    QVERIFY(launcher.waitForStarted());

    QProcess updater;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FAKE_LAUNCHER_LOG"), m_temp->filePath(QStringLiteral("starts.log")));
    if (killAtStep > 0)
        environment.insert(QStringLiteral("QUILLMERE_UPDATER_KILL_AT_STEP"), QString::number(killAtStep));
    updater.setProcessEnvironment(environment);
    updater.setProcessChannelMode(QProcess::MergedChannels);
    m_output.clear();
    connect(&updater, &QProcess::readyRead, this, [this, &updater] { m_output += updater.readAll(); });
    updater.start(qEnvironmentVariable("QUILLMERE_BUILD_DIR") + QStringLiteral("/src/updateProgram/quillmere-update"),
        {QStringLiteral("--app-dir"), m_appDir, QStringLiteral("--launcher"), Launcher, QStringLiteral("--wait-pid"),
            QString::number(launcher.processId()), QStringLiteral("--version"), version, QStringLiteral("--url"), url,
            QStringLiteral("--language"), QStringLiteral("ko"),
            // An option of a newer launcher that this updater does not know.
            QStringLiteral("--from-a-newer-launcher")});
    QTRY_VERIFY_WITH_TIMEOUT(
        m_output.contains("Waiting for the launcher") || updater.state() == QProcess::NotRunning, 30000);
    if (updater.state() != QProcess::NotRunning)
        QCOMPARE(m_server->requestCount(), 0); // nothing happens while the launcher runs
    launcher.kill();
    launcher.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(updater.state(), QProcess::NotRunning, 120000);
    m_output += updater.readAll();
    m_exitCode = updater.exitCode();
    m_exitStatus = updater.exitStatus();
}

void TestUpdater::updateReplacesTheLauncherAndKeepsUserFiles()
{
    runUpdater(QStringLiteral("2.9.0"), publish(QStringLiteral("2.9.0"), Kind::Good));
    QVERIFY2(m_exitStatus == QProcess::NormalExit && m_exitCode == 0, m_output.constData());

    QCOMPARE(installedVersion(m_appDir, {QStringLiteral("2.9.0")}), QStringLiteral("2.9.0"));
    QCOMPARE(launcherSays(m_appDir), QStringLiteral("2.9.0"));
    QCOMPARE(starts(), QStringList {QStringLiteral("2.9.0")});
    const Tree user = userTree();
    for (auto it = user.cbegin(); it != user.cend(); ++it)
        QVERIFY2(readAll(m_appDir + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
    // The replaced files are kept as the previous version.
    QCOMPARE(readAll(m_appDir + QStringLiteral("/.update-previous/lib/libcore.so")), QByteArray("core 2.8.0"));

    const QJsonObject record = readRecord(m_appDir);
    QCOMPARE(record.value(QStringLiteral("lastResult")).toString(), QStringLiteral("updated"));
    QCOMPARE(record.value(QStringLiteral("version")).toString(), QStringLiteral("2.9.0"));
    QCOMPARE(record.value(QStringLiteral("failedVersions")).toArray(), QJsonArray {QStringLiteral("2.8.5")});
    QCOMPARE(record.value(QStringLiteral("noticeShown")).toBool(true), false);
    QVERIFY(!QFileInfo::exists(m_appDir + QStringLiteral("/.update-journal.json")));
    QVERIFY(!QFileInfo::exists(m_appDir + QStringLiteral("/.update-staging")));
    QVERIFY(readAll(m_appDir + QStringLiteral("/logs/updater.log")).contains("updated to 2.9.0"));
    QVERIFY(readAll(m_appDir + QStringLiteral("/logs/updater.log")).contains("Interface language ko"));
}

void TestUpdater::brokenVersionIsRolledBack_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("exits at once") << int(Kind::Broken);
    QTest::newRow("never reports its window") << int(Kind::Silent);
}

void TestUpdater::brokenVersionIsRolledBack()
{
    QFETCH(int, kind);
    runUpdater(QStringLiteral("2.9.1"), publish(QStringLiteral("2.9.1"), Kind(kind)));
    QVERIFY2(m_exitStatus == QProcess::NormalExit && m_exitCode == 1, m_output.constData());

    QCOMPARE(installedVersion(m_appDir, {OldVersion}), OldVersion);
    QCOMPARE(launcherSays(m_appDir), OldVersion);
    // The old launcher runs again (it is started detached: wait for its mark).
    QTRY_COMPARE(starts(), QStringList {OldVersion});
    const QJsonObject record = readRecord(m_appDir);
    QCOMPARE(record.value(QStringLiteral("lastResult")).toString(), QStringLiteral("rolledBack"));
    QCOMPARE(record.value(QStringLiteral("version")).toString(), QStringLiteral("2.9.1"));
    QCOMPARE(record.value(QStringLiteral("restoredVersion")).toString(), OldVersion);
    QCOMPARE(record.value(QStringLiteral("failedVersions")).toArray(),
        (QJsonArray {QStringLiteral("2.8.5"), QStringLiteral("2.9.1")}));
    QCOMPARE(record.value(QStringLiteral("noticeShown")).toBool(true), false);
    QVERIFY(!QFileInfo::exists(m_appDir + QStringLiteral("/.update-journal.json")));
}

void TestUpdater::unusablePackageReplacesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("digest does not match") << QStringLiteral("digest");
    QTest::newRow("entry climbs out of the folder") << QStringLiteral("hostile");
    QTest::newRow("no launcher in the package") << QStringLiteral("nolauncher");
    QTest::newRow("name declares no digest") << QStringLiteral("undeclared");
}

void TestUpdater::unusablePackageReplacesNothing()
{
    QFETCH(QString, fault);
    QList<TestArchives::Entry> extra;
    if (fault == QLatin1String("hostile"))
        extra << TestArchives::file("../escaped.txt", "out");
    QString url = publish(QStringLiteral("2.9.0"), Kind::Good, extra, fault != QLatin1String("nolauncher"));
    if (fault == QLatin1String("digest")) {
        // The name declares another digest than the bytes served under it have.
        url.replace(url.section(QStringLiteral("_md5_"), 1).left(32), QString(32, QLatin1Char('0')));
        const QByteArray bytes = m_package;
        m_server->setHandler(QUrl(url).path().toUtf8(),
            [bytes](const HttpFixture::Request &request) { return HttpFixture::fileReply(request, bytes); });
    } else if (fault == QLatin1String("undeclared")) {
        url = url.section(QStringLiteral("_size_"), 0, 0) + QStringLiteral(".zip");
    }
    runUpdater(QStringLiteral("2.9.0"), url);
    QVERIFY2(m_exitStatus == QProcess::NormalExit && m_exitCode == 2, m_output.constData());

    QCOMPARE(installedVersion(m_appDir, {OldVersion}), OldVersion);
    QVERIFY(!QFileInfo::exists(m_temp->filePath(QStringLiteral("escaped.txt"))));
    const Tree user = userTree();
    for (auto it = user.cbegin(); it != user.cend(); ++it)
        QVERIFY2(readAll(m_appDir + QLatin1Char('/') + it.key()) == it.value(), qPrintable(it.key()));
    // The player is not left without a launcher, and no version is marked as failed.
    QTRY_COMPARE(starts(), QStringList {OldVersion});
    QCOMPARE(
        readRecord(m_appDir).value(QStringLiteral("failedVersions")).toArray(), QJsonArray {QStringLiteral("2.8.5")});
}

// Every step of the swap, the start and the rollback that changes the disk,
// each the moment of a SIGKILL: what the next start recovers is one version,
// whole, whose launcher starts.
void TestUpdater::killedAnywhereLeavesOneWholeVersion_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("expected");
    // Good package: the journal (1), three old files linked aside and four renames
    // with the launcher's last (2-8), swapped (9), the new launcher started (10),
    // the journal removed (11).
    for (int step = 1; step <= 11; ++step) {
        QTest::addRow("good, step %d", step)
            << int(Kind::Good) << step << (step < 8 ? OldVersion : QStringLiteral("2.9.0"));
    }
    // Broken package: rolling back (11), four files put back (12-15), journal removed (16).
    for (int step = 11; step <= 16; ++step)
        QTest::addRow("broken, rollback step %d", step) << int(Kind::Broken) << step << OldVersion;
}

void TestUpdater::killedAnywhereLeavesOneWholeVersion()
{
    QFETCH(int, kind);
    QFETCH(int, step);
    QFETCH(QString, expected);
    const QString version = kind == int(Kind::Good) ? QStringLiteral("2.9.0") : QStringLiteral("2.9.1");
    runUpdater(version, publish(version, Kind(kind)), step);
    QVERIFY2(m_exitStatus == QProcess::CrashExit, m_output.constData());

    SelfUpdateJournal::recover(m_appDir);
    QCOMPARE(installedVersion(m_appDir, {OldVersion, version}), expected);
    QCOMPARE(launcherSays(m_appDir), expected);
    QVERIFY(!QFileInfo::exists(m_appDir + QStringLiteral("/.update-journal.json")));
    if (kind == int(Kind::Broken))
        QCOMPARE(readRecord(m_appDir).value(QStringLiteral("lastResult")).toString(), QStringLiteral("rolledBack"));
}

// The launcher recovers at every start, also the one the updater starts while
// it waits for the window: a journal whose updater is alive is not its to finish.
void TestUpdater::recoveryLeavesARunningUpdaterAlone()
{
    SelfUpdateJournal journal(m_appDir);
    const Tree next = launcherTree(QStringLiteral("2.9.0"));
    QVector<SelfUpdateJournal::File> files;
    for (auto it = next.cbegin(); it != next.cend(); ++it) {
        const QString staged = journal.stagedFilesDir() + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(staged).absolutePath());
        QFile file(staged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(it.value());
        files.append({it.key(), QFileInfo::exists(m_appDir + QLatin1Char('/') + it.key())});
    }
    journal.describe(Launcher, QStringLiteral("2.9.0"), OldVersion, files);
    QString error;
    QVERIFY(journal.save(SelfUpdateJournal::Phase::Swapping, &error));
    QVERIFY2(journal.swapIn(&error), qPrintable(error));
    QVERIFY(journal.save(SelfUpdateJournal::Phase::RollingBack, &error));

    auto updater = std::make_unique<QLockFile>(journal.lockPath());
    QVERIFY(updater->tryLock(0));
    QCOMPARE(SelfUpdateJournal::recover(m_appDir), SelfUpdateJournal::Outcome::Busy);
    QCOMPARE(installedVersion(m_appDir, {OldVersion, QStringLiteral("2.9.0")}), QStringLiteral("2.9.0"));

    updater.reset(); // the updater is gone: its rollback is completed
    QCOMPARE(SelfUpdateJournal::recover(m_appDir), SelfUpdateJournal::Outcome::RestoredPrevious);
    QCOMPARE(installedVersion(m_appDir, {OldVersion, QStringLiteral("2.9.0")}), OldVersion);
}

// The window speaks the language the launcher names; without one, or with one
// the launcher does not speak (which is logged), English.
void TestUpdater::windowSpeaksTheLaunchersLanguage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("speaks");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("status");
    const QString english = QStringLiteral("Quillmere launcher update");
    const QString waiting = QStringLiteral("Waiting for the launcher to close...");
    QTest::newRow("zh") << "zh"
                        << "zh"
                        << "Quillmere 启动器更新"
                        << "正在等待启动器关闭…";
    QTest::newRow("en") << "en"
                        << "en" << english << waiting;
    QTest::newRow("ja") << "ja"
                        << "ja"
                        << "Quillmere ランチャーの更新"
                        << "ランチャーの終了を待っています…";
    QTest::newRow("ko") << "ko"
                        << "ko"
                        << "Quillmere 런처 업데이트"
                        << "런처가 종료되기를 기다리는 중…";
    QTest::newRow("zh_TC") << "zh_TC"
                           << "zh_TC"
                           << "Quillmere 啟動器更新"
                           << "正在等待啟動器關閉…";
    QTest::newRow("none") << ""
                          << "en" << english << waiting;
    QTest::newRow("unknown") << "xx"
                             << "en" << english << waiting;
}

void TestUpdater::windowSpeaksTheLaunchersLanguage()
{
    QFETCH(QString, code);
    QFETCH(QString, speaks);
    QFETCH(QString, title);
    QFETCH(QString, status);
    if (code == QLatin1String("xx"))
        QTest::ignoreMessage(QtWarningMsg, "Unknown language \"xx\"; the updater speaks English");
    QTranslator translator;
    QCOMPARE(UpdaterLanguage::install(code, &translator), speaks);
    UpdateWindow window(QStringLiteral("2.9.0"));
    window.showStage(SelfUpdater::Stage::Waiting);
    QCOMPARE(window.windowTitle(), title);
    const auto *shown = window.findChild<QLabel *>(QStringLiteral("status"));
    QVERIFY(shown);
    QCOMPARE(shown->text(), status);
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
