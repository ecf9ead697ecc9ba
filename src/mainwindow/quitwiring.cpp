#include "mainwindow/quitwiring.h"

#include "app/orderlyquit.h"
#include "mainwindow/mainwindow.h"
#include "settings/settingsmodel.h"

#include <QDebug>

void QuitWiring::attach(OrderlyQuit *quit, MainWindow *window, SettingsModel *settings)
{
    quit->addStopHook([window] { window->stopWork(); });
    quit->addStopHook([settings] {
        settings->saveChanges();
        if (!settings->waitForStoreWork(3000))
            qWarning() << "The settings were not written within 3000 ms";
    });
    // The window's close behaviour (close button, Alt+F4, tray) ends here
    // once it has asked what it must.
    QObject::connect(window, &MainWindow::quitRequested, quit, &OrderlyQuit::request);
}
