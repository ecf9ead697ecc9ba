#include "extract/zlibhelper.h"

#include "extract/reportedextraction.h"

#include <QDebug>
#include <QFileInfo>
#include <QThread>

ZlibHelper::ZlibHelper()
    : QObject(nullptr)
    , m_staging(InstallManifest::stagingFolder())
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
    qDebug().noquote() << QStringLiteral("zip thread name : %1").arg(QThread::currentThread()->objectName());
    extractReporting(this, surl, archive_name, output_path, m_limits, &m_cancel, m_staging);
}
