#pragma once

class Appinstallplugin;
class MainWindow;
class QObject;

// The home page's content for pictures: a plug-in that asks nobody (its
// service is a closed port) and demo banners and news put on a main window.
namespace HomeContentDemo {

Appinstallplugin *quietPlugin(QObject *parent);
void fill(MainWindow *window);

} // namespace HomeContentDemo
