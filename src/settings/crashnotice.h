#pragma once

#include <QString>

class QWidget;
class WarningDialogWithSingleButton;

// The notice that the launcher crashed last time, shown once the window is up.
namespace CrashNotice {

// The notice's text in the user's language, with the crash's code and
// address (lower-case hexadecimal) in it.
QString text(const QString &code, const QString &address);

// Opens the notice, modal, without a nested event loop: over `window`,
// dimming it, when the window is shown; otherwise as a window of its own at
// the centre of the screen. It deletes itself when closed.
WarningDialogWithSingleButton *open(QWidget *window, const QString &text);

} // namespace CrashNotice
