#pragma once

#include "app/basebean.h"

#include <QObject>
#include <QPointer>

// The launcher's application state: what it tells the servers about itself
// and the device, which server environment it talks to, whether debug mode is
// on, and the main window once it is shown.
class KVApplication : public QObject
{
    Q_OBJECT
public:
    // Built on first call, which also installs the log.
    static KVApplication *instance();

    AppPackageInfo packageInfo() const { return m_packageInfo; }
    DeviceInfo deviceInfo() const { return m_deviceInfo; }

    // 1 development, 2 test, 3 release (the default).
    int runningType() const { return m_runningType; }
    bool isDebug() const;

    // The main window, not owned; a QObject here because this library has no widgets.
    QObject *mainWindow() const { return m_mainWindow; }
    void setMainWindow(QObject *window) { m_mainWindow = window; }

    QObject *settingsModel() const { return m_settingsModel; }
    void setSettingsModel(QObject *model) { m_settingsModel = model; }

    // The data folders beside the executable: "Downloads/", "AppData/", "Images/", "Update/".
    static void createDataFolders();

private:
    KVApplication();

    AppPackageInfo m_packageInfo;
    DeviceInfo m_deviceInfo;
    int m_runningType = 3;
    bool m_isDebug = false;
    QPointer<QObject> m_mainWindow;
    QPointer<QObject> m_settingsModel;
};
