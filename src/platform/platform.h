#pragma once

#include <QString>
#include <QStringList>

// The launcher's only door to operating-system services that Qt does not
// cover. One implementation per system sits beside this header
// (platform_linux.cpp, and a Windows one later); nothing else in the code base
// calls system interfaces for these needs.
namespace Platform {

// A hardware or installation identifier for the device id: the product UUID
// on Windows, /etc/machine-id on Linux. Empty when the system has none.
QString hardwareUuid();

// The serial number of the system volume in decimal, empty when unknown.
QString systemVolumeSerial();

// The processor's marketing name, white space simplified; empty when unknown.
QString cpuName();

// Auto-start at log-in for the program at `executablePath` under `name`.
bool isAutoStartRegistered(const QString &name, const QString &executablePath);
bool setAutoStart(const QString &name, const QString &executablePath, bool enabled);

// The executable file names (base name with suffix) of all running processes
// that can be read; ended processes not yet collected are left out.
QStringList runningProcessNames();

// Whether the process `pid` still runs: it exists and has not ended (a
// process that ended but was not yet collected by its parent does not count).
bool isProcessRunning(qint64 pid);

// Milliseconds since this process was started by the system (not since
// main() was entered); -1 when unknown.
qint64 msSinceProcessStart();

// The number of handles (file descriptors on Linux) the process holds, -1 when unknown.
int processHandleCount();

// Whether the X display shows what lies behind a window's transparent pixels
// on its screen `x11Screen`: only while a compositing manager runs, that is
// owns the screen's _NET_WM_CM_S<n> selection; without one those pixels are
// black. True when the display cannot be asked (no X display).
bool x11ShowsTranslucency(int x11Screen);

} // namespace Platform
