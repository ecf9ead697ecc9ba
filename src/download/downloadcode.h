#pragma once

#include <QNetworkReply>

// The codes the download engines and their transfers report, by name. The
// numbers are those sent in signals, written to the log and sent with the
// analytics events; they do not change. A transfer's failure may also carry a
// network error (QNetworkReply::NetworkError) or an HTTP status as it came.
enum class DownloadCode : int {
    Finished = 200, // a whole run is on disk
    NoStatus = -1, // the status of a transfer that failed without an HTTP answer; the error of one that threw
    Incomplete = -2, // the body ended short of what the server announced
    FileMissing = -100, // the finished partial file vanished or could not be renamed
    SmallFilesFailed = 298, // any failure of the small-files engine
    ContentError = QNetworkReply::UnknownContentError, // not the declared file (deleted)
    UnusableAddress = QNetworkReply::ProtocolUnknownError, // an address that gives no usable file name
};

constexpr int codeValue(DownloadCode code)
{
    return int(code);
}

// The code of a stored or sent number; numbers outside the named ones stay what they are.
constexpr DownloadCode downloadCode(int value)
{
    return DownloadCode(value);
}

// A content error (access denied, not found, gone, not the declared file, ...):
// the file is of no use and a retry starts it over.
constexpr bool isContentErrorCode(int value)
{
    return value >= QNetworkReply::ContentAccessDenied && value <= QNetworkReply::UnknownContentError;
}
