#pragma once

class MainWindow;
class OrderlyQuit;
class SettingsModel;

// What the launcher's orderly quit does for the window and the settings, and
// the window's way to ask for it: the launcher's entry and the tests that
// walk a whole session wire them alike.
namespace QuitWiring {

// Adds the stop steps (the window's download, extraction and game watch,
// then the settings the page changed, written within a bound) to `quit`,
// and lets the window's close behaviour end there.
void attach(OrderlyQuit *quit, MainWindow *window, SettingsModel *settings);

} // namespace QuitWiring
