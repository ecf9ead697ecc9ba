#pragma once

#include "install/installmover.h"

#include <QPointer>

#include <functional>

class MainWindow;
class QWidget;
class ServerUrls;
class SettingsModel;

// Puts the settings window on the main window: builds the dialog on the first
// press of the window's settings button (its QML page costs a good part of the
// start-up otherwise), shows it on every press, and gives the model the
// actions that live in the window and the launcher check. The model follows
// what the window records meanwhile: the close question's answer and the
// game's install location.
namespace SettingsWiring {

// Returns the settings window while it is on screen, else null. `urls`: the
// services the launcher check asks (copied); null: the running environment's.
std::function<QWidget *()> attach(MainWindow *window, SettingsModel *model, const ServerUrls *urls = nullptr);

// What a move of the installed game asks of the window: whether the game or
// an install runs; the records it switches are the launcher's stores.
InstallMover::Collaborators moveCollaborators(QPointer<MainWindow> window);

} // namespace SettingsWiring
