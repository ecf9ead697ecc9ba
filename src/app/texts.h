#pragma once

#include <QString>

// Texts the launcher shows for sizes, speeds and durations, and the version
// comparison shared by the update checks.

// "1.5 KB", "1023.0 B", "2.5 MB/S": one decimal, units of 1024.
QString sizeText(quint64 bytes, bool speed = false);

// "59s", "2m", "1h 1s", "1d 1h 1m 1s"; "0s" for 0 or less. Speeds and
// durations are in the installed catalogue's words ("2m" reads "2分" in
// Chinese); the English is as shown.
QString durationText(qint64 seconds);

// The one way the launcher shows a share of work: "42%", whole percent,
// rounded down, between 0% and 100% (0% for an undefined share);
// wholePercent() is its number.
int wholePercent(double share);
QString percentText(double share);

// True when `latest` is newer than `current`, comparing dot-separated numbers
// (missing or non-numeric parts count as 0). An empty current version always
// needs the update.
bool needsAppUpdate(const QString &current, const QString &latest);
