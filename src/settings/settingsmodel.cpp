#include "settings/settingsmodel.h"

#include "app/appdir.h"
#include "app/launcherconfig.h"
#include "app/weblink.h"
#include "download/downloadratelimiter.h"
#include "install/gamefiles.h"
#include "settings/settingcommondialog.h"
#include "widgets/windowcover.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <QtConcurrent>
#include <QtQml>

namespace {

const QString Launcher = QStringLiteral("Launcher");

void missingAction(const char *name)
{
    qWarning() << "The settings action" << name << "is not connected; nothing happens";
}

// A message or question of the settings over `parent`: it covers the parent
// (the settings dialog or the main window) and closes without blocking.
SettingCommonDialog *openMessage(QWidget *parent, bool wholeWindow, const QString &message,
    std::function<void()> onCancel, std::function<void()> onConfirm)
{
    auto *dialog = new SettingCommonDialog(parent, Qt::Dialog | Qt::FramelessWindowHint, message);
    WindowCover::paintBeneath(dialog, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setButtonTexts(SettingsModel::tr("Cancel"), SettingsModel::tr("Confirm"));
    dialog->setCallbacks(std::move(onCancel), std::move(onConfirm));
    if (wholeWindow)
        dialog->coverWholeWindow();
    if (parent) {
        dialog->resize(parent->size());
        dialog->move(parent->window()->pos());
    }
    dialog->setModal(true);
    dialog->show();
    dialog->raise();
    return dialog;
}

} // namespace

SettingsModel::SettingsModel(QObject *parent)
    : QObject(parent)
{
    // One thread, so that the fill, the saves and the auto-start switches
    // reach the stores in the order they were asked for.
    m_storeWorker.setMaxThreadCount(1);
    connect(&m_fillWatcher, &QFutureWatcher<Stored>::finished, this, [this] { applyStored(m_fillWatcher.result()); });
}

SettingsModel::~SettingsModel()
{
    m_storeWorker.waitForDone();
}

void SettingsModel::registerQmlType()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    qmlRegisterUncreatableType<SettingsModel>(
        "com.kv.settings", 1, 0, "SettingsModel", QStringLiteral("use the context property settingsModel"));
}

void SettingsModel::fillFromStore()
{
    m_fillWatcher.setFuture(QtConcurrent::run(&m_storeWorker, &SettingsModel::readStores));
}

SettingsModel::Stored SettingsModel::readStores()
{
    LauncherConfig *config = LauncherConfig::instance();
    Stored stored;
    stored.autoLaunch = config->isAutoStartEnabled();
    stored.popUpOnExitGame = config->readBool(Launcher, QStringLiteral("popup_on_gameexit"), true);
    stored.closeType = config->readString(Launcher, QStringLiteral("close_tpye"));
    stored.downloadSpeed = config->readInt(Launcher, QStringLiteral("downloadspeed"));
    qDebug().noquote() << QStringLiteral("speedSetting = %1").arg(stored.downloadSpeed);
    const int edition = LauncherConfig::launcherType();
    stored.canChangeLanguage = edition != 0 && edition != 3;
    stored.installationLocation = installedExePath();
    stored.launcherVersion = LauncherConfig::applicationVersion();
    stored.notificationEnable = config->readBool(Launcher, QStringLiteral("notification_enable"), true);
    stored.languageIndex = config->readInt(Launcher, QStringLiteral("language_index"));
    if (stored.languageIndex == -1)
        stored.languageIndex = config->languageIndex();
    return stored;
}

QString SettingsModel::installedExePath()
{
    GameFiles *files = GameFiles::instance();
    if (files->status() != InstallStatus::Installed)
        return QString();
    return QString(files->gameExePath()).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

void SettingsModel::applyStored(const Stored &stored)
{
    const auto keep = [this](Field field) {
        return (m_touched & field) != 0;
    };
    m_applying = true;
    if (!keep(FAutoLaunch))
        setAutoLaunch(stored.autoLaunch);
    if (!keep(FPopUp))
        setPopUpOnExitGame(stored.popUpOnExitGame);
    if (!keep(FCloseType))
        setCloseType(stored.closeType.isEmpty() ? QStringLiteral("0") : stored.closeType);
    // The engines read a value below 1 as no limit; so does the page.
    if (!keep(FSpeedNoLimit) && !keep(FSpeedLimit)) {
        setSpeedNoLimit(stored.downloadSpeed < 1);
        if (stored.downloadSpeed >= 1)
            setSpeedLimit(stored.downloadSpeed);
    }
    if (!keep(FCanChangeLanguage))
        setCanChangeLanguage(stored.canChangeLanguage);
    if (!keep(FLocation) && !stored.installationLocation.isEmpty())
        setInstallationLocation(stored.installationLocation);
    if (!keep(FLauncherVersion))
        setLauncherVersion(stored.launcherVersion);
    if (!keep(FNotification))
        setNotificationEnable(stored.notificationEnable);
    if (!keep(FLanguage) && stored.languageIndex >= 0)
        setCurLanguageIndex(stored.languageIndex);
    m_applying = false;
    m_filled = true;
    emit filled();
}

void SettingsModel::save()
{
    finishSpeedText();
    if (m_touched != 0)
        writeFields(m_touched);
}

void SettingsModel::writeFields(quint32 fields)
{
    m_touched = 0;
    Snapshot snapshot;
    snapshot.fields = fields;
    snapshot.speedNoLimit = m_speedNoLimit;
    snapshot.speedLimit = m_speedLimit;
    snapshot.notificationEnable = m_notificationEnable;
    snapshot.closeType = m_closeType;
    snapshot.popUpOnExitGame = m_popUpOnExitGame;
    m_storeWorker.start([snapshot] { writeSnapshot(snapshot); });
}

bool SettingsModel::waitForStoreWork(int timeoutMs)
{
    return m_storeWorker.waitForDone(timeoutMs);
}

void SettingsModel::writeSnapshot(const Snapshot &snapshot)
{
    qDebug() << "---------onSettingsClosed-------";
    qDebug().noquote() << QStringLiteral("SpeedNoLimit : %1").arg(snapshot.speedNoLimit);
    qDebug().noquote() << QStringLiteral("SpeedLimit : %1").arg(snapshot.speedLimit);
    qDebug().noquote() << QStringLiteral("NotificationEnable : %1").arg(snapshot.notificationEnable);
    LauncherConfig *config = LauncherConfig::instance();
    if (snapshot.fields & (FSpeedNoLimit | FSpeedLimit))
        writeSpeed(snapshot.speedNoLimit, snapshot.speedLimit);
    if (snapshot.fields & FNotification)
        config->writeBool(Launcher, QStringLiteral("notification_enable"), snapshot.notificationEnable);
    if (snapshot.fields & FCloseType)
        config->writeString(Launcher, QStringLiteral("close_tpye"), snapshot.closeType);
    if (snapshot.fields & FPopUp)
        config->writeBool(Launcher, QStringLiteral("popup_on_gameexit"), snapshot.popUpOnExitGame);
}

void SettingsModel::writeSpeed(bool noLimit, int limit)
{
    LauncherConfig *config = LauncherConfig::instance();
    if (noLimit)
        config->removeKey(Launcher, QStringLiteral("downloadspeed"));
    else
        config->writeInt(Launcher, QStringLiteral("downloadspeed"), clampSpeed(QString::number(limit)));
    DownloadRateLimiter::publishConfiguredRate(); // running downloads take the new limit
}

int SettingsModel::clampSpeed(const QString &typed)
{
    bool ok = false;
    const qint64 value = typed.trimmed().toLongLong(&ok);
    if (!ok || value == 0)
        return kDefaultSpeed;
    return int(qBound<qint64>(kMinSpeed, value, kMaxSpeed));
}

QUrl SettingsModel::legalPageUrl(const QString &manifestValue, const QString &koreanServicePage)
{
    QString address = manifestValue.trimmed();
    if (address == QLatin1String("KRUserAgreementHtml"))
        address = koreanServicePage + QStringLiteral("?l=kr#terms");
    else if (address == QLatin1String("KRProtocolHtml"))
        address = koreanServicePage + QStringLiteral("?l=kr#privacy");
    const QUrl url(address, QUrl::StrictMode);
    return isWebLink(url) ? url : QUrl();
}

void SettingsModel::touched(Field field)
{
    if (!m_applying)
        m_touched |= field;
}

// Each setter: store, remember that it was changed outside the fill, and
// tell the page, only when the value really changes.
#define QM_SETTER(Name, member, Type, field, signal)                                                                   \
    void SettingsModel::Name(Type value)                                                                               \
    {                                                                                                                  \
        if (member == value)                                                                                           \
            return;                                                                                                    \
        member = value;                                                                                                \
        touched(field);                                                                                                \
        emit signal();                                                                                                 \
    }

QM_SETTER(setAutoLaunch, m_autoLaunch, bool, FAutoLaunch, autoLaunchChanged)
QM_SETTER(setPopUpOnExitGame, m_popUpOnExitGame, bool, FPopUp, popUpOnExitGameChanged)
QM_SETTER(setCanChangeLanguage, m_canChangeLanguage, bool, FCanChangeLanguage, canChangeLanguageFun)
QM_SETTER(setNotificationEnable, m_notificationEnable, bool, FNotification, notificationEnableChanged)
QM_SETTER(setCurLanguageIndex, m_curLanguageIndex, int, FLanguage, curLanguageIndexChanged)
QM_SETTER(setSpeedNoLimit, m_speedNoLimit, bool, FSpeedNoLimit, speedNoLimitChanged)
QM_SETTER(setSpeedLimit, m_speedLimit, int, FSpeedLimit, speedLimitChanged)
QM_SETTER(setInstallationLocation, m_installationLocation, const QString &, FLocation, installationLocationChanged)
QM_SETTER(setLauncherVersion, m_launcherVersion, const QString &, FLauncherVersion, launcherVersionChanged)
#undef QM_SETTER

void SettingsModel::setCloseType(const QString &value)
{
    if (m_closeType == value)
        return;
    m_closeType = value;
    if (value != QLatin1String("2"))
        m_closeTypeBeforeMinimize
            = value == QLatin1String("0") || value.isEmpty() ? QStringLiteral("0") : QStringLiteral("1");
    touched(FCloseType);
    emit closeTypeChanged();
}

void SettingsModel::setCanClearResource(bool value)
{
    if (m_canClearResource == value)
        return;
    m_canClearResource = value;
    emit canClearResourceFun();
}

void SettingsModel::setScrolling(bool value)
{
    if (m_scrolling == value)
        return;
    m_scrolling = value;
    emit scrollingChanged();
}

void SettingsModel::setGameVersion(const QString &value)
{
    if (m_gameVersion == value)
        return;
    m_gameVersion = value;
    emit gameVersionChanged();
}

void SettingsModel::setCloseToMinimize(bool on)
{
    setCloseType(on ? QStringLiteral("2") : m_closeTypeBeforeMinimize);
}

void SettingsModel::setSpeedText(const QString &typed)
{
    // Never null, so that an emptied input still counts as an entry.
    m_speedText = typed.isNull() ? QStringLiteral("") : typed;
}

void SettingsModel::finishSpeedText()
{
    if (m_speedText.isNull())
        return;
    const QString typed = m_speedText;
    m_speedText = QString();
    // The limit choice is the one the input belongs to.
    if (!m_speedNoLimit)
        setSpeedLimit(clampSpeed(typed));
}

void SettingsModel::takeStoredCloseType(const QString &type)
{
    const bool applying = m_applying;
    m_applying = true;
    setCloseType(type);
    m_applying = applying;
    // The newer stored choice wins over an older one the page left unsaved.
    m_touched &= ~quint32(FCloseType);
}

void SettingsModel::onGameInstalled()
{
    const QString path = installedExePath();
    if (!path.isEmpty())
        setInstallationLocation(path);
}

QWidget *SettingsModel::dialogParent() const
{
    if (m_host && m_host->isVisible())
        return m_host;
    return m_mainWindow;
}

void SettingsModel::closeSettings()
{
    emit hideRequested();
    m_host = nullptr;
    save();
}

void SettingsModel::changeLanguage(const QString &languageCode, int index, const QString &languageName)
{
    qInfo().noquote()
        << QStringLiteral("languageCode: %1, index:%2, languageName:%3").arg(languageCode).arg(index).arg(languageName);
    const int current = LauncherConfig::instance()->languageIndex();
    if (index < 0 || index > 4 || index == current) {
        setCurLanguageIndex(current);
        return;
    }
    // The question closes first; the settings close behind it afterwards.
    QPointer<SettingsModel> self(this);
    auto *dialog = openMessage(
        dialogParent(), false, tr("restartOnModifyingLanguage"),
        [self, current] {
            if (self)
                self->afterQuestion([model = self.data(), current] {
                    model->setCurLanguageIndex(current);
                    model->closeSettings();
                });
        },
        [self, index] {
            if (self)
                self->afterQuestion([model = self.data(), index] {
                    model->closeSettings();
                    if (model->m_actions.restart)
                        model->m_actions.restart(index);
                    else
                        missingAction("restart");
                });
        });
    // Whatever closed the question other than Confirm (Cancel, its close
    // button, Escape) leaves the language as it is: the list shows it again.
    connect(dialog, &QDialog::finished, this, [this, current, index](int result) {
        if (result != SettingCommonDialog::Confirmed || !m_actions.restart) {
            if (m_curLanguageIndex == index)
                setCurLanguageIndex(current);
        }
    });
}

void SettingsModel::afterQuestion(std::function<void()> step)
{
    QTimer::singleShot(0, this, std::move(step));
}

void SettingsModel::setupLanguageIndex(int index)
{
    setCurLanguageIndex(index);
}

void SettingsModel::changeInstallationLocation()
{
    if (m_actions.moveCollaborators && !installedExePath().isEmpty()) {
        chooseMoveFolder();
        return;
    }
    QString start = m_installationLocation;
    if (QFileInfo(start).isFile())
        start = QFileInfo(start).absolutePath();
    if (start.isEmpty())
        start = AppDir::filePath(LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir")));
    // The filter names the edition's game executable.
    const QString exe = LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile"));
    const QString filter = tr("Game(quillmere.exe);;All Files (*.*)").replace(QStringLiteral("quillmere.exe"), exe);

    auto *dialog = new QFileDialog(dialogParent(), tr("Choose File"), start, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setObjectName(QStringLiteral("settingsLocateDialog"));
    connect(dialog, &QFileDialog::fileSelected, this, &SettingsModel::takeLocated);
    dialog->open();
}

void SettingsModel::takeLocated(const QString &file)
{
    if (file.isEmpty())
        return;
    const QString folder = QFileInfo(file).absolutePath();
    qDebug().noquote() << QStringLiteral("exeString : %1").arg(file);
    qInfo().noquote() << QStringLiteral("game dir : %1").arg(QDir::toNativeSeparators(folder));
    if (!m_actions.locate) {
        missingAction("locate");
        return;
    }
    const QString error = m_actions.locate(file);
    if (!error.isEmpty()) {
        showTip(error);
        return;
    }
    setInstallationLocation(QDir::fromNativeSeparators(folder));
    setGameVersion(GameFiles::instance()->installedVersion());
}

QString SettingsModel::moveTarget(const QString &chosen)
{
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(chosen));
    const QDir dir(folder);
    if (dir.exists() && dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return folder;
    const QString name = LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeDir"));
    return QDir::cleanPath(folder + QLatin1Char('/') + name);
}

// A folder for the installed game: one that holds the game already is
// located as before; any other is where the player may move the game to.
void SettingsModel::chooseMoveFolder()
{
    const QString from = GameFiles::instance()->installDir();
    auto *dialog = new QFileDialog(dialogParent(),
        QCoreApplication::translate("InstallMover", "Choose a folder for the game"), QFileInfo(from).absolutePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    dialog->setObjectName(QStringLiteral("settingsMoveDialog"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &folder) {
        if (folder.isEmpty())
            return;
        const QString exe
            = QDir(folder).filePath(LauncherConfig::instance()->manifestValue(QStringLiteral("gameExeFile")));
        if (QFileInfo(exe).isFile())
            takeLocated(exe);
        else
            askMove(moveTarget(folder));
    });
    dialog->open();
}

void SettingsModel::askMove(const QString &target)
{
    if (isMoving())
        return;
    QPointer<SettingsModel> self(this);
    auto question = std::make_shared<QPointer<SettingCommonDialog>>();
    QWidget *parent = dialogParent();
    *question = openMessage(
        parent, parent != m_host || !m_host, InstallMover::question(target), [] {},
        [self, question, target] {
            if (self && *question)
                self->startMove(*question, target);
        });
}

// The question stays up, without its buttons, and shows the progress; closing
// it cancels the copy. The result follows as a tip.
void SettingsModel::startMove(SettingCommonDialog *dialog, const QString &target)
{
    if (!m_actions.moveCollaborators) {
        missingAction("moveCollaborators");
        return;
    }
    dialog->disableButtons();
    m_mover = std::make_unique<InstallMover>(m_actions.moveCollaborators());
    InstallMover *mover = m_mover.get();
    dialog->setMessage(InstallMover::startText(m_mover->from(), target));
    connect(mover, &InstallMover::progress, dialog, [dialog](qint64 bytes, qint64 total, int files, int all) {
        dialog->setMessage(InstallMover::progressText(bytes, total, files, all));
    });
    connect(dialog, &QDialog::finished, mover, &InstallMover::cancel);
    QPointer<SettingCommonDialog> guarded(dialog);
    connect(
        mover, &InstallMover::finished, this, [this, guarded](InstallMover::Outcome outcome, const QString &message) {
            if (guarded) {
                disconnect(guarded, nullptr, m_mover.get(), nullptr);
                guarded->close();
            }
            if (outcome == InstallMover::Outcome::Moved) {
                onGameInstalled();
                if (m_actions.moved)
                    m_actions.moved();
            }
            showTip(message);
            // Its thread ends right after this signal; the deletion waits for it.
            m_mover.release()->deleteLater();
        });
    mover->start(target);
}

void SettingsModel::clearInstallation()
{
    // The button is disabled while an install runs; a call from elsewhere
    // must not delete what a download or an extraction is writing.
    if (!m_canClearResource) {
        qWarning() << "The resources are not cleared while the game is being installed";
        return;
    }
    QPointer<SettingsModel> self(this);
    openMessage(
        dialogParent(), false, tr("clearAllDownloadResource"),
        [self] {
            if (self)
                self->afterQuestion([model = self.data()] { model->closeSettings(); });
        },
        [self] {
            if (self)
                self->afterQuestion([model = self.data()] {
                    model->closeSettings();
                    if (model->m_actions.clearResources)
                        model->m_actions.clearResources();
                    else
                        missingAction("clearResources");
                });
        });
}

void SettingsModel::checkLauncherVersion()
{
    if (!m_actions.checkLauncherVersion)
        missingAction("checkLauncherVersion");
    else if (!m_actions.checkLauncherVersion())
        qWarning() << "The launcher version check could not be started";
}

void SettingsModel::verifyGameFiles()
{
    if (!m_actions.verifyGameFiles) {
        missingAction("verifyGameFiles");
        return;
    }
    // Its notices and questions belong to the main window, not under the settings.
    closeSettings();
    m_actions.verifyGameFiles();
}

void SettingsModel::checkGameVersion()
{
    qDebug() << "---------onCheckGameVersion-------";
    if (m_actions.checkGameVersion)
        m_actions.checkGameVersion();
    else
        missingAction("checkGameVersion");
}

void SettingsModel::openLegalPage(const QString &key)
{
    LauncherConfig *config = LauncherConfig::instance();
    const QString value = config->manifestValue(key);
    const QUrl url = legalPageUrl(value, config->manifestValue(QStringLiteral("krServicePageHtml")));
    if (!url.isValid()) {
        qWarning().noquote() << QStringLiteral("The page %1 is no web address and is not opened: %2").arg(key, value);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        qWarning().noquote() << "The browser could not open" << url.toString();
}

void SettingsModel::showTermsOfService()
{
    qDebug() << "---------onShowTermsOfService-------";
    openLegalPage(QStringLiteral("userAgreementHtml"));
}

void SettingsModel::showPrivacyPolicy()
{
    qDebug() << "---------onShowPrivacyPolicy-------";
    openLegalPage(QStringLiteral("protocolHtml"));
}

void SettingsModel::showChildrenProtocol()
{
    openLegalPage(QStringLiteral("childrenProtocolHtml"));
}

void SettingsModel::onAutoLaunchSwitch()
{
    const bool on = m_autoLaunch;
    m_storeWorker.start([on] { LauncherConfig::instance()->setAutoStart(on); });
}

void SettingsModel::onScrollViewScrolling()
{
    if (!m_scrollTimer) {
        m_scrollTimer = new QTimer(this);
        m_scrollTimer->setSingleShot(true);
        m_scrollTimer->setInterval(30);
        connect(m_scrollTimer, &QTimer::timeout, this, [this] { setScrolling(false); });
    }
    setScrolling(true);
    m_scrollTimer->start();
}

void SettingsModel::showTip(const QString &text)
{
    QWidget *parent = dialogParent();
    openMessage(parent, parent != m_host || !m_host, text, nullptr, [] {});
}

void SettingsModel::onResourcesCleared()
{
    setInstallationLocation(QString());
}
