#pragma once

#include <QString>
#include <QStringList>

// What the updater left in "<appdir>/selfupdate.json": the versions that did
// not start here (the automatic check does not offer them again), how the last
// update ended ("updated" or "rolledBack"), the version tried, the one put
// back, and whether the launcher has told the user of a rollback yet.
//
// The updater writes the file; the launcher reads it at start and only turns
// "noticeShown" on, keeping every other member as it was.
struct LauncherUpdateRecord
{
    QStringList failedVersions;
    QString lastResult;
    QString version;
    QString restoredVersion;
    bool noticeShown = true;

    // "<appdir>/selfupdate.json".
    static QString defaultPath();
    // The record's file in the launcher's folder `folder`.
    static QString pathIn(const QString &folder);

    // The record at `path`; an empty one when there is none. A file that is
    // no JSON object, or whose members have the wrong types, is logged and
    // read as far as it is usable.
    static LauncherUpdateRecord read(const QString &path);

    // Whether the user is still to be told that the last update was rolled back.
    bool noticeDue() const { return lastResult == QLatin1String("rolledBack") && !noticeShown; }

    // Turns "noticeShown" on in the file at `path` (atomically), other members
    // untouched. False, logged, when it cannot be written.
    static bool markNoticeShown(const QString &path);

    // The line the log gets at start.
    QString describe() const;
};
