#include "extract/gamerepair.h"

#include "app/fileutil.h"
#include "download/downloadfilesmanager.h"
#include "download/kvdownloadtaskmanager.h"
#include "extract/archiveextractor.h"
#include "install/gamefiles.h"
#include "install/gameversioninfo.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Removes a link on the way to `place` and what stands in its own place (a link, a file,
// an empty folder). A folder with content stays; nothing is followed.
void clearPlace(const QByteArray &root, const QByteArray &place)
{
    struct stat st;
    for (int slash = place.indexOf('/'); slash > 0; slash = place.indexOf('/', slash + 1)) {
        const QByteArray folder = root + '/' + place.left(slash);
        if (lstat(folder.constData(), &st) != 0)
            return;
        if (S_ISLNK(st.st_mode)) {
            ::unlink(folder.constData());
            return;
        }
    }
    const QByteArray path = root + '/' + place;
    if (lstat(path.constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode))
        ::rmdir(path.constData());
    else
        ::unlink(path.constData());
}

} // namespace

GameRepair::GameRepair(
    const QString &installDir, const InstallManifest &manifest, EngineFactory engines, QObject *parent)
    : QObject(parent)
    , m_dir(installDir)
    , m_manifest(manifest)
    , m_engines(std::move(engines))
    , m_cancel(std::make_shared<std::atomic_bool>(false))
{ }

GameRepair::~GameRepair()
{
    m_cancel->store(true);
    if (m_engine)
        m_engine->disconnect(this);
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

void GameRepair::start(const VerifyReport &found)
{
    m_faulty = found.faulty();
    if (found.outcome != VerifyReport::Outcome::Damaged || m_faulty.isEmpty()) {
        end(found);
        return;
    }
    clearPlaces();
    fetch();
}

void GameRepair::cancel()
{
    m_cancel->store(true);
    if (m_engine)
        m_engine->stopDownload();
    if (m_verifier)
        m_verifier->cancel();
}

void GameRepair::clearPlaces()
{
    const QByteArray root = QFile::encodeName(m_dir);
    for (const QString &place : qAsConst(m_faulty))
        clearPlace(root, place.toUtf8());
}

void GameRepair::fetch()
{
    GameVersionInfo info;
    info.latestVersion = m_manifest.version;
    info.updateType = int(UpdateType::Full);
    if (m_manifest.kind == InstallManifest::Kind::SmallFiles) {
        info.downloadType = 1;
        info.packageJson = m_manifest.document;
        info.packageMd5 = m_manifest.documentMd5;
        info.packageUrls = QStringList {m_manifest.document};
    } else {
        for (const QString &place : qAsConst(m_faulty)) {
            const int at = m_manifest.indexOf(place.toUtf8());
            const QString source = at >= 0 ? m_manifest.entries[at].source : QString();
            if (source.isEmpty())
                m_error = QStringLiteral("no package is known to hold %1").arg(place);
            else if (!info.packageUrls.contains(source))
                info.packageUrls.append(source);
        }
        for (const QString &url : qAsConst(info.packageUrls))
            info.packageSize += GameFiles::instance()->fileNameSize(url);
    }
    if (info.packageUrls.isEmpty() || info.packageUrls.first().isEmpty()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the manifest names nothing to fetch the files from");
        verifyAgain();
        return;
    }
    GameFiles *files = GameFiles::instance();
    // Extraction records left over from the install would make the engine
    // take these archives for done and skip them; for an installed version
    // they mean nothing any more.
    if (m_manifest.kind == InstallManifest::Kind::Archives)
        files->clearUnzipRecords(m_manifest.version);
    m_status = int(files->status());
    m_targetVersion = files->targetVersion();
    m_updateType = files->updateType();
    if (m_engines)
        m_engine = m_engines(m_manifest.kind, this);
    else if (m_manifest.kind == InstallManifest::Kind::SmallFiles)
        m_engine = new DownloadFilesManager(this);
    else
        m_engine = new KVDownloadTaskManager(this);
    connect(m_engine, &DownloadInterface::signalReplyFinished, this, [this] { onFetched(true, QString()); });
    connect(m_engine, &DownloadInterface::signalDownloadError, this, [this](const QString &url, int code) {
        onFetched(false, QStringLiteral("fetching %1 failed (%2)").arg(url).arg(code));
    });
    connect(m_engine, &DownloadInterface::signalDirSpaceLimit, this,
        [this] { onFetched(false, QStringLiteral("the drive is full")); });
    connect(m_engine, &DownloadInterface::signalDownloadStop, this,
        [this] { onFetched(false, QStringLiteral("stopped")); });
    connect(m_engine, &DownloadInterface::signalDownloadProcess, this,
        [this](const KorvaneObject::DownloadingInfo &record) {
            emit progress(QStringLiteral("fetch"), record.percent.toLongLong(), 100);
        });
    m_engine->startDownload(info);
}

void GameRepair::onFetched(bool ok, const QString &why)
{
    if (!m_engine)
        return;
    m_engine->disconnect(this);
    m_engine->deleteLater();
    m_engine = nullptr;
    // The engines record a download of their own; the game stays installed as it was.
    GameFiles *files = GameFiles::instance();
    files->setStatus(InstallStatus(m_status));
    files->setTargetVersion(m_targetVersion);
    files->setUpdateType(m_updateType);
    if (!ok) {
        m_error = why;
        qWarning().noquote() << QStringLiteral("repair: %1").arg(why);
    }
    if (ok && m_manifest.kind == InstallManifest::Kind::Archives)
        extract();
    else
        verifyAgain();
}

void GameRepair::extract()
{
    QMap<QString, QSet<QByteArray>> wanted;
    for (const QString &place : qAsConst(m_faulty)) {
        const int at = m_manifest.indexOf(place.toUtf8());
        if (at >= 0 && !m_manifest.entries[at].source.isEmpty())
            wanted[m_manifest.entries[at].source].insert(place.toUtf8());
    }
    const QString dir = m_dir;
    const std::shared_ptr<std::atomic_bool> cancel = m_cancel;
    m_worker = QThread::create([this, wanted, dir, cancel] {
        QString error;
        qint64 done = 0;
        for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it) {
            const QString archive = GameFiles::instance()->downloadFilePath(it.key());
            ArchiveExtractor extractor(archive, dir);
            ExtractLimits limits;
            limits.declaredSize = ArchiveExtractor::declaredSize(QFileInfo(archive).fileName());
            extractor.setLimits(limits);
            extractor.setOnlyEntries(it.value());
            extractor.setCancelFlag(cancel.get());
            if (extractor.run({}) != ArchiveExtractor::Result::Ok && error.isEmpty())
                error = extractor.errorString().isEmpty() ? QStringLiteral("cancelled") : extractor.errorString();
            // The package served its purpose, whatever came of it.
            FileUtil::removeFileTwice(archive);
            QMetaObject::invokeMethod(
                this, [this, d = ++done, n = wanted.size()] { emit progress(QStringLiteral("extract"), d, n); },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                if (!error.isEmpty())
                    m_error = error;
                verifyAgain();
            },
            Qt::QueuedConnection);
    });
    m_worker->setObjectName(QStringLiteral("repair"));
    m_worker->start();
}

void GameRepair::verifyAgain()
{
    if (m_cancel->load()) {
        VerifyReport report;
        report.outcome = VerifyReport::Outcome::Cancelled;
        end(report);
        return;
    }
    m_verifier = new GameVerifier(this);
    connect(m_verifier, &GameVerifier::progress, this,
        [this](const VerifyProgress &p) { emit progress(QStringLiteral("verify"), p.bytesDone, p.bytesTotal); });
    connect(m_verifier, &GameVerifier::finished, this, [this](VerifyReport report) {
        const QStringList left = report.faulty();
        for (const QString &place : qAsConst(m_faulty)) {
            if (!left.contains(place))
                report.repaired.append(place);
        }
        if (!left.isEmpty() && report.error.isEmpty())
            report.error = m_error;
        end(report);
    });
    m_verifier->start(m_dir, m_manifest, VerifyMode::Full);
}

void GameRepair::end(VerifyReport report)
{
    if (m_ended)
        return;
    m_ended = true;
    qInfo().noquote() << QStringLiteral("repair of %1: %2 put back, %3 left%4")
                             .arg(m_manifest.version)
                             .arg(report.repaired.size())
                             .arg(report.faulty().size())
                             .arg(m_error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_error));
    // From the event loop: a repair that ends at once has returned from start() first.
    QMetaObject::invokeMethod(
        this, [this, report] { emit finished(report); }, Qt::QueuedConnection);
}
