#include "download/kvdownloadtaskmanager.h"
#include "extract/ziplibmanager.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"

#include <QNetworkAccessManager>
#include <QtTest>

// The whole road of an install, as the main window drives it: the update
// service names a package, the package queue downloads it from the file host,
// the extraction manager unpacks it into the install folder, and the install
// is recorded. Then a forced update of the installed game, through the
// differential package. Everything runs against the publisher stand-in.
namespace {

const Tree kVersion1 {
    {QStringLiteral("quillmere"), pseudoRandom(40000, 1)},
    {QStringLiteral("version.txt"), "1.0.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(120000, 2)},
    {QStringLiteral("data/old.pak"), pseudoRandom(5000, 3)},
};

const Tree kVersion2 {
    {QStringLiteral("quillmere"), pseudoRandom(41000, 4)},
    {QStringLiteral("version.txt"), "1.1.0\n"},
    {QStringLiteral("data/world.pak"), pseudoRandom(120000, 2)},
    {QStringLiteral("data/new.pak"), pseudoRandom(9000, 5)},
};

} // namespace

class TestInstallJourney : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstInstallThenForcedUpdate();

private:
    GameInstallPlugin::Collaborators collaborators(const PublisherProcess &publisher);
    // Downloads and extracts the package of `info` and records the install.
    void install(const GameVersionInfo &info);
    void compareInstalled(const Tree &tree);

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_firstRelease;
    QTemporaryDir m_secondRelease;
    QNetworkAccessManager m_network;
};

void TestInstallJourney::initTestCase()
{
    m_env.reset(new TestEnv(1));
    QString output;
    QVERIFY2(PublisherProcess::makeUpdateContents(
                 m_firstRelease.path(), m_secondRelease.path(), kVersion1, kVersion2, &output),
        qPrintable(output));
}

GameInstallPlugin::Collaborators TestInstallJourney::collaborators(const PublisherProcess &publisher)
{
    GameInstallPlugin::Collaborators c;
    const QString base = publisher.baseUrl();
    c.updateServiceBase = [base] {
        return base;
    };
    c.manager = &m_network;
    c.runningType = 1;
    return c;
}

void TestInstallJourney::install(const GameVersionInfo &info)
{
    DownloadCollaborators downloads;
    downloads.track = [](const QString &, const QVariantMap &) {
    };
    KVDownloadTaskManager downloader(nullptr, downloads);
    QSignalSpy downloaded(&downloader, &DownloadInterface::signalReplyFinished);
    QSignalSpy failed(&downloader, &DownloadInterface::signalDownloadError);
    downloader.startDownload(info);
    QTRY_VERIFY_WITH_TIMEOUT(downloaded.count() + failed.count() > 0, 30000);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(downloaded.at(0).at(0).toInt(), 200);
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Downloaded);
    for (const QString &url : info.packageUrls)
        QVERIFY(QFileInfo(GameFiles::instance()->downloadFilePath(url)).isFile());

    ZiplibManager extractor;
    QSignalSpy extracted(&extractor, &ZiplibManager::unzipProgressFinish);
    QSignalSpy extractFailed(&extractor, &ZiplibManager::sigZipsError);
    QSignalSpy progress(&extractor, &ZiplibManager::sigProgress);
    extractor.startExtract(info);
    QTRY_VERIFY_WITH_TIMEOUT(extracted.count() + extractFailed.count() > 0, 30000);
    QCOMPARE(extractFailed.count(), 0);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), progress.last().at(1).toLongLong()); // 100 %

    // What the window does when an extraction run has finished.
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(info.latestVersion);
    files->clearUnzipRecords(info.latestVersion);
}

void TestInstallJourney::compareInstalled(const Tree &tree)
{
    const QString dir = GameFiles::instance()->installDir();
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        QFile file(dir + QLatin1Char('/') + it.key());
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QVERIFY2(file.readAll() == it.value(), qPrintable(it.key()));
    }
}

void TestInstallJourney::firstInstallThenForcedUpdate()
{
    GameFiles *files = GameFiles::instance();
    {
        PublisherProcess publisher(m_firstRelease.path());
        QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
        GameInstallPlugin plugin(collaborators(publisher));
        QSignalSpy needToDownload(&plugin, &GameInstallPlugin::needToDownload);
        plugin.requestGameVersionInfo();
        QTRY_COMPARE_WITH_TIMEOUT(needToDownload.count(), 1, 10000);
        const GameVersionInfo info = needToDownload.at(0).at(0).value<GameVersionInfo>();
        QCOMPARE(info.latestVersion, QStringLiteral("1.0.0"));
        QCOMPARE(info.updateType, 1);
        QVERIFY(info.packageUrls.size() >= 2);

        install(info);
        plugin.RemoveDownloadZip();
        compareInstalled(kVersion1);
        for (const QString &url : info.packageUrls)
            QVERIFY(!QFileInfo::exists(files->downloadFilePath(url)));
        QVERIFY(files->isGameInstalled(info.packageRealSize));

        // Asked again, the service has nothing newer: installed.
        GameInstallPlugin again(collaborators(publisher));
        QSignalSpy installed(&again, &GameInstallPlugin::installed);
        again.requestGameVersionInfo();
        QTRY_COMPARE_WITH_TIMEOUT(installed.count(), 1, 10000);
    }
    {
        PublisherProcess publisher(m_secondRelease.path());
        QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));
        GameInstallPlugin plugin(collaborators(publisher));
        QSignalSpy needToUpdate(&plugin, &GameInstallPlugin::needToUpdate);
        plugin.requestGameVersionInfo();
        QTRY_COMPARE_WITH_TIMEOUT(needToUpdate.count(), 1, 10000);
        const GameVersionInfo info = needToUpdate.at(0).at(0).value<GameVersionInfo>();
        QCOMPARE(info.latestVersion, QStringLiteral("1.1.0"));
        QCOMPARE(info.updateType, 2); // the differential package

        install(info);
        plugin.RemoveDownloadZip();
        compareInstalled(kVersion2);
        QCOMPARE(files->installedVersion(), QStringLiteral("1.1.0"));
        QCOMPARE(files->status(), InstallStatus::Installed);
    }
}

QTEST_GUILESS_MAIN(TestInstallJourney)
#include "tst_installjourney.moc"
