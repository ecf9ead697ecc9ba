#pragma once

#include <functional>

class MainWindow;
class QWidget;
class SettingsModel;

// Puts the settings window on the main window: builds the dialog on the first
// press of the window's settings button (its QML page costs a good part of the
// start-up otherwise), shows it on every press, and gives the model the
// actions that live in the window and the launcher check.
namespace SettingsWiring {

// Returns the settings window while it is on screen, else null.
std::function<QWidget *()> attach(MainWindow *window, SettingsModel *model);

} // namespace SettingsWiring
