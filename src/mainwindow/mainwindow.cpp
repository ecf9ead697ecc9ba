#include "mainwindow/mainwindow.h"

#include "api/servicereach.h"
#include "app/kvapplication.h"
#include "app/later.h"
#include "app/launcherconfig.h"
#include "app/qmlcommonconfigs.h"
#include "download/kvdownloadtaskmanager.h"
#include "extract/ziplibmanager.h"
#include "home/homecontentpanel.h"
#include "home/homeview.h"
#include "home/movielabel.h"
#include "home/notificationview.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "launch/gamelauncher.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/installdisplay.h"
#include "mainwindow/logoreset.h"
#include "mainwindow/playsettingpopup.h"
#include "mainwindow/promptpresenter.h"
#include "mainwindow/traymenu.h"
#include "mainwindow/uiresources.h"
#include "mainwindow/verifyflow.h"
#include "mainwindow/verifypage.h"
#include "settings/dialogparts.h"
#include "settings/settingcommondialog.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "update/appinstallplugin.h"
#include "widgets/keyboardfocus.h"
#include "widgets/shadeoverlay.h"
#include "widgets/trianglewidget.h"
#include "widgets/windowcover.h"

#include <QApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

const auto makeButton = &InstallDisplay::makeButton;
const auto makeLabel = &InstallDisplay::makeLabel;

} // namespace

MainWindow::MainWindow(Collaborators collaborators, QWidget *parent)
    : BaseWidget(parent)
    , m_collaborators(std::move(collaborators))
    , m_session(m_collaborators.session)
{
    // Without a session the install display stays idle (windows that only
    // show the frame and the home page); a session nobody owns goes with the window.
    if (!m_session)
        m_session = new InstallSession({}, this);
    if (!m_session->parent())
        m_session->setParent(this);
    setObjectName(QStringLiteral("KVMainWindow"));
    setFixedSize(1280, 720);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    // The window is opaque on purpose: over a translucent (ARGB) main window,
    // X11 window managers without a compositor never show the translucent
    // dialogs laid over it, and the window would sit behind an invisible modal.

    KeyboardFocus::install();
    KeyboardFocus::readInOrder(this);
    buildFrame();
    m_playSetting = new PlaySettingPopup(this);
    m_playPopup = m_playSetting->popup();
    connect(m_playSetting, &PlaySettingPopup::clearRequested, this, &MainWindow::askToClearResources);
    connect(m_playSetting, &PlaySettingPopup::checkRequested, this, [this] {
        if (m_session->plugin())
            m_session->plugin()->checkVersionWithPrompt(false);
    });
    m_verify = new VerifyFlow(this);
    connect(m_playSetting, &PlaySettingPopup::verifyRequested, m_verify, &VerifyFlow::start);
    m_verify->setVersionInfo([this] {
        return m_session && m_session->plugin() ? m_session->plugin()->gameVersionInfo() : GameVersionInfo();
    });
    // The existing clearing; the display then offers the install again.
    m_verify->setReinstall([this] { later(this, [this] { showDeleteGameResourceDialog(true); }); });
    m_verify->setGameRunning(
        [this] { return m_gameLauncher && (m_gameLauncher->isGameRunning() || m_gameLauncher->isWatching()); });
    m_display
        = std::make_unique<InstallDisplay>(this, m_titleLogo, m_playSetting->widget(), m_collaborators.languageIndex);

    qApp->setStyleSheet(launcherStyleSheet(QmlCommonConfigs::instance()->fontFamily()));
    addDragArea(m_titleWidget);
    applyEditionLook();

    // The home links at the right edge, between the title bar and the install display.
    auto *homeView = new HomeView(m_collaborators.launcherType, this);
    homeView->setGeometry(width() - 500, 58, 500, height() - 180);
    homeView->show();

    track(QStringLiteral("launcher_open"), {});
    if (m_collaborators.conversion)
        m_collaborators.conversion(QStringLiteral("launcher_open"));

    m_gameLauncher = new GameLauncher(this);
    connect(m_gameLauncher, &GameLauncher::gameEnded, this, [this] { bringForward(this); });
    wireInstallDisplay();
    wireWindowParts();
}

MainWindow::~MainWindow()
{
    if (!m_session)
        return;
    m_session->disconnect(this);
    // Before the session, which is a child too: an open question is dismissed.
    delete m_prompts;
}

void MainWindow::wireInstallDisplay()
{
    InstallSession *session = m_session;
    InstallDisplay *display = m_display.get();
    connect(display->playButton(), &QPushButton::clicked, this, &MainWindow::launchGame);
    connect(display->installButton(), &QPushButton::clicked, session, &InstallSession::install);
    connect(display->updateButton(), &QPushButton::clicked, session, &InstallSession::updateNow);
    connect(display->unzipButton(), &QPushButton::clicked, session, &InstallSession::extract);
    connect(display->stopButton(), &QPushButton::clicked, session, &InstallSession::pause);
    connect(display->resumeButton(), &QPushButton::clicked, session, &InstallSession::resume);

    connect(session, &InstallSession::stateChanged, this, [this](State state) {
        m_display->render(state);
        emit stateChanged(state);
    });
    connect(session, &InstallSession::progressReset, this, [display] { display->resetProgress(); });
    connect(session, &InstallSession::connecting, this, [display](bool fresh) { display->showConnecting(fresh); });
    connect(session, &InstallSession::downloadProgress, this,
        [display](const KorvaneObject::DownloadingInfo &info) { display->showProgress(info); });
    connect(session, &InstallSession::pausedProgress, this,
        [display](const KorvaneObject::DownloadingInfo &saved) { display->showPaused(saved); });
    connect(session, &InstallSession::downloadComplete, this,
        [display](const QString &total) { display->showComplete(total); });
    connect(
        session, &InstallSession::extractProgress, this, [display](double share) { display->showExtractShare(share); });
    connect(session, &InstallSession::archivesInstalling, this, [display](int installed, int count, bool extracting) {
        display->showArchivesInstalling(installed, count, extracting);
    });
    connect(session, &InstallSession::locationWanted, this, &MainWindow::showDownloadPathSettingDialog);
    connect(session, &InstallSession::versionIsNew, this, &MainWindow::showVersionIsNew);
    connect(session, &InstallSession::playSettingsDone, m_playPopup, &QWidget::hide);
    connect(session, &InstallSession::quitRequested, this, &MainWindow::quitRequested);
    m_display->render(session->state());
    m_prompts = new PromptPresenter(this, session);
    wireVerifyDisplay();
}

void MainWindow::wireVerifyDisplay()
{
    InstallDisplay *display = m_display.get();
    VerifyPage *page = display->verifyPage();
    connect(m_verify, &VerifyFlow::workStarted, this, [this, display, page](bool repairing) {
        m_playPopup->hide();
        page->begin(repairing);
        display->showVerifying(true);
    });
    connect(m_verify, &VerifyFlow::workEnded, this, [display] { display->showVerifying(false); });
    connect(m_verify, &VerifyFlow::checkProgress, this, [page](const VerifyProgress &p) { page->showCheck(p); });
    connect(m_verify, &VerifyFlow::repairProgress, this,
        [page](const QString &phase, qint64 done, qint64 total) { page->showRepair(phase, done, total); });
    connect(m_verify, &VerifyFlow::pausedChanged, this, [page](bool paused) { page->setPaused(paused); });
    connect(page->pauseButton(), &QPushButton::clicked, m_verify, &VerifyFlow::pause);
    connect(page->resumeButton(), &QPushButton::clicked, m_verify, &VerifyFlow::resume);
    connect(page->cancelButton(), &QPushButton::clicked, m_verify, &VerifyFlow::cancel);
}

void MainWindow::wireWindowParts()
{
    m_tray = new TrayMenu(this);
    m_closeBehaviour = new CloseBehaviour(this, m_session, m_collaborators.trayAvailable);
    connect(this, &MainWindow::closeRequested, m_closeBehaviour, &CloseBehaviour::onCloseRequested);
    connect(m_tray, &TrayMenu::closeRequested, m_closeBehaviour, &CloseBehaviour::onQuitRequested);
    connect(m_closeBehaviour, &CloseBehaviour::quitConfirmed, this, &MainWindow::quitRequested);
    if (m_session->plugin())
        m_updatePrompt = new GameUpdatePrompt(m_session->plugin(), this);
    LogoReset::Collaborators reset;
    reset.window = this;
    reset.database = m_collaborators.home.database;
    reset.busy = [this] {
        return isInstallIng();
    };
    m_logoReset = new LogoReset(std::move(reset), this);
    connect(m_textLogo, &QPushButton::clicked, m_logoReset, &LogoReset::click);
    HomeWiring::Parts parts;
    parts.window = this;
    parts.posterStatic = m_posterStaticLabel;
    parts.video = m_posterLabel;
    parts.playPopup = m_playPopup;
    parts.applyEditionLook = [this] {
        applyEditionLook();
    };
    parts.versionCheck = [this] {
        runVersionCheck();
    };
    m_home = new HomeWiring(m_collaborators.home, std::move(parts), this);
    m_home->start();
    // The home page's banners, news and event page come from the same plug-in.
    if (m_collaborators.home.appPlugin) {
        HomeContentPanel::Settings content = HomeContentPanel::Settings::forEdition(
            m_collaborators.launcherType, KVApplication::instance()->runningType());
        if (!m_collaborators.newsBase.isEmpty())
            content.newsUrl = m_collaborators.newsBase + Appinstallplugin::newsQueryPath();
        auto *home = new HomeContentPanel(this, m_collaborators.home.appPlugin, content);
        home->requestContent();
        wireOfflineLine(home);
    } else {
        wireOfflineLine(nullptr);
    }
}

void MainWindow::wireOfflineLine(HomeContentPanel *home)
{
    GameInstallPlugin *plugin = m_session ? m_session->plugin() : nullptr;
    if (!plugin)
        return;
    m_offlineLine = new QLabel(this);
    m_offlineLine->setObjectName(QStringLiteral("label_offline"));
    m_offlineLine->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: rgba(0, 0, 0, 150); border-radius: 4px; padding: 4px 10px; }"));
    m_offlineLine->move(24, 56);
    m_offlineLine->hide();
    ServiceReach::Collaborators reach;
    // The version query, whatever its time limit; nothing while an install runs.
    reach.probe = [this] {
        runVersionCheck(true);
    };
    m_serviceReach = new ServiceReach(std::move(reach), this);
    ServiceReach *serviceReach = m_serviceReach;
    connect(plugin, &GameInstallPlugin::serviceReached, serviceReach,
        [serviceReach](bool answered) { answered ? serviceReach->answered() : serviceReach->failed(); });
    connect(serviceReach, &ServiceReach::changed, this, &MainWindow::showOfflineLine);
    connect(serviceReach, &ServiceReach::back, this, [this, home] {
        m_home->servicesBack();
        if (home)
            home->requestContent();
    });
}

void MainWindow::showOfflineLine()
{
    if (!m_serviceReach->away()) {
        m_offlineLine->hide();
        return;
    }
    m_offlineLine->setText(tr("label_offlineRetrying").arg(std::max(1, m_serviceReach->secondsLeft())));
    m_offlineLine->adjustSize();
    m_offlineLine->raise();
    m_offlineLine->show();
}

void MainWindow::stopWork()
{
    m_gameLauncher->stopWatch();
    if (m_session)
        m_session->stopWork();
}

void MainWindow::showEvent(QShowEvent *event)
{
    BaseWidget::showEvent(event);
    // The install display stays idle until the version query answers: the
    // checks run at once, then every minute while the window is not hidden.
    if (m_home)
        m_home->windowShown();
}

void MainWindow::hideEvent(QHideEvent *event)
{
    BaseWidget::hideEvent(event);
    if (m_home && !event->spontaneous()) // minimising is not hiding
        m_home->windowHidden();
}

void MainWindow::changeEvent(QEvent *event)
{
    BaseWidget::changeEvent(event);
    if (m_home && event->type() == QEvent::ActivationChange)
        m_home->activationChanged();
}

void MainWindow::buildFrame()
{
    m_bgWidget = new QWidget(this);
    m_bgWidget->setObjectName(QStringLiteral("bg_widget"));
    m_bgWidget->setGeometry(rect());
    m_bgWidget->setAttribute(Qt::WA_StyledBackground);
    m_posterStaticLabel = makeLabel(QStringLiteral("posterStaticLabel"), QString(), m_bgWidget);
    m_posterStaticLabel->setFixedSize(1280, 720);
    m_posterLabel = new MovieLabel(m_collaborators.home.database, m_bgWidget);
    m_posterLabel->setObjectName(QStringLiteral("posterLabel"));
    m_posterLabel->setGeometry(rect());
    m_posterLabel->hide();
    auto *shadow = new ShadeOverlay(m_bgWidget);
    shadow->setObjectName(QStringLiteral("shadow_widget"));
    shadow->setGeometry(rect());

    m_titleWidget = new QWidget(this);
    m_titleWidget->setObjectName(QStringLiteral("titleWidget"));
    m_titleWidget->setGeometry(0, 0, width(), 56);
    auto *title = new QHBoxLayout(m_titleWidget);
    title->setSpacing(12);
    title->setContentsMargins(14, 0, 24, 0);
    m_titleLogo = makeButton(QStringLiteral("pushButton_titlelogo"), m_titleWidget, QRect(0, 0, 28, 28));
    m_titleLogo->setFixedSize(28, 28);
    m_titleLogo->setAccessibleName(tr("game_title"));
    m_titleLogo->setFocusPolicy(Qt::NoFocus);
    m_titleLogo->hide();
    auto *titleText = makeLabel(QStringLiteral("title_text"), tr("game_title"), m_titleWidget);
    titleText->hide();
    auto *setting = makeButton(QStringLiteral("pushButton_setting"), m_titleWidget, QRect(0, 0, 36, 36));
    setting->setFixedSize(36, 36);
    setting->setAccessibleName(tr("accessible_settings"));
    auto *minimise = makeButton(QStringLiteral("pushButton_min"), m_titleWidget, QRect(0, 0, 36, 36));
    minimise->setFixedSize(36, 36);
    minimise->setToolTip(tr("MinToolTip"));
    minimise->setAccessibleName(tr("MinToolTip"));
    auto *close = makeButton(QStringLiteral("pushButton_close"), m_titleWidget, QRect(0, 0, 36, 36));
    close->setFixedSize(36, 36);
    close->setToolTip(tr("CloseToolTip"));
    close->setAccessibleName(tr("CloseToolTip"));
    title->addWidget(m_titleLogo);
    title->addWidget(titleText);
    title->addStretch();
    title->addWidget(setting);
    title->addWidget(minimise);
    title->addWidget(close);
    connect(minimise, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(setting, &QPushButton::clicked, this, [this] {
        // Nor while the game files are checked or repaired: they would go from under it.
        emit settingsRequested(!isInstallIng() && !m_verify->isRunning() && !m_gameLauncher->isGameRunning());
    });
    connect(close, &QPushButton::clicked, this, &MainWindow::closeRequested);

    m_textLogo = makeButton(QStringLiteral("textlogo_button"), this, QRect(12, 12, 190, 76));
    // The logo only hides the launcher's reset: named, but not a stop of the keyboard.
    m_textLogo->setAccessibleName(tr("game_title"));
    m_textLogo->setFocusPolicy(Qt::NoFocus);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_home && watched == this && event->type() == QEvent::WindowActivate)
        m_home->windowActivated();
    return BaseWidget::eventFilter(watched, event);
}

void MainWindow::askToClearResources()
{
    WarningDialogwithDoublebutton::ask(tr("clearAllDownloadResource"), this, this,
        [this] { later(this, [this] { showDeleteGameResourceDialog(); }); });
}

void MainWindow::showVersionIsNew(const QString &version)
{
    m_playPopup->hide();
    auto *dialog = new SettingCommonDialog(this, Qt::Dialog | Qt::FramelessWindowHint,
        tr("Current version:%1").arg(version) + QStringLiteral("\n\n") + tr("You have updated to the latest Version."));
    WindowCover::paintBeneath(dialog, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setCallbacks({}, [] {});
    dialog->coverWholeWindow();
    dialog->move(pos());
    dialog->show();
}

void MainWindow::applyEditionLook()
{
    static const struct
    {
        QSize logo;
        const char *logoRule;
        const char *background;
    } looks[] = {
        {{190, 76}, "background: transparent; border: none; image: url(:/mainwindow/cn_textlogo_white);",
            ":/mainwindow/mainwindow_cn"},
        {{180, 54}, "border-image: url(:/mainwindow/textlogo);", ":/mainwindow/mainwindow_en"},
        {{270, 60}, "border-image: url(:/mainwindow/textjplogo);", ":/mainwindow/mainwindow_jp"},
        {{270, 60}, "border-image: url(:/mainwindow/textkrlogo);", ":/mainwindow/mainwindow_kr"},
    };
    const int type = qBound(0, m_collaborators.launcherType, 3);
    const auto &look = looks[type];
    m_textLogo->setFixedSize(look.logo);
    m_textLogo->setStyleSheet(QStringLiteral("#textlogo_button { %1 }").arg(QLatin1String(look.logoRule)));
    if (type != 0)
        m_textLogo->move(24, 24);
    m_bgWidget->setStyleSheet(
        QStringLiteral("#bg_widget { border-image: url(%1); }").arg(QLatin1String(look.background)));
}

WarningDialogWithSingleButton *MainWindow::noticeDialog() const
{
    return m_prompts ? m_prompts->notice() : nullptr;
}

QDialog *MainWindow::promptDialog() const
{
    return m_prompts ? m_prompts->dialog() : nullptr;
}

void MainWindow::showDownloadPathSettingDialog()
{
    if (!m_pathDialog) {
        DownloadPathSettingDialog::Collaborators c;
        c.versionInfo = [this] {
            return m_session->versionInfo();
        };
        c.freeSpace = [this](const QString &path) {
            return m_session->freeSpace(path);
        };
        m_pathDialog = new DownloadPathSettingDialog(std::move(c), this, Qt::Dialog | Qt::FramelessWindowHint);
        m_pathDialog->setAutoFillBackground(true);
        m_pathDialog->setModal(true);
        connect(m_pathDialog, &DownloadPathSettingDialog::dialogConfirm, this,
            [this] { later(this, [this] { m_session->locationConfirmed(); }); });
    }
    m_pathDialog->setGeometry(geometry());
    m_pathDialog->show();
    m_pathDialog->raise();
}

void MainWindow::showDeleteGameResourceDialog(bool installAfter)
{
    if (m_deleteDialog)
        return;
    const InstallSession::Clearing clearing = m_session->clearing();
    DeleteGameResourceDialog::Request request;
    request.installDir = clearing.installDir;
    request.launcherRecorded = clearing.launcherRecorded;
    // Files of a running game must not go from under it.
    request.gameRunning = m_gameLauncher->isGameRunning() || m_gameLauncher->isWatching();
    request.busy = clearing.installRuns || request.gameRunning;
    m_deleteDialog = new DeleteGameResourceDialog(request, this, Qt::Dialog | Qt::FramelessWindowHint);
    m_deleteDialog->setAttribute(Qt::WA_DeleteOnClose);
    // Escape only hides a dialog: it goes all the same, so that clearing can be asked again.
    connect(m_deleteDialog, &QDialog::finished, m_deleteDialog, &QObject::deleteLater);
    // However the finished dialog is left (its button, Escape, the window
    // closing), the game is gone once the deletion has ended.
    // Installing again waits for both the deletion and the player's leaving
    // its notice, so that the location question is not hidden beneath it.
    auto awaited = std::make_shared<int>(installAfter ? 2 : 0);
    const auto stepTowardsInstall = [this, awaited] {
        if (*awaited > 0 && --*awaited == 0)
            m_session->installOnceKnown();
    };
    connect(m_deleteDialog, &QDialog::finished, this, stepTowardsInstall);
    connect(m_deleteDialog, &DeleteGameResourceDialog::deletionDone, this, [this, stepTowardsInstall] {
        m_session->resourcesCleared();
        emit resourcesCleared();
        stepTowardsInstall();
    });
    m_deleteDialog->show();
}

void MainWindow::launchGame()
{
    QString error;
    if (!m_gameLauncher->launch(&error)) {
        m_session->notify(error);
        return;
    }
    track(QStringLiteral("launcher_playgame"),
        {{QStringLiteral("gameVersion"),
            LauncherConfig::instance()->registryValue(QStringLiteral("game_exe_install_version"))}});
    emit playRequested();
    // Out of the way while the game runs, where the player can find it again.
    m_closeBehaviour->hideWindow();
    NotificationView::closeOpenAlerts();
}

void MainWindow::track(const QString &event, const QVariantMap &properties) const
{
    if (m_collaborators.track)
        m_collaborators.track(event, properties);
}

void MainWindow::verifyGameFiles()
{
    m_verify->start();
}

void MainWindow::checkGameFilesWhenReady()
{
    // Armed until the game is recorded as installed whole (an interrupted update resumed
    // and finished) and nothing installs, then once: a check against the version an
    // unfinished update is replacing would take the update's own files for damage.
    auto *armed = new QObject(this);
    const auto runWhenReady = [this, armed] {
        if (!m_session || (m_session->state() != State::Play && m_session->state() != State::Update)
            || m_session->isInstalling() || GameFiles::instance()->status() != InstallStatus::Installed)
            return;
        armed->deleteLater();
        disconnect(m_session, &InstallSession::stateChanged, armed, nullptr);
        GameFiles *files = GameFiles::instance();
        m_verify->checkAtStart(files->installDir(), InstallManifest::pathOf(files->installedVersion()));
    };
    if (m_session)
        connect(m_session, &InstallSession::stateChanged, armed, runWhenReady);
    runWhenReady();
}
