#include "mainwindow/verifyflow.h"

#include "app/texts.h"
#include "download/kvdownloadmanager.h"
#include "extract/gamerepair.h"
#include "install/gamefiles.h"
#include "mainwindow/startupcheck.h"
#include "settings/dialogparts.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QWidget>
#include <QtConcurrent>

namespace {

// An install or update that has not ended leaves the folder holding another version's
// files: checked against the installed version they look damaged, and a repair would
// undo the update that is to resume.
bool installUnderWay()
{
    return isUnfinished(GameFiles::instance()->status());
}

} // namespace

VerifyFlow::VerifyFlow(QWidget *window)
    : QObject(window)
    , m_window(window)
{ }

VerifyFlow::~VerifyFlow()
{
    // Nothing may still run off the GUI thread for an object that is gone: the document
    // fetch stops (its digest thread is joined), a read of the document is waited for,
    // and the check and the repair end (each waits for at most one block) while this
    // object is still whole.
    if (m_fetcher) {
        m_fetcher->disconnect(this);
        m_fetcher->stopDownload();
        delete m_fetcher;
    }
    if (m_readWatcher) {
        m_readWatcher->disconnect(this);
        m_readWatcher->waitForFinished();
    }
    delete m_verifier;
    delete m_repair;
    closeNotice();
}

bool VerifyFlow::isRunning() const
{
    return m_verifier || m_repair || m_reading;
}

void VerifyFlow::pause()
{
    if (!m_verifier || m_verifier->isPaused())
        return;
    m_verifier->pause();
    emit pausedChanged(true);
}

void VerifyFlow::resume()
{
    if (!m_verifier || !m_verifier->isPaused())
        return;
    m_verifier->resume();
    emit pausedChanged(false);
}

bool VerifyFlow::isPaused() const
{
    return m_verifier && m_verifier->isPaused();
}

void VerifyFlow::cancel()
{
    if (!m_working)
        return;
    m_stopped = true;
    if (m_verifier)
        m_verifier->cancel();
    if (m_repair)
        m_repair->cancel();
    if (m_fetcher) {
        m_fetcher->disconnect(this);
        m_fetcher->stopDownload();
        m_fetcher->deleteLater();
        m_reading = false;
    }
    // A read of the document ends by itself; its result is dropped.
    endWork();
}

void VerifyFlow::beginWork(bool repairing)
{
    closeNotice();
    m_working = true;
    emit workStarted(repairing);
}

void VerifyFlow::endWork()
{
    if (!m_working)
        return;
    m_working = false;
    emit workEnded();
}

void VerifyFlow::setVersionInfo(std::function<GameVersionInfo()> versionInfo)
{
    m_versionInfo = std::move(versionInfo);
}

void VerifyFlow::setReinstall(std::function<void()> reinstall)
{
    m_reinstall = std::move(reinstall);
}

void VerifyFlow::setGameRunning(std::function<bool()> gameRunning)
{
    m_gameRunning = std::move(gameRunning);
}

void VerifyFlow::start()
{
    if (isRunning())
        return;
    if (installUnderWay()) {
        qWarning() << "verify: an install or update has not ended; the game files are not checked";
        notice(tr("verifyInstallUnderWay"));
        return;
    }
    GameFiles *files = GameFiles::instance();
    const QString version = files->installedVersion();
    m_dir = files->installDir();
    m_recording = false;
    m_stopped = false;
    QString error;
    if (!InstallManifest::load(InstallManifest::pathOf(version), &m_manifest, &error)) {
        qWarning().noquote() << QStringLiteral("verify: %1").arg(error);
        withoutRecord(version);
        return;
    }
    check();
}

void VerifyFlow::check()
{
    m_verifier = new GameVerifier(this);
    connect(m_verifier, &GameVerifier::finished, this, &VerifyFlow::onChecked);
    connect(m_verifier, &GameVerifier::progress, this, &VerifyFlow::checkProgress);
    m_verifier->start(m_dir, m_manifest, VerifyMode::Full);
    if (!m_working)
        beginWork(false);
}

void VerifyFlow::withoutRecord(const QString &version)
{
    const GameVersionInfo info = m_versionInfo ? m_versionInfo() : GameVersionInfo();
    if (version.isEmpty()) {
        notice(tr("verifyNoRecord"));
    } else if (info.latestVersion == version && info.downloadType == 1 && !info.packageJson.isEmpty()) {
        recordFromDocument(info);
    } else if (m_reinstall) {
        // An archive install keeps nothing to check against: the packages are fetched anew.
        WarningDialogwithDoublebutton::ask(tr("verifyNoRecordReinstall"), m_window, this, [this] {
            m_reinstall();
        })->setObjectName(QStringLiteral("verifyReinstallQuestion"));
    } else {
        notice(tr("verifyNoRecord"));
    }
}

void VerifyFlow::recordFromDocument(const GameVersionInfo &info)
{
    m_reading = true;
    beginWork(false);
    if (QFileInfo(GameFiles::instance()->downloadFilePath(info.packageJson)).isFile()) {
        readDocument(info);
        return;
    }
    // Not kept since the install: fetched into the downloads folder as the install does.
    m_fetcher = new KVDownloadManager(info.packageJson, this);
    KVDownloadManager *fetcher = m_fetcher;
    connect(fetcher, &KVDownloadManager::signalReplyFinished, this,
        [this, fetcher, info](int, int errorCode, QString errorMsg, QString, QString, QString) {
            fetcher->deleteLater();
            if (m_stopped) {
                m_reading = false;
            } else if (errorCode != 0) {
                m_reading = false;
                qWarning().noquote()
                    << QStringLiteral("verify: cannot fetch the small-files document: %1").arg(errorMsg);
                endWork();
                notice(tr("verifyNoRecord"));
            } else {
                readDocument(info);
            }
        });
    fetcher->startDownload(1);
}

void VerifyFlow::readDocument(const GameVersionInfo &info)
{
    struct Read
    {
        InstallManifest manifest;
        QString error;
        bool ok = false;
    };
    auto *watcher = new QFutureWatcher<Read>(this);
    m_readWatcher = watcher;
    connect(watcher, &QFutureWatcher<Read>::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_reading = false;
        const Read read = watcher->result();
        if (m_stopped)
            return;
        if (!read.ok) {
            qWarning().noquote() << QStringLiteral("verify: %1").arg(read.error);
            endWork();
            notice(tr("verifyNoRecord"));
            return;
        }
        qInfo().noquote() << QStringLiteral("verify: the files of version %1 are checked against the service's "
                                            "document, and recorded when they match it")
                                 .arg(read.manifest.version);
        m_manifest = read.manifest;
        m_recording = true;
        check();
    });
    watcher->setFuture(QtConcurrent::run([info] {
        Read read;
        read.ok = InstallManifest::fromSmallFilesDocument(info, &read.manifest, &read.error);
        return read;
    }));
}

void VerifyFlow::record()
{
    if (!m_recording)
        return;
    m_recording = false;
    QString error;
    if (m_manifest.save(InstallManifest::pathOf(m_manifest.version), &error))
        qInfo().noquote() << QStringLiteral("verify: the files of version %1 are recorded").arg(m_manifest.version);
    else
        qWarning().noquote() << QStringLiteral("verify: the record of the files not stored: %1").arg(error);
}

void VerifyFlow::onChecked(const VerifyReport &report)
{
    m_verifier->deleteLater();
    m_verifier = nullptr;
    endWork();
    qInfo().noquote() << QStringLiteral("verify of the game files: %1").arg(report.toText().trimmed());
    // Cancelled as the check ended: what it found is not asked about.
    if (m_stopped)
        return;
    if (report.outcome == VerifyReport::Outcome::Intact) {
        record();
        notice(tr("verifyIntact").arg(report.files));
    } else if (report.outcome == VerifyReport::Outcome::Damaged) {
        askRepair(report, tr("verifyDamaged").arg(report.faulty().size()) + foundText(report));
    }
}

StartupCheck *VerifyFlow::checkAtStart(const QString &dir, const QString &manifestPath)
{
    auto *check = new StartupCheck(this);
    connect(
        check, &StartupCheck::damaged, this, [this, check](const VerifyReport &report) { offerRepair(check, report); });
    connect(check, &StartupCheck::finished, check, &QObject::deleteLater);
    check->run(dir, manifestPath);
    return check;
}

void VerifyFlow::offerRepair(const StartupCheck *check, const VerifyReport &found)
{
    // The player's own check, started meanwhile, answers for itself.
    if (isRunning())
        return;
    m_dir = check->dir();
    m_manifest = check->manifest();
    askRepair(found, tr("verifyStartDamaged").arg(found.faulty().size()) + foundText(found));
}

QString VerifyFlow::foundText(const VerifyReport &report)
{
    // Two lines fit under the question; a long path keeps its end.
    constexpr int Lines = 2;
    constexpr int PathChars = 40;
    const auto shortPath = [](const QString &path) {
        return path.size() <= PathChars ? path : QStringLiteral("…") + path.right(PathChars - 1);
    };
    QStringList lines;
    for (const QString &path : report.missing)
        lines << tr("verifyMissingFile").arg(shortPath(path));
    for (const QString &path : report.damaged)
        lines << tr("verifyDamagedFile").arg(shortPath(path));
    if (lines.size() > Lines) {
        const int more = int(lines.size()) - (Lines - 1);
        lines = lines.mid(0, Lines - 1);
        lines << tr("verifyMoreFiles").arg(more);
    }
    return lines.isEmpty() ? QString() : QStringLiteral("\n") + lines.join(QLatin1Char('\n'));
}

void VerifyFlow::askRepair(const VerifyReport &found, const QString &text)
{
    WarningDialogwithDoublebutton::ask(text, m_window, this, [this, found] {
        repair(found);
    })->setObjectName(QStringLiteral("verifyRepairQuestion"));
}

void VerifyFlow::repair(const VerifyReport &found)
{
    if (isRunning())
        return;
    if (m_gameRunning && m_gameRunning()) {
        qWarning() << "verify: no repair while the game runs";
        notice(tr("verifyGameRunning"));
        return;
    }
    // The question may have stood open while an update began.
    if (installUnderWay()) {
        qWarning() << "verify: no repair while an install or update has not ended";
        notice(tr("verifyInstallUnderWay"));
        return;
    }
    m_stopped = false;
    m_repair = new GameRepair(m_dir, m_manifest, {}, this);
    connect(m_repair, &GameRepair::finished, this, &VerifyFlow::onRepaired);
    connect(m_repair, &GameRepair::progress, this, &VerifyFlow::repairProgress);
    m_repair->start(found);
    beginWork(true);
}

void VerifyFlow::onRepaired(const VerifyReport &report)
{
    m_repair->deleteLater();
    m_repair = nullptr;
    endWork();
    if (report.outcome == VerifyReport::Outcome::Intact) {
        record();
        notice(tr("verifyRepaired").arg(report.repaired.size()));
    } else if (report.outcome != VerifyReport::Outcome::Cancelled)
        notice(tr("verifyRepairFailed").arg(qMax(1, report.faulty().size())));
}

void VerifyFlow::notice(const QString &text)
{
    closeNotice();
    auto *dialog = new WarningDialogWithSingleButton(text, m_window);
    dialog->setObjectName(QStringLiteral("verifyResult"));
    DialogParts::coverWindow(dialog);
    dialog->setModal(true);
    m_notice = dialog;
    dialog->show();
}

QString VerifyFlow::progressText(const VerifyProgress &progress)
{
    const double share = progress.bytesTotal > 0 ? double(progress.bytesDone) / double(progress.bytesTotal)
                                                 : (progress.filesTotal > 0 ? 1.0 : 0.0);
    QString line
        = tr("verifyProgress")
              .arg(progress.filesDone)
              .arg(progress.filesTotal)
              .arg(sizeText(quint64(progress.bytesDone)), sizeText(quint64(progress.bytesTotal)), percentText(share));
    if (progress.secondsLeft >= 0)
        line += QLatin1Char(' ') + tr("verifyTimeLeft").arg(durationText(progress.secondsLeft));
    return line;
}

void VerifyFlow::closeNotice()
{
    if (!m_notice)
        return;
    m_notice->disconnect(this);
    m_notice->close();
    m_notice = nullptr;
}
