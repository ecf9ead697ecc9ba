#pragma once

#include <QString>

// Faults the stand-in can be told to show, for tests of the launcher's failure paths.
// They come from the command line and, per request, from "control.json" in the content
// folder, whose members override the command line's while the file exists.
struct FaultModes
{
    bool ignoreRange = false; // answer 200 with the whole file whatever "Range" says
    qint64 cutBodyAfter = -1; // announce the full length, send this many bytes, close (-1 off)
    int stallMs = 0; // wait this long before answering
    bool status500 = false; // answer 500 with a plain-text page
    bool gameOffline = false; // game endpoints answer code 4001
    QString offlineMessage = QStringLiteral("The game is under maintenance");
    int newsPageSize = 0; // news pages hold this many entries whatever was asked (0 off)
    QString pathPrefix; // faults touch only request paths starting with this ("" = all)

    bool applies(const std::string &path) const;

    // Reads `controlFile` over a copy of `base`; a missing file leaves `base` as it is and
    // a malformed one is reported in `error` and ignored.
    static FaultModes load(const FaultModes &base, const QString &controlFile, QString *error);
};
