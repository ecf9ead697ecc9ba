#include "support/testenv.h"
#include "update/launcherupdaterecord.h"
#include "update/updatedialog.h"
#include "update/updatemanager.h"
#include "update/updaterlaunch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestSelfUpdate : public QObject
{
    Q_OBJECT

private slots:
    void nothingPending();
    void pendingIsRenamedWhenNoUpdaterExists();
    void pendingOverwritesTheCurrentUpdater();
    void failedCopyKeepsThePendingUpdater();
    void dialogModel();
    void updaterPlan_data();
    void updaterPlan();
    void readyReport();
    void updateRecord_data();
    void updateRecord();
    void rollbackNoticeIsMarkedShown();
};

void TestSelfUpdate::nothingPending()
{
    TestEnv env;
    env.writeFile(QStringLiteral("updateProgram/quillmere-update"), "v1");
    UpdateManager manager;
    manager.promotePendingUpdater().waitForFinished();
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram/quillmere-update"))), QByteArray("v1"));
}

void TestSelfUpdate::pendingIsRenamedWhenNoUpdaterExists()
{
    TestEnv env;
    env.writeFile(QStringLiteral("updateProgram2/quillmere-update"), "v2");
    env.writeFile(QStringLiteral("updateProgram2/lib/helper.so"), "lib");
    UpdateManager manager;
    QFuture<void> done = manager.promotePendingUpdater();
    QVERIFY(done.isFinished());
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("updateProgram2"))));
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram/quillmere-update"))), QByteArray("v2"));
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram/lib/helper.so"))), QByteArray("lib"));
}

void TestSelfUpdate::pendingOverwritesTheCurrentUpdater()
{
    TestEnv env;
    env.writeFile(QStringLiteral("updateProgram/quillmere-update"), "old updater, longer");
    env.writeFile(QStringLiteral("updateProgram/settings.ini"), "kept");
    env.writeFile(QStringLiteral("updateProgram2/quillmere-update"), "v2");
    UpdateManager manager;
    manager.promotePendingUpdater().waitForFinished();
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram/quillmere-update"))), QByteArray("v2"));
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram/settings.ini"))), QByteArray("kept"));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("updateProgram2"))));
}

void TestSelfUpdate::failedCopyKeepsThePendingUpdater()
{
    TestEnv env;
    // A folder squats where the new updater's file must go: the copy fails.
    QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("updateProgram/quillmere-update/blocker"))));
    env.writeFile(QStringLiteral("updateProgram/quillmere-update/blocker/x"), "x");
    env.writeFile(QStringLiteral("updateProgram2/quillmere-update"), "v2");
    UpdateManager manager;
    manager.promotePendingUpdater().waitForFinished();
    // Nothing delivered is lost: the next start tries again.
    QCOMPARE(readAll(env.filePath(QStringLiteral("updateProgram2/quillmere-update"))), QByteArray("v2"));
}

void TestSelfUpdate::dialogModel()
{
    UpdateDialog dialog;
    QSignalSpy changed(&dialog, &UpdateDialog::latestVersionChanged);
    dialog.setLatestVersion(QStringLiteral("2.9.0"));
    dialog.setLatestVersion(QStringLiteral("2.9.0"));
    QCOMPARE(changed.count(), 1);

    QObject host;
    host.setObjectName(QStringLiteral("not a widget: close is simply not found"));
    dialog.setHost(&host);
    int cancels = 0;
    int confirms = 0;
    dialog.setCancelCallback([&] { ++cancels; });
    dialog.setShown(true);
    dialog.cancel();
    QVERIFY(!dialog.isShown());
    dialog.confirm(); // no confirm callback set: nothing to call
    dialog.setConfirmCallback([&] { ++confirms; });
    dialog.setShown(true);
    dialog.confirm();
    QCOMPARE(cancels, 1);
    QCOMPARE(confirms, 1);
    QVERIFY(!dialog.isShown());
}

namespace {
const char *const kPackage = "http://127.0.0.1:9/files/launcher/2.9.0/"
                             "quillmere-launcher-2.9.0-1_origin_300_size_200_md5_0123456789abcdef0123456789abcdef.zip";
} // namespace

// Update starts the updater only for a release it can check, with a plain
// version, and only when the updater is there.
void TestSelfUpdate::updaterPlan_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("updater");
    QTest::addColumn<QString>("refusal"); // a part of the reason; empty: started

    const QString package = QString::fromLatin1(kPackage);
    QTest::newRow("checkable package") << "2.9.0" << package << true << QString();
    QTest::newRow("updater missing") << "2.9.0" << package << false << "missing";
    QTest::newRow("no size or digest in the name")
        << "2.9.0"
        << "http://127.0.0.1:9/files/quillmere-launcher-2.9.0.zip" << true << "size and MD5";
    QTest::newRow("digest cut short") << "2.9.0"
                                      << "http://127.0.0.1:9/l_origin_300_size_200_md5_0123456789abcdef.zip" << true
                                      << "size and MD5";
    QTest::newRow("not a web address") << "2.9.0" << QString(package).replace("http://127.0.0.1:9", "file://") << true
                                       << "web address";
    QTest::newRow("version that leaves the folder") << "../../etc" << package << true << "plain version";
    QTest::newRow("empty version") << "" << package << true << "plain version";
}

void TestSelfUpdate::updaterPlan()
{
    QFETCH(QString, version);
    QFETCH(QString, url);
    QFETCH(bool, updater);
    QFETCH(QString, refusal);
    TestEnv env;
    if (updater) {
        env.writeFile(QStringLiteral("updateProgram/quillmere-update"), "#!/bin/sh\n");
        QFile(env.filePath(QStringLiteral("updateProgram/quillmere-update")))
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    AppDownloadInfo info;
    info.latestVersion = version;
    info.downloadUrl = url;
    const QString name = UpdaterLaunch::executableName(QStringLiteral("quillmere-update.exe"));
    const UpdaterLaunch::Plan plan
        = UpdaterLaunch::plan(info, env.appDir(), QStringLiteral("quillmere-launcher"), 4242, name, "ja");
    if (!refusal.isEmpty()) {
        QVERIFY2(plan.refusal.contains(refusal), qPrintable(plan.refusal));
        return;
    }
    QVERIFY2(plan.ok(), qPrintable(plan.refusal));
    QCOMPARE(plan.program, env.filePath(QStringLiteral("updateProgram/quillmere-update")));
    QCOMPARE(plan.arguments,
        QStringList({"--app-dir", env.appDir(), "--launcher", "quillmere-launcher", "--wait-pid", "4242", "--version",
            "2.9.0", "--url", url, "--language", "ja"}));
}

// The launcher an updater started says, once its window is up, which version it is.
void TestSelfUpdate::readyReport()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ready"));
    qunsetenv(UpdaterLaunch::readyVariable());
    QVERIFY(UpdaterLaunch::reportReady(QStringLiteral("2.9.0")));
    QVERIFY(!QFileInfo::exists(path));

    qputenv(UpdaterLaunch::readyVariable(), path.toLocal8Bit());
    QVERIFY(UpdaterLaunch::reportReady(QStringLiteral("2.9.0")));
    QCOMPARE(readAll(path), QByteArray("2.9.0"));

    qputenv(UpdaterLaunch::readyVariable(), dir.filePath(QStringLiteral("no/such/folder/ready")).toLocal8Bit());
    QVERIFY(!UpdaterLaunch::reportReady(QStringLiteral("2.9.0")));
    qunsetenv(UpdaterLaunch::readyVariable());
}

void TestSelfUpdate::updateRecord_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QStringList>("failed");
    QTest::addColumn<bool>("noticeDue");

    QTest::newRow("no record") << QByteArray() << QStringList() << false;
    QTest::newRow("rolled back, not yet told")
        << QByteArray(R"({"failedVersions": ["2.9.1"], "lastResult": "rolledBack", "version": "2.9.1",
                          "restoredVersion": "2.9.0", "noticeShown": false})")
        << QStringList {"2.9.1"} << true;
    QTest::newRow("rolled back, told") << QByteArray(R"({"failedVersions": ["2.9.1"], "lastResult": "rolledBack",
                                                         "version": "2.9.1", "noticeShown": true})")
                                       << QStringList {"2.9.1"} << false;
    QTest::newRow("updated keeps the failed versions")
        << QByteArray(R"({"failedVersions": ["2.9.1", 7, ""], "lastResult": "updated", "version": "2.9.2",
                          "noticeShown": false})")
        << QStringList {"2.9.1"} << false;
    QTest::newRow("not JSON") << QByteArray("{\"failedVersions\": [\"2.9") << QStringList() << false;
    QTest::newRow("a list, not an object") << QByteArray(R"(["2.9.1"])") << QStringList() << false;
    QTest::newRow("failed versions not a list")
        << QByteArray(R"({"failedVersions": "2.9.1", "lastResult": "rolledBack", "noticeShown": false})")
        << QStringList() << true;
}

void TestSelfUpdate::updateRecord()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, failed);
    QFETCH(bool, noticeDue);
    TestEnv env;
    if (!content.isEmpty())
        env.writeFile(QStringLiteral("selfupdate.json"), content);
    const LauncherUpdateRecord record = LauncherUpdateRecord::read(LauncherUpdateRecord::defaultPath());
    QCOMPARE(record.failedVersions, failed);
    QCOMPARE(record.noticeDue(), noticeDue);
}

// The notice is shown once: the record says so afterwards, and keeps what the updater wrote.
void TestSelfUpdate::rollbackNoticeIsMarkedShown()
{
    TestEnv env;
    env.writeFile(QStringLiteral("selfupdate.json"),
        R"({"failedVersions": ["2.9.1"], "lastResult": "rolledBack", "version": "2.9.1",
            "restoredVersion": "2.9.0", "noticeShown": false, "journal": 3})");
    const QString path = LauncherUpdateRecord::defaultPath();
    QVERIFY(LauncherUpdateRecord::markNoticeShown(path));
    const LauncherUpdateRecord record = LauncherUpdateRecord::read(path);
    QVERIFY(!record.noticeDue());
    QCOMPARE(record.failedVersions, QStringList {"2.9.1"});
    QCOMPARE(record.restoredVersion, QStringLiteral("2.9.0"));
    QCOMPARE(QJsonDocument::fromJson(readAll(path)).object().value("journal").toInt(), 3);

    // A damaged record is left as it is.
    env.writeFile(QStringLiteral("selfupdate.json"), "{broken");
    QVERIFY(!LauncherUpdateRecord::markNoticeShown(path));
    QCOMPARE(readAll(path), QByteArray("{broken"));
}

QTEST_GUILESS_MAIN(TestSelfUpdate)
#include "tst_selfupdate.moc"
