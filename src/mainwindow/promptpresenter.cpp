#include "mainwindow/promptpresenter.h"

#include "app/later.h"
#include "settings/dialogparts.h"
#include "settings/warningdialogwithdoublebutton.h"
#include "settings/warningdialogwithsinglebutton.h"

#include <QCoreApplication>

namespace {

// The texts the install session asks for, so that the catalogues know them.
[[maybe_unused]] const char *const kPromptTexts[] = {
    QT_TRANSLATE_NOOP("MainWindow", "CannotgetVersionInfo"),
    QT_TRANSLATE_NOOP("MainWindow", "ExeError"),
    QT_TRANSLATE_NOOP("MainWindow", "ExeSomeError(%1-%2)。"),
    QT_TRANSLATE_NOOP("MainWindow", "FileSpaceLimit"),
    QT_TRANSLATE_NOOP("MainWindow", "Retry"),
    QT_TRANSLATE_NOOP("MainWindow", "ExitApp"),
};

QString translated(const QString &key)
{
    return QCoreApplication::translate("MainWindow", key.toUtf8().constData());
}

} // namespace

PromptPresenter::PromptPresenter(QWidget *window, InstallSession *session)
    : QObject(window)
    , m_window(window)
    , m_session(session)
{
    connect(session, &InstallSession::promptRequested, this, &PromptPresenter::show);
    if (const InstallSession::Prompt *open = session->currentPrompt())
        show(*open);
}

PromptPresenter::~PromptPresenter()
{
    if (m_dialog)
        m_dialog->disconnect(this);
    if (m_session && m_dialog) {
        m_session->disconnect(this);
        m_session->answer(m_shownId, InstallSession::Answer::Dismissed);
    }
}

WarningDialogWithSingleButton *PromptPresenter::notice() const
{
    return qobject_cast<WarningDialogWithSingleButton *>(m_dialog.data());
}

QString PromptPresenter::text(const InstallSession::Prompt &prompt)
{
    QString text = prompt.textKey.isEmpty() ? prompt.text : translated(prompt.textKey);
    for (const QString &arg : prompt.args)
        text = text.arg(arg);
    return text + prompt.suffix;
}

QDialog *PromptPresenter::makeDialog(const InstallSession::Prompt &prompt)
{
    using Answer = InstallSession::Answer;
    QPointer<InstallSession> session = m_session;
    const int id = prompt.id;
    auto answer = [session, id](Answer a) {
        if (session)
            session->answer(id, a);
    };
    if (prompt.kind == InstallSession::PromptKind::RoomQuestion) {
        auto *question = new WarningDialogwithDoublebutton(text(prompt), m_window);
        DialogParts::coverWindow(question);
        question->setConfirmText(translated(prompt.confirmKey));
        question->setCancelText(translated(prompt.cancelKey));
        connect(question, &WarningDialogwithDoublebutton::dialogConfirm, this, [answer] { answer(Answer::Confirm); });
        connect(question, &WarningDialogwithDoublebutton::dialogCancel, this, [answer] { answer(Answer::Cancel); });
        return question;
    }
    auto *notice = new WarningDialogWithSingleButton(text(prompt), m_window);
    notice->setWindowFlags(Qt::FramelessWindowHint);
    notice->setAutoFillBackground(true);
    notice->move(0, 0);
    notice->setModal(true);
    connect(notice, &WarningDialogWithSingleButton::singleButtonClick, this, [answer] { answer(Answer::Confirm); });
    return notice;
}

void PromptPresenter::show(const InstallSession::Prompt &prompt)
{
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->close();
        m_dialog->deleteLater();
    }
    QDialog *dialog = makeDialog(prompt);
    // The close button and Escape close the dialog without a button: a
    // dismissal, answered after the button's own signal (which comes after
    // the close) and ignored by the session when a button answered.
    QPointer<InstallSession> session = m_session;
    const int id = prompt.id;
    connect(dialog, &QDialog::finished, this, [this, session, id] {
        later(this, [session, id] {
            if (session)
                session->answer(id, InstallSession::Answer::Dismissed);
        });
    });
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    m_dialog = dialog;
    m_shownId = id;
    dialog->show();
}
