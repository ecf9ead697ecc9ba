// The install coordinator against the publisher stand-in: what it asks the
// update service for and what it concludes from each stored install state.

#include "api/requestclasses.h"
#include "app/appdir.h"
#include "app/texts.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "support/publisherprocess.h"
#include "support/testdata.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// Everything the coordinator announces, in order.
class Recorder : public QObject
{
public:
    explicit Recorder(GameInstallPlugin *plugin)
    {
        connect(plugin, &GameInstallPlugin::needToDownload, this, [this](const GameVersionInfo &info) {
            events << QStringLiteral("needToDownload");
            version = info;
        });
        connect(plugin, &GameInstallPlugin::needToUpdate, this, [this](const GameVersionInfo &info) {
            events << QStringLiteral("needToUpdate");
            version = info;
        });
        connect(plugin, &GameInstallPlugin::installed, this, [this] { events << QStringLiteral("installed"); });
        connect(plugin, &GameInstallPlugin::networkError, this, [this](const QString &text) {
            events << QStringLiteral("networkError");
            message = text;
        });
        connect(plugin, &GameInstallPlugin::gameoffline, this, [this](const QString &text) {
            events << QStringLiteral("gameoffline");
            message = text;
        });
        connect(plugin, &GameInstallPlugin::downloading, this, [this](const KorvaneObject::DownloadingInfo &info) {
            events << QStringLiteral("downloading");
            progress = info;
        });
        connect(plugin, &GameInstallPlugin::needToUnzip, this, [this] { events << QStringLiteral("needToUnzip"); });
        connect(plugin, &GameInstallPlugin::updateNewVersionNow, this,
            [this] { events << QStringLiteral("updateNewVersionNow"); });
        connect(plugin, &GameInstallPlugin::versionIsNew, this, [this](const QString &latest) {
            events << QStringLiteral("versionIsNew");
            message = latest;
        });
        connect(plugin, &GameInstallPlugin::updatePromptRequested, this, [this](const QString &latest) {
            events << QStringLiteral("updatePromptRequested");
            message = latest;
        });
        connect(plugin, &GameInstallPlugin::updatePromptFinished, this,
            [this] { events << QStringLiteral("updatePromptFinished"); });
    }

    QStringList events;
    GameVersionInfo version;
    KorvaneObject::DownloadingInfo progress;
    QString message;
};

} // namespace

class TestInstallCoordinator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void conclusions_data();
    void conclusions();
    void interruptedDownloadReportsItsProgress();
    void downloadedPackages_data();
    void downloadedPackages();
    void answerArrivingAfterTheInstallFinished_data();
    void answerArrivingAfterTheInstallFinished();
    void repeatedQueriesAndAnswers();
    void refusals_data();
    void refusals();
    void timeOuts();
    void realTimeOut();
    void promptedCheck();
    void progressAndCleanup();

private:
    std::unique_ptr<GameInstallPlugin> makePlugin(int replyTimeoutMs = 5000);
    // Waits until every post of the plugin has been answered or timed out.
    void settle(GameInstallPlugin *plugin);
    QList<QJsonObject> requestsSince(int from, const QString &path) const;
    int requestCount() const { return m_publisher->logLines(QStringLiteral("requests.jsonl")).size(); }
    void writeReleases(const QByteArray &document);
    void setForced(bool forced);
    // The full package of a release as the stand-in answers it.
    QJsonObject fullPackage(const QString &version) const;
    QString downloadPath(const QString &url) const { return GameFiles::instance()->downloadFilePath(url); }

    QTemporaryDir m_content;
    std::unique_ptr<PublisherProcess> m_publisher;
    QByteArray m_releases;
    qint64 m_now = 1700000000000;
};

void TestInstallCoordinator::initTestCase()
{
    QVERIFY(m_content.isValid());
    const QMap<QString, Tree> versions {
        {QStringLiteral("1.0.0"),
            Tree {{QStringLiteral("quillmere"), pseudoRandom(30000, 1)}, {QStringLiteral("version.txt"), "1.0.0\n"}}},
        {QStringLiteral("1.1.0"),
            Tree {{QStringLiteral("quillmere"), pseudoRandom(30000, 2)}, {QStringLiteral("version.txt"), "1.1.0\n"},
                {QStringLiteral("data.bin"), pseudoRandom(20000, 3)}}},
    };
    QString output;
    QVERIFY2(
        PublisherProcess::makeContent(m_content.path(), versions,
            {QStringLiteral("--format"), QStringLiteral("zip"), QStringLiteral("--part-size"), QStringLiteral("20000")},
            &output),
        qPrintable(output));
    QFile releases(m_content.filePath(QStringLiteral("games/60001/releases.json")));
    QVERIFY(releases.open(QIODevice::ReadOnly));
    m_releases = releases.readAll();
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
    QCOMPARE(fullPackage(QStringLiteral("1.1.0")).value(QStringLiteral("packageUrls")).toArray().size(), 3);
}

void TestInstallCoordinator::init()
{
    m_publisher->setControl(QJsonObject());
    writeReleases(m_releases);
}

std::unique_ptr<GameInstallPlugin> TestInstallCoordinator::makePlugin(int replyTimeoutMs)
{
    GameInstallPlugin::Collaborators collaborators;
    const QString base = m_publisher->baseUrl();
    collaborators.updateServiceBase = [base] {
        return base;
    };
    collaborators.clock = [this] {
        return m_now;
    };
    collaborators.replyTimeoutMs = replyTimeoutMs;
    collaborators.runningType = 1;
    return std::make_unique<GameInstallPlugin>(collaborators);
}

void TestInstallCoordinator::settle(GameInstallPlugin *plugin)
{
    const auto idle = [plugin] {
        for (const GameVersionRequest *request : plugin->findChildren<GameVersionRequest *>()) {
            if (request->pendingReplyCount() > 0)
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(idle(), 20000);
    QCoreApplication::processEvents();
}

QList<QJsonObject> TestInstallCoordinator::requestsSince(int from, const QString &path) const
{
    QList<QJsonObject> bodies;
    const QList<QJsonObject> lines = m_publisher->logLines(QStringLiteral("requests.jsonl"));
    for (int i = from; i < lines.size(); ++i) {
        if (lines.at(i).value(QStringLiteral("path")).toString() == path)
            bodies << lines.at(i).value(QStringLiteral("body")).toObject();
    }
    return bodies;
}

void TestInstallCoordinator::writeReleases(const QByteArray &document)
{
    writeFile(m_content.filePath(QStringLiteral("games/60001/releases.json")), document);
}

void TestInstallCoordinator::setForced(bool forced)
{
    QJsonObject root = QJsonDocument::fromJson(m_releases).object();
    QJsonArray releases = root.value(QStringLiteral("releases")).toArray();
    for (int i = 0; i < releases.size(); ++i) {
        QJsonObject release = releases.at(i).toObject();
        if (release.value(QStringLiteral("version")).toString() == QLatin1String("1.1.0"))
            release.insert(QStringLiteral("forceUpdate"), forced);
        releases[i] = release;
    }
    root.insert(QStringLiteral("releases"), releases);
    writeReleases(QJsonDocument(root).toJson());
}

QJsonObject TestInstallCoordinator::fullPackage(const QString &version) const
{
    const QJsonArray releases
        = QJsonDocument::fromJson(m_releases).object().value(QStringLiteral("releases")).toArray();
    for (const QJsonValue &value : releases) {
        QJsonObject package = value.toObject().value(QStringLiteral("fullPackage")).toObject();
        if (value.toObject().value(QStringLiteral("version")).toString() != version)
            continue;
        QJsonArray urls;
        for (const QJsonValue &url : package.value(QStringLiteral("packageUrls")).toArray())
            urls.append(url.toString().replace(QStringLiteral("{base}"), m_publisher->baseUrl()));
        package.insert(QStringLiteral("packageUrls"), urls);
        return package;
    }
    return {};
}

void TestInstallCoordinator::conclusions_data()
{
    QTest::addColumn<int>("status"); // -1: nothing stored
    QTest::addColumn<QString>("targetVersion");
    QTest::addColumn<QString>("installedVersion");
    QTest::addColumn<int>("updateType");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<bool>("packageQuery");
    QTest::addColumn<QString>("askedCurrent");
    QTest::addColumn<QString>("askedTarget");
    QTest::addColumn<QString>("signal"); // empty: none
    QTest::addColumn<int>("chosenType"); // of the package carried
    QTest::addColumn<bool>("downloadsCleared");

    // The latest version is 1.1.0 throughout; 1.0.0 -> 1.1.0 has a differential package.
    QTest::newRow("fresh machine") << -1 << ""
                                   << "" << 1 << false << true << ""
                                   << "1.1.0"
                                   << "needToDownload" << 1 << false;
    QTest::newRow("nothing started") << 0 << "1.0.0"
                                     << "" << 1 << true << true << ""
                                     << "1.1.0"
                                     << "needToDownload" << 1 << false;
    QTest::newRow("installed, current") << 5 << "1.1.0"
                                        << "1.1.0" << 1 << false << false << ""
                                        << ""
                                        << "installed" << 0 << false;
    QTest::newRow("installed, newer not forced") << 5 << "1.0.0"
                                                 << "1.0.0" << 1 << false << false << ""
                                                 << ""
                                                 << "installed" << 0 << false;
    QTest::newRow("installed, current and forced") << 5 << "1.1.0"
                                                   << "1.1.0" << 2 << true << false << ""
                                                   << ""
                                                   << "installed" << 0 << false;
    QTest::newRow("installed, newer forced") << 5 << "1.0.0"
                                             << "1.0.0" << 1 << true << true << "1.0.0"
                                             << "1.1.0"
                                             << "needToUpdate" << 2 << true;
    QTest::newRow("download of latest, full") << 1 << "1.1.0"
                                              << "" << 1 << false << true << ""
                                              << "1.1.0"
                                              << "needToDownload" << 1 << false;
    QTest::newRow("downloaded latest, diff") << 6 << "1.1.0"
                                             << "1.0.0" << 2 << false << true << "1.0.0"
                                             << "1.1.0"
                                             << "needToDownload" << 2 << false;
    QTest::newRow("download later than latest") << 7 << "1.2.0"
                                                << "1.0.0" << 1 << false << true << ""
                                                << "1.1.0"
                                                << "needToDownload" << 1 << false;
    QTest::newRow("older download, forced") << 1 << "1.0.0"
                                            << "" << 1 << true << true << "1.1.0"
                                            << "1.1.0"
                                            << "needToUpdate" << 1 << true;
    QTest::newRow("older download, full") << 3 << "1.0.0"
                                          << "" << 1 << false << true << "1.0.0"
                                          << "1.0.0"
                                          << "needToDownload" << 1 << false;
    QTest::newRow("older download, diff") << 1 << "1.0.0"
                                          << "0.9.0" << 2 << false << true << "0.9.0"
                                          << "1.0.0"
                                          << "needToDownload" << 1 << false;
    QTest::newRow("status 2") << 2 << "1.1.0"
                              << "" << 1 << false << false << ""
                              << ""
                              << "" << 0 << false;
    QTest::newRow("status 4, older") << 4 << "1.0.0"
                                     << "" << 1 << true << false << ""
                                     << ""
                                     << "" << 0 << false;
}

void TestInstallCoordinator::conclusions()
{
    QFETCH(int, status);
    QFETCH(QString, targetVersion);
    QFETCH(QString, installedVersion);
    QFETCH(int, updateType);
    QFETCH(bool, forced);
    QFETCH(bool, packageQuery);
    QFETCH(QString, askedCurrent);
    QFETCH(QString, askedTarget);
    QFETCH(QString, signal);
    QFETCH(int, chosenType);
    QFETCH(bool, downloadsCleared);

    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    if (status != -1)
        files->setStatus(static_cast<InstallStatus>(status));
    if (!targetVersion.isEmpty())
        files->setTargetVersion(targetVersion);
    if (!installedVersion.isEmpty())
        files->setInstalledVersion(installedVersion);
    files->setUpdateType(updateType);
    setForced(forced);
    const QString stale = env.filePath(QStringLiteral("Downloads/stale-1_origin_1_size_1_md5_x.zip"));
    writeFile(stale, "old");

    const int before = requestCount();
    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    plugin->requestGameVersionInfo();
    settle(plugin.get());

    const QList<QJsonObject> versionQueries = requestsSince(before, QStringLiteral("/diff-update/version"));
    QCOMPARE(versionQueries.size(), 1);
    QCOMPARE(versionQueries.first().value(QStringLiteral("currentVersion")).toString(), targetVersion);
    QCOMPARE(versionQueries.first().value(QStringLiteral("targetVersion")).toString(), QString());
    QCOMPARE(versionQueries.first().value(QStringLiteral("sign")).toString().size(), 32);

    const QList<QJsonObject> packageQueries = requestsSince(before, QStringLiteral("/diff-update/resource"));
    QCOMPARE(packageQueries.size(), packageQuery ? 1 : 0);
    if (packageQuery) {
        QCOMPARE(packageQueries.first().value(QStringLiteral("currentVersion")).toString(), askedCurrent);
        QCOMPARE(packageQueries.first().value(QStringLiteral("targetVersion")).toString(), askedTarget);
    }
    QCOMPARE(recorder.events, signal.isEmpty() ? QStringList() : QStringList {signal});
    if (chosenType != 0) {
        QCOMPARE(recorder.version.updateType, chosenType);
        QCOMPARE(recorder.version.latestVersion, askedTarget);
        QVERIFY(!recorder.version.isUnusable());
        QCOMPARE(plugin->gameVersionInfo().packageUrls, recorder.version.packageUrls);
        QCOMPARE(plugin->isUpdate(), signal == QLatin1String("needToUpdate"));
    }
    if (askedCurrent.isEmpty() && chosenType == 1) {
        const QJsonObject full = fullPackage(askedTarget);
        QCOMPARE(recorder.version.packageSize, qint64(full.value(QStringLiteral("packageSize")).toDouble()));
        QCOMPARE(QJsonArray::fromStringList(recorder.version.packageUrls),
            full.value(QStringLiteral("packageUrls")).toArray());
    }
    QCOMPARE(QFileInfo::exists(stale), !downloadsCleared);
    QVERIFY(QFileInfo(env.filePath(QStringLiteral("Downloads"))).isDir());
    // The coordinator only reads the install state.
    QCOMPARE(static_cast<int>(files->status()), status);
    QCOMPARE(files->targetVersion(), targetVersion);
}

void TestInstallCoordinator::interruptedDownloadReportsItsProgress()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Downloading);
    files->setTargetVersion(QStringLiteral("1.1.0"));
    const QJsonObject full = fullPackage(QStringLiteral("1.1.0"));
    const QJsonArray urls = full.value(QStringLiteral("packageUrls")).toArray();
    const qint64 packageSize = qint64(full.value(QStringLiteral("packageSize")).toDouble());

    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    // Nothing on disk yet: the download starts over.
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("needToDownload")}, 20000);

    // Two files complete, the third partly there.
    writeFile(downloadPath(urls.at(0).toString()), pseudoRandom(20188, 7));
    writeFile(downloadPath(urls.at(1).toString()), pseudoRandom(3000, 8));
    writeFile(files->tempFilePath(urls.at(2).toString()), pseudoRandom(1234, 9));
    const qint64 sum = 20188 + 3000 + 1234;

    auto resumed = makePlugin();
    Recorder resumedRecorder(resumed.get());
    resumed->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(resumedRecorder.events, QStringList {QStringLiteral("downloading")}, 20000);
    const KorvaneObject::DownloadingInfo progress = resumedRecorder.progress;
    QCOMPARE(progress.bytesReceived, sum);
    QCOMPARE(progress.totalSize, sizeText(quint64(packageSize)));
    QCOMPARE(progress.downloadedSize, sizeText(quint64(sum)));
    QCOMPARE(progress.percent, QString::number(sum * 100 / packageSize));
    QCOMPARE(resumed->currentDownloadingInfo().bytesReceived, sum);
    QCOMPARE(files->status(), InstallStatus::Downloading);
}

void TestInstallCoordinator::downloadedPackages_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("oneMissing");
    for (int status : {6, 7, 3}) {
        QTest::addRow("status %d, all there", status) << status << false;
        QTest::addRow("status %d, one missing", status) << status << true;
    }
}

void TestInstallCoordinator::downloadedPackages()
{
    QFETCH(int, status);
    QFETCH(bool, oneMissing);
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(static_cast<InstallStatus>(status));
    files->setTargetVersion(QStringLiteral("1.1.0"));
    const QJsonArray urls = fullPackage(QStringLiteral("1.1.0")).value(QStringLiteral("packageUrls")).toArray();
    qint64 present = 0;
    for (int i = 0; i < urls.size(); ++i) {
        if (oneMissing && i == 1) {
            // A folder of the same name is no package file.
            QDir().mkpath(downloadPath(urls.at(i).toString()));
            continue;
        }
        writeFile(downloadPath(urls.at(i).toString()), QByteArray(1000 + i, 'x'));
        present += 1000 + i;
    }

    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    if (oneMissing)
        QTest::ignoreMessage(
            QtInfoMsg, qPrintable("**Game** - This file is not here - " + downloadPath(urls.at(1).toString())));
    plugin->requestGameVersionInfo();
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.events.isEmpty(), 20000);
    settle(plugin.get());
    if (!oneMissing) {
        QCOMPARE(recorder.events, QStringList {QStringLiteral("needToUnzip")});
    } else {
        // The download is resumed instead of extracting an incomplete package.
        QCOMPARE(recorder.events, QStringList {QStringLiteral("downloading")});
        QCOMPARE(recorder.progress.bytesReceived, present);
    }
    QCOMPARE(static_cast<int>(files->status()), status);
}

void TestInstallCoordinator::answerArrivingAfterTheInstallFinished_data()
{
    QTest::addColumn<int>("folderBytes");
    QTest::addColumn<bool>("withExecutable");
    QTest::addColumn<QString>("signal");
    QTest::newRow("complete") << 60000 << true << "installed";
    QTest::newRow("folder too small") << 100 << true << "needToDownload";
    QTest::newRow("executable missing") << 60000 << false << "needToDownload";
}

void TestInstallCoordinator::answerArrivingAfterTheInstallFinished()
{
    QFETCH(int, folderBytes);
    QFETCH(bool, withExecutable);
    QFETCH(QString, signal);
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Downloading);
    files->setTargetVersion(QStringLiteral("1.1.0"));
    // The package answer waits, so the install can finish before it arrives.
    m_publisher->setControl({{"stallMs", 400}, {"pathPrefix", "/diff-update/resource"}});

    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    plugin->requestGameVersionInfo();
    const QList<GameVersionRequest *> requests = plugin->findChildren<GameVersionRequest *>();
    QCOMPARE(requests.size(), 1);
    QSignalSpy versionAnswered(requests.first(), &KVAbstractNetwork::signalReplyfinsh);
    QVERIFY(versionAnswered.wait(20000));
    QVERIFY(recorder.events.isEmpty());

    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(QStringLiteral("1.1.0"));
    writeFile(files->installDir() + QStringLiteral("/data.bin"), QByteArray(folderBytes, 'd'));
    if (withExecutable)
        writeFile(files->gameExePath(), "exe");
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.events.isEmpty(), 20000);
    QCOMPARE(recorder.events, QStringList {signal});
}

void TestInstallCoordinator::repeatedQueriesAndAnswers()
{
    TestEnv env(1);
    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    const int before = requestCount();
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("needToDownload")}, 20000);
    settle(plugin.get());

    // Two minutes later: not sent at all.
    m_now += 120000;
    QTest::ignoreMessage(QtDebugMsg, "requestGameVersionInfo timelimit return.");
    plugin->requestGameVersionInfo();
    settle(plugin.get());
    QCOMPARE(requestsSince(before, QStringLiteral("/diff-update/version")).size(), 1);

    // Three minutes after the first: sent, and the same answer while the
    // package is held changes nothing.
    m_now += 60000;
    plugin->requestGameVersionInfo();
    settle(plugin.get());
    QCOMPARE(requestsSince(before, QStringLiteral("/diff-update/version")).size(), 2);
    QCOMPARE(requestsSince(before, QStringLiteral("/diff-update/resource")).size(), 1);
    QCOMPARE(recorder.events.size(), 1);

    // A record without a complete package is completed again.
    GameVersionInfo held = plugin->gameVersionInfo();
    held.packageSize = 0;
    plugin->setGameVersionInfo(held);
    m_now += GameInstallPlugin::kQueryIntervalMs;
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events.size(), 2, 20000);
    QCOMPARE(recorder.events.last(), QStringLiteral("needToDownload"));
    QVERIFY(plugin->gameVersionInfo().packageSize > 0);
}

void TestInstallCoordinator::refusals_data()
{
    QTest::addColumn<int>("edition");
    QTest::addColumn<QJsonObject>("control");
    QTest::addColumn<QByteArray>("releases"); // empty: the built releases
    QTest::addColumn<QString>("signal"); // empty: none
    QTest::addColumn<QString>("message");

    const QJsonObject none;
    QTest::newRow("game offline") << 1 << QJsonObject {{"gameOffline", true}, {"offlineMessage", "maintenance"}}
                                  << QByteArray() << "gameoffline"
                                  << "maintenance";
    QTest::newRow("offline only for packages")
        << 1
        << QJsonObject {{"gameOffline", true}, {"offlineMessage", "later"}, {"pathPrefix", "/diff-update/resource"}}
        << QByteArray() << "gameoffline"
        << "later";
    // The Chinese mainland edition's game has no release on the stand-in: 4004.
    QTest::newRow("other refusal") << 0 << none << QByteArray() << "gameoffline"
                                   << "4004_no release of game 50001";
    QTest::newRow("server failure") << 1 << QJsonObject {{"status500", true}} << QByteArray() << ""
                                    << "";
    QTest::newRow("no latest version") << 1 << none << QByteArray(R"({"releases":[{"version":""}]})") << "networkError"
                                       << "CannotgetVersionInfo";
    QTest::newRow("no package") << 1 << none
                                << QByteArray(R"({"releases":[{"version":"1.1.0","fullPackage":{"packageUrls":[]}}]})")
                                << "networkError"
                                << "CannotgetVersionInfo";
    QTest::newRow("address naming the folder")
        << 1 << none
        << QByteArray(R"({"releases":[{"version":"1.1.0","fullPackage":{"packageSize":10,)"
                      R"("packageUrls":["{base}/files/a.zip","{base}/files/x/.."]}}]})")
        << "networkError"
        << "CannotgetVersionInfo";
    QTest::newRow("address without a name")
        << 1 << none
        << QByteArray(R"({"releases":[{"version":"1.1.0","fullPackage":{"packageSize":10,)"
                      R"("packageUrls":["{base}/files/"]}}]})")
        << "networkError"
        << "CannotgetVersionInfo";
    QTest::newRow("two addresses, one name")
        << 1 << none
        << QByteArray(R"({"releases":[{"version":"1.1.0","fullPackage":{"packageSize":10,)"
                      R"("packageUrls":["{base}/files/a/p.zip","{base}/files/b/p.zip"]}}]})")
        << "networkError"
        << "CannotgetVersionInfo";
}

void TestInstallCoordinator::refusals()
{
    QFETCH(int, edition);
    QFETCH(QJsonObject, control);
    QFETCH(QByteArray, releases);
    QFETCH(QString, signal);
    QFETCH(QString, message);
    TestEnv env(edition);
    const QString kept = env.filePath(QStringLiteral("Downloads/a.zip"));
    writeFile(kept, "part of a download");
    m_publisher->setControl(control);
    if (!releases.isEmpty())
        writeReleases(releases);

    auto plugin = makePlugin();
    Recorder recorder(plugin.get());
    plugin->requestGameVersionInfo();
    settle(plugin.get());
    QCOMPARE(recorder.events, signal.isEmpty() ? QStringList() : QStringList {signal});
    QCOMPARE(recorder.message, message);
    // A refused answer takes nothing from the working record or the disk.
    QVERIFY(plugin->gameVersionInfo().packageUrls.isEmpty());
    QVERIFY(QFileInfo::exists(kept));
    QCOMPARE(GameFiles::instance()->status(), InstallStatus::Absent);
}

void TestInstallCoordinator::timeOuts()
{
    TestEnv env(1);
    // The version query: the window learns that no information came.
    m_publisher->setControl({{"stallMs", 3000}, {"pathPrefix", "/diff-update/version"}});
    auto plugin = makePlugin(1000);
    Recorder recorder(plugin.get());
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("networkError")}, 20000);
    QCOMPARE(recorder.message, QStringLiteral("CannotgetVersionInfo"));

    // The package query: nothing is concluded, and the next query asks again.
    recorder.events.clear();
    m_publisher->setControl({{"stallMs", 3000}, {"pathPrefix", "/diff-update/resource"}});
    m_now += GameInstallPlugin::kQueryIntervalMs;
    plugin->requestGameVersionInfo();
    settle(plugin.get());
    QVERIFY(recorder.events.isEmpty());
    QVERIFY(plugin->gameVersionInfo().packageUrls.isEmpty());

    m_publisher->setControl(QJsonObject());
    m_now += GameInstallPlugin::kQueryIntervalMs;
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("needToDownload")}, 20000);
}

void TestInstallCoordinator::realTimeOut()
{
    // The launcher's own time-out, once: a version answer later than 5 s is given up.
    TestEnv env(1);
    m_publisher->setControl({{"stallMs", 7000}, {"pathPrefix", "/diff-update/version"}});
    auto plugin = makePlugin(GameInstallPlugin::Collaborators().replyTimeoutMs);
    Recorder recorder(plugin.get());
    plugin->requestGameVersionInfo();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("networkError")}, 30000);
}

void TestInstallCoordinator::promptedCheck()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus::Installed);
    files->setTargetVersion(QStringLiteral("1.0.0"));
    files->setInstalledVersion(QStringLiteral("1.0.0"));
    auto plugin = makePlugin(1000);
    Recorder recorder(plugin.get());

    // A newer version: the window is asked to put the question.
    plugin->checkVersionWithPrompt(true);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("updatePromptRequested")}, 20000);
    QCOMPARE(recorder.message, QStringLiteral("1.1.0"));

    // The user agreed: the package from the installed version.
    recorder.events.clear();
    int before = requestCount();
    plugin->requestTargetGameDownloadFileResource(QStringLiteral("1.1.0"));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events,
        (QStringList {QStringLiteral("updatePromptFinished"), QStringLiteral("updateNewVersionNow")}), 20000);
    const QList<QJsonObject> asked = requestsSince(before, QStringLiteral("/diff-update/resource"));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().value(QStringLiteral("currentVersion")).toString(), QStringLiteral("1.0.0"));
    QCOMPARE(asked.first().value(QStringLiteral("targetVersion")).toString(), QStringLiteral("1.1.0"));
    QCOMPARE(plugin->gameVersionInfo().latestVersion, QStringLiteral("1.1.0"));
    QCOMPARE(plugin->gameVersionInfo().updateType, 2);
    QCOMPARE(plugin->gameVersionInfo().packageUrls.size(), 3);

    // An unknown target or a time-out still closes the question.
    recorder.events.clear();
    plugin->requestTargetGameDownloadFileResource(QStringLiteral("9.9.9"));
    settle(plugin.get());
    QCOMPARE(recorder.events, QStringList {QStringLiteral("updatePromptFinished")});
    recorder.events.clear();
    m_publisher->setControl({{"stallMs", 3000}, {"pathPrefix", "/diff-update/resource"}});
    plugin->requestTargetGameDownloadFileResource(QStringLiteral("1.1.0"));
    settle(plugin.get());
    QCOMPARE(recorder.events, QStringList {QStringLiteral("updatePromptFinished")});

    // Current: quiet says nothing, otherwise the window hears so.
    m_publisher->setControl(QJsonObject());
    files->setTargetVersion(QStringLiteral("1.1.0"));
    recorder.events.clear();
    QTest::ignoreMessage(QtInfoMsg, "Is New Version now");
    plugin->checkVersionWithPrompt(true);
    settle(plugin.get());
    QVERIFY(recorder.events.isEmpty());
    plugin->checkVersionWithPrompt(false);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.events, QStringList {QStringLiteral("versionIsNew")}, 20000);
    QCOMPARE(recorder.message, QStringLiteral("1.1.0"));

    // Refused and failed checks.
    recorder.events.clear();
    m_publisher->setControl({{"gameOffline", true}, {"offlineMessage", "maintenance"}});
    plugin->checkVersionWithPrompt(false);
    settle(plugin.get());
    plugin->requestTargetGameDownloadFileResource(QStringLiteral("1.1.0"));
    settle(plugin.get());
    QCOMPARE(recorder.events,
        (QStringList {
            QStringLiteral("gameoffline"), QStringLiteral("updatePromptFinished"), QStringLiteral("gameoffline")}));
    recorder.events.clear();
    m_publisher->setControl({{"status500", true}});
    plugin->checkVersionWithPrompt(false);
    settle(plugin.get());
    QCOMPARE(recorder.events, QStringList {QStringLiteral("networkError")});
    // None of it touched the install state.
    QCOMPARE(files->status(), InstallStatus::Installed);
    QCOMPARE(files->installedVersion(), QStringLiteral("1.0.0"));
}

void TestInstallCoordinator::progressAndCleanup()
{
    TestEnv env(1);
    GameFiles *files = GameFiles::instance();
    auto plugin = makePlugin();
    const QString a = QStringLiteral("http://127.0.0.1:1/files/p-1_origin_9_size_9_md5_a.zip");
    const QString b = QStringLiteral("http://127.0.0.1:1/files/p-2_origin_9_size_9_md5_b.zip");
    const QString other = env.filePath(QStringLiteral("Downloads/other.zip"));
    writeFile(files->downloadFilePath(a), QByteArray(300, 'a'));
    writeFile(files->tempFilePath(b), QByteArray(200, 'b'));
    writeFile(other, "keep");

    GameVersionInfo info;
    info.latestVersion = QStringLiteral("1.1.0");
    info.packageUrls = QStringList {a, b};
    info.packageSize = 1000;
    plugin->setGameVersionInfo(info);
    KorvaneObject::DownloadingInfo progress = plugin->currentDownloadingInfo();
    QCOMPARE(progress.percent, QStringLiteral("50"));
    QCOMPARE(progress.bytesReceived, qint64(500));

    // A package of unknown size: the bytes are reported, the percent is 0.
    info.packageSize = 0;
    plugin->setGameVersionInfo(info);
    progress = plugin->currentDownloadingInfo();
    QCOMPARE(progress.percent, QStringLiteral("0"));
    QCOMPARE(progress.downloadedSize, sizeText(500));
    // More on disk than declared shows as complete, not beyond.
    info.packageSize = 400;
    plugin->setGameVersionInfo(info);
    QCOMPARE(plugin->currentDownloadingInfo().percent, QStringLiteral("100"));
    // Small-file packages report no archive progress.
    info.downloadType = 1;
    plugin->setGameVersionInfo(info);
    QVERIFY(plugin->currentDownloadingInfo().downloadedSize.isEmpty());

    // Clean-up needs a complete package record, then removes only its files.
    info.packageSize = 0;
    plugin->setGameVersionInfo(info);
    plugin->RemoveDownloadZip();
    QVERIFY(QFileInfo::exists(files->downloadFilePath(a)));
    info.packageSize = 1000;
    plugin->setGameVersionInfo(info);
    plugin->RemoveDownloadZip();
    QVERIFY(!QFileInfo::exists(files->downloadFilePath(a)));
    QVERIFY(QFileInfo::exists(files->tempFilePath(b)));
    QVERIFY(QFileInfo::exists(other));
}

QTEST_GUILESS_MAIN(TestInstallCoordinator)
#include "tst_installcoordinator.moc"
