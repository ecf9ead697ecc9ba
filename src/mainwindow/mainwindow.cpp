#include "mainwindow/mainwindow.h"

#include "app/appdir.h"
#include "app/fileutil.h"
#include "app/kvapplication.h"
#include "app/later.h"
#include "app/launcherconfig.h"
#include "app/qmlcommonconfigs.h"
#include "app/texts.h"
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
#include "mainwindow/deletegameresourcedialog.h"
#include "mainwindow/downloadpathsettingdialog.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/logoreset.h"
#include "mainwindow/traymenu.h"
#include "mainwindow/uiresources.h"
#include "settings/dialogparts.h"
#include "settings/settingcommondialog.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "widgets/shadeoverlay.h"
#include "widgets/trianglewidget.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Pages of "stackedWidget".
enum Page { PlayPage = 0, DownloadPage = 1, UpdatePage = 2, InstallPage = 3, GetGamePage = 4, NeedUnzipPage = 5 };

// Extraction needs this much free space, in parts of the package size.
constexpr double kExtractRoom = 1.3;

const char *const kLangByIndex[] = {"zh_CN", "en_US", "jp_JP", "kor_KOR", "gt_GT"};

QPushButton *makeButton(const QString &name, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

MainWindow::MainWindow(Collaborators collaborators, QWidget *parent)
    : BaseWidget(parent)
    , m_collaborators(std::move(collaborators))
    , m_plugin(m_collaborators.installPlugin)
{
    setObjectName(QStringLiteral("KVMainWindow"));
    setFixedSize(1280, 720);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    setAttribute(Qt::WA_TranslucentBackground);

    buildFrame();
    buildInstallDisplay();

    qApp->setStyleSheet(launcherStyleSheet(QmlCommonConfigs::instance()->fontFamily()));
    addDragArea(m_titleWidget);
    applyEditionLook();

    m_fadeIn = new QParallelAnimationGroup(this);
    for (QWidget *widget : std::initializer_list<QWidget *> {
             m_process, m_fileSizeText, m_progressBar, m_downloadSpeed, m_timeText, m_stopButton}) {
        auto *effect = new QGraphicsOpacityEffect(widget);
        effect->setOpacity(1.0);
        widget->setGraphicsEffect(effect);
        auto *fade = new QPropertyAnimation(effect, "opacity", m_fadeIn);
        fade->setDuration(150);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        m_fadeIn->addAnimation(fade);
    }

    // The home links at the right edge, between the title bar and the install display.
    auto *homeView = new HomeView(m_collaborators.launcherType, this);
    homeView->setGeometry(width() - 500, 58, 500, height() - 180);
    homeView->show();

    m_stack->hide();
    m_playButton->hide();
    m_playSetting->hide();
    track(QStringLiteral("launcher_open"), {});
    if (m_collaborators.conversion)
        m_collaborators.conversion(QStringLiteral("launcher_open"));

    m_gameLauncher = new GameLauncher(this);
    connect(m_gameLauncher, &GameLauncher::gameEnded, this, [this] { bringForward(this); });
    connect(m_playButton, &QPushButton::clicked, this, &MainWindow::launchGame);
    connect(m_installButton, &QPushButton::clicked, this, [this] {
        const GameVersionInfo info = versionInfo();
        qInfo().noquote() << QStringLiteral("latestGameVersion : %1").arg(info.latestVersion);
        if (info.isUnusable()) {
            showNotice(tr("CannotgetVersionInfo"), NoticeOnly);
            runVersionCheck(true);
            return;
        }
        showDownloadPathSettingDialog();
    });
    connect(m_updateButton, &QPushButton::clicked, this, &MainWindow::updateGameNow);
    connect(m_unzipButton, &QPushButton::clicked, this, &MainWindow::startExtract);
    connect(m_stopButton, &QPushButton::clicked, this, [this] {
        if (!m_engine)
            engineFor(0);
        m_engine->stopDownload();
    });
    connect(m_resumeButton, &QPushButton::clicked, this, [this] {
        showDownloadPage();
        startDownload();
    });
    connectPlugin();

    m_tray = new TrayMenu(this);
    m_closeBehaviour = new CloseBehaviour(this, m_collaborators.trayAvailable);
    connect(this, &MainWindow::closeRequested, m_closeBehaviour, &CloseBehaviour::onCloseRequested);
    connect(m_tray, &TrayMenu::closeRequested, m_closeBehaviour, &CloseBehaviour::onQuitRequested);
    connect(m_closeBehaviour, &CloseBehaviour::quitConfirmed, this, &MainWindow::quitRequested);
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
        auto *home = new HomeContentPanel(this, m_collaborators.home.appPlugin,
            HomeContentPanel::Settings::forEdition(
                m_collaborators.launcherType, KVApplication::instance()->runningType()));
        home->requestContent();
    }
}

MainWindow::~MainWindow()
{
    // The engine and the extraction manager are children; their workers stop with them.
    if (m_extractor)
        m_extractor->disconnect(this);
    if (m_engine)
        m_engine->disconnect(this);
}

void MainWindow::stopWork()
{
    m_gameLauncher->stopWatch();
    if (m_engine) {
        m_engine->disconnect(this);
        m_engine->stopDownload();
    }
    if (m_extractor) {
        m_extractor->disconnect(this);
        m_extractor->cancelExtract();
    }
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
    m_titleLogo->hide();
    auto *titleText = makeLabel(QStringLiteral("title_text"), tr("game_title"), m_titleWidget);
    titleText->hide();
    auto *setting = makeButton(QStringLiteral("pushButton_setting"), m_titleWidget, QRect(0, 0, 36, 36));
    setting->setFixedSize(36, 36);
    auto *minimise = makeButton(QStringLiteral("pushButton_min"), m_titleWidget, QRect(0, 0, 36, 36));
    minimise->setFixedSize(36, 36);
    minimise->setToolTip(tr("MinToolTip"));
    auto *close = makeButton(QStringLiteral("pushButton_close"), m_titleWidget, QRect(0, 0, 36, 36));
    close->setFixedSize(36, 36);
    close->setToolTip(tr("CloseToolTip"));
    title->addWidget(m_titleLogo);
    title->addWidget(titleText);
    title->addStretch();
    title->addWidget(setting);
    title->addWidget(minimise);
    title->addWidget(close);
    connect(minimise, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(setting, &QPushButton::clicked, this, [this] { emit settingsRequested(!isInstallIng()); });
    connect(close, &QPushButton::clicked, this, &MainWindow::closeRequested);

    m_textLogo = makeButton(QStringLiteral("textlogo_button"), this, QRect(12, 12, 190, 76));
}

void MainWindow::buildInstallDisplay()
{
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_stack->setGeometry(718, 576, 562, 144);

    auto *play = new QWidget(m_stack);
    play->setObjectName(QStringLiteral("play_page0"));
    m_stack->addWidget(play);

    auto *download = new QWidget(m_stack);
    download->setObjectName(QStringLiteral("download_page_1"));
    auto *column = new QWidget(download);
    column->setGeometry(30, 22, 460, 100);
    m_downloadStatus = makeLabel(QStringLiteral("label_downloadstatus"), tr("label_downloadstatus"), column);
    m_fileSizeText = makeLabel(QStringLiteral("label_fileSizeText"), QString(), column);
    m_process = makeLabel(QStringLiteral("label_process"), QString(), column);
    m_progressBar = new QProgressBar(column);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(6);
    m_downloadSpeed = makeLabel(QStringLiteral("label_downloadSpeed"), QString(), column);
    m_timeText = makeLabel(QStringLiteral("label_timeText"), QString(), column);
    auto *rows = new QVBoxLayout(column);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(6);
    auto *top = new QHBoxLayout;
    top->addWidget(m_downloadStatus);
    top->addWidget(m_fileSizeText);
    top->addStretch();
    top->addWidget(m_process);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_downloadSpeed);
    bottom->addStretch();
    bottom->addWidget(m_timeText);
    rows->addLayout(top);
    rows->addWidget(m_progressBar);
    rows->addLayout(bottom);
    rows->addStretch();
    m_buttonStack = new QStackedWidget(download);
    m_buttonStack->setObjectName(QStringLiteral("stackedWidget_button"));
    m_buttonStack->setGeometry(490, 36, 51, 51);
    m_stopButton = makeButton(QStringLiteral("pushButton_stop"), m_buttonStack, QRect(0, 0, 51, 51));
    m_resumeButton = makeButton(QStringLiteral("pushButton_play"), m_buttonStack, QRect(0, 0, 51, 51));
    m_buttonStack->addWidget(m_stopButton);
    m_buttonStack->addWidget(m_resumeButton);
    m_stack->addWidget(download);

    auto *update = new QWidget(m_stack);
    update->setObjectName(QStringLiteral("update_page_2"));
    m_updateButton = makeButton(QStringLiteral("pushButton_update"), update, QRect(167, 42, 283, 81));
    m_stack->addWidget(update);

    auto *install = new QWidget(m_stack);
    install->setObjectName(QStringLiteral("install_page_3"));
    auto *zipColumn = new QWidget(install);
    zipColumn->setGeometry(30, 40, 460, 60);
    m_zipProcess = makeLabel(QStringLiteral("label_process_zip"), QString(), zipColumn);
    m_zipBar = new QProgressBar(zipColumn);
    m_zipBar->setObjectName(QStringLiteral("progressBar_zip"));
    m_zipBar->setTextVisible(false);
    m_zipBar->setFixedHeight(7);
    auto *zipRows = new QVBoxLayout(zipColumn);
    zipRows->setContentsMargins(0, 0, 0, 0);
    zipRows->addWidget(m_zipProcess);
    zipRows->addWidget(m_zipBar);
    zipRows->addStretch();
    m_stack->addWidget(install);

    auto *getGame = new QWidget(m_stack);
    getGame->setObjectName(QStringLiteral("getGame_page_4"));
    m_installButton = makeButton(QStringLiteral("pushButton_install"), getGame, QRect(168, 42, 283, 81));
    m_stack->addWidget(getGame);

    auto *needUnzip = new QWidget(m_stack);
    needUnzip->setObjectName(QStringLiteral("needunzip_page_5"));
    m_unzipButton = makeButton(QStringLiteral("pushButton_needToUnzip"), needUnzip, QRect(167, 42, 283, 81));
    m_stack->addWidget(needUnzip);

    m_playButton = makeButton(QStringLiteral("pushButton_playgame"), this, QRect(885, 618, 283, 81));

    // The play-settings pop-up's button beside the play button; the home
    // page wiring gives it its pop-up.
    m_playSetting = new QWidget(this);
    m_playSetting->setObjectName(QStringLiteral("PlaybuttonSettingWidget"));
    m_playSetting->setGeometry(1155, 617, 70, 80);
    m_playSettingButton = makeButton(QStringLiteral("pushButton_playsetting"), m_playSetting, QRect(0, 0, 70, 77));
    m_playSettingButton->installEventFilter(this);
    buildPlaySettingPopup();

    const int index = qBound(0, m_collaborators.languageIndex, 4);
    for (QPushButton *button : {m_installButton, m_playButton, m_updateButton, m_unzipButton})
        button->setProperty("lang", QLatin1String(kLangByIndex[index]));
}

void MainWindow::buildPlaySettingPopup()
{
    m_playPopup = new TriangleWidget(this);
    m_playPopup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_playPopup->setAttribute(Qt::WA_TranslucentBackground);
    m_playPopup->setFixedSize(128, 75);
    // Room for the longer translations ("リソース削除").
    m_playPopup->buttonLayout()->setContentsMargins(3, 0, 6, 10);
    const struct
    {
        const char *name;
        const char *key;
    } entries[]
        = {{"pushButton_cleared", QT_TR_NOOP("cleared")}, {"pushButton_checkUpddate", QT_TR_NOOP("checkUpddate")}};
    for (const auto &entry : entries) {
        auto *button = new QPushButton(tr(entry.key), m_playPopup);
        button->setObjectName(QLatin1String(entry.name));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QPushButton { color: #333333; font-size: 12px; text-align: left;"
                                             " border: none; padding: 2px 4px; }"
                                             "QPushButton:hover { color: #C66030; }"));
        m_playPopup->buttonLayout()->addWidget(button);
        connect(button, &QPushButton::clicked, m_playPopup, &QWidget::hide);
    }
    connect(m_playPopup->findChild<QPushButton *>(QStringLiteral("pushButton_cleared")), &QPushButton::clicked, this,
        &MainWindow::askToClearResources);
    connect(m_playPopup->findChild<QPushButton *>(QStringLiteral("pushButton_checkUpddate")), &QPushButton::clicked,
        this, [this] {
            if (m_plugin)
                m_plugin->checkVersionWithPrompt(false);
        });
    m_popupHideTimer = new QTimer(this);
    m_popupHideTimer->setSingleShot(true);
    m_popupHideTimer->setInterval(100);
    connect(m_popupHideTimer, &QTimer::timeout, m_playPopup, &QWidget::hide);
    connect(m_playPopup, &TriangleWidget::mouseEntered, m_popupHideTimer, &QTimer::stop);
    connect(m_playPopup, &TriangleWidget::mouseLeft, m_popupHideTimer, qOverload<>(&QTimer::start));
    m_playPopup->hide();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_home && watched == this && event->type() == QEvent::WindowActivate)
        m_home->windowActivated();
    if (watched == m_playSettingButton && m_playPopup) {
        if (event->type() == QEvent::Enter) {
            m_popupHideTimer->stop();
            // 67 px left of and 68 px above the button's corner: the pop-up's
            // pointer then points down at the button.
            m_playPopup->move(
                m_playSetting->mapToGlobal(QPoint(3 - m_playSetting->width(), 12 - m_playSetting->height())));
            m_playPopup->show();
            m_playPopup->raise();
        } else if (event->type() == QEvent::Leave) {
            m_popupHideTimer->start();
        }
    }
    return BaseWidget::eventFilter(watched, event);
}

void MainWindow::askToClearResources()
{
    auto *question = new WarningDialogwithDoublebutton(tr("clearAllDownloadResource"), this);
    DialogParts::coverWindow(question);
    question->setConfirmText(tr("Confirm"));
    question->setCancelText(tr("Cancel"));
    question->setModal(true);
    connect(question, &WarningDialogwithDoublebutton::dialogConfirm, this,
        [this] { later(this, [this] { showDeleteGameResourceDialog(); }); });
    question->show();
}

void MainWindow::showVersionIsNew(const QString &version)
{
    m_playPopup->hide();
    auto *dialog = new SettingCommonDialog(this, Qt::Dialog | Qt::FramelessWindowHint,
        tr("Current version:%1").arg(version) + QStringLiteral("\n\n") + tr("You have updated to the latest Version."));
    dialog->setAttribute(Qt::WA_TranslucentBackground);
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

void MainWindow::connectPlugin()
{
    if (!m_plugin)
        return;
    connect(m_plugin, &GameInstallPlugin::needToDownload, this,
        [this](const GameVersionInfo &) { later(this, [this] { showChooseDownloadDirUI(); }); });
    connect(m_plugin, &GameInstallPlugin::networkError, this,
        [this](const QString &) { later(this, [this] { onNetworkError(); }); });
    connect(m_plugin, &GameInstallPlugin::versionQueryFailed, this, [this] {
        later(this, [this] {
            // Before any answer the display would stay empty: show what the
            // disk allows (play an installed game, or get it and so retry).
            if (m_state == State::Idle)
                onNetworkError();
        });
    });
    connect(m_plugin, &GameInstallPlugin::needToUpdate, this,
        [this](const GameVersionInfo &) { later(this, [this] { showUpdateButton(); }); });
    connect(m_plugin, &GameInstallPlugin::installed, this, [this] { later(this, [this] { showPlay(); }); });
    connect(m_plugin, &GameInstallPlugin::gameoffline, this,
        [this](const QString &message) { later(this, [this, message] { showNotice(message, NoticeOnly); }); });
    connect(m_plugin, &GameInstallPlugin::downloading, this, [this](const KorvaneObject::DownloadingInfo &info) {
        later(this, [this, info] { onDownloadingReported(info); });
    });
    connect(m_plugin, &GameInstallPlugin::needToUnzip, this, [this] {
        later(this, [this] {
            m_stack->setCurrentIndex(NeedUnzipPage);
            qDebug("needToUnzip stackedWidget->currentIndex(): %d", m_stack->currentIndex());
            m_stack->show();
            m_playButton->hide();
            m_playSetting->hide();
            setState(State::NeedUnzip);
        });
    });
    connect(m_plugin, &GameInstallPlugin::versionIsNew, this,
        [this](const QString &version) { later(this, [this, version] { showVersionIsNew(version); }); });
    connect(m_plugin, &GameInstallPlugin::updateNewVersionNow, this, [this] {
        later(this, [this] {
            m_playPopup->hide();
            // Without any version on record there is no install folder yet: choose one first.
            if (GameFiles::instance()->targetVersion().isEmpty()) {
                showChooseDownloadDirUI();
                QTimer::singleShot(1, this, &MainWindow::showDownloadPathSettingDialog);
                return;
            }
            updateGameNow();
        });
    });
    m_updatePrompt = new GameUpdatePrompt(m_plugin, this);
}

void MainWindow::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    qDebug() << "Main button state:" << state;
    emit stateChanged(state);
}

GameVersionInfo MainWindow::versionInfo() const
{
    return m_plugin ? m_plugin->gameVersionInfo() : GameVersionInfo();
}

void MainWindow::setGameVersionInfo(const GameVersionInfo &info)
{
    if (m_plugin)
        m_plugin->setGameVersionInfo(info);
}

void MainWindow::runVersionCheck(bool userAsked)
{
    if (isInstallIng() || !m_plugin)
        return;
    if (userAsked)
        m_plugin->requestGameVersionInfoNow();
    else
        m_plugin->requestGameVersionInfo();
}

bool MainWindow::isInstallIng() const
{
    return (m_engine && m_engine->isDownloading()) || (m_extractor && m_extractor->isBusy());
}

void MainWindow::refreshMainButton()
{
    if (isInstallIng())
        return;
    GameFiles *files = GameFiles::instance();
    if (files->status() == InstallStatus::Installed && QFileInfo(files->gameExePath()).isFile())
        showPlay();
    else
        showChooseDownloadDirUI();
}

void MainWindow::onNetworkError()
{
    // Without the update service an installed game is still playable.
    GameFiles *files = GameFiles::instance();
    if (files->status() == InstallStatus::Installed && QFileInfo(files->gameExePath()).isFile()) {
        qInfo("version query failed; the installed game stays playable");
        showPlay();
        return;
    }
    showChooseDownloadDirUI();
}

void MainWindow::showChooseDownloadDirUI()
{
    m_playButton->hide();
    m_playSetting->hide();
    m_stack->setCurrentIndex(GetGamePage);
    m_stack->show();
    setState(State::GetGame);
}

void MainWindow::showUpdateButton()
{
    m_playButton->hide();
    m_playSetting->hide();
    m_stack->setCurrentIndex(UpdatePage);
    m_stack->show();
    setState(State::Update);
}

void MainWindow::showPlay()
{
    m_stack->setCurrentIndex(PlayPage);
    m_stack->show();
    m_playButton->show();
    m_playButton->raise();
    m_playSetting->show();
    m_playSetting->raise();
    setState(State::Play);
}

void MainWindow::showDownloadPage()
{
    m_stack->raise();
    m_playButton->hide();
    m_playSetting->hide();
    m_titleLogo->hide();
    m_stack->setCurrentIndex(DownloadPage);
    m_buttonStack->setCurrentIndex(0);
    m_stack->show();
    setState(State::Downloading);
}

void MainWindow::resetProgressDisplay()
{
    m_progressBar->reset();
    m_process->clear();
    m_fileSizeText->clear();
    m_downloadSpeed->clear();
    m_timeText->clear();
    showDownloadPage();
}

void MainWindow::showPausedDisplay()
{
    const KorvaneObject::DownloadingInfo saved
        = m_plugin ? m_plugin->currentDownloadingInfo() : KorvaneObject::DownloadingInfo();
    if (!saved.totalSize.isEmpty()) {
        m_progressBar->setValue(saved.percent.toInt());
        m_process->setText(QStringLiteral("%1%").arg(m_progressBar->value()));
        m_fileSizeText->setText(tr("label_fileSizeText").arg(saved.downloadedSize, saved.totalSize));
    }
    // Without kept bytes the page is still the paused one, with the resume
    // button: a pause button would belong to a download that is not running.
    m_stack->setCurrentIndex(DownloadPage);
    m_buttonStack->setCurrentIndex(1);
    m_stack->show();
    m_playButton->hide();
    m_playSetting->hide();
    m_downloadSpeed->setText(tr("label_downloadSpeed").arg(QStringLiteral("0 kb")));
    m_timeText->clear();
    m_downloadStatus->setText(tr("label_status_downloadstop"));
    m_downloadStatus->show();
    setState(State::Paused);
}

void MainWindow::onDownloadingReported(const KorvaneObject::DownloadingInfo &info)
{
    showPausedDisplay();
    m_progressBar->setValue(info.percent.toInt());
    m_process->setText(QStringLiteral("%1%").arg(info.percent));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(info.downloadedSize, info.totalSize));
}

void MainWindow::updateGameNow()
{
    // One install at a time: a second start would write the same files.
    if (isInstallIng()) {
        qInfo("updateGameNow refused: a download or an extraction is running");
        return;
    }
    resetProgressDisplay();
    startDownload();
}

DownloadInterface *MainWindow::engineFor(int downloadType)
{
    if (m_engine && m_engineType == downloadType)
        return m_engine;
    // An engine of the other kind cannot serve this record.
    dropEngine();
    m_engine
        = m_collaborators.makeEngine ? m_collaborators.makeEngine(downloadType, this) : new KVDownloadTaskManager(this);
    m_engineType = downloadType;
    connect(
        m_engine, &DownloadInterface::signalStartConnect, this, [this] { later(this, [this] { onStartConnect(); }); });
    connect(m_engine, &DownloadInterface::signalDownloadProcess, this,
        [this](const KorvaneObject::DownloadingInfo &info) { later(this, [this, info] { onDownloadProcess(info); }); });
    connect(m_engine, &DownloadInterface::signalDownloadStop, this, [this] {
        qInfo("DownloadStop---------------");
        later(this, [this] { onDownloadStop(); });
    });
    connect(m_engine, &DownloadInterface::signalReplyFinished, this, [this](int code, const QString &totalSize) {
        later(this, [this, code, totalSize] { onReplyFinished(code, totalSize); });
    });
    connect(m_engine, &DownloadInterface::signalDownloadError, this, &MainWindow::onDownloadError);
    connect(m_engine, &DownloadInterface::signalDirSpaceLimit, this,
        [this](const QString &totalSize) { later(this, [this, totalSize] { onDirSpaceLimit(totalSize); }); });
    return m_engine;
}

void MainWindow::dropEngine()
{
    if (!m_engine)
        return;
    m_engine->disconnect(this);
    m_engine->closeDownload();
    m_engine->deleteLater();
    m_engine = nullptr;
    m_engineType = -1;
}

void MainWindow::startDownload()
{
    if (isInstallIng()) {
        qInfo("startDownload refused: a download or an extraction is running");
        return;
    }
    const GameVersionInfo info = versionInfo();
    DownloadInterface *engine = engineFor(info.downloadType);
    if (m_collaborators.conversion)
        m_collaborators.conversion(QStringLiteral("launcher_downloadgame_start"));
    track(QStringLiteral("launcher_downloadgame_start"),
        {{QStringLiteral("game_version"), info.latestVersion}, {QStringLiteral("game_update_type"), info.updateType}});
    if (info.isUnusable()) {
        showNotice(tr("CannotgetVersionInfo"), NoticeOnly);
        runVersionCheck(true);
        return;
    }
    engine->startDownload(info);
}

void MainWindow::onStartConnect()
{
    if (m_stack->isVisible() && m_stack->currentIndex() == DownloadPage) {
        m_downloadStatus->setText(tr("label_downloadstatus"));
        m_downloadStatus->show();
    } else {
        showDownloadPage();
        m_fileSizeText->clear();
        m_process->setText(QStringLiteral("%1%").arg(m_progressBar->value()));
        m_downloadSpeed->setText(tr("label_downloadSpeed").arg(QStringLiteral("0 kb")));
        m_timeText->clear();
        m_downloadStatus->setText(tr("label_downloadstatus"));
        m_downloadStatus->show();
        m_fadeIn->start();
    }
    m_buttonStack->setCurrentIndex(0);
    setState(State::Downloading);
}

void MainWindow::onDownloadProcess(const KorvaneObject::DownloadingInfo &info)
{
    if (m_state != State::Downloading)
        return; // a record still queued from before a pause
    const int percent = qBound(0, info.percent.toInt(), 100);
    if (m_progressBar->value() != percent)
        m_progressBar->setValue(percent);
    m_process->setText(QStringLiteral("%1%").arg(percent));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(info.downloadedSize, info.totalSize));
    m_downloadSpeed->setText(tr("label_downloadSpeed").arg(info.downloadSpeed));
    m_timeText->setText(tr("label_timeText").arg(info.timeLeft));
    m_downloadStatus->setText(tr("label_status_downloading"));
}

void MainWindow::onDownloadStop()
{
    showPausedDisplay();
}

void MainWindow::onReplyFinished(int code, const QString &totalSize)
{
    if (code == 0)
        return;
    m_downloadRetryCount = 0;
    const GameVersionInfo info = versionInfo();
    track(QStringLiteral("launcher_downloadgame_finish"),
        {{QStringLiteral("result"), QStringLiteral("success")}, {QStringLiteral("game_version"), info.latestVersion},
            {QStringLiteral("game_update_type"), info.updateType}});
    m_timeText->setText(tr("label_timeText").arg(QStringLiteral("0s")));
    m_fileSizeText->setText(tr("label_fileSizeText").arg(totalSize, totalSize));
    m_progressBar->setValue(100);
    m_process->setText(QStringLiteral("100%"));
    startExtract();
}

void MainWindow::onDownloadError(const QString &url, int code)
{
    qInfo().noquote() << QStringLiteral("DownloadError-code ：%1").arg(code);
    if (noticeVisible())
        return;
    QTimer::singleShot(m_collaborators.retryDelayMs, this, [this, url, code] { retryDownload(url, code); });
}

void MainWindow::retryDownload(QString url, int code)
{
    qInfo().noquote() << QStringLiteral("retryDownload: %1").arg(code);
    // The part letter of the archive (".._a.7z" -> "a"); none when the
    // address has no "_".
    const int underscore = url.lastIndexOf(QLatin1Char('_'));
    const QString part = underscore >= 0 ? url.mid(underscore + 1, 1) : QString();
    if (code >= 201 && code <= 399) {
        showPausedDisplay();
        showNotice(tr("ExeError") + QStringLiteral("%1-%2").arg(part).arg(code), NoticeContentError);
        return;
    }
    if (m_downloadRetryCount <= kRetryLimit) {
        ++m_downloadRetryCount;
        showDownloadPage();
        startDownload();
        return;
    }
    showPausedDisplay();
    showNotice(tr("ExeSomeError(%1-%2)。").arg(part).arg(code), NoticeRetriesSpent);
    m_downloadRetryCount = 0;
}

void MainWindow::onDirSpaceLimit(const QString &totalSize)
{
    Q_UNUSED(totalSize)
    showPausedDisplay();
    track(QStringLiteral("launcher_downloadgame_finish"),
        {{QStringLiteral("result"), QStringLiteral("fail")},
            {QStringLiteral("result_msg"), QStringLiteral("FileSpaceLimit")},
            {QStringLiteral("download_path"), AppDir::path() + QStringLiteral("/Downloads/")},
            {QStringLiteral("game_version"), versionInfo().latestVersion}});
    showNotice(tr("FileSpaceLimit"), NoticeOnly);
}

qint64 MainWindow::freeSpace(const QString &path) const
{
    return m_collaborators.freeSpace ? m_collaborators.freeSpace(path) : FileUtil::freeSpace(path);
}

void MainWindow::startExtract()
{
    if (m_extractor && m_extractor->isBusy())
        return;
    m_zipBar->setRange(0, 10000);
    m_zipBar->setValue(0);
    m_zipProcess->setText(tr("label_process_zip").arg(QStringLiteral("0")));
    m_stack->setCurrentIndex(InstallPage);
    m_stack->show();
    m_playButton->hide();
    m_playSetting->hide();
    setState(State::Extracting);

    const GameVersionInfo info = versionInfo();
    const QString dir = GameFiles::instance()->installDir();
    const qint64 free = freeSpace(dir);
    const qint64 limit = qint64(std::ceil(kExtractRoom * double(qMax<qint64>(info.packageSize, 0))));
    qInfo().noquote() << QStringLiteral("dir size : %1").arg(sizeText(quint64(qMax<qint64>(free, 0))));
    qInfo().noquote() << QStringLiteral("dir limit : %1").arg(sizeText(quint64(limit)));
    if (free < limit) {
        auto *question = new WarningDialogwithDoublebutton(tr("FileSpaceLimit"), this);
        DialogParts::coverWindow(question);
        question->setConfirmText(tr("Retry"));
        question->setCancelText(tr("ExitApp"));
        connect(question, &WarningDialogwithDoublebutton::dialogConfirm, this,
            [this] { later(this, [this] { startExtract(); }); });
        connect(question, &WarningDialogwithDoublebutton::dialogCancel, this, &MainWindow::quitRequested);
        if (m_questionDialog)
            m_questionDialog->close();
        m_questionDialog = question;
        question->show();
        return;
    }
    if (!m_extractor) {
        m_extractor
            = m_collaborators.makeExtractor ? m_collaborators.makeExtractor(this) : new ZiplibManager(nullptr, this);
        connect(m_extractor, &ZiplibManager::workStarted, this, &MainWindow::extractStarted, Qt::QueuedConnection);
        connect(m_extractor, &ZiplibManager::sigProgress, this, &MainWindow::extractProgress);
        connect(m_extractor, &ZiplibManager::sigZipsError, this, &MainWindow::extractError);
        connect(m_extractor, &ZiplibManager::unzipProgressFinish, this, &MainWindow::unzipProgressFinish);
    }
    m_extractClock.start();
    m_extractor->startExtract(info);
}

void MainWindow::extractStarted()
{
    track(QStringLiteral("launcher_install_start"), {});
}

void MainWindow::extractProgress(qlonglong nValue, qlonglong nTotalSize)
{
    // Nothing to write yet reads as 0 %, and a value past the total as 100 %.
    const double part = nTotalSize > 0 ? qBound(0.0, double(nValue) / double(nTotalSize), 1.0) : 0.0;
    m_zipProcess->setText(tr("label_process_zip").arg(QString::number(part * 100.0, 'f', 2)));
    m_zipBar->setValue(int(std::lround(part * 10000.0)));
}

void MainWindow::extractError(QString msg, QStringList url)
{
    qInfo().noquote() << QStringLiteral("extractError : %1").arg(msg);
    if (noticeVisible())
        return;
    showNotice(tr("ExeError"), NoticeExtractError, url);
}

void MainWindow::unzipProgressFinish()
{
    const GameVersionInfo info = versionInfo();
    GameFiles *files = GameFiles::instance();
    // A differential package brings only changed and added files; what the
    // new version dropped goes before the install is recorded as done.
    if (info.updateType == 2)
        files->removeDroppedFiles(info.removedFiles);
    // The install is recorded first: a stop between here and the clean-up
    // below leaves an installed game with stray archives, never a game that
    // must be downloaded again.
    files->setStatus(InstallStatus::Installed);
    files->setInstalledVersion(info.latestVersion);

    qDebug("unzip spend time ---> %lld", m_extractClock.isValid() ? m_extractClock.elapsed() / 1000 : 0LL);
    track(QStringLiteral("launcher_install_finish"), {});
    qDebug("installFinish");
    if (m_engine) {
        qDebug("kvdownloadmanager ---> closeDownload");
        dropEngine();
    }
    m_progressBar->setValue(0);
    m_process->clear();
    m_fileSizeText->clear();
    m_downloadSpeed->clear();
    m_timeText->clear();
    if (m_extractor) {
        m_extractor->disconnect(this);
        m_extractor->resetExtract();
        m_extractor->deleteLater();
        m_extractor = nullptr;
    }
    files->clearUnzipRecords(info.latestVersion);
    if (m_plugin)
        m_plugin->RemoveDownloadZip();
    showPlay();
}

bool MainWindow::noticeVisible() const
{
    return m_noticeDialog && m_noticeDialog->isVisible();
}

void MainWindow::showNotice(const QString &text, int mode, const QStringList &urls)
{
    if (m_noticeDialog) {
        m_noticeDialog->disconnect(this);
        m_noticeDialog->close();
        m_noticeDialog->deleteLater();
    }
    auto *notice = new WarningDialogWithSingleButton(text, this);
    notice->setWindowFlags(Qt::FramelessWindowHint);
    notice->setAutoFillBackground(true);
    notice->move(0, 0);
    notice->setModal(true);
    m_noticeDialog = notice;
    connect(notice, &WarningDialogWithSingleButton::singleButtonClick, this, [this, mode, urls] {
        later(this, [this, mode, urls] {
            if (mode == NoticeExtractError) {
                GameFiles *files = GameFiles::instance();
                for (const QString &url : urls)
                    files->deleteFile(files->downloadFilePath(url));
                resetProgressDisplay();
                startDownload();
            } else if (mode == NoticeContentError) {
                if (m_engine)
                    m_engine->removeFailedFiles();
                if (m_plugin) {
                    const KorvaneObject::DownloadingInfo saved = m_plugin->currentDownloadingInfo();
                    m_progressBar->setValue(saved.percent.toInt());
                    m_process->setText(QStringLiteral("%1%").arg(m_progressBar->value()));
                    m_fileSizeText->setText(tr("label_fileSizeText").arg(saved.downloadedSize, saved.totalSize));
                }
                showDownloadPage();
                startDownload();
            }
        });
    });
    notice->show();
}

void MainWindow::showDownloadPathSettingDialog()
{
    if (!m_pathDialog) {
        DownloadPathSettingDialog::Collaborators c;
        c.versionInfo = [this] {
            return versionInfo();
        };
        c.freeSpace = [this](const QString &path) {
            return freeSpace(path);
        };
        m_pathDialog = new DownloadPathSettingDialog(std::move(c), this, Qt::Dialog | Qt::FramelessWindowHint);
        m_pathDialog->setAutoFillBackground(true);
        m_pathDialog->setModal(true);
        connect(m_pathDialog, &DownloadPathSettingDialog::dialogConfirm, this, [this] {
            later(this, [this] {
                resetProgressDisplay();
                startDownload();
            });
        });
    }
    m_pathDialog->setGeometry(geometry());
    m_pathDialog->show();
    m_pathDialog->raise();
}

void MainWindow::showDeleteGameResourceDialog()
{
    if (m_deleteDialog)
        return;
    DeleteGameResourceDialog::Request request;
    request.installDir = GameFiles::instance()->installDir();
    request.busy = isInstallIng();
    m_deleteDialog = new DeleteGameResourceDialog(request, this, Qt::Dialog | Qt::FramelessWindowHint);
    m_deleteDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_deleteDialog, &DeleteGameResourceDialog::deleteFinishSignal, this, [this] {
        // The working record may be an update's differential package, which
        // only holds what changed: with the game gone, the next install needs
        // the package the service offers when nothing is installed.
        setGameVersionInfo(GameVersionInfo());
        showChooseDownloadDirUI();
        emit resourcesCleared();
        runVersionCheck(true);
    });
    m_deleteDialog->show();
}

void MainWindow::launchGame()
{
    QString error;
    if (!m_gameLauncher->launch(&error)) {
        showNotice(error, NoticeOnly);
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
