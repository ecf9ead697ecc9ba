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
    // The most this use unpacks from one archive, whatever its name declares.
    static constexpr qint64 kMaxUnpackedSize = 2LL * 1024 * 1024 * 1024;

    ZiplibTask(QObject *parent, QString surl, QString archivePath, QString outputPath);
    ~ZiplibTask() override;

    bool isPending() const { return m_isPending.load(); }
    void cancel() { m_cancel.store(true); }
    // Before start(); replaces the default limits, kMaxUnpackedSize included.
    void setLimits(const ExtractLimits &limits) { m_limits = limits; }

signals:
    void workStarted();
    void sigZipTotal(qlonglong nTotalSize);
    void sigProgress(QString url, qlonglong nValue, qlonglong nTotalSize);
    void sigProgressFile(QString sFile);
    void sigError(QString msg, QString surl);
    // Just before sigError when the archive itself is at fault (not an archive, damaged,
    // hostile, a bomb), not the drive: the file is of no use and is best fetched again.
    void sigArchiveRejected(QString surl);
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
