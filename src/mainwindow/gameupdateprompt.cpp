#include "mainwindow/gameupdateprompt.h"

#include "api/apiresult.h"
#include "app/texts.h"
#include "install/gamefiles.h"
#include "install/gameinstallplugin.h"
#include "install/gameversioninfo.h"
#include "mainwindow/mainwindow.h"
#include "settings/settingcommondialog.h"
#include "widgets/windowcover.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

// The question and its tips are the settings window's texts, shared by the
// pop-up's check so that both read alike.
QString text(const char *key)
{
    return QCoreApplication::translate("SettingsModel", key);
}

} // namespace

GameUpdatePrompt::GameUpdatePrompt(GameInstallPlugin *plugin, MainWindow *window)
    : QObject(window)
    , m_plugin(plugin)
    , m_window(window)
{
    if (!m_plugin)
        return;
    connect(m_plugin, &GameInstallPlugin::updatePromptRequested, this, &GameUpdatePrompt::ask);
    connect(m_plugin, &GameInstallPlugin::updatePromptFinished, this, &GameUpdatePrompt::onAnswered);
    // The package query's outcome follows updatePromptFinished() within the
    // same call; the window itself starts the update or shows a refusal.
    connect(m_plugin, &GameInstallPlugin::updateNewVersionNow, this, [this] {
        if (m_answer == Answer::Waiting)
            m_answer = Answer::Started;
    });
    connect(m_plugin, &GameInstallPlugin::gameoffline, this, [this] {
        if (m_answer == Answer::Waiting)
            m_answer = Answer::Reported;
    });
    connect(m_plugin, &GameInstallPlugin::networkError, this, [this] {
        if (m_answer != Answer::Waiting)
            return;
        m_answer = Answer::Reported;
        showTip(text("CannotgetVersionInfo"));
    });
}

void GameUpdatePrompt::setSettingsHost(std::function<QWidget *()> host, std::function<void()> closeHost)
{
    m_host = std::move(host);
    m_closeHost = std::move(closeHost);
}

QWidget *GameUpdatePrompt::host() const
{
    QWidget *open = m_host ? m_host() : nullptr;
    return open && open->isVisible() ? open : nullptr;
}

QWidget *GameUpdatePrompt::placeDialog(SettingCommonDialog *dialog)
{
    QWidget *settings = host();
    WindowCover::paintBeneath(dialog, settings ? settings : m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!settings) {
        dialog->resize(m_window->size());
        dialog->coverWholeWindow();
    }
    dialog->move(m_window->pos());
    return settings;
}

void GameUpdatePrompt::showTip(const QString &message)
{
    if (m_tip)
        m_tip->close();
    QWidget *settings = host();
    auto *tip = new SettingCommonDialog(
        settings ? settings : static_cast<QWidget *>(m_window), Qt::Dialog | Qt::FramelessWindowHint, message);
    placeDialog(tip);
    tip->setButtonTexts(QString(), text("Confirm"));
    tip->setCallbacks({}, [] {});
    m_tip = tip;
    tip->open();
    tip->raise();
}

void GameUpdatePrompt::checkGameVersion()
{
    qDebug("---------onCheckGameVersion-------");
    if (!m_plugin)
        return;
    const QString stored = GameFiles::instance()->targetVersion();
    m_plugin->queryLatestVersionOnce(this, [this, stored](const ApiResult *reply) { onCheckAnswer(stored, reply); });
}

void GameUpdatePrompt::onCheckAnswer(const QString &storedVersion, const ApiResult *reply)
{
    if (!reply) {
        qInfo("----------------Network or server error-----------------");
        showTip(text("CannotgetVersionInfo"));
        return;
    }
    if (reply->code == 200) {
        const QString latest = GameVersionInfo::fromVersionReply(reply->data).latestVersion;
        if (latest.isEmpty()) {
            showTip(text("CannotgetVersionInfo"));
            return;
        }
        if (needsAppUpdate(storedVersion, latest)) {
            qInfo().noquote() << "need to update game!!! New Version is :" + latest;
            ask(latest);
            return;
        }
        GameFiles *files = GameFiles::instance();
        if (files->status() == InstallStatus::Downloading) {
            showTip(text("DownloadingGameNow"));
            return;
        }
        showTip(text("Current version:%1").arg(files->installedVersion()) + QStringLiteral("\n\n")
            + text("You have updated to the latest Version."));
        return;
    }
    if (reply->code == 4001)
        qInfo("----------------Game_Version_Null----------------------");
    else if (reply->code <= 0)
        qInfo("-------------------api.code <= 0-----------------------");
    else
        return;
    showTip(text("CannotgetVersionInfo") + QStringLiteral("(%1)").arg(reply->code));
}

void GameUpdatePrompt::ask(const QString &latestVersion)
{
    // A second check while a question is open replaces it; a question that
    // is already connecting keeps its place.
    if (m_question) {
        if (m_answer == Answer::Waiting)
            return;
        m_question->close();
    }
    QWidget *settings = host();
    auto *question = new SettingCommonDialog(settings ? settings : static_cast<QWidget *>(m_window),
        Qt::Dialog | Qt::FramelessWindowHint, text("New Version found, update now?").arg(latestVersion));
    placeDialog(question);
    question->setButtonTexts(text("Cancel"), text("Update"));
    question->setCallbacks([] {}, [this, question, latestVersion] { confirmUpdate(question, latestVersion); });
    m_question = question;
    m_askedInSettings = settings != nullptr;
    m_answer = Answer::None;
    question->open();
    question->raise();
}

void GameUpdatePrompt::confirmUpdate(SettingCommonDialog *dialog, const QString &latestVersion)
{
    // A second download beside the running one would write the same files
    // and record the wrong version: refuse and say why.
    if (m_window->isInstallIng()) {
        qInfo("The update was refused: a download or an extraction is running");
        showTip(text("DownloadingGameNow"));
        return; // the question closes after this callback
    }
    dialog->setButtonTexts(text("Cancel"), text("Loading"));
    dialog->disableButtons();
    m_answer = Answer::Waiting;
    m_plugin->requestTargetGameDownloadFileResource(latestVersion);
}

void GameUpdatePrompt::onAnswered()
{
    if (m_question)
        m_question->close();
    if (m_answer != Answer::Waiting)
        return;
    if (m_askedInSettings && m_closeHost)
        m_closeHost();
    // The outcome arrives right after this signal, in the same call. Nothing
    // at all (a time-out, a refused or unreadable answer) must still be told.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_answer == Answer::Waiting)
                showTip(text("CannotgetVersionInfo"));
            m_answer = Answer::None;
        },
        Qt::QueuedConnection);
}
