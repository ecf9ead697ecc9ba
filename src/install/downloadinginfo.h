#pragma once

#include <QMetaType>
#include <QString>

namespace KorvaneObject {

// The progress record every download signal carries. The aggregated record
// of an engine fills the texts; a per-file record fills url and bytesReceived.
struct DownloadingInfo
{
    QString downloadSpeed; // speed text, e.g. "1.5 MB/S"
    QString timeLeft; // duration text, e.g. "1h 1m 1s"
    QString totalSize; // size text of the whole download
    QString percent; // whole percent, e.g. "42"
    QString downloadedSize; // size text of the bytes present
    QString url; // the file of a per-file record
    qint64 bytesReceived = 0; // bytes since the previous record of the same file
    int retryInSeconds = 0; // > 0: every transfer waits to retry, the next in this many seconds
};

} // namespace KorvaneObject

Q_DECLARE_METATYPE(KorvaneObject::DownloadingInfo)
