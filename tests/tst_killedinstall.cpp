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
// tree must be the release byte for byte.
namespace {

// The child: the real window on the given installation folder and service,
// installing the game as a player would.
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
    AutoInstaller installer(QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toLongLong(), true);
    QObject::connect(&installer, &AutoInstaller::installed, &app, [] { QCoreApplication::exit(0); });
    installer.start();
    return QApplication::exec();
}

// The other child: the full check of the installed game against the record
// its install wrote, as "--verify --full" runs it; the exit code is its answer.
int runVerifyChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    TestEnv env(QString::fromLocal8Bit(argv[2]), 1);
    VerifyCommandOptions options;
    options.full = true;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runVerifyCommand(options, out, err);
}

// Whether the record of the install knows every file with its digest.
bool recordMatches(const QString &appDir)
{
    QProcess check;
    check.setProcessChannelMode(QProcess::ForwardedChannels);
    check.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--verify-child"), appDir});
    return check.waitForFinished(60000) && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0;
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

// A game tree of incompressible and compressible files, some in folders.
QMap<QString, QByteArray> gameTree()
{
    QMap<QString, QByteArray> tree;
    QRandomGenerator random(20261209);
    for (int i = 0; i < 6; ++i) {
        QByteArray noise(3 * 1024 * 1024, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        tree.insert(QStringLiteral("data/pack%1.bin").arg(i), noise);
        QByteArray text;
        while (text.size() < 4 * 1024 * 1024)
            text += "line " + QByteArray::number(random.bounded(100000)) + " of the quillmere world map\n";
        tree.insert(QStringLiteral("maps/region%1.txt").arg(i), text);
    }
    tree.insert(QStringLiteral("quillmere"), QByteArray("#!/bin/sh\necho quillmere\n"));
    return tree;
}

class Child
{
public:
    Child(const QString &appDir, const QString &base, qint64 rateLimit)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--install-child"), appDir, base, QString::number(rateLimit)});
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
