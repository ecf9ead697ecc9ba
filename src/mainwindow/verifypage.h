#pragma once

#include "install/gameverify.h"

#include <QCoreApplication>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QWidget;

// The install display's page for a check or repair of the game files: what runs, files
// and bytes, the bar and the time left, pause and resume (a check only: a repair writes
// and is not held halfway) and cancel. It draws what VerifyFlow reports; the window wires
// its buttons.
class VerifyPage
{
    Q_DECLARE_TR_FUNCTIONS(VerifyFlow)
public:
    // Builds the widgets in `page`, one page of the install display's stack.
    explicit VerifyPage(QWidget *page);

    QPushButton *pauseButton() const { return m_pauseButton; }
    QPushButton *resumeButton() const { return m_resumeButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    // A new check (`repairing` false) or repair: nothing done yet.
    void begin(bool repairing);
    void showCheck(const VerifyProgress &progress);
    // A repair's phase ("fetch", "extract" or "verify") and how far it has come.
    void showRepair(const QString &phase, qint64 done, qint64 total);
    void setPaused(bool paused);

private:
    void showShare(double share);

    bool m_repairing = false;
    QLabel *m_status = nullptr;
    QLabel *m_sizes = nullptr;
    QLabel *m_percent = nullptr;
    QLabel *m_timeLeft = nullptr;
    QProgressBar *m_bar = nullptr;
    QStackedWidget *m_buttons = nullptr;
    QPushButton *m_pauseButton = nullptr;
    QPushButton *m_resumeButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
