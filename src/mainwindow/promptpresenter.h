#pragma once

#include "install/installsession.h"

#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;
class WarningDialogWithSingleButton;

// Shows the install session's notices and questions over the main window
// and hands every way out back as an answer: a button as itself, the close
// button, Escape and the window closing under the dialog as a dismissal.
// One dialog at a time; the session holds the others until it is answered.
class PromptPresenter : public QObject
{
    Q_OBJECT
public:
    PromptPresenter(QWidget *window, InstallSession *session);
    // A dialog still open goes with the window: it was dismissed.
    ~PromptPresenter() override;

    QDialog *dialog() const { return m_dialog; }
    WarningDialogWithSingleButton *notice() const;

    // The text of a prompt in the window's language.
    static QString text(const InstallSession::Prompt &prompt);

private:
    void show(const InstallSession::Prompt &prompt);
    QDialog *makeDialog(const InstallSession::Prompt &prompt);

    QWidget *m_window;
    QPointer<InstallSession> m_session;
    QPointer<QDialog> m_dialog;
    int m_shownId = 0;
};
