#pragma once

class MainWindow;
class SettingQtDialog;
class SettingsModel;

// Puts the settings window on the main window: builds the dialog once, shows
// it on the window's settings button, and gives the model the actions that
// live in the window and the launcher check.
namespace SettingsWiring {

SettingQtDialog *attach(MainWindow *window, SettingsModel *model);

} // namespace SettingsWiring
