#pragma once

#include "update/appdownloadinfo.h"

#include <QString>
#include <QStringList>

// How the launcher hands itself over to its updater: the updater program in
// "updateProgram/" is started detached with the release to install, and the
// launcher then quits in order so that the updater can replace its files.
//
// A release is installed only when its package can be checked: an http(s)
// address whose file name declares the packed size and the MD5 the way game
// packages do ("..._size_<bytes>_md5_<hex>..."), and a plain version text.
// Anything else keeps the old way: the release's page is opened.
namespace UpdaterLaunch {

struct Plan
{
    QString program;
    QStringList arguments;
    // Why the release cannot be installed here; empty when it can.
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// The updater's file name from the manifest's "appUpdateFile" ("quillmere-update.exe"):
// without ".exe" where executables have no suffix.
QString executableName(const QString &manifestName);

// The updater run for `info` in the application folder `appDir`, where the
// launcher runs as `launcherFile` (a file name) with process id `pid`.
// `updaterFile` is the updater's file name (see executableName()); the
// updater's window speaks `language` (a Language::code()).
Plan plan(const AppDownloadInfo &info, const QString &appDir, const QString &launcherFile, qint64 pid,
    const QString &updaterFile, const QString &language);

// The environment variable through which the updater asks a launcher it
// started to report that its window is up.
inline const char *readyVariable()
{
    return "QUILLMERE_UPDATE_READY";
}

// When the updater asked for it, writes `version` into the file it named
// (atomically: the updater sees the old state or the whole version). Returns
// false when it was asked for and could not be written; true otherwise.
bool reportReady(const QString &version);

} // namespace UpdaterLaunch
