#include "extract/zlibhelper.h"

#include <QDebug>
#include <QFileInfo>
#include <QThread>

ZlibHelper::ZlibHelper()
    : QObject(nullptr)
{
    connect(
        this, &ZlibHelper::operation_signal_extract, this, &ZlibHelper::operation_slot_extract, Qt::QueuedConnection);
}

ZlibHelper::~ZlibHelper()
{
    qInfo().noquote() << QStringLiteral("~ZlibHelper()");
}

void ZlibHelper::operation_slot_extract(QString surl, QString archive_name, QString output_path)
{
    if (m_cancel.load()) {
        emit sigCancelled(surl);
        return;
    }
    emit workStarted();
    qInfo().noquote() << QStringLiteral("operation_slot_extract --------- > %1").arg(archive_name);
    m_surl = surl;
    qDebug().noquote() << QStringLiteral("zip thread name : %1").arg(QThread::currentThread()->objectName());
    m_archiveFileName = QFileInfo(archive_name).fileName();
    m_totalSize = 0;

    ExtractLimits limits = m_limits;
    limits.declaredSize = ArchiveExtractor::declaredSize(m_archiveFileName);
    ArchiveExtractor extractor(archive_name, output_path);
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
        // The final size may exceed the headers' sum by the allowed slack; report one value
        // for both so that the completion is recognised.
        m_totalSize = extractor.totalSize();
        qInfo().noquote() << QStringLiteral("unzip finsh --------- > %1").arg(m_surl);
        emit sigProgress(m_surl, m_totalSize, m_totalSize);
        break;
    case ArchiveExtractor::Result::Cancelled:
        qInfo().noquote() << QStringLiteral("unzip cancelled --------- > %1").arg(m_surl);
        emit sigCancelled(m_surl);
        break;
    case ArchiveExtractor::Result::Failed:
        qWarning().noquote() << QStringLiteral("unzip failed: %1 (%2)").arg(extractor.errorString(), m_surl);
        emit sigError(QStringLiteral("BitException:%1").arg(extractor.errorString()), m_surl);
        break;
    }
}
