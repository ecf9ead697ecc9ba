#include "mainwindow/settingswiring.h"

#include "api/serverurls.h"
#include "app/launcherconfig.h"
#include "install/installmover.h"
#include "launch/gamelauncher.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/homewiring.h"
#include "mainwindow/mainwindow.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "update/appinstallplugin.h"

#include <QDebug>
#include <QPointer>
#include <QTimer>
#include <QtConcurrent>

#include <memory>

namespace {

// The records the window keeps that the settings show: the close choice the
// close question stored, and where the game is once it is installed or gone.
void followRecords(MainWindow *window, SettingsModel *model)
{
    QObject::connect(
        window->closeBehaviour(), &CloseBehaviour::closeChoiceStored, model, &SettingsModel::takeStoredCloseType);
    QObject::connect(window, &MainWindow::stateChanged, model, [model](MainWindow::State state) {
        if (state == MainWindow::State::Play)
            model->onGameInstalled();
    });
    QObject::connect(window, &MainWindow::resourcesCleared, model, &SettingsModel::onResourcesCleared);
}

// The manual launcher check: a newer launcher closes the settings (hidden and
// saved) and shows the update page, whatever "auto_update" says - the user
// asked. The page opens once the settings have gone.
std::function<bool()> launcherCheck(MainWindow *window, SettingsModel *model, const ServerUrls *urls)
{
    QPointer<MainWindow> guarded(window);
    QPointer<SettingsModel> guardedModel(model);
    const bool own = urls != nullptr;
    const ServerUrls given = own ? *urls : ServerUrls();
    return [guarded, guardedModel, own, given] {
        const ServerUrls *services = own ? &given : ServerUrls::instance();
        if (!services || !guardedModel || !guarded)
            return false;
        // The check deletes itself after its answer or its time-out.
        auto *check = new LauncherVersionCheck(*services, LauncherConfig::applicationVersion());
        QObject::connect(check, &LauncherVersionCheck::upToDate, guardedModel, &SettingsModel::showTip);
        QObject::connect(
            check, &LauncherVersionCheck::newerVersion, guarded, [guarded, guardedModel](AppDownloadInfoPtr info) {
                qInfo() << "The manual check found a newer launcher";
                if (guardedModel)
                    guardedModel->closeSettings();
                QTimer::singleShot(1, guarded, [guarded, info] {
                    if (guarded)
                        guarded->homeWiring()->showAppUpdateDialog(info);
                });
            });
        check->start();
        return true;
    };
}

} // namespace

InstallMover::Collaborators SettingsWiring::moveCollaborators(QPointer<MainWindow> window)
{
    InstallMover::Collaborators c = InstallMover::forRecordedGame();
    c.gameRunning = [window] {
        return window && window->gameLauncher() && window->gameLauncher()->isGameRunning();
    };
    c.installRunning = [window] {
        return window && window->isInstallIng();
    };
    return c;
}

std::function<QWidget *()> SettingsWiring::attach(MainWindow *window, SettingsModel *model, const ServerUrls *urls)
{
    // A child of the window, so it goes with it.
    auto dialog = std::make_shared<QPointer<SettingQtDialog>>();
    model->setMainWindow(window);
    QObject::connect(window, &MainWindow::settingsRequested, model, [window, model, dialog](bool canClearResource) {
        if (!*dialog)
            *dialog = new SettingQtDialog(window, model);
        (*dialog)->showSettings(canClearResource);
    });
    followRecords(window, model);
    // The half copy of a move a kill cut short, deleted off the window's thread.
    QtConcurrent::run([journal = InstallMover::journalPath()] { InstallMover::removeInterruptedCopy(journal); });

    QPointer<MainWindow> guarded(window);
    model->actions().clearResources = [guarded] {
        if (guarded)
            guarded->showDeleteGameResourceDialog();
    };
    model->actions().verifyGameFiles = [guarded] {
        if (guarded)
            guarded->verifyGameFiles();
    };
    model->actions().checkLauncherVersion = launcherCheck(window, model, urls);
    model->actions().moveCollaborators = [guarded] {
        return moveCollaborators(guarded);
    };
    model->actions().moved = [guarded] {
        if (guarded)
            guarded->refreshMainButton();
    };
    return [dialog]() -> QWidget * {
        return *dialog && (*dialog)->isVisible() ? dialog->data() : nullptr;
    };
}
