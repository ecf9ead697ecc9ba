#pragma once

#include <QString>

// What the launcher does when it dies on a fatal signal, and what it tells the
// user at the next start.
//
// The handler runs on an alternate stack and only calls what is safe inside a
// signal handler: it writes the signal number and the low 32 bits of the
// faulting address to a small record file beside the executable and one line
// to the log file's spare descriptor, then lets the default action end the
// process. Building a dialog there (maybe on a worker thread, with a broken
// heap) could itself crash or hang, so the notice waits for the next start.
namespace CrashHandler {

// "crash.txt" in the application directory.
QString defaultRecordPath();

// Installs the handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, writing
// to `recordPath` (fixed now: the handler cannot build paths). Later calls
// only change the path.
void install(const QString &recordPath);

// The record left by a crash, read at start.
struct Record
{
    QString code; // the signal number, lower-case hexadecimal
    QString address; // low 32 bits of the address, lower-case hexadecimal
    bool isValid() const { return !code.isEmpty(); }
};

// Reads the record at `path`; an absent file gives an invalid record, and so
// does a damaged one (reported in the log).
Record readRecord(const QString &path);

// Removes the record; true when none is left.
bool clearRecord(const QString &path);

// The notice shown to the user (it is not translated).
QString noticeText(const Record &record);

} // namespace CrashHandler
