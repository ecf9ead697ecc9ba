#include "releasebuilder.h"

#include "versions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include <archive.h>
#include <archive_entry.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

constexpr qint64 kBlock = 1024 * 1024;

QString md5OfFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

bool safeName(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._-]*$"));
    // The package names are read by markers; a name holding one would mislead the reader.
    return pattern.match(text).hasMatch() && !text.contains(QLatin1String("size_"))
        && !text.contains(QLatin1String("origin_")) && !text.contains(QLatin1String("_md5"));
}

bool writeJson(const QString &path, const QJsonDocument &document, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document.toJson(QJsonDocument::Indented)) < 0
        || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

ReleaseBuilder::ReleaseBuilder(const Options &options)
    : m_options(options)
{ }

bool ReleaseBuilder::scanTree(const QString &root, QVector<FileEntry> *files, QString *error)
{
    files->clear();
    const QString absoluteRoot = QFileInfo(root).absoluteFilePath();
    const QDir base(absoluteRoot);
    QDirIterator it(
        absoluteRoot, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            fprintf(
                stderr, "quillmere-publisher build: leaving out the symbolic link %s\n", qPrintable(info.filePath()));
            continue;
        }
        FileEntry entry;
        entry.absolute = info.filePath();
        entry.relative = base.relativeFilePath(info.filePath());
        entry.size = info.size();
        entry.md5 = md5OfFile(entry.absolute);
        if (entry.md5.isEmpty()) {
            *error = QStringLiteral("cannot read %1").arg(entry.absolute);
            return false;
        }
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(entry.absolute).constData(), &st) == 0)
            entry.mode = st.st_mode & 0777;
        files->append(entry);
    }
    std::sort(
        files->begin(), files->end(), [](const FileEntry &a, const FileEntry &b) { return a.relative < b.relative; });
    return true;
}

bool ReleaseBuilder::writeArchive(const QVector<FileEntry> &files, const QString &path, QString *error) const
{
    std::unique_ptr<archive, int (*)(archive *)> writer(archive_write_new(), archive_write_free);
    const bool sevenZip = m_options.format == QLatin1String("7z");
    int status = sevenZip ? archive_write_set_format_7zip(writer.get()) : archive_write_set_format_zip(writer.get());
    QStringList options;
    const QString module = sevenZip ? QStringLiteral("7zip") : QStringLiteral("zip");
    if (m_options.level == 0)
        options << module + QStringLiteral(":compression=store");
    else {
        options << module + (sevenZip ? QStringLiteral(":compression=lzma2") : QStringLiteral(":compression=deflate"));
        if (m_options.level > 0)
            options << module + QStringLiteral(":compression-level=%1").arg(m_options.level);
    }
    if (status == ARCHIVE_OK)
        status = archive_write_set_options(writer.get(), options.join(QLatin1Char(',')).toUtf8().constData());
    if (status == ARCHIVE_OK)
        status = archive_write_open_filename(writer.get(), QFile::encodeName(path).constData());
    if (status != ARCHIVE_OK) {
        *error = QStringLiteral("cannot start %1: %2").arg(path, QString::fromUtf8(archive_error_string(writer.get())));
        return false;
    }
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (const FileEntry &file : files) {
        QFile input(file.absolute);
        if (!input.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file.absolute, input.errorString());
            return false;
        }
        std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname_utf8(entry.get(), file.relative.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), static_cast<mode_t>(file.mode));
        archive_entry_set_size(entry.get(), file.size);
        archive_entry_set_mtime(entry.get(), QFileInfo(file.absolute).lastModified().toSecsSinceEpoch(), 0);
        if (archive_write_header(writer.get(), entry.get()) < ARCHIVE_WARN) {
            *error = QStringLiteral("cannot add %1: %2")
                         .arg(file.relative, QString::fromUtf8(archive_error_string(writer.get())));
            return false;
        }
        qint64 written = 0;
        while (written < file.size) {
            const qint64 got = input.read(buffer.data(), std::min<qint64>(kBlock, file.size - written));
            if (got <= 0) {
                *error = QStringLiteral("%1 changed while it was packed").arg(file.absolute);
                return false;
            }
            for (qint64 done = 0; done < got;) {
                const la_ssize_t n = archive_write_data(writer.get(), buffer.constData() + done, size_t(got - done));
                if (n <= 0) {
                    *error = QStringLiteral("cannot pack %1: %2")
                                 .arg(file.relative, QString::fromUtf8(archive_error_string(writer.get())));
                    return false;
                }
                done += n;
            }
            written += got;
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK) {
        *error
            = QStringLiteral("cannot finish %1: %2").arg(path, QString::fromUtf8(archive_error_string(writer.get())));
        return false;
    }
    return true;
}

bool ReleaseBuilder::writeParts(const QVector<FileEntry> &files, const QString &baseName, const QString &outDir,
    QVector<Part> *parts, QString *error) const
{
    parts->clear();
    QVector<QVector<FileEntry>> groups;
    qint64 groupSize = 0;
    for (const FileEntry &file : files) {
        if (groups.isEmpty()
            || (m_options.partSize > 0 && groupSize > 0 && groupSize + file.size > m_options.partSize)) {
            groups.append(QVector<FileEntry>());
            groupSize = 0;
        }
        groups.last().append(file);
        groupSize += file.size;
    }
    for (int i = 0; i < groups.size(); ++i) {
        const QString temporary = outDir + QStringLiteral("/.%1-%2.partial").arg(baseName).arg(i + 1);
        if (!writeArchive(groups.at(i), temporary, error)) {
            QFile::remove(temporary);
            return false;
        }
        Part part;
        for (const FileEntry &file : groups.at(i))
            part.unpacked += file.size;
        part.packed = QFileInfo(temporary).size();
        part.md5 = md5OfFile(temporary);
        part.fileName = QStringLiteral("%1-%2_origin_%3_size_%4_md5_%5.%6")
                            .arg(baseName)
                            .arg(i + 1)
                            .arg(part.unpacked)
                            .arg(part.packed)
                            .arg(part.md5, m_options.format);
        const QString final = outDir + QLatin1Char('/') + part.fileName;
        QFile::remove(final);
        if (!QFile::rename(temporary, final)) {
            *error = QStringLiteral("cannot rename %1 to %2").arg(temporary, final);
            return false;
        }
        parts->append(part);
    }
    return true;
}

QJsonObject ReleaseBuilder::packageObject(const QString &version, const QVector<Part> &parts, qint64 realSize) const
{
    QJsonArray urls;
    qint64 packed = 0;
    QByteArray digests;
    for (const Part &part : parts) {
        urls.append(QStringLiteral("{base}/files/packages/%1/%2").arg(version, part.fileName));
        packed += part.packed;
        digests += part.md5.toLatin1() + '\n';
    }
    // One archive: its own digest; several: the digest of their digests, one a line.
    const QString md5 = parts.size() == 1
        ? parts.first().md5
        : QString::fromLatin1(QCryptographicHash::hash(digests, QCryptographicHash::Md5).toHex());
    return QJsonObject {{QStringLiteral("downloadType"), 0}, {QStringLiteral("packageUrls"), urls},
        {QStringLiteral("packageRealSize"), realSize}, {QStringLiteral("packageSize"), packed},
        {QStringLiteral("packageJson"), QString()}, {QStringLiteral("packageMd5"), parts.isEmpty() ? QString() : md5}};
}

bool ReleaseBuilder::writeSmallFiles(const QString &version, const QVector<FileEntry> &files, const QString &outDir,
    QJsonObject *package, QString *error) const
{
    const QString looseDir = outDir + QStringLiteral("/smallfiles");
    QJsonArray list;
    qint64 total = 0;
    for (const FileEntry &file : files) {
        const QString target = looseDir + QLatin1Char('/') + file.relative;
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        // A hard link costs no space; another file system gets a copy.
        if (::link(QFile::encodeName(file.absolute).constData(), QFile::encodeName(target).constData()) != 0
            && !QFile::copy(file.absolute, target)) {
            *error = QStringLiteral("cannot copy %1 to %2").arg(file.absolute, target);
            return false;
        }
        list.append(QJsonObject {{QStringLiteral("dest"), file.relative}, {QStringLiteral("md5"), file.md5},
            {QStringLiteral("size"), file.size}});
        total += file.size;
    }
    const QString documentName = QStringLiteral("%1-%2-smallfiles.json").arg(m_options.name, version);
    const QString documentPath = outDir + QLatin1Char('/') + documentName;
    const QJsonObject document {
        {QStringLiteral("packedhost"), QStringLiteral("{base}/files/packages/%1/smallfiles/").arg(version)},
        {QStringLiteral("smallFilesInfo"), list}};
    if (!writeJson(documentPath, QJsonDocument(document), error))
        return false;
    const QString url = QStringLiteral("{base}/files/packages/%1/%2").arg(version, documentName);
    *package = QJsonObject {{QStringLiteral("downloadType"), 1}, {QStringLiteral("packageUrls"), QJsonArray {url}},
        {QStringLiteral("packageRealSize"), total}, {QStringLiteral("packageSize"), total},
        {QStringLiteral("packageJson"), url}, {QStringLiteral("packageMd5"), md5OfFile(documentPath)}};
    return true;
}

bool ReleaseBuilder::run(QString *error)
{
    if (m_options.format != QLatin1String("7z") && m_options.format != QLatin1String("zip")) {
        *error = QStringLiteral("unknown format %1 (7z or zip)").arg(m_options.format);
        return false;
    }
    if (!safeName(m_options.name)) {
        *error = QStringLiteral("unusable package name %1").arg(m_options.name);
        return false;
    }
    if (m_options.gameIds.isEmpty()) {
        *error = QStringLiteral("no game id given");
        return false;
    }
    QStringList versions = QDir(m_options.versionsDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (versions.isEmpty()) {
        *error = QStringLiteral("%1 holds no version folder").arg(m_options.versionsDir);
        return false;
    }
    for (const QString &version : versions) {
        if (!safeName(version)) {
            *error = QStringLiteral("unusable version name %1").arg(version);
            return false;
        }
    }
    std::sort(versions.begin(), versions.end(),
        [](const QString &a, const QString &b) { return Versions::compare(a, b) < 0; });

    QJsonArray releases;
    QVector<FileEntry> previous;
    QString previousVersion;
    for (const QString &version : versions) {
        QVector<FileEntry> files;
        if (!scanTree(m_options.versionsDir + QLatin1Char('/') + version, &files, error))
            return false;
        if (files.isEmpty()) {
            *error = QStringLiteral("version %1 holds no file").arg(version);
            return false;
        }
        const QString outDir = m_options.contentDir + QStringLiteral("/files/packages/") + version;
        QDir(outDir).removeRecursively();
        if (!QDir().mkpath(outDir)) {
            *error = QStringLiteral("cannot create %1").arg(outDir);
            return false;
        }
        qint64 realSize = 0;
        for (const FileEntry &file : files)
            realSize += file.size;

        QVector<Part> fullParts;
        if (!writeParts(files, QStringLiteral("%1-%2-full").arg(m_options.name, version), outDir, &fullParts, error))
            return false;
        QJsonObject release {{QStringLiteral("version"), version},
            {QStringLiteral("forceUpdate"), m_options.forced.contains(version)},
            {QStringLiteral("published"), !m_options.held.contains(version)},
            {QStringLiteral("fullPackage"), packageObject(version, fullParts, realSize)}};
        QVector<Part> allParts = fullParts;

        if (m_options.smallFiles) {
            QJsonObject package;
            if (!writeSmallFiles(version, files, outDir, &package, error))
                return false;
            release.insert(QStringLiteral("smallFilesPackage"), package);
        }

        QJsonObject diffs;
        if (!previousVersion.isEmpty()) {
            QMap<QString, QString> before;
            for (const FileEntry &file : previous)
                before.insert(file.relative, file.md5);
            QVector<FileEntry> changed;
            for (const FileEntry &file : files) {
                if (before.value(file.relative) != file.md5)
                    changed.append(file);
                before.remove(file.relative);
            }
            const QStringList removed = before.keys();
            QVector<Part> diffParts;
            const QString baseName = QStringLiteral("%1-%2-%3-diff").arg(m_options.name, previousVersion, version);
            if (!writeParts(changed, baseName, outDir, &diffParts, error))
                return false;
            qint64 diffSize = 0;
            for (const FileEntry &file : changed)
                diffSize += file.size;
            if (!diffParts.isEmpty())
                diffs.insert(previousVersion, packageObject(version, diffParts, diffSize));
            release.insert(QStringLiteral("removedFiles"), QJsonArray::fromStringList(removed));
            if (!writeJson(outDir + QStringLiteral("/%1-removed.json").arg(baseName),
                    QJsonDocument(QJsonArray::fromStringList(removed)), error))
                return false;
            allParts += diffParts;
        }
        release.insert(QStringLiteral("diffs"), diffs);

        QByteArray sums;
        for (const Part &part : allParts)
            sums += part.md5.toLatin1() + "  " + part.fileName.toUtf8() + '\n';
        QSaveFile sumsFile(outDir + QStringLiteral("/MD5SUMS"));
        if (!sumsFile.open(QIODevice::WriteOnly) || sumsFile.write(sums) != sums.size() || !sumsFile.commit()) {
            *error = QStringLiteral("cannot write %1/MD5SUMS").arg(outDir);
            return false;
        }
        releases.append(release);
        previous = files;
        previousVersion = version;
    }

    for (const QString &gameId : m_options.gameIds) {
        const QString dir = m_options.contentDir + QStringLiteral("/games/") + gameId;
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create %1").arg(dir);
            return false;
        }
        if (!writeJson(dir + QStringLiteral("/releases.json"),
                QJsonDocument(QJsonObject {{QStringLiteral("releases"), releases}}), error))
            return false;
    }
    return true;
}

bool ReleaseBuilder::buildLauncher(const LauncherRelease &release, QString *error)
{
    if (!safeName(release.version)) {
        *error = QStringLiteral("unusable version name %1").arg(release.version);
        return false;
    }
    QVector<FileEntry> files;
    if (!scanTree(release.treeDir, &files, error))
        return false;
    if (files.isEmpty()) {
        *error = QStringLiteral("%1 holds no file").arg(release.treeDir);
        return false;
    }
    Options options;
    options.contentDir = release.contentDir;
    options.format = QStringLiteral("zip");
    const QString relative = QStringLiteral("launcher/") + release.version;
    const QString outDir = release.contentDir + QStringLiteral("/files/") + relative;
    QDir(outDir).removeRecursively();
    if (!QDir().mkpath(outDir) || !QDir().mkpath(release.contentDir + QStringLiteral("/launcher"))) {
        *error = QStringLiteral("cannot create %1").arg(outDir);
        return false;
    }
    QVector<Part> parts;
    if (!ReleaseBuilder(options).writeParts(
            files, QStringLiteral("quillmere-launcher-%1").arg(release.version), outDir, &parts, error))
        return false;
    const QJsonObject answer {{QStringLiteral("latestVersion"), release.version},
        {QStringLiteral("mainUrl"), QStringLiteral("{base}/files/launcher/")},
        {QStringLiteral("downloadUrl"), QStringLiteral("{base}/files/%1/%2").arg(relative, parts.first().fileName)},
        {QStringLiteral("updateMessage"), release.message}};
    const QString recordPath = release.contentDir + QStringLiteral("/launcher/%1.json").arg(release.version);
    if (!writeJson(recordPath, QJsonDocument(answer), error))
        return false;
    return release.held || offerLauncher(release.contentDir, release.version, error);
}

bool ReleaseBuilder::offerLauncher(const QString &contentDir, const QString &version, QString *error)
{
    const QString recordPath = contentDir + QStringLiteral("/launcher/%1.json").arg(version);
    QFile record(recordPath);
    if (!safeName(version) || !record.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no launcher release %1 in %2").arg(version, contentDir);
        return false;
    }
    const QJsonObject answer = QJsonDocument::fromJson(record.readAll()).object();
    const QString servicesPath = contentDir + QStringLiteral("/services.json");
    QJsonObject services;
    QFile in(servicesPath);
    if (in.open(QIODevice::ReadOnly)) {
        QJsonParseError parse {};
        const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &parse);
        if (!document.isObject()) {
            // The hand-written file is not overwritten with what could be read of it.
            *error = QStringLiteral("%1 is no JSON object: %2").arg(servicesPath, parse.errorString());
            return false;
        }
        services = document.object();
    }
    services.insert(QStringLiteral("launcher"), answer);
    return writeJson(servicesPath, QJsonDocument(services), error);
}
