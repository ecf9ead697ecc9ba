#pragma once

#include "app/commandline.h"

// The command line's "--move-install DIR": moves the installed game to DIR
// (an empty or new folder) without a window, printing the progress and the
// result. Refused while a launcher runs (it may be installing or playing),
// while the game runs, and where the move itself refuses.
namespace InstallMoveCommand {

CommandLine::Verb verb();

// The verb's work: moves the game to `to`; returns the exit code.
int run(const QString &to, QTextStream &out, QTextStream &err);

} // namespace InstallMoveCommand
