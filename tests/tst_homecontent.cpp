// The home page's content services against the publisher stand-in: the poster
// slots, the background video and its player, the notification alerts, and
// the base information, banners and news with their widgets.

#include "api/requestclasses.h"
#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/posterimageinfo.h"
#include "app/safepicture.h"
#include "content/framedecoder.h"
#include "content/notificationplugin.h"
#include "content/posterplugin.h"
#include "db/dbmanager.h"
#include "extract_archives.h"
#include "home/bannercarousel.h"
#include "home/custombannerwidget.h"
#include "home/homecontentpanel.h"
#include "home/movielabel.h"
#include "home/notificationview.h"
#include "home/tabswithpopuptext.h"
#include "mainwindow/mainwindow.h"
#include "support/httpfixture.h"
#include "support/publisherprocess.h"
#include "support/testenv.h"
#include "update/appinstallplugin.h"
#include "widgets/hoverlabel.h"

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFutureWatcher>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

QByteArray encoded(const QColor &color, int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray png(const QColor &color, int width = 64, int height = 36)
{
    return encoded(color, width, height, "PNG");
}

QByteArray jpeg(const QColor &color, int width, int height)
{
    return encoded(color, width, height, "JPG");
}

// A small picture whose header declares `width` x `height` pixels: a PNG's
// header chunk (with its checksum) or a JPEG's frame header rewritten.
QByteArray declaring(QByteArray picture, quint32 width, quint32 height)
{
    const auto bigEndian = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = bytes - 1; i >= 0; --i)
            out.append(char(value >> (8 * i)));
        return out;
    };
    if (picture.startsWith("\x89PNG")) {
        picture.replace(16, 8, bigEndian(width, 4) + bigEndian(height, 4));
        quint32 c = 0xffffffffu;
        for (char byte : picture.mid(12, 17)) {
            c ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1u)));
        }
        picture.replace(29, 4, bigEndian(~c, 4));
        return picture;
    }
    const int frame = picture.indexOf(QByteArray("\xff\xc0", 2));
    picture.replace(frame + 5, 4, bigEndian(height, 2) + bigEndian(width, 2));
    return picture;
}

// Counts the log lines holding a text, from any thread, while it lives.
class LogCounter
{
public:
    explicit LogCounter(const QString &needle)
    {
        s_needle = needle;
        s_count = 0;
        s_longest = 0;
        s_previous = qInstallMessageHandler(&LogCounter::handle);
    }
    ~LogCounter() { qInstallMessageHandler(s_previous); }
    int count() const { return s_count; }
    int longest() const { return s_longest; }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (message.contains(s_needle)) {
            ++s_count;
            s_longest = qMax(s_longest.load(), int(message.size()));
        }
        s_previous(type, context, message);
    }
    static inline QString s_needle;
    static inline std::atomic_int s_count {0};
    static inline std::atomic_int s_longest {0};
    static inline QtMessageHandler s_previous = nullptr;
};

QString md5(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

LauncherConfig *config()
{
    return LauncherConfig::instance();
}

QString setting(const QString &group, const QString &key)
{
    return config()->readString(group, key);
}

// Every file under `root`, relative to it.
QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The paths of the replies `manager` finishes from now on.
std::shared_ptr<QStringList> fetchedPaths(QNetworkAccessManager *manager)
{
    auto paths = std::make_shared<QStringList>();
    QObject::connect(manager, &QNetworkAccessManager::finished, manager,
        [paths](QNetworkReply *reply) { paths->append(reply->url().path()); });
    return paths;
}

int countOf(const QSignalSpy &spy, PosterType type)
{
    int count = 0;
    for (const QList<QVariant> &args : spy)
        count += args.at(0).value<PosterType>() == type ? 1 : 0;
    return count;
}

// Receives what the launcher hands to the browser, per scheme.
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *kSchemes[] = {"http", "https", "file", "javascript", "smb"};
    LinkCatcher()
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~LinkCatcher() override
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestHomeContent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void posterSlots_data();
    void posterSlots();
    void posterOnlineTimes_data();
    void posterOnlineTimes();
    void refusedPosters_data();
    void refusedPosters();
    void checksAreFiveMinutesApart();
    void videoAnswers_data();
    void videoAnswers();
    void shortVideoIsDecodedOnce();
    void defaultVideoIsExtractedOnce();
    void playback_data();
    void playback();
    void olderFrameListIsIgnored();
    void alertShownOnceAndDismissed();
    void alertImages_data();
    void alertImages();
    void olderImageReplyIsNotShown();
    void disabledNotificationsSendNothing();
    void banners_data();
    void banners();
    void failedBannerIsFetchedNextPass_data();
    void failedBannerIsFetchedNextPass();
    void baseInfoIsFiveMinutesApart();
    void pluginGoesWithRequestsInFlight();
    void newsTabs();
    void editionContent_data();
    void editionContent();
    void carouselNavigation_data();
    void carouselNavigation();
    void onlyWebLinksOpen_data();
    void onlyWebLinksOpen();
    void picturesAreCheckedBeforeDecoding_data();
    void picturesAreCheckedBeforeDecoding();
    void hugePosterIsRefusedOnce_data();
    void hugePosterIsRefusedOnce();
    void hugeBannerIsLeftOut();
    void nonWebAddressesAreNotRead_data();
    void nonWebAddressesAreNotRead();
    void newsIsBoundedAndPlain();
    void stalledAlertImageIsFetchedOnce();
    void alertImageCacheIsBounded();
    void badFramesArePassedOverQuietly();
    void badVideoArchiveIsFetchedAgain_data();
    void badVideoArchiveIsFetchedAgain();
    void reextractionKeepsThePlayedFrames();

private:
    struct Poster
    {
        std::unique_ptr<DbManager> db;
        std::unique_ptr<QNetworkAccessManager> manager;
        std::unique_ptr<PosterPlugin> plugin;
    };
    Poster makePoster(const TestEnv &env, const QString &dbPath = QString());
    std::unique_ptr<NotificationPlugin> makeNotifications(
        QNetworkAccessManager *manager, int imageStallMs = NotificationPlugin::kImageStallMs);
    // Waits until every request and download the plug-in started has ended.
    void settle(QObject *plugin, QNetworkAccessManager *manager);
    void writeServices(const QJsonObject &services) const;
    QJsonObject posterServices(const QJsonValue &onlineTime, const QString &digest) const;
    int requestCount(const QString &path) const;
    std::unique_ptr<Appinstallplugin> makeAppPlugin(QNetworkAccessManager *manager);
    QJsonObject bannerServices(const QStringList &paths) const;
    QString newsUrl() const { return m_publisher->baseUrl() + Appinstallplugin::newsQueryPath(); }
    // Runs one banner pass and waits until it has ended: bannerUpdate, or
    // the last picture's request answered and released.
    void runBannerPass(Appinstallplugin *plugin, QNetworkAccessManager *manager);

    QTemporaryDir m_content;
    std::unique_ptr<PublisherProcess> m_publisher;
    QByteArray m_poster;
    QByteArray m_notice;
    qint64 m_now = 0;
    qint64 m_maxPosterBytes = PosterPlugin::kMaxPosterBytes;
    int m_posterStallMs = 3000;
};

void TestHomeContent::initTestCase()
{
    QVERIFY(m_content.isValid());
    QDir().mkpath(m_content.filePath(QStringLiteral("files/home")));
    m_poster = png(Qt::darkCyan, 1280, 720);
    m_notice = png(Qt::darkRed, 460, 230);
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/poster.png")), m_poster);
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/notice.png")), m_notice);
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/notice2.png")), png(Qt::yellow));
    // Two of the banners share a file name in different folders.
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/b1.png")), png(Qt::red, 320, 140));
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/b2.png")), png(Qt::green, 320, 140));
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/x/b1.png")), png(Qt::blue, 320, 140));
    QList<TestArchives::Entry> frames;
    for (int i = 0; i < 3; ++i)
        frames << TestArchives::file(QByteArray("frame_") + QByteArray::number(i) + ".png", png(QColor(i * 80, 0, 0)));
    QVERIFY(TestArchives::write(m_content.filePath(QStringLiteral("files/home/bg.zip")), frames));
    writeServices(QJsonObject());
    m_publisher = std::make_unique<PublisherProcess>(m_content.path());
    QVERIFY2(m_publisher->isRunning(), qPrintable(m_publisher->errorString()));
}

void TestHomeContent::init()
{
    m_publisher->setControl(QJsonObject());
    m_now = QDateTime::currentMSecsSinceEpoch();
    m_maxPosterBytes = PosterPlugin::kMaxPosterBytes;
    m_posterStallMs = 3000;
}

TestHomeContent::Poster TestHomeContent::makePoster(const TestEnv &env, const QString &dbPath)
{
    Poster poster;
    QDir().mkpath(env.filePath(QStringLiteral("AppData")));
    poster.db = std::make_unique<DbManager>(
        dbPath.isEmpty() ? env.filePath(QStringLiteral("AppData/korvanedb.sql3")) : dbPath);
    emit poster.db->initWorker(QString());
    poster.manager = std::make_unique<QNetworkAccessManager>();
    PosterPlugin::Collaborators collaborators;
    const QString base = m_publisher->baseUrl();
    collaborators.activityBase = [base] {
        return base;
    };
    collaborators.manager = poster.manager.get();
    collaborators.clock = [this] {
        return m_now;
    };
    collaborators.database = poster.db.get();
    collaborators.posterStallMs = m_posterStallMs;
    collaborators.maxPosterBytes = m_maxPosterBytes;
    poster.plugin = std::make_unique<PosterPlugin>(collaborators);
    return poster;
}

std::unique_ptr<NotificationPlugin> TestHomeContent::makeNotifications(QNetworkAccessManager *manager, int imageStallMs)
{
    NotificationPlugin::Collaborators collaborators;
    collaborators.imageStallMs = imageStallMs;
    const QString base = m_publisher->baseUrl();
    collaborators.activityBase = [base] {
        return base;
    };
    collaborators.manager = manager;
    return std::make_unique<NotificationPlugin>(collaborators);
}

void TestHomeContent::settle(QObject *plugin, QNetworkAccessManager *manager)
{
    const auto idle = [plugin, manager] {
        for (const KVAbstractNetwork *request : plugin->findChildren<KVAbstractNetwork *>()) {
            if (request->pendingReplyCount() > 0)
                return false;
        }
        return manager->findChildren<QNetworkReply *>().isEmpty();
    };
    QTRY_VERIFY_WITH_TIMEOUT(idle(), 20000);
}

void TestHomeContent::writeServices(const QJsonObject &services) const
{
    TestArchives::writeFile(m_content.filePath(QStringLiteral("services.json")), QJsonDocument(services).toJson());
}

QJsonObject TestHomeContent::posterServices(const QJsonValue &onlineTime, const QString &digest) const
{
    const QJsonObject image {{QStringLiteral("imageUrl"), QStringLiteral("{base}/files/home/poster.png")},
        {QStringLiteral("onlineTime"), onlineTime}, {QStringLiteral("md5"), digest}};
    return QJsonObject {{QStringLiteral("images"), QJsonArray {image}}};
}

int TestHomeContent::requestCount(const QString &path) const
{
    int count = 0;
    for (const QJsonObject &line : m_publisher->logLines(QStringLiteral("requests.jsonl")))
        count += line.value(QStringLiteral("path")).toString() == path ? 1 : 0;
    return count;
}

// A poster whose online time has come is shown at once; one announced for
// later waits in the next slot until currentPosterPath() finds it online.
void TestHomeContent::posterSlots_data()
{
    QTest::addColumn<qint64>("delaySeconds");
    QTest::addColumn<bool>("milliseconds");
    QTest::addColumn<bool>("upperCaseDigest");

    QTest::newRow("online") << qint64(-60) << false << false;
    QTest::newRow("online, upper-case digest") << qint64(-60) << false << true;
    QTest::newRow("future") << qint64(3600) << false << false;
    QTest::newRow("future, in milliseconds") << qint64(3600) << true << false;
}

void TestHomeContent::posterSlots()
{
    QFETCH(qint64, delaySeconds);
    QFETCH(bool, milliseconds);
    QFETCH(bool, upperCaseDigest);

    TestEnv env;
    Poster poster = makePoster(env);
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    const qint64 onlineTime = m_now / 1000 + delaySeconds;
    const QString digest = upperCaseDigest ? md5(m_poster).toUpper() : md5(m_poster);
    writeServices(posterServices(double(milliseconds ? onlineTime * 1000 : onlineTime), digest));

    poster.plugin->checkPosterInServer();
    QTRY_VERIFY_WITH_TIMEOUT(!setting(QStringLiteral("Launcher"), QStringLiteral("poster_next")).isEmpty(), 10000);
    settle(poster.plugin.get(), poster.manager.get());
    const QString gi = env.filePath(QStringLiteral("Images/poster_%1.gi").arg(digest));
    QCOMPARE(TestArchives::readFile(gi), m_poster);

    const bool online = delaySeconds <= 0;
    QCOMPARE(countOf(updates, PosterType::Image) != 0, online);
    QCOMPARE(config()->currentPosterPath(m_now / 1000), online ? gi : QString());
    QCOMPARE(config()->currentPosterPath(onlineTime), gi);
    QCOMPARE(setting(QStringLiteral("Launcher"), QStringLiteral("poster_current")),
        setting(QStringLiteral("Launcher"), QStringLiteral("poster_next")));

    // The next pass finds the verified file and fetches nothing: with the
    // file host failing, a refetch would have lost the poster.
    m_publisher->setControl(
        QJsonObject {{QStringLiteral("status500"), true}, {QStringLiteral("pathPrefix"), "/files/"}});
    m_now += PosterPlugin::kCheckIntervalMs;
    poster.plugin->checkPosterInServer();
    settle(poster.plugin.get(), poster.manager.get());
    QCOMPARE(config()->currentPosterPath(onlineTime), gi);
}

// The online time in seconds or milliseconds; a number that is no time drops
// the record instead of being converted beyond the range of a time.
void TestHomeContent::posterOnlineTimes_data()
{
    QTest::addColumn<double>("online");
    QTest::addColumn<qint64>("seconds"); // -1: no record

    QTest::newRow("seconds") << 1700000000.0 << qint64(1700000000);
    QTest::newRow("milliseconds") << 1700000000123.0 << qint64(1700000000);
    QTest::newRow("beyond 64 bits") << 1e19 << qint64(-1);
    QTest::newRow("far too large") << 1e300 << qint64(-1);
    QTest::newRow("far too small") << -1e300 << qint64(-1);
}

void TestHomeContent::posterOnlineTimes()
{
    QFETCH(double, online);
    QFETCH(qint64, seconds);

    const QString data = QString::fromUtf8(QJsonDocument(posterServices(online, md5(m_poster))).toJson());
    const std::optional<PosterImageInfo> info = PosterImageInfo::fromData(data);
    QCOMPARE(info ? info->onlineTime : qint64(-1), seconds);
}

// Posters that must not replace the one shown: a digest that is no digest
// (it would name a file outside "Images/"), an image that does not match, one
// larger than the cap, and one whose host stops sending.
void TestHomeContent::refusedPosters_data()
{
    QTest::addColumn<QString>("digest"); // empty: the image's own
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<int>("hostStallMs");

    const qint64 cap = PosterPlugin::kMaxPosterBytes;
    QTest::newRow("path in the digest") << QStringLiteral("/../../evil0123456789abcdef01234") << cap << 0;
    QTest::newRow("too short") << QStringLiteral("0123456789abcdef") << cap << 0;
    QTest::newRow("does not match") << QStringLiteral("0123456789abcdef0123456789abcdef") << cap << 0;
    QTest::newRow("larger than the cap") << QString() << qint64(1000) << 0;
    QTest::newRow("host stalls") << QString() << cap << 4000;
}

void TestHomeContent::refusedPosters()
{
    QFETCH(QString, digest);
    QFETCH(qint64, maxBytes);
    QFETCH(int, hostStallMs);

    if (digest.isEmpty())
        digest = md5(m_poster);
    m_maxPosterBytes = maxBytes;
    m_posterStallMs = 500;
    if (hostStallMs > 0) {
        m_publisher->setControl(
            QJsonObject {{QStringLiteral("stallMs"), hostStallMs}, {QStringLiteral("pathPrefix"), "/files/"}});
    }

    TestEnv env;
    Poster poster = makePoster(env);
    // The poster shown so far.
    const QByteArray old = png(Qt::green);
    const QString oldData = QJsonDocument(posterServices(double(m_now / 1000 - 600), md5(old))).toJson();
    env.writeFile(QStringLiteral("Images/poster_%1.gi").arg(md5(old)), old);
    config()->writeString(
        QStringLiteral("Launcher"), QStringLiteral("poster_current"), PosterImageInfo::toStored(oldData));
    const QString oldPath = config()->currentPosterPath(m_now / 1000);
    QVERIFY(!oldPath.isEmpty());
    // A file the "path in the digest" record names, outside "Images/".
    QDir().mkpath(env.filePath(QStringLiteral("Images/poster_")));
    env.writeFile(QStringLiteral("evil0123456789abcdef01234.gi"), "not a poster");
    const QStringList before = filesUnder(env.filePath(QStringLiteral("Images")));

    writeServices(posterServices(double(m_now / 1000 - 60), digest));
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    poster.plugin->checkPosterInServer();
    settle(poster.plugin.get(), poster.manager.get());

    QCOMPARE(countOf(updates, PosterType::Image), 0);
    QCOMPARE(config()->currentPosterPath(m_now / 1000), oldPath);
    QCOMPARE(filesUnder(env.filePath(QStringLiteral("Images"))), before);
    QVERIFY(QFileInfo::exists(env.filePath(QStringLiteral("evil0123456789abcdef01234.gi"))));
}

void TestHomeContent::checksAreFiveMinutesApart()
{
    TestEnv env;
    Poster poster = makePoster(env);
    writeServices(QJsonObject());
    const QString images = QStringLiteral("/activity/pc/launcher/images");
    const QString baseInfo = QStringLiteral("/activity/pc/launcher/base-info");
    const int firstImages = requestCount(images);
    const int firstBaseInfo = requestCount(baseInfo);

    const qint64 steps[] = {0, PosterPlugin::kCheckIntervalMs - 1, 1};
    const int expected[] = {1, 1, 2};
    for (int i = 0; i < 3; ++i) {
        m_now += steps[i];
        poster.plugin->checkPosterInServer();
        settle(poster.plugin.get(), poster.manager.get());
        QCOMPARE(requestCount(images) - firstImages, expected[i]);
        QCOMPARE(requestCount(baseInfo) - firstBaseInfo, expected[i]);
    }
}

// The video answer: a new address is downloaded, extracted and recorded once;
// the same address again fetches nothing; a video switched off is stored.
void TestHomeContent::videoAnswers_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("unopenableDatabase");

    QTest::newRow("new video") << true << false;
    QTest::newRow("database cannot open") << true << true;
    QTest::newRow("switched off") << false << false;
}

void TestHomeContent::videoAnswers()
{
    QFETCH(bool, show);
    QFETCH(bool, unopenableDatabase);

    TestEnv env;
    Poster poster
        = makePoster(env, unopenableDatabase ? env.filePath(QStringLiteral("missing/folder/db.sql3")) : QString());
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    QSignalSpy operations(poster.db.get(), &DbManager::newOperation);
    QSignalSpy answers(poster.db.get(), &DbManager::operationCompleted);
    writeServices(QJsonObject {{QStringLiteral("baseInfo"),
        QJsonObject {{QStringLiteral("bgVideoUrl"), QStringLiteral("{base}/files/home/bg.zip")},
            {QStringLiteral("isShowBgVideo"), show}}}});
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("show_video"), show ? 0 : -1);

    poster.plugin->checkPosterInServer();
    settle(poster.plugin.get(), poster.manager.get());
    if (!show) {
        QCOMPARE(config()->readInt(QStringLiteral("VIDEO"), QStringLiteral("show_video")), 0);
        QVERIFY(!PosterPlugin::videoEnabled());
        QCOMPARE(updates.count(), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(updates.count(), 1, 20000);
    QCOMPARE(updates.at(0).at(0).value<PosterType>(), PosterType::Video);
    const QString folder = PosterPlugin::installedVideoFolder(QStringLiteral("{base}/files/home/bg.zip"));
    QVERIFY(folder.startsWith(env.filePath(QStringLiteral("QtQuick/WebPage/video/bg"))));
    QCOMPARE(QDir(folder).entryList(QDir::Files),
        QStringList({QStringLiteral("frame_0.png"), QStringLiteral("frame_1.png"), QStringLiteral("frame_2.png")}));
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("QtQuick/WebPage/video/bg.extracting"))));
    QVERIFY(PosterPlugin::videoEnabled()); // switched back on by the service
    // Every operation queued so far is answered before this query.
    const int probe = poster.db->queryBgVideo(QStringLiteral("60001"));
    QTRY_VERIFY_WITH_TIMEOUT(!answers.isEmpty() && answers.last().at(0).toInt() == probe, 10000);
    int inserts = 0;
    for (const QList<QVariant> &op : operations)
        inserts += op.at(0).value<DbOperation>().type == DbOperation::Insert ? 1 : 0;
    QCOMPARE(inserts, 1);
    QCOMPARE(updates.count(), 1);
    if (unopenableDatabase)
        return;
    QCOMPARE(answers.last().at(2).toList().value(0).toMap().value(QStringLiteral("bgVideoUrl")).toString(),
        m_publisher->baseUrl() + QStringLiteral("/files/home/bg.zip"));

    // The same address again: answered from the record, nothing downloaded.
    QVERIFY(QFile::remove(env.filePath(QStringLiteral("Downloads/bg.zip"))));
    m_now += PosterPlugin::kCheckIntervalMs;
    poster.plugin->checkPosterInServer();
    QTRY_COMPARE_WITH_TIMEOUT(updates.count(), 2, 10000);
    settle(poster.plugin.get(), poster.manager.get());
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/bg.zip"))));
}

// The edition's default video is extracted when it is not installed yet, and
// left alone (not extracted over the folder being played) when it is.
void TestHomeContent::defaultVideoIsExtractedOnce()
{
    TestEnv env;
    Poster poster = makePoster(env);
    const QString url = config()->manifestValue(QStringLiteral("officalweb")) + QLatin1Char('/')
        + config()->manifestValue(QStringLiteral("video_url"));
    const QString archive = env.filePath(QStringLiteral("Downloads/")) + QUrl(url).fileName();
    QDir().mkpath(QFileInfo(archive).path());
    QVERIFY(QFile::copy(m_content.filePath(QStringLiteral("files/home/bg.zip")), archive));
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);

    poster.plugin->useDefaultVideo();
    QTRY_COMPARE_WITH_TIMEOUT(updates.count(), 1, 10000);
    const QString folder = PosterPlugin::installedVideoFolder(url);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 3);
    TestArchives::writeFile(folder + QStringLiteral("/marker"), "played");

    poster.plugin->useDefaultVideo();
    QTRY_COMPARE_WITH_TIMEOUT(updates.count(), 2, 10000);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/marker")));
}

// Playback of the installed frames: the stored interval (never a spinning
// timer), the switch, and a ring of decoded frames that stays small.
void TestHomeContent::playback_data()
{
    QTest::addColumn<int>("storedRefresh");
    QTest::addColumn<int>("showVideo");
    QTest::addColumn<bool>("plays");
    QTest::addColumn<int>("interval");

    QTest::newRow("absent interval") << -1 << -1 << true << MovieLabel::kDefaultRefreshMs;
    QTest::newRow("zero interval") << 0 << -1 << true << MovieLabel::kMinRefreshMs;
    QTest::newRow("stored interval") << 20 << 1 << true << 20;
    QTest::newRow("switched off") << 30 << 0 << false << 0;
}

void TestHomeContent::playback()
{
    QFETCH(int, storedRefresh);
    QFETCH(int, showVideo);
    QFETCH(bool, plays);
    QFETCH(int, interval);

    TestEnv env;
    for (int i = 0; i < 12; ++i)
        env.writeFile(QStringLiteral("QtQuick/WebPage/video/default/f%1.png").arg(i, 2, 10, QLatin1Char('0')),
            png(QColor(i * 20, 40, 90), 320, 180));
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("video_refresh"), storedRefresh);
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("show_video"), showVideo);
    QDir().mkpath(env.filePath(QStringLiteral("AppData")));
    DbManager db(env.filePath(QStringLiteral("AppData/korvanedb.sql3")));
    emit db.initWorker(QString());

    MovieLabel label(&db);
    label.resize(MovieLabel::kFrameWidth, MovieLabel::kFrameHeight);
    label.show();
    QSignalSpy loaded(&label, &MovieLabel::loadFinish);
    label.loadVideo(); // no row: the default folder
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 10000);
    QCOMPARE(label.frameCount(), 12);

    label.startPlay();
    QCOMPARE(label.isPlaying(), plays);
    if (!plays)
        return;
    QCOMPARE(label.refreshInterval(), interval);
    // Playing until frames were found decoded in time; the ring never grows.
    int mostHeld = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        (mostHeld = qMax(mostHeld, label.heldFrames()), label.ticks() >= 30 && label.readyTicks() > 0), 20000);
    QVERIFY(mostHeld <= MovieLabel::kRingFrames + 1);

    label.stop();
    QVERIFY(!label.isPlaying());
    QCOMPARE(label.frameCount(), 0);
}

// A short video stays decoded: looping it decodes no frame twice.
void TestHomeContent::shortVideoIsDecodedOnce()
{
    TestEnv env;
    constexpr int frames = 6;
    for (int i = 0; i < frames; ++i)
        env.writeFile(QStringLiteral("v/f%1.png").arg(i), png(QColor(i * 30, 40, 90), 320, 180));
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("show_video"), 1);
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    MovieLabel label(&db);
    label.resize(MovieLabel::kFrameWidth, MovieLabel::kFrameHeight);
    label.show();
    QSignalSpy loaded(&label, &MovieLabel::loadFinish);
    QSignalSpy decodes(&label, &MovieLabel::decodeRequested);
    label.loadFolder(env.filePath(QStringLiteral("v")));
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 10000);
    label.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(label.readyTicks() >= 4 * frames, 20000); // four loops
    QCOMPARE(decodes.count(), frames);
    QCOMPARE(label.heldFrames(), frames);
    label.stop();
}

// Loading another folder while a listing runs: only the newer list arrives.
void TestHomeContent::olderFrameListIsIgnored()
{
    TestEnv env;
    for (int i = 0; i < 200; ++i)
        env.writeFile(QStringLiteral("a/%1.png").arg(i, 3, 10, QLatin1Char('0')), "x");
    env.writeFile(QStringLiteral("b/1.png"), "x");
    env.writeFile(QStringLiteral("b/2.png"), "x");
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    MovieLabel label(&db);
    QSignalSpy loaded(&label, &MovieLabel::loadFinish);

    label.loadFolder(env.filePath(QStringLiteral("a")));
    label.loadFolder(env.filePath(QStringLiteral("b")));
    QTRY_VERIFY_WITH_TIMEOUT(label.findChildren<QFutureWatcherBase *>().isEmpty(), 10000);
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(label.frameCount(), 2);

    label.loadFolder(env.filePath(QStringLiteral("a")));
    label.stop();
    QTRY_VERIFY_WITH_TIMEOUT(label.findChildren<QFutureWatcherBase *>().isEmpty(), 10000);
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(label.frameCount(), 0);
}

void TestHomeContent::alertShownOnceAndDismissed()
{
    TestEnv env;
    writeServices(QJsonObject {{QStringLiteral("message"),
        QJsonObject {{QStringLiteral("messageId"), 1}, {QStringLiteral("title"), QStringLiteral("Quillmere 1.1.0")},
            {QStringLiteral("content"),
                QStringLiteral("<font size=200>A new level</font><img src=\"file:///etc/passwd\">")},
            {QStringLiteral("bannerUrl"), QStringLiteral("{base}/files/home/notice.png")},
            {QStringLiteral("linkUrl"), QStringLiteral("https://www.quillmere.example/news/1")}}}});
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
    NotificationView::present(plugin.get());
    QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);
    QSignalSpy dismissed(plugin.get(), &NotificationPlugin::messageDismissed);

    plugin->requestNotification();
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, 10000);
    QCOMPARE(alerts.at(0).at(1).toString(), QStringLiteral("Quillmere 1.1.0"));
    QVERIFY(!alerts.at(0).at(3).value<QImage>().isNull());
    QPointer<NotificationView> view;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<NotificationView *>(widget))
            view = candidate;
    }
    QVERIFY(view && view->isVisible());
    QCOMPARE(
        view->findChild<QLabel *>(QStringLiteral("pushButton_gameName"))->text(), QStringLiteral("Quillmere 1.1.0"));
    // Server text is shown as written: no markup is rendered, no file it names is read.
    for (const char *name : {"pushButton_gameName", "pushButton_noticeMessage"})
        QCOMPARE(view->findChild<QLabel *>(QLatin1String(name))->textFormat(), Qt::PlainText);

    QTest::mouseClick(view->findChild<QPushButton *>(QStringLiteral("pushButton_closeButton")), Qt::LeftButton);
    QCOMPARE(dismissed.count(), 1);
    QCOMPARE(dismissed.at(0).at(0).toString(), QStringLiteral("https://www.quillmere.example/news/1"));
    QTRY_VERIFY(view.isNull());
    QCOMPARE(config()->readInt(QStringLiteral("MESSAGE"), QStringLiteral("MessageID")), 1);

    plugin->requestNotification();
    settle(plugin.get(), &manager);
    QCOMPARE(alerts.count(), 1);
}

// The alert image: the host failing, or a picture beyond the caps, shows the
// built-in picture with the alert's texts, and the alert counts as seen.
void TestHomeContent::alertImages_data()
{
    QTest::addColumn<QByteArray>("body"); // empty: the host answers 500
    QTest::addColumn<bool>("shown");

    const QByteArray gigapixels = declaring(png(Qt::blue, 4, 4), 100000, 100000);

    QTest::newRow("picture") << png(Qt::red) << true;
    QTest::newRow("host answers 500") << QByteArray() << false;
    QTest::newRow("declares gigapixels") << gigapixels << false;
    QTest::newRow("not a picture") << QByteArray("<html>") << false;
}

void TestHomeContent::alertImages()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, shown);

    TestEnv env;
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/case.png")), body);
    if (body.isEmpty())
        m_publisher->setControl(
            QJsonObject {{QStringLiteral("status500"), true}, {QStringLiteral("pathPrefix"), "/files/"}});
    writeServices(QJsonObject {{QStringLiteral("message"),
        QJsonObject {{QStringLiteral("messageId"), 7}, {QStringLiteral("title"), QStringLiteral("T")},
            {QStringLiteral("content"), QStringLiteral("C")},
            {QStringLiteral("bannerUrl"), QStringLiteral("{base}/files/home/case.png")}}}});
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
    QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);

    plugin->requestNotification();
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, 10000);
    QCOMPARE(alerts.at(0).at(0).toInt(), 7);
    QCOMPARE(alerts.at(0).at(2).toString(), QStringLiteral("C"));
    QCOMPARE(!alerts.at(0).at(3).value<QImage>().isNull(), shown);
    // Shown, with its own picture or the built-in one, is seen.
    QCOMPARE(config()->readInt(QStringLiteral("MESSAGE"), QStringLiteral("MessageID")), 7);
    plugin->requestNotification();
    settle(plugin.get(), &manager);
    QCOMPARE(alerts.count(), 1);
}

// An image that arrives after a newer alert was announced is not shown with
// the newer alert's texts, nor does it mark the newer alert as seen.
void TestHomeContent::olderImageReplyIsNotShown()
{
    TestEnv env;
    const auto message = [](int id, const QString &banner) {
        return QJsonObject {{QStringLiteral("message"),
            QJsonObject {{QStringLiteral("messageId"), id},
                {QStringLiteral("title"), QStringLiteral("title %1").arg(id)}, {QStringLiteral("bannerUrl"), banner}}}};
    };
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
    QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);
    m_publisher->setControl(QJsonObject {{QStringLiteral("stallMs"), 1500}, {QStringLiteral("pathPrefix"), "/files/"}});

    writeServices(message(2, QStringLiteral("{base}/files/home/notice.png")));
    plugin->requestNotification();
    QTRY_VERIFY_WITH_TIMEOUT(plugin->messageId() == 2, 10000);
    writeServices(message(3, QStringLiteral("{base}/files/home/notice2.png")));
    plugin->requestNotification();
    QTRY_VERIFY_WITH_TIMEOUT(plugin->messageId() == 3, 10000);
    settle(plugin.get(), &manager);

    QCOMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toInt(), 3);
    QCOMPARE(alerts.at(0).at(1).toString(), QStringLiteral("title 3"));
    QCOMPARE(config()->readInt(QStringLiteral("MESSAGE"), QStringLiteral("MessageID")), 3);
}

void TestHomeContent::disabledNotificationsSendNothing()
{
    TestEnv env;
    writeServices(QJsonObject());
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
    const QString path = QStringLiteral("/activity/pc/launcher/message");
    const int before = requestCount(path);

    config()->writeBool(QStringLiteral("Launcher"), QStringLiteral("notification_enable"), false);
    plugin->requestNotification();
    config()->writeBool(QStringLiteral("Launcher"), QStringLiteral("notification_enable"), true);
    plugin->requestNotification();
    settle(plugin.get(), &manager);
    // Requests are logged in the order they arrive: only the enabled one came.
    QCOMPARE(requestCount(path) - before, 1);
}

std::unique_ptr<Appinstallplugin> TestHomeContent::makeAppPlugin(QNetworkAccessManager *manager)
{
    const QString base = m_publisher->baseUrl();
    return std::make_unique<Appinstallplugin>(
        ServerUrls(base, base, base, base), QStringLiteral("2.9.0"), manager, [this] { return m_now; });
}

// Banners with the given picture addresses, news of every kind, an event page.
QJsonObject TestHomeContent::bannerServices(const QStringList &paths) const
{
    QJsonArray banners;
    for (int i = 0; i < paths.size(); ++i) {
        banners.append(QJsonObject {{QStringLiteral("imageUrl"), paths.at(i)},
            {QStringLiteral("imageLink"), QStringLiteral("https://www.quillmere.example/news/%1").arg(i)}});
    }
    const auto news = [](double id, int type, const QString &title, const QString &time) {
        return QJsonObject {{QStringLiteral("id"), id}, {QStringLiteral("informationType"), type},
            {QStringLiteral("title"), title}, {QStringLiteral("updateTime"), time},
            {QStringLiteral("collectionId"), QStringLiteral("1")}};
    };
    return QJsonObject {{QStringLiteral("banner"), banners},
        {QStringLiteral("baseInfo"),
            QJsonObject {{QStringLiteral("h5eventUrl"), QStringLiteral("https://www.quillmere.example/event")}}},
        {QStringLiteral("news"),
            QJsonArray {news(101, 2, QStringLiteral("Maintenance"), QStringLiteral("2025-05-02 09:00:00")),
                news(102, 3, QStringLiteral("Festival"), QStringLiteral("2025-05-01 12:00:00")),
                news(3000000103.0, 4, QStringLiteral("Version 1.1.0"), QStringLiteral("2025-04-30 18:00:00"))}}};
}

void TestHomeContent::runBannerPass(Appinstallplugin *plugin, QNetworkAccessManager *manager)
{
    plugin->nrequestBannerImage(QStringLiteral("60001"));
    QVERIFY(plugin->isFetchingBanners());
    QTRY_VERIFY_WITH_TIMEOUT(!plugin->isFetchingBanners(), 20000);
    settle(plugin, manager);
}

// The banners land under names of their own, whole and decodable, through
// temporary files: leftovers of a cut download (a broken picture, a partial
// temporary file) are replaced, pictures already there are not fetched again.
// A picture that is no web address is not fetched; a long list is cut.
void TestHomeContent::banners_data()
{
    QTest::addColumn<QString>("leftover"); // "", "broken", "partial" or "present"

    QTest::newRow("fresh") << QString();
    QTest::newRow("broken picture left") << QStringLiteral("broken");
    QTest::newRow("partial temporary file left") << QStringLiteral("partial");
    QTest::newRow("all present") << QStringLiteral("present");
}

void TestHomeContent::banners()
{
    QFETCH(QString, leftover);

    TestEnv env;
    const QStringList names {QStringLiteral("b1.png"), QStringLiteral("x/b1.png"), QStringLiteral("b2.png")};
    QStringList urls;
    for (const QString &name : names)
        urls << QStringLiteral("{base}/files/home/") + name;
    urls << QStringLiteral("file:///etc/passwd");
    // More banners than a carousel shows: only the first ones are kept.
    for (int i = urls.size(); i < Appinstallplugin::kMaxBanners + 2; ++i)
        urls << QStringLiteral("{base}/files/home/b2.png?copy=%1").arg(i);
    writeServices(bannerServices(urls));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QSignalSpy updates(plugin.get(), &Appinstallplugin::bannerUpdate);

    const QString base = m_publisher->baseUrl() + QStringLiteral("/files/home/");
    const auto cached = [&env, &base](const QString &name) {
        return env.filePath(QStringLiteral("Images/") + BannerImageInfo::cacheName(base + name));
    };
    const QByteArray picture = TestArchives::readFile(m_content.filePath(QStringLiteral("files/home/b1.png")));
    const QByteArray kept = png(Qt::magenta, 320, 140);
    if (leftover == QLatin1String("broken")) {
        env.writeFile(QDir(env.appDir()).relativeFilePath(cached(names.at(0))), picture.left(picture.size() / 2));
    } else if (leftover == QLatin1String("partial")) {
        env.writeFile(QDir(env.appDir()).relativeFilePath(cached(names.at(0))) + QStringLiteral(".part"),
            QByteArray(200000, 'x'));
    } else if (leftover == QLatin1String("present")) {
        for (const QString &name : names)
            env.writeFile(QDir(env.appDir()).relativeFilePath(cached(name)), kept);
    }

    // Asked twice before the first answer: only the last list runs a pass.
    plugin->nrequestBannerImage(QStringLiteral("60001"));
    runBannerPass(plugin.get(), &manager);
    QCOMPARE(updates.count(), 1);
    const QList<BannerImageInfo> banners = updates.at(0).at(0).value<QList<BannerImageInfo>>();
    QCOMPARE(banners.size(), Appinstallplugin::kMaxBanners);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(banners.at(i).localPath, cached(names.at(i)));
        const QByteArray expected = leftover == QLatin1String("present")
            ? kept
            : TestArchives::readFile(m_content.filePath(QStringLiteral("files/home/") + names.at(i)));
        QCOMPARE(TestArchives::readFile(banners.at(i).localPath), expected);
    }
    QVERIFY(filesUnder(env.filePath(QStringLiteral("Images"))).filter(QStringLiteral(".part")).isEmpty());
    QVERIFY(QFileInfo::exists(Appinstallplugin::bannerCachePath()));
}

// A second picture that fails (an error answer, or a body cut short) stops
// the pass and leaves no file behind; the next pass fetches it and keeps the
// first one.
void TestHomeContent::failedBannerIsFetchedNextPass_data()
{
    QTest::addColumn<QJsonObject>("fault");

    const QString second = QStringLiteral("/files/home/b2.png");
    QTest::newRow("error answer") << QJsonObject {
        {QStringLiteral("status500"), true}, {QStringLiteral("pathPrefix"), second}};
    QTest::newRow("body cut") << QJsonObject {
        {QStringLiteral("cutBodyAfter"), 100}, {QStringLiteral("pathPrefix"), second}};
}

void TestHomeContent::failedBannerIsFetchedNextPass()
{
    QFETCH(QJsonObject, fault);

    TestEnv env;
    const QStringList names {QStringLiteral("b1.png"), QStringLiteral("b2.png"), QStringLiteral("x/b1.png")};
    QStringList urls;
    for (const QString &name : names)
        urls << QStringLiteral("{base}/files/home/") + name;
    writeServices(bannerServices(urls));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QSignalSpy updates(plugin.get(), &Appinstallplugin::bannerUpdate);

    m_publisher->setControl(fault);
    runBannerPass(plugin.get(), &manager);
    QCOMPARE(updates.count(), 0);
    const QList<BannerImageInfo> listed = plugin->banners();
    QCOMPARE(listed.size(), 3);
    QVERIFY(QImage(listed.at(0).localPath).width() == 320);
    QStringList expected {QStringLiteral("banner_en.json"), listed.at(0).fileName};
    expected.sort();
    QCOMPARE(filesUnder(env.filePath(QStringLiteral("Images"))), expected);

    // The first picture changes on the server: kept, since it is whole on disk.
    const QByteArray first = TestArchives::readFile(listed.at(0).localPath);
    const QString firstSource = m_content.filePath(QStringLiteral("files/home/b1.png"));
    TestArchives::writeFile(firstSource, png(Qt::gray, 320, 140));
    m_publisher->setControl(QJsonObject());
    runBannerPass(plugin.get(), &manager);
    TestArchives::writeFile(firstSource, first);
    QCOMPARE(updates.count(), 1);
    const QList<BannerImageInfo> banners = updates.at(0).at(0).value<QList<BannerImageInfo>>();
    QCOMPARE(TestArchives::readFile(banners.at(0).localPath), first);
    QCOMPARE(TestArchives::readFile(banners.at(1).localPath),
        TestArchives::readFile(m_content.filePath(QStringLiteral("files/home/b2.png"))));
}

void TestHomeContent::baseInfoIsFiveMinutesApart()
{
    TestEnv env;
    writeServices(bannerServices({}));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QSignalSpy updates(plugin.get(), &Appinstallplugin::baseInfoUpdate);
    const QString path = QStringLiteral("/activity/pc/launcher/base-info");
    const int before = requestCount(path);

    const qint64 steps[] = {0, Appinstallplugin::kBaseInfoIntervalMs - 1, 1};
    for (qint64 step : steps) {
        m_now += step;
        plugin->requestBaseAppInfo();
    }
    QTRY_COMPARE_WITH_TIMEOUT(updates.count(), 2, 10000);
    settle(plugin.get(), &manager);
    // Requests are logged in the order they arrive: the one inside five minutes never came.
    QCOMPARE(requestCount(path) - before, 2);
    QCOMPARE(plugin->baseInfo()->h5eventUrl, QStringLiteral("https://www.quillmere.example/event"));
}

// A plug-in with its own network manager can go while its requests are out.
void TestHomeContent::pluginGoesWithRequestsInFlight()
{
    TestEnv env;
    writeServices(bannerServices({QStringLiteral("{base}/files/home/b1.png")}));
    const QString base = m_publisher->baseUrl();
    auto plugin = std::make_unique<Appinstallplugin>(ServerUrls(base, base, base, base), QStringLiteral("2.9.0"));
    plugin->requestBaseAppInfo();
    plugin->nrequestBannerImage(QStringLiteral("60001"));
    plugin->requestNewsData(AppNewsInfo::News, newsUrl());
    QCOMPARE(plugin->findChildren<KVAbstractNetwork *>().size(), 3);
    plugin.reset();
}

// The tabs stand in the order Latest, Notice, Event, News whatever order the
// lists arrive in; entries show "MM/dd"; an id past 2^31 reaches its page.
void TestHomeContent::newsTabs()
{
    TestEnv env;
    writeServices(bannerServices({}));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QWidget window;
    HomeContentPanel panel(
        &window, plugin.get(), {QStringLiteral("60001"), newsUrl(), QStringLiteral("https://www.quillmere.example")});
    QSignalSpy news(plugin.get(), &Appinstallplugin::newsUpdate);
    const int types[] = {AppNewsInfo::News, AppNewsInfo::Event, AppNewsInfo::Notice, AppNewsInfo::Latest};
    for (int i = 0; i < 4; ++i) {
        plugin->requestNewsData(types[i], newsUrl());
        QTRY_COMPARE_WITH_TIMEOUT(news.count(), i + 1, 10000);
    }
    TabsWithPopupText *tabs = panel.newsTabs();
    QTRY_COMPARE(tabs->tabTitles().size(), 4);
    QCOMPARE(tabs->tabTitles(),
        QStringList({QStringLiteral("Tabs_Latest"), QStringLiteral("Tabs_Notice"), QStringLiteral("Tabs_Event"),
            QStringLiteral("Tabs_News")}));
    QCOMPARE(tabs->currentTab(), 0);

    tabs->setCurrentTab(3);
    const auto visibleTexts = [tabs] {
        QStringList texts;
        for (QLabel *label : tabs->findChildren<QLabel *>()) {
            if (label->isVisibleTo(tabs) && label->objectName() != QLatin1String("news_entry"))
                texts << label->text();
        }
        texts.sort();
        return texts;
    };
    window.show();
    QCOMPARE(visibleTexts(), QStringList({QStringLiteral("04/30"), QStringLiteral("Version 1.1.0")}));
    LinkCatcher links;
    for (HoverLabel *entry : tabs->findChildren<HoverLabel *>()) {
        if (entry->isVisibleTo(tabs))
            QTest::mouseClick(entry, Qt::LeftButton);
    }
    QCOMPARE(links.opened,
        QList<QUrl>({QUrl(QStringLiteral("https://www.quillmere.example/en/home/detail.html#newsId?3000000103"))}));
}

// What each edition shows and asks for: the mainland edition no banners, the
// Korean edition no news; the main window follows its edition's game id.
void TestHomeContent::editionContent_data()
{
    QTest::addColumn<int>("edition");
    QTest::addColumn<bool>("banners");
    QTest::addColumn<bool>("news");

    QTest::newRow("mainland") << 0 << false << true;
    QTest::newRow("global") << 1 << true << true;
    QTest::newRow("japan") << 2 << true << true;
    QTest::newRow("korea") << 3 << true << false;
}

void TestHomeContent::editionContent()
{
    QFETCH(int, edition);
    QFETCH(bool, banners);
    QFETCH(bool, news);

    TestEnv env(edition);
    writeServices(bannerServices({QStringLiteral("{base}/files/home/b1.png")}));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    HomeContentPanel::Settings settings = HomeContentPanel::Settings::forEdition(edition, 1);
    QCOMPARE(settings.newsUrl.isEmpty(), !news);
    settings.newsUrl = newsUrl();
    QWidget window;
    HomeContentPanel panel(&window, plugin.get(), settings);
    const int bannerRequests = requestCount(QStringLiteral("/activity/pc/launcher/banner"));
    const int newsRequests = requestCount(Appinstallplugin::newsQueryPath());
    QSignalSpy newsUpdates(plugin.get(), &Appinstallplugin::newsUpdate);

    panel.requestContent();
    if (news)
        QTRY_COMPARE_WITH_TIMEOUT(newsUpdates.count(), 4, 10000);
    if (banners)
        QTRY_VERIFY_WITH_TIMEOUT(!plugin->isFetchingBanners(), 20000);
    settle(plugin.get(), &manager);
    QCOMPARE(requestCount(QStringLiteral("/activity/pc/launcher/banner")) - bannerRequests, banners ? 1 : 0);
    QCOMPARE(requestCount(Appinstallplugin::newsQueryPath()) - newsRequests, news ? 4 : 0);
    QCOMPARE(panel.bannerWidget()->isVisibleTo(&window), banners);
    QCOMPARE(panel.newsTabs()->isVisibleTo(&window), news);
    QTRY_COMPARE(panel.bannerWidget()->carousel()->items().size(), banners ? 1 : 0);
    QTRY_COMPARE(panel.newsTabs()->tabTitles().size(), news ? 4 : 0);

    MainWindow::Collaborators c;
    c.home.appPlugin = plugin.get();
    c.launcherType = edition;
    MainWindow mainWindow(c);
    auto *bannerWidget = mainWindow.findChild<CustomBannerWidget *>();
    auto *tabs = mainWindow.findChild<TabsWithPopupText *>();
    QVERIFY(bannerWidget && tabs);
    QCOMPARE(bannerWidget->isVisibleTo(&mainWindow), banners);
    QCOMPARE(tabs->isVisibleTo(&mainWindow), news);
    QCOMPARE(bannerWidget->geometry(), QRect(40, 533, 320, 180));
    QCOMPARE(tabs->geometry(), QRect(40, 426, 320, 105));
}

// Moving through the carousel: out-of-range and current indices change
// nothing; with one item the arrows do nothing.
void TestHomeContent::carouselNavigation_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("steps"); // n next, p previous, or a digit for setCurrentIndex
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("changes");

    QTest::newRow("next wraps") << 3 << QStringLiteral("nnn") << 0 << 3;
    QTest::newRow("previous wraps") << 3 << QStringLiteral("p") << 2 << 1;
    QTest::newRow("current or out of range") << 3 << QStringLiteral("039") << 0 << 0;
    QTest::newRow("indicator index") << 3 << QStringLiteral("2") << 2 << 1;
    QTest::newRow("one item") << 1 << QStringLiteral("np") << 0 << 0;
}

void TestHomeContent::carouselNavigation()
{
    QFETCH(int, items);
    QFETCH(QString, steps);
    QFETCH(int, index);
    QFETCH(int, changes);

    BannerCarousel carousel;
    carousel.setItems(QVector<BannerItem>(items).toList());
    QVERIFY(carousel.isAutoPlaying());
    QSignalSpy changed(&carousel, &BannerCarousel::currentIndexChanged);
    for (QChar step : steps) {
        if (step == QLatin1Char('n'))
            carousel.nextImage();
        else if (step == QLatin1Char('p'))
            carousel.prevImage();
        else
            carousel.setCurrentIndex(step.digitValue());
    }
    QCOMPARE(carousel.currentIndex(), index);
    QCOMPARE(changed.count(), changes);
}

// A banner's link reaches the browser only when it is a web address.
void TestHomeContent::onlyWebLinksOpen_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("opened");

    QTest::newRow("https") << QStringLiteral("https://www.quillmere.example/news/1") << true;
    QTest::newRow("http") << QStringLiteral("http://www.quillmere.example/news/1") << true;
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << false;
    QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << false;
    QTest::newRow("network share") << QStringLiteral("smb://host/share/run.exe") << false;
    QTest::newRow("no host") << QStringLiteral("http:relative") << false;
}

void TestHomeContent::onlyWebLinksOpen()
{
    QFETCH(QString, link);
    QFETCH(bool, opened);

    LinkCatcher links;
    BannerCarousel carousel;
    carousel.setItems({BannerItem {link, QString()}});
    carousel.show();
    QTest::mousePress(carousel.imageArea(), Qt::LeftButton);
    QCOMPARE(links.opened, opened ? QList<QUrl>({QUrl(link)}) : QList<QUrl>());
}

// Server pictures are checked by the size they declare before anything is
// decoded, and decoded at the size they are shown at.
void TestHomeContent::picturesAreCheckedBeforeDecoding_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QSize>("fit");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("decoded"); // invalid: refused

    const int keep = Qt::KeepAspectRatio;
    const QSize refused(-1, -1);
    QTest::newRow("larger: shrunk to fit")
        << png(Qt::red, 640, 360) << QSize(320, 140) << keep << QSize(640, 360).scaled(320, 140, Qt::KeepAspectRatio);
    QTest::newRow("smaller: as it is") << png(Qt::red, 64, 36) << QSize(320, 140) << keep << QSize(64, 36);
    QTest::newRow("exact size asked") << png(Qt::red, 640, 360) << QSize(320, 320) << int(Qt::IgnoreAspectRatio)
                                      << QSize(320, 320);
    QTest::newRow("PNG declaring 30000 x 30000")
        << declaring(png(Qt::red, 4, 4), 30000, 30000) << QSize(320, 140) << keep << refused;
    QTest::newRow("JPEG declaring 30000 x 30000")
        << declaring(jpeg(Qt::red, 16, 16), 30000, 30000) << QSize(320, 140) << keep << refused;
    QTest::newRow("not a picture") << QByteArray("<html>") << QSize(320, 140) << keep << refused;
}

void TestHomeContent::picturesAreCheckedBeforeDecoding()
{
    QFETCH(QByteArray, picture);
    QFETCH(QSize, fit);
    QFETCH(int, mode);
    QFETCH(QSize, decoded);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture"));
    TestArchives::writeFile(path, picture);
    const QImage image = SafePicture::decode(path, QSize(4096, 4096), fit, nullptr, Qt::AspectRatioMode(mode));
    QCOMPARE(image.isNull() ? QSize(-1, -1) : image.size(), decoded);
    QCOMPARE(FrameDecoder::decodeFrame(path, fit).isNull(), !decoded.isValid());
}

// A poster declaring gigapixels (its digest matching) is refused unread, is
// not fetched again while its address and digest stay, and leaves the way
// free for the next poster.
void TestHomeContent::hugePosterIsRefusedOnce_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<bool>("keptFromBefore");

    const QByteArray hugePng = declaring(png(Qt::red, 4, 4), 30000, 30000);
    QTest::newRow("PNG") << hugePng << false;
    QTest::newRow("flat JPEG") << declaring(jpeg(Qt::red, 16, 16), 30000, 30000) << false;
    QTest::newRow("kept from before") << hugePng << true;
}

void TestHomeContent::hugePosterIsRefusedOnce()
{
    QFETCH(QByteArray, picture);
    QFETCH(bool, keptFromBefore);

    TestEnv env;
    Poster poster = makePoster(env);
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    TestArchives::writeFile(m_content.filePath(QStringLiteral("files/home/huge.img")), picture);
    const QString gi = QStringLiteral("Images/poster_%1.gi").arg(md5(picture));
    if (keptFromBefore)
        env.writeFile(gi, picture);
    QJsonObject services = posterServices(double(m_now / 1000 - 60), md5(picture));
    QJsonObject image = services.value(QStringLiteral("images")).toArray().first().toObject();
    image.insert(QStringLiteral("imageUrl"), QStringLiteral("{base}/files/home/huge.img"));
    services.insert(QStringLiteral("images"), QJsonArray {image});
    writeServices(services);
    const std::shared_ptr<QStringList> fetched = fetchedPaths(poster.manager.get());

    for (int pass = 0; pass < 3; ++pass) {
        poster.plugin->checkPosterInServer();
        settle(poster.plugin.get(), poster.manager.get());
        m_now += PosterPlugin::kCheckIntervalMs;
    }
    QCOMPARE(countOf(updates, PosterType::Image), 0);
    QCOMPARE(fetched->count(QStringLiteral("/files/home/huge.img")), keptFromBefore ? 0 : 1);
    QVERIFY(!QFileInfo::exists(env.filePath(gi)));
    QVERIFY(setting(QStringLiteral("Launcher"), QStringLiteral("poster_next")).isEmpty());

    writeServices(posterServices(double(m_now / 1000 - 60), md5(m_poster)));
    poster.plugin->checkPosterInServer();
    QTRY_COMPARE_WITH_TIMEOUT(countOf(updates, PosterType::Image), 1, 10000);
}

// A banner declaring gigapixels is left out of the carousel and not fetched
// again; the carousel decodes its pictures at its own size.
void TestHomeContent::hugeBannerIsLeftOut()
{
    TestEnv env;
    TestArchives::writeFile(
        m_content.filePath(QStringLiteral("files/home/huge.png")), declaring(png(Qt::red, 4, 4), 30000, 30000));
    writeServices(bannerServices({QStringLiteral("{base}/files/home/b1.png"),
        QStringLiteral("{base}/files/home/huge.png"), QStringLiteral("{base}/files/home/b2.png")}));
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QSignalSpy updates(plugin.get(), &Appinstallplugin::bannerUpdate);

    const std::shared_ptr<QStringList> fetched = fetchedPaths(&manager);
    runBannerPass(plugin.get(), &manager);
    runBannerPass(plugin.get(), &manager);
    QCOMPARE(updates.count(), 2);
    QCOMPARE(fetched->count(QStringLiteral("/files/home/huge.png")), 1);
    const QList<BannerImageInfo> banners = updates.last().at(0).value<QList<BannerImageInfo>>();
    QCOMPARE(banners.size(), 2);

    env.writeFile(QStringLiteral("Images/huge.png"), declaring(png(Qt::red, 4, 4), 30000, 30000));
    BannerCarousel carousel;
    QSignalSpy loaded(&carousel, &BannerCarousel::picturesLoaded);
    carousel.setItems({{QString(), banners.at(0).localPath},
        {QString(), env.filePath(QStringLiteral("Images/huge.png"))}, {QString(), banners.at(1).localPath}});
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 10000);
    QCOMPARE(carousel.picture(0).size(), QSize(BannerCarousel::kImageWidth, BannerCarousel::kImageHeight));
    QVERIFY(carousel.picture(1).isNull());
    QVERIFY(!carousel.picture(2).isNull());
}

// Home content is fetched from the web only: a local file, embedded data or
// one of the launcher's own resources is not read, and the refusal is
// logged once however often it is announced.
void TestHomeContent::nonWebAddressesAreNotRead_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("address");

    const QString poster = m_content.filePath(QStringLiteral("files/home/poster.png"));
    const QString video = m_content.filePath(QStringLiteral("files/home/bg.zip"));
    const QString data = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(m_poster.toBase64());
    for (const char *target : {"poster", "alert"}) {
        QTest::addRow("%s, local file", target) << target << QUrl::fromLocalFile(poster).toString();
        QTest::addRow("%s, data", target) << target << data;
        QTest::addRow("%s, resource", target) << target << QStringLiteral("qrc:/mainwindow/mainwindow_en.png");
    }
    QTest::newRow("video, local file") << "video" << QUrl::fromLocalFile(video).toString();
    QTest::newRow("video, resource") << "video" << QStringLiteral("qrc:/video/bg.zip");
}

void TestHomeContent::nonWebAddressesAreNotRead()
{
    QFETCH(QString, target);
    QFETCH(QString, address);

    QVERIFY(!SafePicture::isFetchable(QUrl(address)));
    TestEnv env;
    LogCounter refusals(QStringLiteral("not a web address"));
    if (target == QLatin1String("alert")) {
        QNetworkAccessManager manager;
        std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
        QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);
        for (int id = 11; id <= 12; ++id) {
            writeServices(QJsonObject {{QStringLiteral("message"),
                QJsonObject {{QStringLiteral("messageId"), id}, {QStringLiteral("bannerUrl"), address}}}});
            plugin->requestNotification();
            QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), id - 10, 10000);
            QVERIFY(alerts.last().at(3).value<QImage>().isNull());
        }
        QCOMPARE(refusals.count(), 1);
        return;
    }
    Poster poster = makePoster(env);
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("show_video"), 1);
    QJsonObject services = posterServices(double(m_now / 1000 - 60), md5(m_poster));
    QJsonObject image = services.value(QStringLiteral("images")).toArray().first().toObject();
    image.insert(QStringLiteral("imageUrl"), address);
    services = target == QLatin1String("poster")
        ? QJsonObject {{QStringLiteral("images"), QJsonArray {image}}}
        : QJsonObject {{QStringLiteral("baseInfo"),
            QJsonObject {{QStringLiteral("bgVideoUrl"), address}, {QStringLiteral("isShowBgVideo"), true}}}};
    writeServices(services);
    for (int pass = 0; pass < 2; ++pass) {
        poster.plugin->checkPosterInServer();
        settle(poster.plugin.get(), poster.manager.get());
        m_now += PosterPlugin::kCheckIntervalMs;
    }
    QCOMPARE(countOf(updates, PosterType::Image), 0);
    QVERIFY(filesUnder(env.filePath(QStringLiteral("Images"))).isEmpty());
    QVERIFY(filesUnder(env.filePath(QStringLiteral("Downloads"))).isEmpty());
    QVERIFY(PosterPlugin::installedVideoFolder(address).isEmpty());
    QCOMPARE(refusals.count(), 1);
}

// A news answer far longer than the page asked for: the page's entries are
// shown, titles cut to a sane length and as plain text, the log kept short;
// a list that arrives again rebuilds only its own tab.
void TestHomeContent::newsIsBoundedAndPlain()
{
    TestEnv env;
    HttpFixture service;
    QVERIFY(service.listen());
    const QByteArray markup = R"(<b>bold</b><img src=\"file:///etc/passwd\">)";
    const auto answer = [&markup](int entries, int titleBytes) {
        QByteArray body = R"({"code":200,"msg":"ok","data":{"pageData":[)";
        for (int i = 0; i < entries; ++i) {
            const QByteArray title = i == 0 ? markup + QByteArray(titleBytes, 'x') : "entry " + QByteArray::number(i);
            body += i ? "," : "";
            body += R"({"id":)" + QByteArray::number(i + 1) + R"(,"title":")" + title
                + R"(","updateTime":"2025-05-02 09:00:00"})";
        }
        return body + "]}}";
    };
    HttpFixture::Reply reply;
    reply.body = answer(100000, 1000000);
    service.setReply(Appinstallplugin::newsQueryPath().toUtf8(), reply);
    const QString url = service.url(Appinstallplugin::newsQueryPath());
    QNetworkAccessManager manager;
    std::unique_ptr<Appinstallplugin> plugin = makeAppPlugin(&manager);
    QWidget window;
    HomeContentPanel panel(&window, plugin.get(), {QStringLiteral("60001"), url, QStringLiteral("https://q.example")});
    TabsWithPopupText *tabs = panel.newsTabs();
    auto *pages = tabs->findChild<QStackedWidget *>();
    {
        // Megabytes of news are dropped before they are parsed.
        LogCounter dropped(QStringLiteral("is larger than"));
        plugin->requestNewsData(AppNewsInfo::Notice, url);
        QTRY_COMPARE_WITH_TIMEOUT(dropped.count(), 1, 20000);
        QCOMPARE(tabs->entryCount(), 0);
    }
    // A long list within the reply limit is cut to a page.
    reply.body = answer(1000, 100000);
    service.setReply(Appinstallplugin::newsQueryPath().toUtf8(), reply);
    LogCounter titleLines(QStringLiteral("newsUpdate_title:"));

    plugin->requestNewsData(AppNewsInfo::Notice, url);
    QTRY_COMPARE_WITH_TIMEOUT(tabs->entryCount(), NewsRequestInfo().pageSize, 20000);
    plugin->requestNewsData(AppNewsInfo::Event, url);
    QTRY_COMPARE_WITH_TIMEOUT(tabs->tabTitles().size(), 2, 20000);
    QPointer<QWidget> eventPage = pages->widget(1);
    QPointer<QWidget> noticePage = pages->widget(0);
    plugin->requestNewsData(AppNewsInfo::Notice, url);
    QTRY_VERIFY_WITH_TIMEOUT(noticePage.isNull(), 20000);
    QCOMPARE(pages->widget(1), eventPage.data());

    QCOMPARE(tabs->entryCount(), 2 * NewsRequestInfo().pageSize);
    for (QLabel *title : tabs->findChildren<QLabel *>(QStringLiteral("news_title"))) {
        QCOMPARE(title->textFormat(), Qt::PlainText);
        QVERIFY(title->text().size() <= AppNewsInfo::kMaxTitleChars);
    }
    for (HoverLabel *entry : tabs->findChildren<HoverLabel *>(QStringLiteral("news_entry"))) {
        QVERIFY(entry->toolTip().size() <= 2 * AppNewsInfo::kMaxTitleChars);
        QVERIFY(!entry->toolTip().contains(QLatin1String("<img")));
    }
    QCOMPARE(titleLines.count(), 3 * NewsRequestInfo().pageSize);
    QVERIFY(titleLines.longest() <= 200);
}

// With the image host stalled, alert cycles keep one picture request open at
// most; the stall guard ends it and the alert shows the built-in picture,
// seen all the same.
void TestHomeContent::stalledAlertImageIsFetchedOnce()
{
    TestEnv env;
    m_publisher->setControl(QJsonObject {{QStringLiteral("stallMs"), 6000}, {QStringLiteral("pathPrefix"), "/files/"}});
    writeServices(QJsonObject {{QStringLiteral("message"),
        QJsonObject {{QStringLiteral("messageId"), 21}, {QStringLiteral("title"), QStringLiteral("T")},
            {QStringLiteral("bannerUrl"), QStringLiteral("{base}/files/home/notice.png")}}}});
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager, 2000);
    QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);
    const auto answered = [&plugin] {
        for (const KVAbstractNetwork *request : plugin->findChildren<KVAbstractNetwork *>()) {
            if (request->pendingReplyCount() > 0)
                return false;
        }
        return true;
    };
    const auto open = [&manager] {
        int count = 0;
        for (const QNetworkReply *reply : manager.findChildren<QNetworkReply *>())
            count += reply->isFinished() ? 0 : 1;
        return count;
    };
    for (int cycle = 0; cycle < 4; ++cycle) {
        plugin->requestNotification();
        QTRY_VERIFY_WITH_TIMEOUT(answered(), 10000);
        QVERIFY(open() <= 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), 1, 10000);
    QVERIFY(alerts.at(0).at(3).value<QImage>().isNull());
    QCOMPARE(config()->readInt(QStringLiteral("MESSAGE"), QStringLiteral("MessageID")), 21);
    QVERIFY(filesUnder(env.filePath(QStringLiteral("Images"))).isEmpty());
}

// Alert pictures kept for alerts shown again take a bounded number of bytes.
void TestHomeContent::alertImageCacheIsBounded()
{
    TestEnv env;
    QNetworkAccessManager manager;
    std::unique_ptr<NotificationPlugin> plugin = makeNotifications(&manager);
    QSignalSpy alerts(plugin.get(), &NotificationPlugin::alertReady);
    for (int i = 0; i < 6; ++i) {
        const QString name = QStringLiteral("files/home/big%1.png").arg(i);
        TestArchives::writeFile(m_content.filePath(name), png(QColor(i * 40, 90, 0), 1024, 1024));
        writeServices(QJsonObject {{QStringLiteral("message"),
            QJsonObject {{QStringLiteral("messageId"), 100 + i},
                {QStringLiteral("bannerUrl"), QStringLiteral("{base}/") + name}}}});
        plugin->requestNotification();
        QTRY_COMPARE_WITH_TIMEOUT(alerts.count(), i + 1, 10000);
        QVERIFY(!alerts.last().at(3).value<QImage>().isNull());
        QVERIFY(plugin->cachedImageBytes() > 0);
        QVERIFY(plugin->cachedImageBytes() <= NotificationPlugin::kImageCacheBytes);
    }
}

// Frames far larger than the window and frames that do not decode are
// skipped: logged once for the video, not read again, playback goes on.
void TestHomeContent::badFramesArePassedOverQuietly()
{
    TestEnv env;
    for (int i = 0; i < 12; ++i) {
        QByteArray frame = png(QColor(i * 20, 40, 90), 320, 180);
        if (i == 3)
            frame = png(Qt::gray, 4000, 2300);
        else if (i == 7)
            frame = "not a frame";
        env.writeFile(QStringLiteral("QtQuick/WebPage/video/default/f%1.png").arg(i, 2, 10, QLatin1Char('0')), frame);
    }
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("video_refresh"), 10);
    config()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("show_video"), 1);
    DbManager db(env.filePath(QStringLiteral("db.sql3")));
    emit db.initWorker(QString());
    MovieLabel label(&db);
    label.resize(MovieLabel::kFrameWidth, MovieLabel::kFrameHeight);
    label.show();
    QSignalSpy loaded(&label, &MovieLabel::loadFinish);
    LogCounter unreadable(QStringLiteral("Cannot read video frame"));

    label.loadVideo();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 10000);
    label.startPlay();
    QTRY_VERIFY_WITH_TIMEOUT(label.readyTicks() >= 4 * 12, 30000); // four loops
    QCOMPARE(label.unreadableFrames(), 2);
    QCOMPARE(unreadable.count(), 1);
    label.stop();
}

// An archive that gives no video (a captive portal's page saved under its
// name, an archive without frames) is removed, and the next pass fetches the
// video again once the server sends the real one.
void TestHomeContent::badVideoArchiveIsFetchedAgain_data()
{
    QTest::addColumn<QByteArray>("bad");

    QTest::newRow("captive portal page") << QByteArray("<html>Please sign in.</html>");
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.zip"));
    QVERIFY(TestArchives::write(empty, {TestArchives::dir("frames/")}));
    QTest::newRow("archive without frames") << TestArchives::readFile(empty);
}

void TestHomeContent::badVideoArchiveIsFetchedAgain()
{
    QFETCH(QByteArray, bad);

    TestEnv env;
    Poster poster = makePoster(env);
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    const QString source = m_content.filePath(QStringLiteral("files/home/vid.zip"));
    TestArchives::writeFile(source, bad);
    writeServices(QJsonObject {{QStringLiteral("baseInfo"),
        QJsonObject {{QStringLiteral("bgVideoUrl"), QStringLiteral("{base}/files/home/vid.zip")},
            {QStringLiteral("isShowBgVideo"), true}}}});
    const QString url = m_publisher->baseUrl() + QStringLiteral("/files/home/vid.zip");

    poster.plugin->checkPosterInServer();
    QTRY_COMPARE_WITH_TIMEOUT(countOf(updates, PosterType::Video), 1, 20000);
    settle(poster.plugin.get(), poster.manager.get());
    QVERIFY(PosterPlugin::installedVideoFolder(url).isEmpty());
    QVERIFY(!QFileInfo::exists(env.filePath(QStringLiteral("Downloads/vid.zip"))));

    TestArchives::writeFile(source, TestArchives::readFile(m_content.filePath(QStringLiteral("files/home/bg.zip"))));
    m_now += PosterPlugin::kCheckIntervalMs;
    poster.plugin->checkPosterInServer();
    QTRY_COMPARE_WITH_TIMEOUT(countOf(updates, PosterType::Video), 2, 20000);
    QCOMPARE(QDir(PosterPlugin::installedVideoFolder(url)).entryList(QDir::Files).size(), 3);
}

// A video extracted again goes to a fresh folder: the frames being played
// stay until the player has moved on, and the player lists the new ones.
void TestHomeContent::reextractionKeepsThePlayedFrames()
{
    TestEnv env;
    Poster poster = makePoster(env);
    QSignalSpy updates(poster.plugin.get(), &PosterPlugin::posterUpdate);
    const QString url = m_publisher->baseUrl() + QStringLiteral("/files/home/bg.zip");
    const auto announce = [&](const QString &query) {
        writeServices(QJsonObject {{QStringLiteral("baseInfo"),
            QJsonObject {{QStringLiteral("bgVideoUrl"), QStringLiteral("{base}/files/home/bg.zip") + query},
                {QStringLiteral("isShowBgVideo"), true}}}});
        const int before = updates.count();
        poster.plugin->checkPosterInServer();
        QTRY_COMPARE_WITH_TIMEOUT(updates.count(), before + 1, 20000);
        settle(poster.plugin.get(), poster.manager.get());
        m_now += PosterPlugin::kCheckIntervalMs;
    };
    MovieLabel label(poster.db.get());
    QSignalSpy loaded(&label, &MovieLabel::loadFinish);

    announce(QString());
    const QString first = PosterPlugin::installedVideoFolder(url);
    label.loadVideo();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 10000);
    QCOMPARE(label.folder(), first);

    announce(QStringLiteral("?v=2"));
    const QString second = PosterPlugin::installedVideoFolder(url);
    QVERIFY(second != first);
    QCOMPARE(QDir(first).entryList(QDir::Files).size(), 3);
    label.loadVideo();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, 10000);
    QCOMPARE(label.folder(), second);
    QCOMPARE(label.frameCount(), 3);

    announce(QStringLiteral("?v=3"));
    const QString third = PosterPlugin::installedVideoFolder(url);
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(QFileInfo::exists(second) && QFileInfo::exists(third));
}

QTEST_MAIN(TestHomeContent)
#include "tst_homecontent.moc"
