#pragma once

#include "widgets/qmlhostdialog.h"

#include <QPointer>

class SettingsModel;

// The settings window: "KVSettings.qml" over the main window, built once
// with the window and shown whenever its settings button asks. Closing it in
// any way (its close button, Escape) is the model's closeSettings(), which
// saves.
class SettingQtDialog : public QmlHostDialog
{
    Q_OBJECT
public:
    SettingQtDialog(QWidget *window, SettingsModel *model);

    // False when the page could not be built (the reasons are in the log).
    bool isLoaded() const { return m_loaded; }

public slots:
    // Shows the settings over the main window; the Clear button is enabled
    // only when no download or extraction runs (`canClearResource`).
    void showSettings(bool canClearResource);

    // Escape and the window system's close.
    void reject() override;

private:
    QPointer<QWidget> m_window;
    SettingsModel *m_model = nullptr;
    bool m_loaded = false;
};
