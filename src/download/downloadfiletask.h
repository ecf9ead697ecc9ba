#pragma once

#include "download/rangedtransfer.h"

// Downloads one small resource file straight into the game's install folder
// (install folder + "/" + dest, through "<dest>.tmp"). One object serves a
// whole batch, one file after another, and keeps its network manager (and so
// its kept-alive connection) between files.
class DownloadFileTask : public RangedTransfer
{
    Q_OBJECT
public:
    explicit DownloadFileTask(QObject *parent = nullptr, QNetworkAccessManager *network = nullptr);
    ~DownloadFileTask() override;

    // Starts `url` into `installDir` + "/" + `dest`; ignored unless stopped. A
    // final file that is already there is reported at once with 200.
    void startDownload(const QString &url, const QString &dest, int divisor);
    void startDownload(const QString &url, const QString &dest, const QString &installDir, int divisor);
    // Ends the running file and keeps its partial file.
    void stopDownload();

protected:
    bool dropsNetworkOnFailure() const override { return false; }
};
