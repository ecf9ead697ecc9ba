#include "install/installmanifest.h"

#include "app/appdir.h"
#include "install/gamefiles.h"
#include "install/gameversioninfo.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <xxhash.h>
#if defined(__x86_64__) || defined(__i386__)
// Turns the XXH3 calls below into the library's entries that pick the widest vector
// unit the processor has (AVX2, AVX-512) at run time, as xxhsum does; the plain entries
// are built for the oldest x86-64, about half the speed. Same digests.
#include <xxh_x86dispatch.h>
#endif

#include <cstring>

namespace {

const QByteArray kMagic = QByteArrayLiteral("quillmere-manifest 1");
const QByteArray kPartMagic = QByteArrayLiteral("quillmere-manifest-part 1");

QByteArray enc(const QByteArray &bytes)
{
    return bytes.toPercentEncoding("/:@+~", QByteArray(), '%');
}

QByteArray enc(const QString &text)
{
    return enc(text.toUtf8());
}

QString decText(const QByteArray &bytes)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(bytes));
}

QString versionFileName(const QString &version)
{
    // A version is the service's text: encoded so that it is one plain file name.
    return QStringLiteral("game-%1.manifest").arg(QString::fromLatin1(version.toUtf8().toPercentEncoding()));
}

// "F <size> <xxh128 or -> <md5 or -> <source index or -> <place>", tab-separated.
QByteArray entryLine(const ManifestEntry &e, int source)
{
    QByteArray line;
    line.reserve(e.place.size() + 96);
    line += "F\t" + QByteArray::number(e.size) + '\t' + (e.xxh128.isEmpty() ? "-" : e.xxh128) + '\t'
        + (e.md5.isEmpty() ? "-" : e.md5) + '\t' + (source < 0 ? QByteArray("-") : QByteArray::number(source)) + '\t'
        + enc(e.place) + '\n';
    return line;
}

// The tab-separated fields of a line, without copying the line.
int splitFields(const QByteArray &line, QByteArray *fields, int most)
{
    int count = 0;
    int start = 0;
    while (count < most) {
        const int tab = line.indexOf('\t', start);
        fields[count++] = QByteArray::fromRawData(line.constData() + start, (tab < 0 ? line.size() : tab) - start);
        if (tab < 0)
            return count;
        start = tab + 1;
    }
    return most + 1; // more fields than asked for
}

bool parseEntry(const QByteArray &line, const QStringList &sources, ManifestEntry *e)
{
    QByteArray f[6];
    if (splitFields(line, f, 6) != 6 || f[0] != "F")
        return false;
    bool ok = false;
    e->size = f[1].toLongLong(&ok);
    if (!ok || e->size < 0)
        return false;
    e->xxh128 = f[2] == "-" ? QByteArray() : QByteArray(f[2].constData(), f[2].size());
    e->md5 = f[3] == "-" ? QByteArray() : QByteArray(f[3].constData(), f[3].size());
    if (f[4] != "-") {
        const int s = f[4].toInt(&ok);
        if (!ok || s < 0 || s >= sources.size())
            return false;
        e->source = sources[s];
    }
    e->place = f[5].contains('%') ? QByteArray::fromPercentEncoding(f[5]) : QByteArray(f[5].constData(), f[5].size());
    const QByteArray &p = e->place;
    return !p.isEmpty() && !p.startsWith('/') && p != ".." && !p.startsWith("../") && !p.endsWith("/..")
        && !p.contains("/../");
}

bool writeWhole(const QString &path, const QByteArray &data, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString partPath(const QString &staging, const QString &url)
{
    const QString name = GameFiles::packageFileName(url);
    return name.isEmpty() ? QString() : staging + QLatin1Char('/') + name + QStringLiteral(".files");
}

bool loadPart(const QString &path, const QString &url, InstallManifest *into)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.readLine().trimmed() != kPartMagic)
        return false;
    const QStringList sources {url};
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        ManifestEntry e;
        if (line.isEmpty())
            continue;
        if (!parseEntry(line, sources, &e))
            return false;
        e.source = url;
        into->put(e);
    }
    return true;
}

} // namespace

StreamXxh128::StreamXxh128()
    : m_state(XXH3_createState())
{
    reset();
}

StreamXxh128::~StreamXxh128()
{
    XXH3_freeState(static_cast<XXH3_state_t *>(m_state));
}

void StreamXxh128::reset()
{
    XXH3_128bits_reset(static_cast<XXH3_state_t *>(m_state));
}

void StreamXxh128::add(const void *data, size_t size)
{
    XXH3_128bits_update(static_cast<XXH3_state_t *>(m_state), data, size);
}

void StreamXxh128::addZeros(qint64 count)
{
    static const char zeros[64 * 1024] = {};
    while (count > 0) {
        const qint64 n = qMin<qint64>(count, sizeof zeros);
        add(zeros, size_t(n));
        count -= n;
    }
}

QByteArray StreamXxh128::hexResult()
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(static_cast<XXH3_state_t *>(m_state)));
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), int(sizeof canonical.digest)).toHex();
}

void InstallManifest::reindex() const
{
    if (m_index.size() == entries.size())
        return;
    m_index.clear();
    m_index.reserve(entries.size());
    for (int i = 0; i < entries.size(); ++i)
        m_index.insert(entries[i].place, i);
}

int InstallManifest::indexOf(const QByteArray &place) const
{
    reindex();
    return m_index.value(place, -1);
}

void InstallManifest::put(const ManifestEntry &entry)
{
    const int at = indexOf(entry.place);
    if (at >= 0) {
        entries[at] = entry;
        return;
    }
    entries.append(entry);
    m_index.insert(entry.place, entries.size() - 1);
}

void InstallManifest::remove(const QByteArray &place)
{
    const int at = indexOf(place);
    if (at < 0)
        return;
    entries.remove(at);
    m_index.clear();
}

qint64 InstallManifest::totalBytes() const
{
    qint64 total = 0;
    for (const ManifestEntry &e : entries)
        total += e.size;
    return total;
}

QString InstallManifest::folder()
{
    return AppDir::filePath(QStringLiteral("manifests"));
}

QString InstallManifest::stagingFolder()
{
    return AppDir::filePath(QStringLiteral("manifests/staging"));
}

QString InstallManifest::pathOf(const QString &version)
{
    return folder() + QLatin1Char('/') + versionFileName(version);
}

bool InstallManifest::save(const QString &path, QString *error) const
{
    QByteArray data;
    data.reserve(entries.size() * 128 + 256);
    data += kMagic + '\n';
    data += "version\t" + enc(version) + '\n';
    data += QByteArray("kind\t") + (kind == Kind::SmallFiles ? "smallfiles" : "archives") + '\n';
    if (!document.isEmpty())
        data += "document\t" + enc(document) + '\t' + enc(documentMd5) + '\n';
    QHash<QString, int> sources;
    for (const ManifestEntry &e : entries) {
        if (!e.source.isEmpty() && !sources.contains(e.source)) {
            data += "S\t" + QByteArray::number(sources.size()) + '\t' + enc(e.source) + '\n';
            sources.insert(e.source, sources.size());
        }
    }
    for (const ManifestEntry &e : entries)
        data += entryLine(e, e.source.isEmpty() ? -1 : sources.value(e.source));
    return writeWhole(path, data, error);
}

bool InstallManifest::load(const QString &path, InstallManifest *manifest, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no manifest at %1: %2").arg(path, file.errorString()));
    // Read whole and taken apart in place: a check starts with this, and a manifest has
    // a line for every file of the game.
    const QByteArray data = file.readAll();
    int at = 0;
    const auto nextLine = [&data, &at] {
        const int end = data.indexOf('\n', at);
        const int stop = end < 0 ? data.size() : end;
        const QByteArray line = QByteArray::fromRawData(data.constData() + at, stop - at);
        at = stop + 1;
        return line;
    };
    if (nextLine().trimmed() != kMagic)
        return fail(QStringLiteral("%1 is no install manifest").arg(path));
    InstallManifest m;
    m.entries.reserve(data.count('\n'));
    QStringList sources;
    int lineNo = 1;
    while (at < data.size()) {
        const QByteArray body = nextLine();
        ++lineNo;
        if (body.isEmpty())
            continue;
        ManifestEntry e;
        if (body.startsWith("F\t")) {
            if (!parseEntry(body, sources, &e))
                return fail(QStringLiteral("%1 is damaged at line %2").arg(path).arg(lineNo));
            m.entries.append(std::move(e));
            continue;
        }
        const QList<QByteArray> f = body.split('\t');
        if (f[0] == "version" && f.size() == 2)
            m.version = decText(f[1]);
        else if (f[0] == "kind" && f.size() == 2)
            m.kind = f[1] == "smallfiles" ? Kind::SmallFiles : Kind::Archives;
        else if (f[0] == "document" && f.size() == 3) {
            m.document = decText(f[1]);
            m.documentMd5 = decText(f[2]);
        } else if (f[0] == "S" && f.size() == 3 && f[1].toInt() == sources.size())
            sources.append(decText(f[2]));
        else if (parseEntry(body, sources, &e))
            m.entries.append(e);
        else
            return fail(QStringLiteral("%1 is damaged at line %2").arg(path).arg(lineNo));
    }
    *manifest = std::move(m);
    return true;
}

bool InstallManifest::stagePart(const QString &stagingFolder, const QString &url, const QVector<ManifestEntry> &files)
{
    const QString path = partPath(stagingFolder, url);
    if (path.isEmpty())
        return false;
    QByteArray data = kPartMagic + '\n';
    for (const ManifestEntry &e : files)
        data += entryLine(e, -1);
    QString error;
    if (!writeWhole(path, data, &error)) {
        qWarning().noquote() << QStringLiteral("install manifest: %1").arg(error);
        return false;
    }
    return true;
}

namespace {

bool fromDocument(const GameVersionInfo &info, InstallManifest *m)
{
    QFile file(GameFiles::instance()->downloadFilePath(info.packageJson));
    QString host;
    QList<DownloadFileInfo> files;
    if (!file.open(QIODevice::ReadOnly) || !parseSmallFilesDocument(file.readAll(), &host, &files))
        return false;
    m->kind = InstallManifest::Kind::SmallFiles;
    m->document = info.packageJson;
    m->documentMd5 = info.packageMd5;
    for (const DownloadFileInfo &f : qAsConst(files)) {
        ManifestEntry e;
        QString dest = f.dest;
        dest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        e.place = QDir::cleanPath(dest).toUtf8();
        e.size = f.size;
        e.md5 = f.md5.trimmed().toLower().toLatin1();
        m->put(e);
    }
    return true;
}

} // namespace

bool InstallManifest::fromSmallFilesDocument(const GameVersionInfo &info, InstallManifest *manifest, QString *error)
{
    const QString path = GameFiles::instance()->downloadFilePath(info.packageJson);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("the small-files document of version %1 is not kept").arg(info.latestVersion);
        return false;
    }
    QCryptographicHash md5(QCryptographicHash::Md5);
    if (!md5.addData(&file)
        || (!info.packageMd5.isEmpty() && md5.result().toHex() != info.packageMd5.trimmed().toLower().toLatin1())) {
        *error = QStringLiteral("the kept small-files document is not the one of version %1").arg(info.latestVersion);
        return false;
    }
    file.close();
    InstallManifest m;
    m.version = info.latestVersion;
    if (!fromDocument(info, &m)) {
        *error = QStringLiteral("the small-files document of version %1 cannot be read").arg(info.latestVersion);
        return false;
    }
    *manifest = m;
    return true;
}

bool InstallManifest::commit(const GameVersionInfo &info, const QString &previousVersion)
{
    InstallManifest m;
    const QString staging = stagingFolder();
    const bool differential = UpdateType(info.updateType) == UpdateType::Differential;
    if (differential && !previousVersion.isEmpty() && !load(pathOf(previousVersion), &m))
        qWarning().noquote() << QStringLiteral("install manifest: none of version %1 to update").arg(previousVersion);
    m.version = info.latestVersion;
    bool complete = true;
    if (info.downloadType == 1) {
        complete = fromDocument(info, &m);
    } else {
        m.kind = Kind::Archives;
        for (const QString &url : info.packageUrls) {
            if (!loadPart(partPath(staging, url), url, &m)) {
                qWarning().noquote() << QStringLiteral("install manifest: no record of the files of %1").arg(url);
                complete = false;
            }
        }
    }
    for (const QString &dropped : info.removedFiles) {
        QString place = dropped;
        place.replace(QLatin1Char('\\'), QLatin1Char('/'));
        m.remove(QDir::cleanPath(place).toUtf8());
    }
    QString error;
    const bool saved = (complete || !m.entries.isEmpty()) && m.save(pathOf(m.version), &error);
    if (!saved)
        qWarning().noquote() << QStringLiteral("install manifest of %1 not stored %2").arg(m.version, error);
    if (saved && !previousVersion.isEmpty() && previousVersion != m.version)
        QFile::remove(pathOf(previousVersion));
    for (const QString &url : info.packageUrls)
        QFile::remove(partPath(staging, url));
    return saved;
}
