#include "support/testenv.h"
#include "update/updatedialog.h"
#include "update/updatemanager.h"

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

QTEST_GUILESS_MAIN(TestSelfUpdate)
#include "tst_selfupdate.moc"
