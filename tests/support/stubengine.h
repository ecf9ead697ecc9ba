#pragma once

#include "download/downloadinterface.h"

// A download engine for window tests: it counts its starts, downloads
// nothing and reports itself downloading from the first start on.
class StubEngine : public DownloadInterface
{
public:
    using DownloadInterface::DownloadInterface;
    bool isDownloading() const override { return m_running; }
    void startDownload(GameVersionInfo) override
    {
        ++starts;
        m_running = true;
    }
    int starts = 0;
    bool m_running = false;
};
