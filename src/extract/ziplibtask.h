#pragma once

#include "extract/archiveextractor.h"

#include <QString>
#include <QThread>

#include <atomic>

// Extracts one archive on a thread of its own (the background-video archive). The owner
// calls start() and deletes the task when the thread has finished. Signals and error
// texts are those of ZlibHelper; cancel() ends the thread early with sigCancelled.
class ZiplibTask : public QThread
{
    Q_OBJECT
public:
    ZiplibTask(QObject *parent, QString surl, QString archivePath, QString outputPath);
    ~ZiplibTask() override;

    bool isPending() const { return m_isPending.load(); }
    void cancel() { m_cancel.store(true); }
    void setLimits(const ExtractLimits &limits) { m_limits = limits; }

signals:
    void workStarted();
    void sigZipTotal(qlonglong nTotalSize);
    void sigProgress(QString url, qlonglong nValue, qlonglong nTotalSize);
    void sigProgressFile(QString sFile);
    void sigError(QString msg, QString surl);
    void sigCancelled(QString surl);

protected:
    void run() override;

private:
    std::atomic_bool m_isPending {true};
    QString m_surl;
    QString m_archivePath;
    QString m_outputPath;
    ExtractLimits m_limits;
    std::atomic_bool m_cancel {false};
};
