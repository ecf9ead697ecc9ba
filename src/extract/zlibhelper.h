#pragma once

#include "extract/archiveextractor.h"

#include <QObject>
#include <QString>

#include <atomic>

// Extracts archives on the thread it lives on, one per operation_signal_extract, in the
// order of the requests. The extraction manager moves it to a thread of its own and
// receives its signals queued.
//
// The completion of an archive is a sigProgress whose value equals its total; nothing
// before that reaches the total. A failure is one sigError("BitException:<reason>", url).
// A cancelled archive reports sigCancelled(url) instead, so that the caller neither records
// it as extracted nor as failed; a cancelled helper stays cancelled and skips what is left
// in its queue.
class ZlibHelper : public QObject
{
    Q_OBJECT
public:
    ZlibHelper();
    ~ZlibHelper() override;

    // Thread-safe: stops the running extraction at the next entry or data block.
    void cancel() { m_cancel.store(true); }
    // Limits for the archives that follow; call before the first request. The declared size
    // is taken from each archive's name.
    void setLimits(const ExtractLimits &limits) { m_limits = limits; }

signals:
    void workStarted();
    void operation_signal_extract(QString surl, QString archive_name, QString output_path);
    void sigZipTotal(qlonglong nTotalSize);
    void sigProgress(QString url, qlonglong nValue, qlonglong nTotalSize);
    void sigProgressFile(QString sFile);
    void sigError(QString msg, QString surl);
    // Just before sigError when the archive itself is at fault (not an archive, damaged,
    // hostile, a bomb), not the drive: the file is of no use and is best fetched again.
    void sigArchiveRejected(QString surl);
    void sigCancelled(QString surl);

public slots:
    void threadStarted() { }
    void operation_slot_extract(QString surl, QString archive_name, QString output_path);

private:
    ExtractLimits m_limits;
    std::atomic_bool m_cancel {false};
    // Where the files of each extracted package are staged for the install manifest.
    QString m_staging;
};
