#pragma once

#include "download/rangedtransfer.h"

// Downloads the launcher's package to a file of the updater's choosing, resuming
// "<file>.tmp", with the size and digest the package's file name declares. A
// file left complete by an earlier run is checked again before it is used.
// One object serves one attempt, as a package worker does.
class PackageTransfer : public RangedTransfer
{
    Q_OBJECT
public:
    PackageTransfer(const QString &url, const QString &filePath, QObject *parent = nullptr);

    void start();
};
