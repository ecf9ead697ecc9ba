// Renders every dialog, toolkit widget and QML page into PNG files, once per
// user-interface language: <out>/<language>/<shot>.png. A new window state or
// page is one more entry in shots() below. Under QT_SCALE_FACTOR=2 every
// shot is twice the size, drawn as a screen of that ratio shows it.
//
//   quillmere-gallery [output folder] [shot name filter, a regular expression]

#include "app/crashhandler.h"
#include "app/qmlcommonconfigs.h"
#include "app/texts.h"
#include "download/downloadinterface.h"
#include "extract/ziplibmanager.h"
#include "home/homeview.h"
#include "home/notificationview.h"
#include "homecontentdemo.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "mainwindow/closebehaviour.h"
#include "mainwindow/gameupdateprompt.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/uiresources.h"
#include "mainwindow/verifyflow.h"
#include "settings/closeappmodel.h"
#include "settings/crashnotice.h"
#include "settings/settingcommondialog.h"
#include "settings/settingqtdialog.h"
#include "settings/settingsmodel.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"
#include "support/testenv.h"
#include "update/updatedialog.h"
#include "updatewindow.h"
#include "widgets/animatedbutton.h"
#include "widgets/hidpi.h"
#include "widgets/hoverlabel.h"
#include "widgets/qmlhostdialog.h"
#include "widgets/sidehidinglabel.h"
#include "widgets/tabbutton.h"
#include "widgets/trianglewidget.h"
#include "widgets/uiresources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// What a shot shows on top of the stand-in main window. `shown` is a window
// of its own (a dialog) or null when everything is a child of the stand-in.
struct Scene
{
    QWidget *shown = nullptr;
    // Windows of their own drawn over `shown` (dialogs of the main window).
    QVector<QWidget *> overlays;
};

struct Shot
{
    QString name;
    std::function<Scene(QWidget *window)> build;
};

QString tr(const char *context, const char *key)
{
    return QCoreApplication::translate(context, key);
}

// The main window as the dialogs see it: a night lake under an indigo sky.
class StandInWindow : public QWidget
{
public:
    StandInWindow()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setFixedSize(1280, 720);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient sky(0, 0, 0, 470);
        sky.setColorAt(0, QColor(0x14, 0x17, 0x33));
        sky.setColorAt(1, QColor(0x3a, 0x43, 0x66));
        painter.fillRect(0, 0, width(), 470, sky);
        QLinearGradient lake(0, 470, 0, height());
        lake.setColorAt(0, QColor(0x4a, 0x53, 0x74));
        lake.setColorAt(1, QColor(0x10, 0x13, 0x26));
        painter.fillRect(0, 470, width(), height() - 470, lake);
        painter.setPen(QColor(0xF5, 0x74, 0x38, 140));
        painter.drawLine(0, 470, width(), 470);
    }
};

// A notice or question placed the way the main window places them: a child
// of the window, frameless flag only, background filled, at (0, 0).
Scene asChild(QDialog *dialog)
{
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    dialog->setAutoFillBackground(true);
    dialog->move(0, 0);
    dialog->show();
    return {};
}

Scene settingDialog(QWidget *window, const QString &message, bool cancel, bool wholeWindow,
    const std::function<void(SettingCommonDialog *)> &adjust = {})
{
    auto *dialog = new SettingCommonDialog(window, Qt::Dialog | Qt::FramelessWindowHint, message);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    dialog->setCallbacks(cancel ? std::function<void()>([] {}) : std::function<void()>(), [] {});
    if (wholeWindow)
        dialog->coverWholeWindow();
    if (adjust)
        adjust(dialog);
    dialog->move(window->pos());
    dialog->show();
    return {dialog, {}};
}

// The updater's window, a window of its own, in the middle of the screen:
// downloading, its longest stage text and its longest result.
Scene updaterScene(QWidget *window, const std::function<void(UpdateWindow *)> &state)
{
    auto *updater = new UpdateWindow(QStringLiteral("2.10.0"));
    state(updater);
    updater->move(window->mapToGlobal(
        QPoint((window->width() - updater->width()) / 2, (window->height() - updater->height()) / 2)));
    updater->show();
    return {updater, {}};
}

QWidget *toolkitSheet(QWidget *window)
{
    auto *sheet = new QWidget(window);
    sheet->setGeometry(80, 80, 1120, 560);
    sheet->setObjectName(QStringLiteral("toolkitSheet"));
    sheet->setStyleSheet(QStringLiteral(
        "#toolkitSheet { background: rgba(20, 23, 51, 200); border: 1px solid #C66030; border-radius: 12px; }"
        "QLabel { color: #fff2e2; font-size: 16px; }"
        "HoverLabel[hovered=\"true\"] { color: #F57438; text-decoration: underline; }"
        "TabButton { color: #cfc6b8; font-size: 18px; border: none; padding: 6px 14px; }"
        "TabButton:checked { color: #fff2e2; }"
        "AnimatedButton { color: #fff2e2; font-size: 20px; border-radius: 6px;"
        "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F57438, stop:1 #C66030); }"));
    sheet->setAttribute(Qt::WA_StyledBackground);

    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(40, 30, 40, 30);
    layout->setSpacing(26);

    auto *tabs = new QHBoxLayout;
    const char *tabKeys[] = {"Tabs_Latest", "Tabs_Notice", "Tabs_Event", "Tabs_News"};
    for (const char *key : tabKeys) {
        auto *tab = new TabButton(tr("TabsWithPopupText", key), sheet);
        tabs->addWidget(tab);
        if (tab == sheet->findChildren<TabButton *>().first())
            tab->setChecked(true);
    }
    tabs->addStretch();
    layout->addLayout(tabs);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(30);
    const struct
    {
        const char *key;
        qreal hover;
        qreal ripple;
    } states[] = {{"Retry", 0, 1}, {"ReDownload", 1, 1}, {"Confirm", 0, 0.45}};
    for (const auto &state : states) {
        auto *button = new AnimatedButton(tr("MainWindow", state.key), sheet);
        button->setFixedSize(208, 68);
        button->setHoverLevel(state.hover);
        button->setRippleLevel(state.ripple);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    auto *labels = new QHBoxLayout;
    auto *plain = new HoverLabel(tr("QObject", "oversea_home"), sheet);
    auto *hovered = new HoverLabel(tr("QObject", "payweb"), sheet);
    // The look of a hovered label, without a mouse.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(hovered, &enter);
    labels->addWidget(plain);
    labels->addSpacing(40);
    labels->addWidget(hovered);
    labels->addStretch();
    layout->addLayout(labels);
    layout->addStretch();

    auto *side = new SideHidingLabel(sheet, Qt::RightEdge);
    side->setText(tr("H5EventWidget", "h5event_text"));
    side->setAlignment(Qt::AlignCenter);
    side->setStyleSheet(QStringLiteral("background: #C66030; color: #fff2e2; border-radius: 6px;"));
    side->setGeometry(sheet->width() - 160, 380, 160, 48);
    sheet->show();
    return sheet;
}

// The language being photographed: 0 zh, 1 en, 2 jp, 3 ko, 4 zh_TC.
int g_languageIndex = 0;

// A download engine that reports one moment of a download and fetches nothing.
class PictureEngine : public DownloadInterface
{
public:
    using DownloadInterface::DownloadInterface;
    bool isDownloading() const override { return m_running; }
    void startDownload(GameVersionInfo) override
    {
        m_running = true;
        emit signalStartConnect();
        emit signalDownloadProcess(progress());
    }
    static KorvaneObject::DownloadingInfo progress()
    {
        KorvaneObject::DownloadingInfo info;
        info.percent = QStringLiteral("42");
        info.downloadedSize = sizeText(4032000000ULL);
        info.totalSize = sizeText(9600000000ULL);
        info.downloadSpeed = sizeText(12500000ULL, true);
        info.timeLeft = durationText(7 * 60 + 32);
        return info;
    }

private:
    bool m_running = false;
};

GameVersionInfo pictureVersion()
{
    GameVersionInfo info;
    info.latestVersion = QStringLiteral("2.8.0");
    info.updateType = 1;
    info.packageSize = 9600000000LL;
    info.packageRealSize = 12400000000LL;
    info.packageUrls
        = QStringList {QStringLiteral("http://127.0.0.1:9/files/quillmere-2.8.0-full-1_origin_1_size_1_md5_0.7z"),
            QStringLiteral("http://127.0.0.1:9/files/quillmere-2.8.0-full-2_origin_1_size_1_md5_0.7z")};
    return info;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// The real main window of an edition, put into a state by `drive`. Its
// install plug-in asks nobody: its one allowed query is spent (and refused
// by the closed port) before the window exists, and its clock stands still.
Scene mainWindowScene(QWidget *standIn, int edition, qint64 freeBytes,
    const std::function<void(MainWindow *, GameInstallPlugin *)> &drive)
{
    GameInstallPlugin::Collaborators plugged;
    plugged.updateServiceBase = [] {
        return QStringLiteral("http://127.0.0.1:9");
    };
    plugged.clock = [] {
        return qint64(1700000000000);
    };
    plugged.replyTimeoutMs = 1000;
    auto *plugin = new GameInstallPlugin(plugged);
    QSignalSpy spent(plugin, &GameInstallPlugin::versionQueryFailed);
    plugin->requestGameVersionInfo();
    if (spent.isEmpty())
        spent.wait(3000);
    plugin->setGameVersionInfo(pictureVersion());

    InstallSession::Collaborators s;
    s.installPlugin = plugin;
    s.makeEngine = [](int, QObject *parent) {
        return InstallSession::downloadPort(new PictureEngine(parent));
    };
    s.makeExtractor = [](QObject *parent) {
        auto *manager = new ZiplibManager(nullptr, parent);
        manager->resetExtract(); // shows the extraction page, extracts nothing
        return InstallSession::extractPort(manager);
    };
    s.freeSpace = [freeBytes](const QString &) {
        return freeBytes;
    };
    MainWindow::Collaborators c;
    c.session = new InstallSession(s);
    c.launcherType = edition;
    c.languageIndex = g_languageIndex;
    c.home.appPlugin = HomeContentDemo::quietPlugin(plugin);
    auto *window = new MainWindow(c);
    plugin->setParent(window);
    HomeContentDemo::fill(window);
    window->move(standIn->pos());
    window->show();
    settle();
    drive(window, plugin);
    settle();
    Scene scene {window, {}};
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != window && top != standIn && top->isVisible() && top->parentWidget() == window)
            scene.overlays << top;
    }
    return scene;
}

void clickChild(QWidget *window, const char *name)
{
    if (auto *button = window->findChild<QPushButton *>(QLatin1String(name)))
        button->click();
}

QVector<Shot> mainWindowShots()
{
    constexpr qint64 plenty = 1000LL * 1000 * 1000 * 1000;
    const struct
    {
        const char *name;
        qint64 freeBytes;
        std::function<void(MainWindow *, GameInstallPlugin *)> drive;
    } states[] = {
        {"main_getgame", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->needToDownload(pictureVersion());
            }},
        {"main_update", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->needToUpdate(pictureVersion());
            }},
        {"main_downloading", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
            }},
        {"main_streaming", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
                settle();
                emit w->session()->archivesInstalling(1, 4, true);
            }},
        {"main_streamed", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
                settle();
                emit w->session()->archivesInstalling(3, 4, false);
            }},
        {"main_retrying", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
                settle();
                KorvaneObject::DownloadingInfo info = PictureEngine::progress();
                info.retryInSeconds = 12;
                emit w->session()->downloadProgress(info);
            }},
        {"main_paused", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->downloading(PictureEngine::progress());
            }},
        {"main_needunzip", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->needToUnzip();
            }},
        {"main_extracting", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->needToUnzip();
                settle();
                clickChild(w, "pushButton_needToUnzip");
                w->session()->onExtractProgress(6420, 10000);
            }},
        {"main_play", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->installed();
            }},
        {"home_alert", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                settle();
                // An alert as the service sends it: its texts are the publisher's, not ours.
                auto *alert = new NotificationView(w);
                alert->setContent(QStringLiteral("Lanterns on the Lake"),
                    QStringLiteral("The winter festival opens tonight: light a lantern, earn a quill."));
                alert->setImage(QPixmap());
                alert->move(w->mapToGlobal(
                    QPoint(w->width() - NotificationView::kWidth - 24, w->height() - NotificationView::kHeight - 24)));
                alert->show();
            }},
        {"main_play_popup", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                settle();
                QEvent enter(QEvent::Enter);
                QApplication::sendEvent(w->findChild<QPushButton *>(QStringLiteral("pushButton_playsetting")), &enter);
            }},
        {"dialog_version_is_new", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->installed();
                emit p->versionIsNew(QStringLiteral("2.8.0"));
            }},
        {"question_game_update", plenty,
            [](MainWindow *, GameInstallPlugin *p) {
                emit p->installed();
                emit p->updatePromptRequested(QStringLiteral("2.8.0"));
            }},
        {"question_game_update_connecting", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                emit p->updatePromptRequested(QStringLiteral("2.8.0"));
                // The state Update leads to, without asking a service.
                SettingCommonDialog *question = w->updatePrompt()->question();
                question->setButtonTexts(QString(), tr("SettingsModel", "Loading"));
                question->disableButtons();
            }},
        {"question_clear_resources", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                settle();
                clickChild(w, "pushButton_cleared");
            }},
        {"notice_content_error", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
                settle();
                w->session()->retryDownload(pictureVersion().packageUrls.first(), 203);
            }},
        {"notice_retries_spent", plenty,
            [](MainWindow *w, GameInstallPlugin *) {
                w->updateGameNow();
                settle();
                for (int i = 0; i < 4; ++i) {
                    w->session()->retryDownload(pictureVersion().packageUrls.last(), 99);
                    settle();
                }
            }},
        {"notice_extract_error", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->needToUnzip();
                settle();
                clickChild(w, "pushButton_needToUnzip");
                w->session()->onExtractProgress(2100, 10000);
                w->session()->onExtractError(QStringLiteral("extractError"), pictureVersion().packageUrls);
            }},
        {"question_extract_space", 1000,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->needToUnzip();
                settle();
                clickChild(w, "pushButton_needToUnzip");
            }},
        {"dialog_location", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->needToDownload(pictureVersion());
                settle();
                w->showDownloadPathSettingDialog();
            }},
        {"dialog_location_no_room", 9000000000LL,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->needToDownload(pictureVersion());
                settle();
                w->showDownloadPathSettingDialog();
            }},
        {"dialog_clear_done", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                settle();
                w->showDeleteGameResourceDialog();
                if (auto *dialog = w->findChild<DeleteGameResourceDialog *>()) {
                    QSignalSpy done(dialog, &DeleteGameResourceDialog::deletionDone);
                    if (dialog->isDeleting())
                        done.wait(5000);
                }
            }},
        {"dialog_clear_refused", plenty,
            [](MainWindow *w, GameInstallPlugin *p) {
                emit p->installed();
                settle();
                static QTemporaryDir notTheGame;
                QFile letter(notTheGame.filePath(QStringLiteral("letter.txt")));
                if (letter.open(QIODevice::WriteOnly))
                    letter.write("dear reader");
                const QString kept = GameFiles::instance()->installDir();
                GameFiles::instance()->setInstallDir(notTheGame.path());
                w->showDeleteGameResourceDialog();
                GameFiles::instance()->setInstallDir(kept);
            }},
    };
    QVector<Shot> shots;
    for (int edition = 0; edition < 4; ++edition) {
        for (const auto &state : states) {
            const auto drive = state.drive;
            const qint64 freeBytes = state.freeBytes;
            shots.append({QStringLiteral("%1_e%2").arg(QLatin1String(state.name)).arg(edition),
                [edition, freeBytes, drive](QWidget *standIn) {
                    return mainWindowScene(standIn, edition, freeBytes, drive);
                }});
        }
    }
    return shots;
}

// The settings window scrolled to one of its three sections, over a model
// that the dialog owns.
Scene settingsScene(QWidget *window, int section)
{
    auto *model = new SettingsModel;
    model->setAutoLaunch(true);
    model->setCloseType(QStringLiteral("2"));
    model->setSpeedLimit(4096);
    model->setCurLanguageIndex(g_languageIndex);
    model->setLauncherVersion(QStringLiteral("2.8.0"));
    model->setInstallationLocation(QStringLiteral("/home/player/Games/Quillmereen/quillmere"));
    auto *dialog = new SettingQtDialog(window, model);
    model->setParent(dialog);
    dialog->showSettings(true);
    model->setGameVersion(QStringLiteral("1.4.0"));
    if (QQuickItem *sections = dialog->view()->rootObject()->findChild<QQuickItem *>(QStringLiteral("sections")))
        sections->setProperty("contentY", section * 348);
    settle();
    dialog->view()->grabFramebuffer();
    return {dialog, {}};
}

// The home page with a link popup open: the edition's first button with a
// list popup (its first link under the mouse), and the mainland edition's
// first QR code popup (the other editions have none).
QVector<Shot> homeViewShots()
{
    const struct
    {
        const char *name;
        const char *popup;
        int lastEdition;
    } kinds[] = {{"home_list", "homeListPopup", 3}, {"home_qr", "homeQrPopup", 0}};
    QVector<Shot> shots;
    for (const auto &kind : kinds) {
        for (int edition = 0; edition <= kind.lastEdition; ++edition) {
            const QString popup = QLatin1String(kind.popup);
            shots.append({QStringLiteral("%1_e%2").arg(QLatin1String(kind.name)).arg(edition),
                [edition, popup](QWidget *standIn) {
                    return mainWindowScene(
                        standIn, edition, 1000LL * 1000 * 1000 * 1000, [popup](MainWindow *w, GameInstallPlugin *p) {
                            emit p->installed();
                            settle();
                            auto *view = w->findChild<HomeView *>();
                            const QVector<QPushButton *> buttons = view->sideButtons();
                            for (int i = 0; i < buttons.size(); ++i) {
                                if (view->popupArea()->widget(i)->objectName() != popup)
                                    continue;
                                QEvent enter(QEvent::Enter);
                                QApplication::sendEvent(buttons.at(i), &enter);
                                if (auto *row
                                    = view->popupArea()->widget(i)->findChild<QWidget *>(QStringLiteral("homeLinkRow"));
                                    row && popup == QLatin1String("homeListPopup"))
                                    QApplication::sendEvent(row, &enter);
                                break;
                            }
                        });
                }});
        }
    }
    return shots;
}

QVector<Shot> shots()
{
    return mainWindowShots() + homeViewShots()
        + QVector<Shot> {
            {QStringLiteral("dialog_notice"),
                [](QWidget *window) {
                    return asChild(new WarningDialogWithSingleButton(tr("MainWindow", "FileSpaceLimit"), window));
                }},
            {QStringLiteral("dialog_notice_long"),
                [](QWidget *window) {
                    return asChild(new WarningDialogWithSingleButton(
                        tr("MainWindow", "ExeSomeError(%1-%2)。").arg(QStringLiteral("3"), QStringLiteral("99")),
                        window));
                }},
            {QStringLiteral("dialog_crash_notice"),
                [](QWidget *window) {
                    CrashNotice::open(window, CrashNotice::text(QStringLiteral("b"), QStringLiteral("5a0c13f8")));
                    return Scene {};
                }},
            {QStringLiteral("dialog_question"),
                [](QWidget *window) {
                    auto *dialog = new WarningDialogwithDoublebutton(tr("MainWindow", "ExitOnDownloading"), window);
                    dialog->setConfirmText(tr("MainWindow", "Confirm"));
                    dialog->setCancelText(tr("MainWindow", "Cancel"));
                    return asChild(dialog);
                }},
            {QStringLiteral("dialog_space_question"),
                [](QWidget *window) {
                    auto *dialog = new WarningDialogwithDoublebutton(tr("MainWindow", "FileSpaceLimit"), window);
                    dialog->setConfirmText(tr("MainWindow", "Retry"));
                    dialog->setCancelText(tr("MainWindow", "ExitApp"));
                    return asChild(dialog);
                }},
            {QStringLiteral("dialog_verify_repair"),
                [](QWidget *window) {
                    // The longest the question gets: the start's wording, a
                    // long path kept by its end, and more than fit.
                    VerifyReport report;
                    report.missing = QStringList {QStringLiteral("data/textures/world/mirror-lake/terrain-high.pak"),
                        QStringLiteral("quillmere")};
                    report.damaged = QStringList {QStringLiteral("data/assets.pak"), QStringLiteral("data/common.pak")};
                    auto *dialog = new WarningDialogwithDoublebutton(
                        tr("VerifyFlow", "verifyStartDamaged").arg(report.faulty().size())
                            + VerifyFlow::foundText(report),
                        window);
                    dialog->setConfirmText(tr("MainWindow", "Confirm"));
                    dialog->setCancelText(tr("MainWindow", "Cancel"));
                    return asChild(dialog);
                }},
            {QStringLiteral("dialog_logo_reset"),
                [](QWidget *window) {
                    return asChild(new WarningDialogwithDoublebutton(tr("LogoReset", "resetLauncherData"), window));
                }},
            {QStringLiteral("dialog_logo_reset_refused"),
                [](QWidget *window) {
                    return asChild(new WarningDialogWithSingleButton(tr("LogoReset", "resetRefusedBusy"), window));
                }},
            {QStringLiteral("dialog_setting_tip"),
                [](QWidget *window) {
                    return settingDialog(window,
                        tr("SettingsModel", "Current version:%1").arg(QStringLiteral("2.8.0")) + QStringLiteral("\n\n")
                            + tr("SettingsModel", "You have updated to the latest Version."),
                        false, true);
                }},
            {QStringLiteral("dialog_setting_question"),
                [](QWidget *window) {
                    return settingDialog(window, tr("SettingsModel", "restartOnModifyingLanguage"), true, false);
                }},
            {QStringLiteral("dialog_setting_waiting"),
                [](QWidget *window) {
                    return settingDialog(window,
                        tr("QObject", "New Version found, update now?").arg(QStringLiteral("1.4.0")), true, true,
                        [](SettingCommonDialog *dialog) {
                            dialog->setButtonTexts(tr("QObject", "Cancel"), tr("QObject", "Loading"));
                            dialog->disableButtons();
                        });
                }},
            {QStringLiteral("dialog_exit_downloading"),
                [](QWidget *window) {
                    CloseBehaviour::showBusyQuestion(window, false);
                    return Scene {};
                }},
            {QStringLiteral("dialog_exit_installing"),
                [](QWidget *window) {
                    CloseBehaviour::showBusyQuestion(window, true);
                    return Scene {};
                }},
            {QStringLiteral("qml_close_app"),
                [](QWidget *window) {
                    QmlHostDialog *host = showCloseAppDialog(window, new CloseAppModel);
                    if (!host)
                        return Scene {};
                    host->view()->grabFramebuffer();
                    return Scene {host, {}};
                }},
            {QStringLiteral("qml_notice"),
                [](QWidget *window) {
                    auto *host = new QmlHostDialog(window);
                    if (host->load(QUrl(QStringLiteral("qrc:/Dialog/qml/KVNoticePage.qml"))))
                        host->view()->rootObject()->setProperty("message", tr("MainWindow", "ExeError"));
                    host->openOver(window);
                    host->view()->grabFramebuffer();
                    return Scene {host, {}};
                }},
            {QStringLiteral("qml_update"),
                [](QWidget *window) {
                    // What a publisher writes about a release, in the page's language.
                    static const char *const notes[] = {
                        "· 新增活动横幅与新闻标签页\n· 下载速度更稳定，断点续传更可靠\n· "
                        "修复托盘图标在部分桌面上不显示的问题\n· 优化启动速度",
                        "· New event banners and news tabs\n· Steadier download speed and more reliable resuming\n"
                        "· Fixed the tray icon missing on some desktops\n· Faster start",
                        "· 新しいイベントバナーとニュースタブ\n· ダウンロード速度の安定化と再開の信頼性向上\n"
                        "· 一部のデスクトップでトレイアイコンが表示されない問題を修正\n· 起動の高速化",
                        "· 새로운 이벤트 배너와 뉴스 탭\n· 더 안정적인 다운로드 속도와 이어받기\n"
                        "· 일부 데스크톱에서 트레이 아이콘이 보이지 않던 문제 수정\n· 더 빠른 시작",
                        "· 新增活動橫幅與新聞分頁\n· 下載速度更穩定，續傳更可靠\n· "
                        "修正系統匣圖示在部分桌面上不顯示的問題\n· 優化啟動速度",
                    };
                    auto *model = new UpdateDialog(window);
                    model->setLatestVersion(QStringLiteral("2.10.0"));
                    model->setUpdateMessage(QString::fromUtf8(notes[qBound(0, g_languageIndex, 4)]));
                    auto *host = new QmlHostDialog(window);
                    host->setContextProperty(QStringLiteral("updateDialog"), model);
                    host->load(QUrl(QStringLiteral("qrc:/Dialog/qml/UpdateDialog.qml")));
                    host->openOver(window);
                    host->view()->grabFramebuffer();
                    return Scene {host, {}};
                }},
            {QStringLiteral("updater_downloading"),
                [](QWidget *window) {
                    return updaterScene(window, [](UpdateWindow *updater) {
                        updater->showStage(SelfUpdater::Stage::Downloading);
                        updater->showProgress(42, 100);
                    });
                }},
            {QStringLiteral("updater_rolling_back"),
                [](QWidget *window) {
                    return updaterScene(
                        window, [](UpdateWindow *updater) { updater->showStage(SelfUpdater::Stage::RollingBack); });
                }},
            {QStringLiteral("updater_rolled_back"),
                [](QWidget *window) {
                    return updaterScene(
                        window, [](UpdateWindow *updater) { updater->showResult(SelfUpdater::Result::RolledBack); });
                }},
            {QStringLiteral("settings_general"),
                [](QWidget *window) {
                    return settingsScene(window, 0);
                }},
            {QStringLiteral("settings_download"),
                [](QWidget *window) {
                    return settingsScene(window, 1);
                }},
            {QStringLiteral("settings_version"),
                [](QWidget *window) {
                    return settingsScene(window, 2);
                }},
            {QStringLiteral("toolkit"),
                [](QWidget *window) {
                    QWidget *sheet = toolkitSheet(window);
                    auto *popup = new TriangleWidget(window);
                    for (const char *key : {"cleared", "checkUpddate"}) {
                        auto *button = new QPushButton(tr("MainWindow", key), popup);
                        button->setFlat(true);
                        button->setStyleSheet(QStringLiteral("color: #333333; font-size: 12px; text-align: left;"));
                        popup->buttonLayout()->addWidget(button);
                    }
                    popup->move(window->mapToGlobal(sheet->geometry().bottomRight() - QPoint(160, 90)));
                    popup->setWindowOpacity(1.0);
                    popup->show();
                    return Scene {popup, {}};
                }},
        };
}

QImage photograph(QWidget *window, const Scene &scene)
{
    QApplication::processEvents();
    QPixmap canvas = window->grab();
    if (scene.shown) {
        QPainter painter(&canvas);
        painter.drawPixmap(scene.shown->mapToGlobal(QPoint()) - window->mapToGlobal(QPoint()), scene.shown->grab());
        for (QWidget *overlay : scene.overlays)
            painter.drawPixmap(overlay->mapToGlobal(QPoint()) - window->mapToGlobal(QPoint()), overlay->grab());
    }
    return canvas.toImage();
}

} // namespace

int main(int argc, char *argv[])
{
    // As the launcher starts: QT_SCALE_FACTOR=2 renders every shot at 2x.
    HiDpi::prepareApplication();
    QApplication app(argc, argv);
    TestEnv env; // the launcher's folders and stores in a temporary place
    quillmereInitUiResources();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    const QRegularExpression only(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("."));

    const struct
    {
        const char *catalogue;
        const char *folder;
    } languages[] = {{"app_zh", "zh"}, {"app_en", "en"}, {"app_jp", "ja"}, {"app_ko", "ko"}, {"app_zh_tc", "zh_TC"}};

    int written = 0;
    for (const auto &language : languages) {
        g_languageIndex = int(&language - languages);
        QTranslator translator;
        if (!translator.load(QStringLiteral(":/i18n/") + QLatin1String(language.catalogue))) {
            qWarning("gallery: no catalogue %s", language.catalogue);
            return 1;
        }
        QCoreApplication::installTranslator(&translator);
        QmlCommonConfigs::instance()->setFontFamily(tr("QmlCommonConfigs", "fontFamily"));
        qApp->setStyleSheet(launcherStyleSheet(QmlCommonConfigs::instance()->fontFamily()));
        QApplication::setFont(QFont(QmlCommonConfigs::instance()->fontFamily()));

        const QString folder = out + QLatin1Char('/') + QLatin1String(language.folder);
        QDir().mkpath(folder);
        for (const Shot &shot : shots()) {
            if (!only.match(shot.name).hasMatch())
                continue;
            auto window = std::make_unique<StandInWindow>();
            window->move(0, 0);
            window->show();
            const Scene scene = shot.build(window.get());
            const QString file = folder + QLatin1Char('/') + shot.name + QStringLiteral(".png");
            if (!photograph(window.get(), scene).save(file)) {
                qWarning("gallery: cannot write %s", qPrintable(file));
                return 1;
            }
            ++written;
            delete scene.shown;
        }
        QCoreApplication::removeTranslator(&translator);
    }
    qInfo("gallery: %d pictures in %s at device pixel ratio %g", written, qPrintable(out), app.devicePixelRatio());
    return 0;
}
