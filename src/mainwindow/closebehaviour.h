#pragma once

#include "settings/warningdialogwithdoublebutton.h"
#include "widgets/qmlhostdialog.h"

#include <QObject>
#include <QPointer>

#include <functional>

class InstallSession;

// What closing the main window does. While a download or an extraction runs,
// every way out (the close button, a close from the window system, the
// tray's "Close") asks first. Otherwise the close button follows the stored
// choice "close_tpye" of group "Launcher": "1" quit, "2" hide to the tray,
// anything else ask with the close question, whose answer is stored.
class CloseBehaviour : public QObject
{
    Q_OBJECT
public:
    // `trayAvailable` says whether a hidden window can come back through the
    // tray; null: QSystemTrayIcon::isSystemTrayAvailable().
    // `session` says whether an install runs; `window` is the main window.
    CloseBehaviour(QWidget *window, InstallSession *session, std::function<bool()> trayAvailable);

    // The busy question over `window` ("ExitOnInstalling" when `extracting`,
    // else "ExitOnDownloading"), shown modal and deleted on close.
    static WarningDialogwithDoublebutton *showBusyQuestion(QWidget *window, bool extracting);

    // The question on screen, while it is.
    WarningDialogwithDoublebutton *busyQuestion() const { return m_busyQuestion; }
    QmlHostDialog *closeQuestion() const { return m_closeQuestion; }

    // Hides the window to the tray, or minimises it where there is no tray
    // to bring it back from (also while the game runs).
    void hideWindow();

public slots:
    // The close button and a close request from the window system.
    void onCloseRequested();
    // The tray's "Close": quits, after the busy question when an install runs.
    void onQuitRequested();

signals:
    // The launcher is to end (the orderly quit plugs in here).
    void quitConfirmed();
    // The close question's answer was stored as "close_tpye" ("1" or "2"):
    // whoever shows that choice follows it.
    void closeChoiceStored(const QString &closeType);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True when an install runs; the question is then on screen.
    bool askWhenBusy();
    void storeChoice(const QString &closeType);

    QWidget *m_window = nullptr;
    QPointer<InstallSession> m_session;
    std::function<bool()> m_trayAvailable;
    QPointer<WarningDialogwithDoublebutton> m_busyQuestion;
    QPointer<QmlHostDialog> m_closeQuestion;
};
