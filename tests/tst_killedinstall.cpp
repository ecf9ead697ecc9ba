#include "extract/verifycommand.h"
#include "install/gamefiles.h"
#include "mainwindow/mainwindow.h"
#include "support/autoinstaller.h"
#include "support/nginxhost.h"
#include "support/publisherprocess.h"
#include "support/testenv.h"
#include "widgets/uiresources.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTranslator>
#include <QtTest>

// A first install as a deployment serves it: the service answers from the
// stand-in, the archives come from nginx. The launcher runs in a child
// process that is killed (SIGKILL) once in the middle of the download and once
// in the middle of the extraction; the third start finishes, and the installed
// tree must be the release byte for byte. An update killed in its extraction
// ends the same way.
namespace {

// The child: the real window on the given installation folder and service,
// installing the game as a player would, until the game is playable (in the
// version given as the fifth argument, when there is one).
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 5)
        return 2;
    quillmereInitUiResources();
    QTranslator translator;
    if (translator.load(QStringLiteral(":/i18n/app_en")))
        QCoreApplication::installTranslator(&translator);
    TestEnv env(QString::fromLocal8Bit(argv[2]), 1);
    const QString version = argc > 5 ? QString::fromLocal8Bit(argv[5]) : QString();
    AutoInstaller installer(QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toLongLong(), true);
    QObject::connect(&installer, &AutoInstaller::installed, &app, [version] {
        if (version.isEmpty() || GameFiles::instance()->installedVersion() == version)
            QCoreApplication::exit(0);
    });
    installer.start();
    return QApplication::exec();
}

// The other child: the full check of the installed game against the record
// its install wrote, as "--verify --full [--repair]" runs it; the exit code is its answer.
int runVerifyChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    TestEnv env(QString::fromLocal8Bit(argv[2]), 1);
    VerifyCommandOptions options;
    options.full = true;
    options.repair = argc > 3 && qstrcmp(argv[3], "--repair") == 0;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runVerifyCommand(options, out, err);
}

// The exit code of the command line's check (and `repair`) of the installed game.
int verifyExit(const QString &appDir, bool repair = false)
{
    QProcess check;
    check.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList arguments {QStringLiteral("--verify-child"), appDir};
    if (repair)
        arguments << QStringLiteral("--repair");
    check.start(QCoreApplication::applicationFilePath(), arguments);
    if (!check.waitForFinished(60000) || check.exitStatus() != QProcess::NormalExit)
        return -1;
    return check.exitCode();
}

// Whether the record of the install knows every file with its digest.
bool recordMatches(const QString &appDir)
{
    return verifyExit(appDir) == 0;
}

qint64 bytesIn(const QString &folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// A game tree of incompressible and compressible files, some in folders: six
// of each, of `mib` and a third more MiB.
QMap<QString, QByteArray> gameTree(quint32 seed = 20261209, int mib = 3)
{
    QMap<QString, QByteArray> tree;
    QRandomGenerator random(seed);
    for (int i = 0; i < 6; ++i) {
        QByteArray noise(mib * 1024 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        tree.insert(QStringLiteral("data/pack%1.bin").arg(i), noise);
        QByteArray text;
        while (text.size() < mib * 4 / 3 * 1024 * 1024)
            text += "line " + QByteArray::number(random.bounded(100000)) + " of the quillmere world map\n";
        tree.insert(QStringLiteral("maps/region%1.txt").arg(i), text);
    }
    tree.insert(QStringLiteral("quillmere"), QByteArray("#!/bin/sh\necho quillmere\n"));
    return tree;
}

class Child
{
public:
    // `version`: the child ends once that version is playable; empty: any.
    Child(const QString &appDir, const QString &base, qint64 rateLimit, const QString &version = QString())
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments {QStringLiteral("--install-child"), appDir, base, QString::number(rateLimit)};
        if (!version.isEmpty())
            arguments << version;
        m_process.start(QCoreApplication::applicationFilePath(), arguments);
    }
    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Reads what arrived; the lines so far.
    const QList<QByteArray> &lines()
    {
        while (m_process.canReadLine())
            m_lines << m_process.readLine().trimmed();
        return m_lines;
    }
    bool saw(const QByteArray &prefix)
    {
        for (const QByteArray &line : lines()) {
            if (line.startsWith(prefix))
                return true;
        }
        return false;
    }
    bool extractingHalfway()
    {
        for (const QByteArray &line : lines()) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() == 3 && words[0] == "extract" && words[1].toLongLong() > 0
                && words[1].toLongLong() < words[2].toLongLong())
                return true;
        }
        return false;
    }
    void killNow()
    {
        m_process.kill(); // SIGKILL
        m_process.waitForFinished(10000);
    }
    QProcess m_process;

private:
    QList<QByteArray> m_lines;
};

// Every file below `folder` with its content.
QMap<QString, QByteArray> treeIn(const QString &folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        tree.insert(
            QDir(folder).relativeFilePath(file.fileName()), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return tree;
}

// The installed tree is the release: every file, byte for byte, and nothing else.
void verifyTree(const QString &installDir, const QMap<QString, QByteArray> &tree)
{
    QStringList installed;
    QDirIterator it(installDir, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        installed << QDir(installDir).relativeFilePath(it.next());
    installed.sort();
    QCOMPARE(installed, tree.keys());
    for (auto file = tree.cbegin(); file != tree.cend(); ++file) {
        QFile in(installDir + QLatin1Char('/') + file.key());
        QVERIFY(in.open(QIODevice::ReadOnly));
        QVERIFY2(in.readAll() == file.value(), qPrintable(file.key()));
    }
}

} // namespace

class TestKilledInstall : public QObject
{
    Q_OBJECT

private slots:
    void killedInDownloadAndExtractionEndsByteIdentical();
    void killedAtRandomWhileStreamingEndsByteIdentical();
    void updateKilledInExtractionEndsAsTheNewRelease();
};

void TestKilledInstall::killedInDownloadAndExtractionEndsByteIdentical()
{
    QVERIFY2(NginxHost::isInstalled(), "nginx is not installed (scripts/bootstrap installs it)");
    const QMap<QString, QByteArray> tree = gameTree();
    QTemporaryDir content;
    QString output;
    QVERIFY2(PublisherProcess::makeContent(content.path(), {{QStringLiteral("1.0.0"), tree}},
                 {QStringLiteral("--format"), QStringLiteral("7z"), QStringLiteral("--part-size"),
                     QString::number(12 * 1024 * 1024), QStringLiteral("--level"), QStringLiteral("1")},
                 &output),
        qPrintable(output));
    const qint64 packageBytes = bytesIn(content.filePath(QStringLiteral("files")));
    NginxHost nginx(content.filePath(QStringLiteral("files")));
    QVERIFY2(nginx.isRunning(), qPrintable(nginx.errorString()));
    PublisherProcess publisher(content.path(), {QStringLiteral("--files-host"), nginx.baseUrl()});
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));

    QTemporaryDir app;
    const QString downloads = app.filePath(QStringLiteral("Downloads"));
    {
        // Slow enough to be caught in the middle of the download.
        Child first(app.path(), publisher.baseUrl(), 6 * 1024 * 1024);
        QTRY_VERIFY_WITH_TIMEOUT(bytesIn(downloads) > packageBytes / 3, 60000);
        first.killNow();
        QVERIFY(first.saw("package " + nginx.baseUrl().toUtf8() + '/'));
        QVERIFY(!first.saw("state " + QByteArray::number(int(MainWindow::State::Extracting))));
    }
    const qint64 kept = bytesIn(downloads);
    QVERIFY(kept > 0 && kept < packageBytes);
    {
        Child second(app.path(), publisher.baseUrl(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(second.extractingHalfway() || second.saw("installed"), 120000);
        QVERIFY2(!second.saw("installed"), "the extraction ended before the child could be killed");
        second.killNow();
    }
    {
        Child third(app.path(), publisher.baseUrl(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(third.saw("installed"), 120000);
        QTRY_COMPARE_WITH_TIMEOUT(third.m_process.state(), QProcess::NotRunning, 10000);
        QCOMPARE(third.m_process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(third.m_process.exitCode(), 0);
    }

    verifyTree(app.filePath(QStringLiteral("Quillmereen")), tree);
}

// The archives of a package are extracted while later ones download: a kill
// at any moment, ten times over, and the last start still installs the
// release byte for byte.
void TestKilledInstall::killedAtRandomWhileStreamingEndsByteIdentical()
{
    QVERIFY2(NginxHost::isInstalled(), "nginx is not installed (scripts/bootstrap installs it)");
    const QMap<QString, QByteArray> tree = gameTree();
    QTemporaryDir content;
    QString output;
    QVERIFY2(PublisherProcess::makeContent(content.path(), {{QStringLiteral("1.0.0"), tree}},
                 {QStringLiteral("--format"), QStringLiteral("7z"), QStringLiteral("--part-size"),
                     QString::number(5 * 1024 * 1024), QStringLiteral("--level"), QStringLiteral("1")},
                 &output),
        qPrintable(output));
    NginxHost nginx(content.filePath(QStringLiteral("files")));
    QVERIFY2(nginx.isRunning(), qPrintable(nginx.errorString()));
    PublisherProcess publisher(content.path(), {QStringLiteral("--files-host"), nginx.baseUrl()});
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("kill moments from seed %u", seed);
    QRandomGenerator random(seed);
    QTemporaryDir app;
    int kills = 0;
    bool streamed = false;
    for (int round = 0; round < 10; ++round) {
        Child child(app.path(), publisher.baseUrl(), 1536 * 1024);
        QTRY_VERIFY_WITH_TIMEOUT(child.saw("state " + QByteArray::number(int(MainWindow::State::Downloading))), 60000);
        // Once, whatever the machine's speed: a kill while an archive is
        // extracted and the next ones still download.
        if (round == 1)
            QTRY_VERIFY_WITH_TIMEOUT(child.saw("extract "), 60000);
        QTest::qWait(int(random.bounded(1200)));
        QVERIFY2(!child.saw("installed"), "installed before the kill");
        child.killNow();
        ++kills;
        streamed = streamed || child.saw("extract ");
    }
    QCOMPARE(kills, 10);
    QVERIFY2(streamed, "no archive was extracted while the package downloaded");
    Child last(app.path(), publisher.baseUrl(), -1);
    QTRY_VERIFY_WITH_TIMEOUT(last.saw("installed"), 120000);
    verifyTree(app.filePath(QStringLiteral("Quillmereen")), tree);
    QVERIFY2(recordMatches(app.path()), "the install's record of its files does not match the tree");
}

// An update killed while its archives are extracted leaves the folder between two
// releases. The records say the update has not ended, so the command line's repair
// leaves the folder alone (exit 2: not checked) rather than put the old release back
// under it; the next start finishes the update, and the folder is the new release byte
// for byte with a record that matches it.
void TestKilledInstall::updateKilledInExtractionEndsAsTheNewRelease()
{
    QVERIFY2(NginxHost::isInstalled(), "nginx is not installed (scripts/bootstrap installs it)");
    const QString oldVersion = QStringLiteral("1.0.0");
    const QString newVersion = QStringLiteral("1.1.0");
    const QMap<QString, QByteArray> oldTree = gameTree(20261209, 1);
    // Every file changes, one goes and one comes.
    QMap<QString, QByteArray> newTree = gameTree(20261210, 1);
    newTree.remove(QStringLiteral("maps/region5.txt"));
    newTree.insert(QStringLiteral("data/added.bin"), QByteArray(512 * 1024, 'q'));
    QTemporaryDir content;
    QString output;
    QVERIFY2(PublisherProcess::makeContent(content.path(), {{oldVersion, oldTree}, {newVersion, newTree}},
                 {QStringLiteral("--format"), QStringLiteral("7z"), QStringLiteral("--part-size"),
                     QString::number(2 * 1024 * 1024), QStringLiteral("--level"), QStringLiteral("1"),
                     QStringLiteral("--force"), newVersion, QStringLiteral("--hold"), newVersion},
                 &output),
        qPrintable(output));
    NginxHost nginx(content.filePath(QStringLiteral("files")));
    QVERIFY2(nginx.isRunning(), qPrintable(nginx.errorString()));
    PublisherProcess publisher(content.path(), {QStringLiteral("--files-host"), nginx.baseUrl()});
    QVERIFY2(publisher.isRunning(), qPrintable(publisher.errorString()));

    QTemporaryDir app;
    const QString installDir = app.filePath(QStringLiteral("Quillmereen"));
    {
        Child install(app.path(), publisher.baseUrl(), -1, oldVersion);
        QTRY_VERIFY_WITH_TIMEOUT(install.saw("installed"), 120000);
        QTRY_COMPARE_WITH_TIMEOUT(install.m_process.state(), QProcess::NotRunning, 10000);
    }
    verifyTree(installDir, oldTree);
    QVERIFY2(PublisherProcess::publish(content.path(), newVersion, &output), qPrintable(output));
    {
        // Slow enough that archives are extracted while later ones still download.
        Child update(app.path(), publisher.baseUrl(), 1024 * 1024, newVersion);
        QTRY_VERIFY_WITH_TIMEOUT(update.extractingHalfway() || update.saw("installed"), 120000);
        QVERIFY2(!update.saw("installed"), "the update ended before the child could be killed");
        QVERIFY(update.saw("state " + QByteArray::number(int(MainWindow::State::Update))));
        update.killNow();
    }
    const QMap<QString, QByteArray> between = treeIn(installDir);
    QCOMPARE(verifyExit(app.path(), true), 2);
    QVERIFY2(treeIn(installDir) == between, "the refused repair changed the game folder");
    {
        Child resumed(app.path(), publisher.baseUrl(), -1, newVersion);
        QTRY_VERIFY_WITH_TIMEOUT(resumed.saw("installed"), 120000);
        QTRY_COMPARE_WITH_TIMEOUT(resumed.m_process.state(), QProcess::NotRunning, 10000);
        QCOMPARE(resumed.m_process.exitCode(), 0);
    }
    verifyTree(installDir, newTree);
    QVERIFY2(recordMatches(app.path()), "the record of the new release's files does not match the tree");
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--install-child") == 0)
        return runChild(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--verify-child") == 0)
        return runVerifyChild(argc, argv);
    QApplication app(argc, argv);
    TestKilledInstall test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killedinstall.moc"
