#include "mainwindow/settingswiring.h"

#include "api/serverurls.h"
#include "app/launcherconfig.h"
#include "mainwindow/mainwindow.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "update/appinstallplugin.h"

#include <QDebug>
#include <QPointer>

#include <memory>

std::function<QWidget *()> SettingsWiring::attach(MainWindow *window, SettingsModel *model)
{
    // A child of the window, so it goes with it.
    auto dialog = std::make_shared<QPointer<SettingQtDialog>>();
    model->setMainWindow(window);
    QObject::connect(window, &MainWindow::settingsRequested, model, [window, model, dialog](bool canClearResource) {
        if (!*dialog)
            *dialog = new SettingQtDialog(window, model);
        (*dialog)->showSettings(canClearResource);
    });
    QObject::connect(window, &MainWindow::resourcesCleared, model, &SettingsModel::onResourcesCleared);

    QPointer<MainWindow> guarded(window);
    model->actions().clearResources = [guarded] {
        if (guarded)
            guarded->showDeleteGameResourceDialog();
    };
    QPointer<SettingsModel> guardedModel(model);
    model->actions().checkLauncherVersion = [guardedModel] {
        const ServerUrls *urls = ServerUrls::instance();
        if (!urls || !guardedModel)
            return false;
        // The check deletes itself after its answer or its time-out.
        auto *check = new LauncherVersionCheck(*urls, LauncherConfig::applicationVersion());
        QObject::connect(check, &LauncherVersionCheck::upToDate, guardedModel, &SettingsModel::showTip);
        QObject::connect(
            check, &LauncherVersionCheck::newerVersion, Appinstallplugin::instance(), [](AppDownloadInfoPtr info) {
                qInfo() << "The manual check found a newer launcher";
                emit Appinstallplugin::instance()->notifyAppUpdate(info);
            });
        check->start();
        return true;
    };
    return [dialog]() -> QWidget * {
        return *dialog && (*dialog)->isVisible() ? dialog->data() : nullptr;
    };
}
