#include "extract/ziplibtask.h"

#include "extract/reportedextraction.h"

#include <QDebug>
#include <QFileInfo>

ZiplibTask::ZiplibTask(QObject *parent, QString surl, QString archivePath, QString outputPath)
    : QThread(parent)
    , m_surl(std::move(surl))
    , m_archivePath(std::move(archivePath))
    , m_outputPath(std::move(outputPath))
{
    // A background video and its frames come to some megabytes; this use never takes a game's gigabytes.
    m_limits.maxSize = kMaxUnpackedSize;
}

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
    extractReporting(this, m_surl, m_archivePath, m_outputPath, m_limits, &m_cancel);
    m_isPending = false;
    qDebug().noquote() << QStringLiteral("run end--------- > %1").arg(m_isPending ? 1 : 0);
}
