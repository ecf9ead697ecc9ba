#include "extract/archiveextractor.h"
#include "extract/folderwriter.h"
#include "extract/ziplibtask.h"
#include "extract/zlibhelper.h"

#include "extract_archives.h"

#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <dirent.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

using namespace TestArchives;

Q_DECLARE_METATYPE(ExtractLimits)
Q_DECLARE_METATYPE(QList<RawZipEntry>)

namespace {

struct Run
{
    QList<qlonglong> totals;
    QList<QPair<qlonglong, qlonglong>> progress;
    QStringList errors;
    int started = 0;
    int cancelled = 0;
    int rejected = 0;
    bool completed() const
    {
        return errors.isEmpty() && !progress.isEmpty() && progress.last().first == progress.last().second;
    }
};

// Runs one archive through a ZlibHelper on the calling thread (the slot is what the
// queued request invokes).
Run extractWith(ZlibHelper &helper, const QString &archive, const QString &out)
{
    Run run;
    QObject::connect(&helper, &ZlibHelper::workStarted, [&] { ++run.started; });
    QObject::connect(&helper, &ZlibHelper::sigZipTotal, [&](qlonglong t) { run.totals << t; });
    QObject::connect(&helper, &ZlibHelper::sigProgress,
        [&](const QString &, qlonglong v, qlonglong t) { run.progress << qMakePair(v, t); });
    QObject::connect(&helper, &ZlibHelper::sigError, [&](const QString &msg, const QString &url) {
        QCOMPARE(url, QStringLiteral("url://a"));
        run.errors << msg;
    });
    QObject::connect(&helper, &ZlibHelper::sigCancelled, [&] { ++run.cancelled; });
    QObject::connect(&helper, &ZlibHelper::sigArchiveRejected, [&] { ++run.rejected; });
    helper.operation_slot_extract(QStringLiteral("url://a"), archive, out);
    return run;
}

Run extract(const QString &archive, const QString &out, const ExtractLimits &limits = {})
{
    ZlibHelper helper;
    helper.setLimits(limits);
    return extractWith(helper, archive, out);
}

bool folderIsEmpty(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

// Every file below `root` as raw name bytes relative to it, sorted: Qt would decode names
// that are no UTF-8 into replacement characters and hide what was really written.
QList<QByteArray> rawFiles(const QByteArray &root, const QByteArray &prefix = {})
{
    QList<QByteArray> files;
    DIR *dir = opendir(root.constData());
    if (!dir)
        return files;
    while (const struct dirent *e = readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat st;
        if (lstat((root + '/' + name).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            files += rawFiles(root + '/' + name, prefix + name + '/');
        else
            files << prefix + name;
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

QByteArray readRaw(const QByteArray &path)
{
    FILE *stream = fopen(path.constData(), "rb");
    if (!stream)
        return QByteArray("<missing>");
    QByteArray data;
    char block[65536];
    for (size_t n; (n = fread(block, 1, sizeof block, stream)) > 0;)
        data.append(block, int(n));
    fclose(stream);
    return data;
}

} // namespace

class TestExtract : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void damaged_data();
    void damaged();
    void entriesNotAsDeclared_data();
    void entriesNotAsDeclared();
    void legacyNames_data();
    void legacyNames();
    void emptyArchives_data();
    void emptyArchives();
    void hostileEntries_data();
    void hostileEntries();
    void linkRules();
    void writesNotThroughExistingLinks_data();
    void writesNotThroughExistingLinks();
    void abandonedFileSparesItsReplacement();
    void bombs_data();
    void bombs();
    void writeFailureRemovesTheEntry();
    void fullDriveIsNamed();
    void overwritesExistingFiles();
    void cancellation();
    void taskThread();
};

// The same tree in every format the publisher may ship, under names that do not reveal
// (or misstate) the format: the content decides, and each archive is extracted once.
void TestExtract::formats_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("zip") << "zip"
                         << "game_origin_1_size_1_md5.zip";
    QTest::newRow("zip upper-case") << "zip"
                                    << "GAME.ZIP";
    QTest::newRow("7z named .7z.zip") << "7z-solid"
                                      << "x.7z.zip";
    QTest::newRow("7z lzma2 solid") << "7z-solid"
                                    << "game.7z";
    QTest::newRow("7z not solid") << "7z-nonsolid"
                                  << "game.7z";
    QTest::newRow("7z bcj filter") << "7z-bcj"
                                   << "part_no_suffix";
    QTest::newRow("7z by libarchive") << "7z-libarchive"
                                      << "game.bin";
}

void TestExtract::formats()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QTemporaryDir tmp;
    const QString tree = tmp.filePath("tree");
    const QString archive = tmp.filePath(name);
    const QByteArray big = payload(600 * 1024, 'b');
    const QByteArray small = payload(3000, 's');
    const QByteArray exe = "\x7f"
                           "ELF fake game program";
    const QByteArray unicode = QStringLiteral("数据/ü.txt").toUtf8();

    if (kind.startsWith(QLatin1String("7z")) && kind != QLatin1String("7z-libarchive")) {
        QVERIFY2(have7zz(), "7zz is not installed (scripts/bootstrap installs it)");
        writeFile(tree + "/bin/game", exe,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther);
        writeFile(tree + "/data/big.dat", big);
        writeFile(tree + "/data/small.txt", small);
        writeFile(tree + "/empty.txt", QByteArray());
        writeFile(tree + "/" + QString::fromUtf8(unicode), small);
        QDir().mkpath(tree + "/emptydir");
        QStringList switches {QStringLiteral("-m0=lzma2"), QStringLiteral("-mx=1")};
        if (kind == QLatin1String("7z-nonsolid"))
            switches << QStringLiteral("-ms=off");
        if (kind == QLatin1String("7z-bcj"))
            switches << QStringLiteral("-mf=BCJ");
        QVERIFY(sevenZip(archive, tree, switches));
    } else {
        const Format format = kind == QLatin1String("zip") ? Format::Zip : Format::SevenZip;
        QVERIFY(write(archive,
            {dir("bin/"), file("bin/game", exe, 0755), file("data/big.dat", big), file("data/small.txt", small),
                file("empty.txt", {}), file(unicode, small), dir("emptydir/")},
            format));
    }

    const QString out = tmp.filePath("out");
    const Run run = extract(archive, out);
    QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join('\n')));
    QCOMPARE(run.started, 1);
    QCOMPARE(run.totals.size(), 1); // extracted once, whatever the name says
    const qlonglong total = big.size() + small.size() * 2 + exe.size();
    QCOMPARE(run.totals.first(), total);
    QVERIFY(run.completed());
    QCOMPARE(run.progress.last().first, total);
    for (int i = 1; i < run.progress.size(); ++i) {
        QVERIFY(run.progress[i].first > run.progress[i - 1].first);
        QVERIFY(run.progress[i].first <= run.progress[i].second);
    }

    QCOMPARE(readFile(out + "/data/big.dat"), big);
    QCOMPARE(readFile(out + "/data/small.txt"), small);
    QCOMPARE(readFile(out + "/" + QString::fromUtf8(unicode)), small);
    QVERIFY(QFileInfo(out + "/empty.txt").isFile());
    QCOMPARE(QFileInfo(out + "/empty.txt").size(), 0);
    QVERIFY(QFileInfo(out + "/emptydir").isDir());
    QCOMPARE(readFile(out + "/bin/game"), exe);
    QVERIFY(QFileInfo(out + "/bin/game").isExecutable());
    QVERIFY(!QFileInfo(out + "/data/big.dat").isExecutable());
}

void TestExtract::damaged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("damage");
    for (const char *kind : {"zip", "7z"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 truncated").arg(kind))) << kind << "truncate";
        QTest::newRow(qPrintable(QStringLiteral("%1 bytes overwritten").arg(kind))) << kind << "scramble";
        QTest::newRow(qPrintable(QStringLiteral("%1 missing").arg(kind))) << kind << "missing";
    }
    QTest::newRow("text file") << "text"
                               << "";
    QTest::newRow("tar archive") << "tar"
                                 << "";
    QTest::newRow("empty file") << "nothing"
                                << "";
}

void TestExtract::damaged()
{
    QFETCH(QString, kind);
    QFETCH(QString, damage);
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("package.zip");
    const QList<Entry> entries {file("a.txt", payload(200000, 'a')), file("b.txt", payload(200000, 'b'))};
    if (kind == QLatin1String("text"))
        writeFile(archive, "just some text, not an archive\n");
    else if (kind == QLatin1String("nothing"))
        writeFile(archive, QByteArray());
    else
        QVERIFY(write(archive, entries,
            kind == QLatin1String("zip") ? Format::Zip
                                         : (kind == QLatin1String("7z") ? Format::SevenZip : Format::Tar)));

    QByteArray bytes = readFile(archive);
    if (damage == QLatin1String("truncate"))
        writeFile(archive, bytes.left(bytes.size() / 2));
    else if (damage == QLatin1String("scramble")) {
        for (int i = bytes.size() / 4; i < bytes.size() * 3 / 4; i += 3)
            bytes[i] = char(bytes[i] ^ 0x5a);
        writeFile(archive, bytes);
    } else if (damage == QLatin1String("missing"))
        QFile::remove(archive);

    const Run run = extract(archive, tmp.filePath("out"));
    QCOMPARE(run.errors.size(), 1);
    QVERIFY2(run.errors.first().startsWith("BitException:"), qPrintable(run.errors.first()));
    QVERIFY(!run.completed());
    if (kind == QLatin1String("text") || kind == QLatin1String("tar"))
        QVERIFY2(run.errors.first().contains("neither a Zip nor a 7z"), qPrintable(run.errors.first()));
}

// Damage the formats' checksums catch, and entries whose data is longer or shorter than
// their headers say: each fails the archive as one the caller should fetch again, and no
// file with wrong content is left behind (the entry being written is removed).
void TestExtract::entriesNotAsDeclared_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("7z, one bit flipped") << "7z-flip";
    QTest::newRow("stored 7z, one bit flipped") << "7z-stored-flip";
    QTest::newRow("deflate zip, one bit flipped") << "zip-flip";
    QTest::newRow("stored zip, one bit flipped") << "stored-flip";
    QTest::newRow("stored zip, entry longer than declared") << "longer";
    QTest::newRow("stored zip, entry shorter than declared") << "shorter";
    QTest::newRow("stored zip, size off by 4 GiB") << "shorter by 4 GiB";
}

void TestExtract::entriesNotAsDeclared()
{
    QFETCH(QString, kind);
    QTemporaryDir tmp;
    // A name that declares what the lying header says, so that no size cap stops it first.
    const QString archive = tmp.filePath(kind == QLatin1String("shorter by 4 GiB")
            ? QStringLiteral("package_origin_4295867296_size_900320_md5_0.bin")
            : QStringLiteral("package.bin"));
    const QList<QByteArray> names {"a.bin", "b.bin", "c.bin"};
    QList<QByteArray> contents;
    for (char seed : {'a', 'b', 'c'})
        contents << payload(300000, seed);

    if (!kind.startsWith(QLatin1String("stored")) && !kind.startsWith(QLatin1String("longer"))
        && !kind.startsWith(QLatin1String("shorter"))) {
        QList<Entry> entries;
        for (int i = 0; i < names.size(); ++i)
            entries << file(names[i], contents[i]);
        const bool sevenZip = kind.startsWith(QLatin1String("7z"));
        QVERIFY(write(archive, entries, sevenZip ? Format::SevenZip : Format::Zip,
            kind == QLatin1String("7z-stored-flip") ? "7zip:compression=store" : nullptr));
        QVERIFY(flipBitAtThird(archive));
    } else {
        QList<RawZipEntry> entries;
        for (int i = 0; i < names.size(); ++i)
            entries << RawZipEntry {names[i], contents[i]};
        if (kind == QLatin1String("longer"))
            entries[1].declaredSize = contents[1].size() - 1000;
        if (kind == QLatin1String("shorter"))
            entries[1].declaredSize = contents[1].size() + 1000000;
        if (kind == QLatin1String("shorter by 4 GiB"))
            entries[1].declaredSize = contents[1].size() + (qint64(1) << 32);
        writeFile(archive, storedZip(entries));
        if (kind == QLatin1String("stored-flip"))
            QVERIFY(flipBitAtThird(archive));
    }

    const QString out = tmp.filePath("out");
    const Run run = extract(archive, out);
    QCOMPARE(run.errors.size(), 1);
    QVERIFY2(run.errors.first().startsWith("BitException:"), qPrintable(run.errors.first()));
    QVERIFY(!run.completed());
    QCOMPARE(run.rejected, 1);
    for (int i = 0; i < names.size(); ++i) {
        const QString path = out + '/' + names[i];
        QVERIFY2(!QFileInfo::exists(path) || readFile(path) == contents[i], qPrintable(path));
    }
    if (kind.startsWith(QLatin1String("longer")) || kind.startsWith(QLatin1String("shorter")))
        QVERIFY(!QFileInfo::exists(out + "/b.bin"));
}

void TestExtract::legacyNames_data()
{
    QTest::addColumn<QList<RawZipEntry>>("entries");
    QTest::addColumn<QList<QByteArray>>("files"); // raw paths written, sorted; empty: refused
    // "Привет" in KOI8-R, twice with a different last letter.
    QTest::newRow("KOI8-R names one byte apart")
        << QList<RawZipEntry> {{"\xf0\xd2\xc9\xd7\xc5\xd4.txt", "one", false},
               {"\xf0\xd2\xc9\xd7\xc5\xd5.txt", "two", false}}
        << QList<QByteArray> {"\xf0\xd2\xc9\xd7\xc5\xd4.txt", "\xf0\xd2\xc9\xd7\xc5\xd5.txt"};
    // "ソフト" in Shift-JIS: the second byte of its first letter is 0x5C, a backslash in ASCII.
    QTest::newRow("Shift-JIS name with a 0x5C byte")
        << QList<RawZipEntry> {{"\x83\x5c\x83\x74\x83\x67.txt", "sjis", false}}
        << QList<QByteArray> {"\x83\x5c\x83\x74\x83\x67.txt"};
    QTest::newRow("CP866 folder and file")
        << QList<RawZipEntry> {{"\x8f\xa0\xaf\xaa\xa0/\x94\xa0\xa9\xab.txt", "cp866", false}}
        << QList<QByteArray> {"\x8f\xa0\xaf\xaa\xa0/\x94\xa0\xa9\xab.txt"};
    QTest::newRow("UTF-8 name written with backslashes")
        << QList<RawZipEntry> {{"dir\\sub\\f.txt", "text", true}} << QList<QByteArray> {"dir/sub/f.txt"};
    QTest::newRow("two entries, one name")
        << QList<RawZipEntry> {{"a.txt", "first", true}, {"a.txt", "second", true}} << QList<QByteArray> {};
    QTest::newRow("slash and backslash land on one path")
        << QList<RawZipEntry> {{"d/a.txt", "first", true}, {"d\\a.txt", "second", true}} << QList<QByteArray> {};
}

// Names in a legacy code page keep their bytes as the file name, and a name that cannot be
// told apart from another refuses the archive rather than let one entry replace the other.
void TestExtract::legacyNames()
{
    QFETCH(QList<RawZipEntry>, entries);
    QFETCH(QList<QByteArray>, files);
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("names.zip");
    writeFile(archive, storedZip(entries));
    const QByteArray out = QFile::encodeName(tmp.filePath("out"));
    const Run run = extract(archive, QFile::decodeName(out));
    if (files.isEmpty()) {
        QCOMPARE(run.errors.size(), 1);
        QCOMPARE(run.rejected, 1);
        QCOMPARE(rawFiles(out), QList<QByteArray> {});
        return;
    }
    QVERIFY2(run.completed(), qPrintable(run.errors.join('\n')));
    QCOMPARE(rawFiles(out), files);
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(readRaw(out + '/' + files[i]), entries[i].data);
}

void TestExtract::emptyArchives_data()
{
    QTest::addColumn<bool>("sevenZip");
    QTest::newRow("zip") << false;
    QTest::newRow("7z") << true;
}

// A valid archive without entries is a success with nothing to write.
void TestExtract::emptyArchives()
{
    QFETCH(bool, sevenZip);
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("empty.pkg");
    QVERIFY(write(archive, {}, sevenZip ? Format::SevenZip : Format::Zip));
    const Run run = extract(archive, tmp.filePath("out"));
    QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join('\n')));
    QCOMPARE(run.totals, QList<qlonglong> {0});
    QCOMPARE(run.progress.size(), 1);
    QCOMPARE(run.progress.first(), qMakePair(qlonglong(0), qlonglong(0)));
}

void TestExtract::hostileEntries_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    // Relative to the output folder "<tmp>/out/inner"; "<tmp>/outside" must stay empty.
    QTest::newRow("absolute path") << QList<Entry> {file("ok.txt", "x"), file("@OUTSIDE@/abs.txt", "evil")};
    QTest::newRow("dot-dot") << QList<Entry> {file("ok.txt", "x"), file("../../outside/up.txt", "evil")};
    QTest::newRow("dot-dot inside a path") << QList<Entry> {file("a/b/../../../../outside/up.txt", "evil")};
    QTest::newRow("symlink out, then a file through it")
        << QList<Entry> {linkEntry("link", "../../outside"), file("link/through.txt", "evil")};
    QTest::newRow("absolute symlink, then a file through it")
        << QList<Entry> {linkEntry("link", "@OUTSIDE@"), file("link/through.txt", "evil")};
    QTest::newRow("symlink climbing back") << QList<Entry> {dir("d/"), linkEntry("d/l", "x/../../../outside")};
    QTest::newRow("inside symlink, then a file through it")
        << QList<Entry> {dir("sub/"), linkEntry("lnk", "sub"), file("lnk/through.txt", "evil")};
}

void TestExtract::hostileEntries()
{
    QFETCH(QList<Entry>, entries);
    QTemporaryDir tmp;
    const QString outside = tmp.filePath("outside");
    QDir().mkpath(outside);
    for (Entry &e : entries) {
        e.path.replace("@OUTSIDE@", QFile::encodeName(outside));
        e.symlink.replace("@OUTSIDE@", QFile::encodeName(outside));
    }
    const QString archive = tmp.filePath("hostile.zip");
    QVERIFY(write(archive, entries));

    const Run run = extract(archive, tmp.filePath("out/inner"));
    QCOMPARE(run.errors.size(), 1);
    QVERIFY2(run.errors.first().startsWith("BitException:"), qPrintable(run.errors.first()));
    QVERIFY(!run.completed());
    QVERIFY(folderIsEmpty(outside));
    QVERIFY(!QFileInfo::exists(tmp.filePath("out/outside")));
    QVERIFY(!QFileInfo::exists(tmp.filePath("up.txt")));
}

// Link rules the formats cannot carry here (hard links) and the limits of the allowed forms.
void TestExtract::linkRules()
{
    auto problem = [](const char *path, unsigned type, const char *sym, const char *hard) {
        return ArchiveExtractor::entryProblem(
            QString::fromUtf8(path), type, QString::fromUtf8(sym), QString::fromUtf8(hard));
    };
    QVERIFY(!problem("lib/libx.so", AE_IFLNK, "libx.so.1", "").isEmpty() == false);
    QVERIFY(problem("a/b/l", AE_IFLNK, "../../top.txt", "").isEmpty());
    QVERIFY(!problem("a/b/l", AE_IFLNK, "../../../up.txt", "").isEmpty());
    QVERIFY(!problem("l", AE_IFLNK, "", "").isEmpty());
    QVERIFY(!problem("l", AE_IFLNK, "C:\\Windows", "").isEmpty());
    QVERIFY(problem("h", AE_IFREG, "", "data/file").isEmpty());
    QVERIFY(!problem("h", AE_IFREG, "", "/etc/passwd").isEmpty());
    QVERIFY(!problem("h", 0, "", "../outside/file").isEmpty());
    QVERIFY(!problem("h", 0, "", "./").isEmpty());
    QVERIFY(!problem("dev", AE_IFCHR, "", "").isEmpty());
    QVERIFY(!problem("fifo", AE_IFIFO, "", "").isEmpty());
    QVERIFY(!problem("..\\evil.dll", AE_IFREG, "", "").isEmpty());
    QVERIFY(problem("./", AE_IFDIR, "", "").isEmpty());
    QCOMPARE(ArchiveExtractor::cleanPath("./a//b\\c/./d"), QStringLiteral("a/b/c/d"));
    QCOMPARE(ArchiveExtractor::declaredSize("g_origin_2048_size_1024_md5_x.7z"), 2048);
    QCOMPARE(ArchiveExtractor::declaredSize("plain.7z"), 0);
}

void TestExtract::writesNotThroughExistingLinks_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<bool>("extracted");
    // "out/data" is a link to the folder "outside", which holds "target.txt".
    QTest::newRow("a file below the link") << QList<Entry> {file("data/file.txt", "evil")} << false;
    QTest::newRow("a file below the link, second entry")
        << QList<Entry> {file("ok.txt", "x"), file("data/sub/file.txt", "evil")} << false;
    QTest::newRow("a file in the link's place") << QList<Entry> {file("data", "new")} << true;
    QTest::newRow("a folder in the link's place, then a file in it")
        << QList<Entry> {dir("data/"), file("data/target.txt", "new")} << true;
}

// A link already in the install folder (left by anything) is never written through: a path
// below it is refused, and an entry of its own name replaces the link itself.
void TestExtract::writesNotThroughExistingLinks()
{
    QFETCH(QList<Entry>, entries);
    QFETCH(bool, extracted);
    QTemporaryDir tmp;
    const QString outside = tmp.filePath("outside");
    const QString out = tmp.filePath("out");
    writeFile(outside + "/target.txt", "keep");
    QDir().mkpath(out);
    QVERIFY(QFile::link(outside, out + "/data"));
    const QString archive = tmp.filePath("a.zip");
    QVERIFY(write(archive, entries));
    const Run run = extract(archive, out);
    QCOMPARE(run.errors.size(), extracted ? 0 : 1);
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList {"target.txt"});
    QCOMPARE(readFile(outside + "/target.txt"), QByteArray("keep"));
    if (extracted) {
        QVERIFY(!QFileInfo(out + "/data").isSymLink());
        QCOMPARE(readFile(out + (QFileInfo(out + "/data").isDir() ? "/data/target.txt" : "/data")), QByteArray("new"));
    }
}

// Archives of a package are written side by side and may name the same file: a file given
// up by one (damaged, cancelled) is removed only while its name still holds it.
void TestExtract::abandonedFileSparesItsReplacement()
{
    QTemporaryDir tmp;
    FolderWriter writer(QFile::encodeName(tmp.path()));
    QVERIFY(writer.open());
    QVERIFY(writer.beginFile("d/x.bin", 0644));
    QVERIFY(writer.writeData("partial", 7, 0));
    QVERIFY(QFile::remove(tmp.filePath("d/x.bin")));
    writeFile(tmp.filePath("d/x.bin"), "the other archive's file");
    writer.abandonFile();
    QCOMPARE(readFile(tmp.filePath("d/x.bin")), QByteArray("the other archive's file"));

    QVERIFY(writer.beginFile("d/y.bin", 0644));
    writer.abandonFile();
    QVERIFY(!QFileInfo::exists(tmp.filePath("d/y.bin")));
}

void TestExtract::bombs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<ExtractLimits>("limits");
    QTest::addColumn<QString>("error"); // a part of the error text; empty: extracted
    const QByteArray zeros(3 * 1024 * 1024, '\0');
    const QList<Entry> bomb {file("small.txt", "hello"), file("zeros.bin", zeros)};
    QList<Entry> many;
    for (int i = 0; i < 50; ++i)
        many << file("f" + QByteArray::number(i), "x");
    ExtractLimits fewEntries;
    fewEntries.maxEntries = 20;
    ExtractLimits fullDrive;
    fullDrive.minFreeSpace = std::numeric_limits<qint64>::max() / 4;
    ExtractLimits smallFloor;
    smallFloor.ratioFloor = 1024 * 1024;
    ExtractLimits smallUse;
    smallUse.maxSize = 2 * 1024 * 1024;

    QTest::newRow("past the declared size")
        << "pkg_origin_1000_size_900_md5_abc.zip" << bomb << ExtractLimits() << "1000";
    QTest::newRow("nothing declared, past the ratio")
        << "video.zip" << bomb << smallFloor << "far more than an archive";
    QTest::newRow("declared, past what the use accepts")
        << "pkg_origin_20000000_size_900_md5_abc.zip" << bomb << smallUse << "more than this use accepts";
    QTest::newRow("nothing declared, past what the use accepts") << "video.zip" << bomb << smallUse << "this use";
    QTest::newRow("too many entries") << "many.zip" << many << fewEntries << "entries";
    QTest::newRow("drive nearly full") << "plain.zip" << bomb << fullDrive << "full";
    QTest::newRow("nothing declared, ordinary content")
        << "plain.zip" << QList<Entry> {file("data.txt", payload(1536 * 1024, 'p'))} << smallFloor << "";
}

// Bombs are stopped before they fill the drive, whether or not the name declares a size;
// whatever was being written is removed again.
void TestExtract::bombs()
{
    QFETCH(QString, name);
    QFETCH(QList<Entry>, entries);
    QFETCH(ExtractLimits, limits);
    QFETCH(QString, error);
    QTemporaryDir tmp;
    const QString archive = tmp.filePath(name);
    QVERIFY(write(archive, entries));
    const QString out = tmp.filePath("out");
    const Run run = extract(archive, out, limits);
    if (error.isEmpty()) {
        QVERIFY2(run.completed(), qPrintable(run.errors.join('\n')));
        return;
    }
    QCOMPARE(run.errors.size(), 1);
    QVERIFY2(run.errors.first().contains(error), qPrintable(run.errors.first()));
    QVERIFY(!QFileInfo::exists(out + "/zeros.bin"));
    // A full drive is no fault of the archive: it is kept and extracted again.
    QCOMPARE(run.rejected, error == QLatin1String("full") ? 0 : 1);
}

// A write that fails (here the process's file size limit, with SIGXFSZ ignored, in a child
// so the limit binds nothing else) removes the entry it was writing and keeps what was
// complete; the archive is not blamed.
void TestExtract::writeFailureRemovesTheEntry()
{
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("package.zip");
    const QByteArray small = payload(100000, 's');
    QVERIFY(write(archive, {file("f0.bin", small), file("f1.bin", payload(1024 * 1024, 'l'))}));
    const QString out = tmp.filePath("out");

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit
        {
            512 * 1024, 512 * 1024
        };
        setrlimit(RLIMIT_FSIZE, &limit);
        ArchiveExtractor extractor(archive, out);
        const ArchiveExtractor::Result result = extractor.run({});
        const bool cannotWrite = extractor.errorString().contains(QLatin1String("cannot write f1.bin"));
        _exit(result == ArchiveExtractor::Result::Failed && cannotWrite && !extractor.archiveRejected() ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(readFile(out + "/f0.bin"), small);
    QVERIFY(!QFileInfo::exists(out + "/f1.bin"));
}

// A write the drive refuses for want of space (a 1 MiB tmpfs mounted in a child's own
// mount namespace) names the drive's folder and its free space; the archive is not blamed.
void TestExtract::fullDriveIsNamed()
{
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("package.zip");
    QVERIFY(write(archive, {file("f0.bin", payload(100000, 's')), file("f1.bin", payload(2 * 1024 * 1024, 'l'))}));
    const QString out = tmp.filePath("small");
    QVERIFY(QDir().mkpath(out));

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const bool isolated = unshare(CLONE_NEWNS) == 0 || unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0;
        if (!isolated || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount("quillmere-test", QFile::encodeName(out).constData(), "tmpfs", 0, "size=1m") != 0)
            _exit(2);
        ArchiveExtractor extractor(archive, out);
        ExtractLimits limits;
        limits.minFreeSpace = 0; // the write itself meets the full drive, not the check ahead of it
        extractor.setLimits(limits);
        const ArchiveExtractor::Result result = extractor.run({});
        const QString error = extractor.errorString();
        const bool named = error.contains(QStringLiteral("the drive of %1 is full").arg(out))
            && error.contains(QLatin1String("bytes free")) && error.contains(QLatin1String("f1.bin"));
        const bool passed = result == ArchiveExtractor::Result::Failed && named && !extractor.archiveRejected();
        if (!passed)
            std::fprintf(stderr, "%s\n", qPrintable(error));
        _exit(passed ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        QSKIP("no mount namespace for a small tmpfs here");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestExtract::overwritesExistingFiles()
{
    QTemporaryDir tmp;
    const QString out = tmp.filePath("out");
    writeFile(out + "/keep.txt", "untouched");
    writeFile(out + "/data/a.txt", "old content that is longer than the new one");
    writeFile(out + "/readonly.txt", "old", QFile::ReadOwner);
    const QString archive = tmp.filePath("a.zip");
    QVERIFY(write(archive, {file("data/a.txt", "new"), file("readonly.txt", "fresh")}));
    const Run run = extract(archive, out);
    QVERIFY2(run.completed(), qPrintable(run.errors.join('\n')));
    QCOMPARE(readFile(out + "/data/a.txt"), QByteArray("new"));
    QCOMPARE(readFile(out + "/readonly.txt"), QByteArray("fresh"));
    QCOMPARE(readFile(out + "/keep.txt"), QByteArray("untouched"));
}

// A cancel request from another thread ends the archive at the next block: no completion,
// no error, and a cancelled helper skips the requests still queued.
void TestExtract::cancellation()
{
    QTemporaryDir tmp;
    const QString archive = tmp.filePath("big.zip");
    QList<Entry> entries;
    for (int i = 0; i < 4; ++i)
        entries << file("f" + QByteArray::number(i), payload(256 * 1024, char('a' + i)));
    QVERIFY(write(archive, entries));

    QThread thread;
    ZlibHelper *helper = new ZlibHelper;
    helper->moveToThread(&thread);
    connect(&thread, &QThread::finished, helper, &QObject::deleteLater);
    // Runs on the worker thread while the first data is written.
    connect(
        helper, &ZlibHelper::sigProgress, helper,
        [helper](const QString &, qlonglong v, qlonglong t) {
            if (v < t)
                helper->cancel();
        },
        Qt::DirectConnection);
    QSignalSpy progress(helper, &ZlibHelper::sigProgress);
    QSignalSpy errors(helper, &ZlibHelper::sigError);
    QSignalSpy cancelled(helper, &ZlibHelper::sigCancelled);
    thread.start();
    emit helper->operation_signal_extract("url://1", archive, tmp.filePath("out"));
    emit helper->operation_signal_extract("url://2", archive, tmp.filePath("out2"));
    QTRY_COMPARE(cancelled.count(), 2);
    thread.quit();
    thread.wait();
    QCOMPARE(errors.count(), 0);
    QCOMPARE(progress.count(), 1);
    QVERIFY(progress.first().at(1).toLongLong() < progress.first().at(2).toLongLong());
    QVERIFY(!QFileInfo::exists(tmp.filePath("out2")));
}

void TestExtract::taskThread()
{
    QTemporaryDir tmp;
    const QString good = tmp.filePath("video.zip");
    QVERIFY(write(good, {file("video/frame1.png", payload(5000, 'v'))}));
    const QString bad = tmp.filePath("broken.zip");
    writeFile(bad, "PK\x03\x04 not really");

    ZiplibTask task(nullptr, "url://video", good, tmp.filePath("out"));
    QSignalSpy progress(&task, &ZiplibTask::sigProgress);
    task.start();
    QVERIFY(task.wait(60000));
    QVERIFY(!task.isPending());
    QVERIFY(progress.count() >= 1);
    QCOMPARE(progress.last().at(0).toString(), QStringLiteral("url://video"));
    QCOMPARE(progress.last().at(1), progress.last().at(2));
    QCOMPARE(readFile(tmp.filePath("out/video/frame1.png")), payload(5000, 'v'));

    ZiplibTask failing(nullptr, "url://broken", bad, tmp.filePath("out"));
    QSignalSpy errors(&failing, &ZiplibTask::sigError);
    failing.start();
    QVERIFY(failing.wait(60000));
    QVERIFY(!failing.isPending());
    QCOMPARE(errors.count(), 1);
    QVERIFY(errors.first().at(0).toString().startsWith("BitException:"));
    QCOMPARE(errors.first().at(1).toString(), QStringLiteral("url://broken"));
}

QTEST_GUILESS_MAIN(TestExtract)
#include "tst_extract.moc"
