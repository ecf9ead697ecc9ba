#include "extract/ziplibtask.h"

#include <QDebug>
#include <QFileInfo>

ZiplibTask::ZiplibTask(QObject *parent, QString surl, QString archivePath, QString outputPath)
    : QThread(parent)
    , m_surl(std::move(surl))
    , m_archivePath(std::move(archivePath))
    , m_outputPath(std::move(outputPath))
{ }

ZiplibTask::~ZiplibTask()
{
    qInfo().noquote() << QStringLiteral("ZiplibTask: %1 delete").arg(m_surl);
    // A task deleted while running (its owner going away) stops first.
    cancel();
    wait();
}

void ZiplibTask::run()
{
    emit workStarted();
    qDebug().noquote() << QStringLiteral("run start--------- > %1").arg(m_archivePath);
    qDebug().noquote() << QStringLiteral("zip thread name :") << objectName();
    m_archiveFileName = QFileInfo(m_archivePath).fileName();
    m_totalSize = 0;

    ExtractLimits limits = m_limits;
    limits.declaredSize = ArchiveExtractor::declaredSize(m_archiveFileName);
    ArchiveExtractor extractor(m_archivePath, m_outputPath);
    extractor.setLimits(limits);
    extractor.setCancelFlag(&m_cancel);

    ArchiveExtractor::Callbacks callbacks;
    callbacks.total = [this](qint64 total) {
        m_totalSize = total;
        emit sigZipTotal(total);
    };
    callbacks.progress = [this](qint64 done) {
        emit sigProgress(m_surl, done, m_totalSize);
    };
    callbacks.file = [this](const QString &name) {
        emit sigProgressFile(name);
    };

    switch (extractor.run(callbacks)) {
    case ArchiveExtractor::Result::Ok:
        m_totalSize = extractor.totalSize();
        emit sigProgress(m_surl, m_totalSize, m_totalSize);
        qInfo().noquote() << QStringLiteral("unzip finsh --------- > %1").arg(m_surl);
        m_isPending = false;
        break;
    case ArchiveExtractor::Result::Cancelled:
        m_isPending = false;
        emit sigCancelled(m_surl);
        break;
    case ArchiveExtractor::Result::Failed:
        qWarning().noquote() << QStringLiteral("unzip failed: %1 (%2)").arg(extractor.errorString(), m_surl);
        m_isPending = false;
        emit sigError(QStringLiteral("BitException:%1").arg(extractor.errorString()), m_surl);
        break;
    }
    qDebug().noquote() << QStringLiteral("run end--------- > %1").arg(m_isPending ? 1 : 0);
}
