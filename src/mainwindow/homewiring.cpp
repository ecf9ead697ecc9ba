#include "mainwindow/homewiring.h"

#include "app/appdir.h"
#include "app/language.h"
#include "app/later.h"
#include "app/launcherconfig.h"
#include "app/orderlyquit.h"
#include "app/safepicture.h"
#include "app/weblink.h"
#include "content/notificationplugin.h"
#include "content/posterplugin.h"
#include "home/movielabel.h"
#include "home/notificationview.h"
#include "platform/platform.h"
#include "update/appinstallplugin.h"
#include "update/updatedialog.h"
#include "update/updaterlaunch.h"
#include "widgets/basewidget.h"
#include "widgets/hidpi.h"
#include "widgets/qmlhostdialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QTimer>
#include <QtConcurrent>

HomeWiring::HomeWiring(Collaborators collaborators, Parts parts, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
    , m_parts(std::move(parts))
{ }

UpdateDialog *HomeWiring::updateDialog() const
{
    return m_collaborators.updateDialog ? m_collaborators.updateDialog : UpdateDialog::instance();
}

void HomeWiring::start()
{
    QWidget *window = m_parts.window;
    LauncherConfig::instance()->writeInt(QStringLiteral("VIDEO"), QStringLiteral("video_refresh"), 30);
    qDebug("startPlay-video-refresh-MainWindow");
    if (MovieLabel *video = m_parts.video) {
        connect(video, &MovieLabel::loadFinish, window, [video] {
            later(video, [video] {
                if (!PosterPlugin::videoEnabled())
                    return;
                video->show();
                video->startPlay();
            });
        });
    }
    refreshPoster();

    if (PosterPlugin *poster = m_collaborators.posterPlugin) {
        connect(poster, &PosterPlugin::posterUpdate, window, [this](PosterType type) {
            later(this, [this, type] {
                refreshPoster();
                if (type == PosterType::Video && m_parts.video) {
                    QPointer<MovieLabel> video = m_parts.video;
                    QTimer::singleShot(kVideoDelayMs, this, [video] {
                        if (video)
                            video->loadVideo();
                    });
                }
            });
        });
        poster->checkPosterInServer();
    }

    if (Appinstallplugin *app = m_collaborators.appPlugin) {
        connect(app, &Appinstallplugin::notifyAppUpdate, window, [this](AppDownloadInfoPtr info) {
            // No part of the launcher writes "auto_update": updating without
            // asking is an installation's own choice.
            if (LauncherConfig::instance()->readBool(QStringLiteral("Launcher"), QStringLiteral("auto_update"), false))
                return;
            later(this, [this, info] { showAppUpdateDialog(info); });
        });
        app->checkUpdateInServer();
        app->requestBaseAppInfo();
    }

    m_notificationTimer = new QTimer(this);
    m_notificationTimer->setInterval(kNotificationIntervalMs);
    connect(m_notificationTimer, &QTimer::timeout, this, &HomeWiring::sendNotificationRequest);
    m_notificationTimer->start();
    sendNotificationRequest();
}

void HomeWiring::ensureTimer()
{
    const int handles = Platform::processHandleCount();
    if (handles >= 0)
        qDebug().noquote() << QStringLiteral("GetProcessHandleCount:") << handles;
    else
        qDebug().noquote() << QStringLiteral("Can not GetProcessHandle Count，errorCode:") << handles;
    if (!m_checkTimer) {
        qDebug("scheduledTaskTimer > new QTimer");
        m_checkTimer = new QTimer(this);
        m_checkTimer->setInterval(kCheckIntervalMs);
        connect(m_checkTimer, &QTimer::timeout, this, [this] {
            qDebug("scheduledTaskTimer > allTaskStart");
            runChecks();
        });
    }
    if (m_checkTimer->isActive()) {
        qDebug("scheduledTaskTimer > isActive");
    } else {
        qDebug("scheduledTaskTimer > start");
        m_checkTimer->start();
    }
}

void HomeWiring::windowShown()
{
    ensureTimer();
    qDebug("scheduledTaskTimer-isActiveWindow > Yes");
    runChecks();
}

void HomeWiring::windowHidden()
{
    // Hidden to the tray: nothing is shown, so nothing is checked until the
    // window comes back (which checks at once).
    if (m_checkTimer && m_checkTimer->isActive()) {
        qDebug("scheduledTaskTimer > stop");
        m_checkTimer->stop();
    }
    if (m_parts.playPopup)
        m_parts.playPopup->hide();
    qDebug("scheduledTaskTimer-isActiveWindow > No");
}

void HomeWiring::activationChanged()
{
    if (m_parts.window->isHidden())
        windowHidden();
    else
        windowShown();
}

void HomeWiring::windowActivated()
{
    // The start shows the window and checks already; its first activation follows at once.
    if (m_firstActivation) {
        m_firstActivation = false;
        return;
    }
    if (updateDialog()->isShown() || !m_parts.versionCheck)
        return;
    qDebug("windowActivate > version check");
    m_parts.versionCheck();
}

bool HomeWiring::checksRunning() const
{
    return m_checkTimer && m_checkTimer->isActive();
}

void HomeWiring::servicesBack()
{
    if (m_collaborators.appPlugin && !updateDialog()->isShown())
        m_collaborators.appPlugin->servicesBack();
    if (m_collaborators.posterPlugin)
        m_collaborators.posterPlugin->servicesBack();
}

void HomeWiring::runChecks()
{
    if (updateDialog()->isShown()) {
        qDebug("scheduledTaskTimer > the launcher update page is open: launcher and game checks skipped");
    } else {
        if (m_collaborators.appPlugin) {
            // Both keep their own five-minute limits.
            m_collaborators.appPlugin->checkUpdateInServer();
            m_collaborators.appPlugin->requestBaseAppInfo();
        }
        if (m_parts.versionCheck)
            m_parts.versionCheck();
    }
    if (m_collaborators.posterPlugin)
        m_collaborators.posterPlugin->checkPosterInServer();
}

void HomeWiring::refreshPoster()
{
    QLabel *label = m_parts.posterStatic;
    if (!label)
        return;
    const QString path = LauncherConfig::instance()->currentPosterPath();
    const quint64 ticket = ++m_posterTicket;
    if (path.isEmpty()) {
        showPoster(QImage());
        return;
    }
    // Decoded on a worker at the size it is shown at, after its declared size
    // passed the cap: the window never waits for a picture.
    const QSize size = HiDpi::devicePixels(
        label->parentWidget() ? label->parentWidget()->size() : label->size(), HiDpi::ratio(label));
    const QSize cap = PosterPlugin::posterSideCap();
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, ticket] {
        watcher->deleteLater();
        if (ticket == m_posterTicket)
            showPoster(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([path, cap, size] {
        QString why;
        const QImage image = SafePicture::decode(path, cap, size, &why, Qt::IgnoreAspectRatio);
        if (image.isNull())
            qWarning().noquote() << "The poster" << path << "is not shown," << why
                                 << "; the default background is shown";
        return image;
    }));
}

void HomeWiring::showPoster(const QImage &poster)
{
    QLabel *label = m_parts.posterStatic;
    if (poster.isNull()) {
        label->clear();
        if (m_parts.applyEditionLook)
            m_parts.applyEditionLook();
        return;
    }
    label->setPixmap(HiDpi::shown(poster, HiDpi::ratio(label)));
    label->show();
}

void HomeWiring::sendNotificationRequest()
{
    NotificationPlugin *plugin = m_collaborators.notificationPlugin;
    if (!plugin)
        return;
    if (!m_notificationsWired) {
        m_notificationsWired = true;
        qDebug("sendNotificationRequest函数被调用");
        connect(plugin, &NotificationPlugin::messageOpened, m_parts.window, [this](int messageId, const QString &) {
            qDebug() << "messageOpened" << messageId;
            later(this, [this] { bringWindowForward(false); });
        });
        connect(plugin, &NotificationPlugin::messageDismissed, m_parts.window, [this](const QString &linkUrl) {
            qDebug().noquote() << "messageDismissed" << linkUrl;
            later(this, [this] { bringWindowForward(true); });
        });
        NotificationView::present(plugin);
    }
    plugin->requestNotification();
}

void HomeWiring::bringWindowForward(bool showHidden)
{
    QWidget *window = m_parts.window;
    if (!showHidden && window->isHidden())
        return; // a click on the alert leaves a launcher in the tray where it is
    BaseWidget::bringForward(window);
}

void HomeWiring::openLink(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!isWebLink(url)) {
        qWarning().noquote() << "The launcher download address is not a web link; it is not opened:" << address;
        return;
    }
    const bool opened = m_collaborators.openUrl ? m_collaborators.openUrl(url) : QDesktopServices::openUrl(url);
    if (!opened)
        qWarning().noquote() << "The browser did not open" << url.toString();
}

namespace {

// The launcher's file name as the updater starts it again: this executable's
// own when it runs from the application folder, else the manifest's.
QString launcherFileName()
{
    const QFileInfo self(QCoreApplication::applicationFilePath());
    if (QFileInfo(self.path()) == QFileInfo(AppDir::programPath()))
        return self.fileName();
    return UpdaterLaunch::executableName(LauncherConfig::instance()->manifestValue(QStringLiteral("appLauncherFile")));
}

} // namespace

void HomeWiring::installUpdate(const AppDownloadInfo &info)
{
    const QString updater
        = UpdaterLaunch::executableName(LauncherConfig::instance()->manifestValue(QStringLiteral("appUpdateFile")));
    UpdaterLaunch::Plan plan = UpdaterLaunch::plan(info, AppDir::programPath(), launcherFileName(),
        QCoreApplication::applicationPid(), updater, Language::code(LauncherConfig::instance()->languageIndex()));
    // An installed launcher in a read-only folder is updated by its package manager.
    if (plan.ok() && !AppDir::isWritableFolder(AppDir::programPath()))
        plan.refusal = QStringLiteral("its program folder %1 is read-only").arg(AppDir::programPath());
    if (!plan.ok()) {
        qWarning().noquote() << QStringLiteral("Launcher %1 cannot be installed by the updater, %2; its page is "
                                               "opened instead")
                                    .arg(info.latestVersion.left(40), plan.refusal);
        openLink(info.downloadUrl);
        return;
    }
    const bool started = m_collaborators.startUpdater
        ? m_collaborators.startUpdater(plan.program, plan.arguments)
        : QProcess::startDetached(plan.program, plan.arguments, AppDir::programPath());
    if (!started) {
        qWarning().noquote() << QStringLiteral(
            "The updater %1 did not start; the page of launcher %2 is opened instead")
                                    .arg(plan.program, info.latestVersion);
        openLink(info.downloadUrl);
        return;
    }
    qInfo().noquote() << QStringLiteral("The updater installs launcher %1 from %2; the launcher quits for it")
                             .arg(info.latestVersion, info.downloadUrl);
    if (m_collaborators.quit)
        m_collaborators.quit();
    else
        OrderlyQuit::instance()->request();
}

void HomeWiring::showAppUpdateDialog(AppDownloadInfoPtr info)
{
    if (!info)
        return;
    UpdateDialog *model = updateDialog();
    model->setMainUrl(info->mainUrl);
    model->setDownloadUrl(info->downloadUrl);
    model->setLatestVersion(info->latestVersion);
    model->setUpdateMessage(info->updateMessage);
    model->setConfirmCallback([this, info] { installUpdate(*info); });
    model->setCancelCallback({});
    if (m_updatePage) // already open: it shows the newer record
        return;

    auto *page = new QmlHostDialog(m_parts.window);
    page->setObjectName(QStringLiteral("launcherUpdatePage"));
    page->setContextProperty(QStringLiteral("updateDialog"), model);
    if (!page->load(QUrl(QStringLiteral("qrc:/Dialog/qml/UpdateDialog.qml")))) {
        delete page;
        return;
    }
    m_updatePage = page;
    model->setHost(page);
    model->setShown(true);
    // However the page closes (its buttons or the Escape key), the checks resume.
    connect(page, &QDialog::finished, this, [model, page] {
        model->setShown(false);
        page->deleteLater();
    });
    page->openOver(m_parts.window);
}
