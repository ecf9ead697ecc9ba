#include "mainwindow/closebehaviour.h"

#include "app/launcherconfig.h"
#include "install/installsession.h"
#include "settings/closeappmodel.h"
#include "settings/dialogparts.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "widgets/qmlhostdialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QSystemTrayIcon>

namespace {

const QString kGroup = QStringLiteral("Launcher");
const QString kCloseType = QStringLiteral("close_tpye");

} // namespace

CloseBehaviour::CloseBehaviour(QWidget *window, InstallSession *session, std::function<bool()> trayAvailable)
    : QObject(window)
    , m_window(window)
    , m_session(session)
    , m_trayAvailable(std::move(trayAvailable))
{
    // Alt+F4 and the task bar's close come as a close event: the window stays
    // until the behaviour has decided.
    window->installEventFilter(this);
}

WarningDialogwithDoublebutton *CloseBehaviour::showBusyQuestion(QWidget *window, bool extracting)
{
    auto *question
        = new WarningDialogwithDoublebutton(extracting ? QCoreApplication::translate("MainWindow", "ExitOnInstalling")
                                                       : QCoreApplication::translate("MainWindow", "ExitOnDownloading"),
            window);
    DialogParts::coverWindow(question);
    question->setConfirmText(QCoreApplication::translate("MainWindow", "Confirm"));
    question->setCancelText(QCoreApplication::translate("MainWindow", "Cancel"));
    question->setModal(true);
    question->show();
    question->raise();
    return question;
}

bool CloseBehaviour::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close) {
        event->ignore();
        onCloseRequested();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool CloseBehaviour::askWhenBusy()
{
    if (!m_session || !m_session->isInstalling())
        return false;
    if (m_busyQuestion) {
        m_busyQuestion->raise();
        return true;
    }
    const bool extracting = !m_session->isDownloading();
    qInfo() << "Closing while the game" << (extracting ? "installs" : "downloads") << "- asking first";
    m_busyQuestion = showBusyQuestion(m_window, extracting);
    connect(m_busyQuestion, &WarningDialogwithDoublebutton::dialogConfirm, this, &CloseBehaviour::quitConfirmed);
    return true;
}

void CloseBehaviour::onQuitRequested()
{
    if (!askWhenBusy())
        emit quitConfirmed();
}

void CloseBehaviour::onCloseRequested()
{
    if (askWhenBusy())
        return;
    if (m_closeQuestion) {
        m_closeQuestion->raise();
        return;
    }
    const QString choice = LauncherConfig::instance()->readString(kGroup, kCloseType);
    if (choice == QLatin1String("1")) {
        emit quitConfirmed();
        return;
    }
    if (choice == QLatin1String("2")) {
        hideWindow();
        return;
    }

    auto *model = new CloseAppModel;
    model->setCallbacks(
        [this] {
            qDebug() << "hideApplication ---------- >";
            storeChoice(QStringLiteral("2"));
            hideWindow();
        },
        [this] {
            qDebug() << "closeApplication ---------- >";
            storeChoice(QStringLiteral("1"));
            emit quitConfirmed();
        });
    m_closeQuestion = showCloseAppDialog(m_window, model);
    if (!m_closeQuestion) {
        // Without the question the close button must still do something.
        qWarning() << "The close question cannot be shown; the window is minimised";
        m_window->showMinimized();
    }
}

void CloseBehaviour::storeChoice(const QString &closeType)
{
    LauncherConfig::instance()->writeString(kGroup, kCloseType, closeType);
    emit closeChoiceStored(closeType);
}

void CloseBehaviour::hideWindow()
{
    const bool tray = m_trayAvailable ? m_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (!tray) {
        // A hidden window without a tray icon could never be brought back.
        qInfo() << "No system tray: the window is minimised instead of hidden";
        m_window->showMinimized();
        return;
    }
    m_window->hide();
}
