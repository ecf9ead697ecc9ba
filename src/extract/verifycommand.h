#pragma once

#include "app/commandline.h"

#include <QStringList>

class QTextStream;

// What "--verify" was asked for.
struct VerifyCommandOptions
{
    bool full = false; // every digest, not just presence and size
    bool repair = false; // put back what is missing or damaged
    bool json = false; // the report as one JSON object
};

// The command line's "--verify [--full] [--repair] [--json]".
namespace VerifyCommand {
CommandLine::Verb verb();
}

// Checks the installed game against its manifest without a window, on a running
// QCoreApplication (it runs the event loop until done). Progress goes to `err`, the
// report to `out`. Returns 0 when the game is intact or was repaired, 1 when damage is
// left, 2 when it could not be checked (nothing installed, no manifest, cancelled).
int runVerifyCommand(const VerifyCommandOptions &options, QTextStream &out, QTextStream &err);
