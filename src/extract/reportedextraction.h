#pragma once

#include "extract/archiveextractor.h"

#include <QDebug>
#include <QFileInfo>

#include <atomic>

// Extracts one archive and reports it through the worker's signals, which
// both archive workers (ZlibHelper, ZiplibTask) share by name: sigZipTotal,
// sigProgress, sigProgressFile, then one of sigProgress at 100 %, sigCancelled
// or sigError("BitException:<reason>"), the last preceded by sigArchiveRejected when
// the archive itself is at fault.
//
// With a `staging` folder, the files written are staged there as the package's part of
// the install manifest before the completion is reported.
template<typename Worker>
void extractReporting(Worker *worker, const QString &url, const QString &archivePath, const QString &outputPath,
    ExtractLimits limits, std::atomic_bool *cancel, const QString &staging = QString())
{
    limits.declaredSize = ArchiveExtractor::declaredSize(QFileInfo(archivePath).fileName());
    ArchiveExtractor extractor(archivePath, outputPath);
    extractor.setLimits(limits);
    extractor.setCancelFlag(cancel);
    extractor.setRecordFiles(!staging.isEmpty());

    qint64 totalSize = 0;
    ArchiveExtractor::Callbacks callbacks;
    callbacks.total = [&](qint64 total) {
        totalSize = total;
        emit worker->sigZipTotal(total);
    };
    callbacks.progress = [&](qint64 done) {
        emit worker->sigProgress(url, done, totalSize);
    };
    callbacks.file = [&](const QString &name) {
        emit worker->sigProgressFile(name);
    };

    switch (extractor.run(callbacks)) {
    case ArchiveExtractor::Result::Ok:
        // The final size may exceed the headers' sum by the allowed slack; one
        // value for both lets the owner recognise the completion.
        totalSize = extractor.totalSize();
        if (!staging.isEmpty())
            InstallManifest::stagePart(staging, url, extractor.writtenFiles());
        qInfo().noquote() << QStringLiteral("unzip finsh --------- > %1").arg(url);
        emit worker->sigProgress(url, totalSize, totalSize);
        break;
    case ArchiveExtractor::Result::Cancelled:
        qInfo().noquote() << QStringLiteral("unzip cancelled --------- > %1").arg(url);
        emit worker->sigCancelled(url);
        break;
    case ArchiveExtractor::Result::Failed:
        qWarning().noquote() << QStringLiteral("unzip failed: %1 (%2)").arg(extractor.errorString(), url);
        if (extractor.archiveRejected())
            emit worker->sigArchiveRejected(url);
        emit worker->sigError(QStringLiteral("BitException:%1").arg(extractor.errorString()), url);
        break;
    }
}
