#pragma once

#include <QString>

class QWidget;
class WarningDialogWithSingleButton;

// The notice that the launcher crashed last time, shown once the window is up.
namespace CrashNotice {

// The dialog panel's size.
constexpr int Width = 567;
constexpr int Height = 308;

// Opens the notice as a modal child of `window` (no nested event loop); it
// deletes itself when closed.
WarningDialogWithSingleButton *open(QWidget *window, const QString &text);

} // namespace CrashNotice
