#include "settings/warningdialogwithdoublebutton.h"

#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"
#include "widgets/keyboardfocus.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
constexpr int MessageHeight = 120;
} // namespace

WarningDialogwithDoublebutton::WarningDialogwithDoublebutton(const QString &message, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("WarningDialogwithDoublebutton"));
    QWidget *panel = DialogParts::makeSurfacePanel(this, QStringLiteral("dialog_bg_verticalWidget"));

    auto *close = DialogParts::makeCloseButton(panel, QStringLiteral("pushButton_close"));
    // The message is shown disabled, as text and not as a control; its
    // colour for that state comes from the style sheet.
    m_message = new QLabel(message, panel);
    m_message->setObjectName(QStringLiteral("UpdateMessage"));
    m_message->setEnabled(false);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText); // names of files among the texts
    m_message->setAlignment(Qt::AlignCenter);
    // A longer text (a list under a question) takes the room above the buttons.
    m_message->setMinimumHeight(MessageHeight);

    const DialogParts::ButtonRow buttons
        = DialogParts::makeButtonRow(panel, tr("Cancel"), tr("Confirm"), DialogParts::PairButtonSize);
    m_cancel = buttons.cancel;
    m_confirm = buttons.confirm;
    // The keyboard starts on the answer that changes nothing; the question is the dialog's name.
    KeyboardFocus::startAt(m_cancel);
    setAccessibleName(message);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(
        DialogParts::ContentSide, DialogParts::ContentTop, DialogParts::ContentSide, DialogParts::ContentBottom);
    layout->addWidget(m_message);
    layout->addStretch();
    layout->addLayout(buttons.layout);

    setStyleSheet(DialogParts::panelRules(panel->objectName()) + DialogParts::bodyRules(m_message->objectName())
        + DialogParts::cancelButtonRules(m_cancel->objectName(), DialogParts::ButtonTextPx)
        + DialogParts::confirmButtonRules(m_confirm->objectName(), DialogParts::ButtonTextPx));

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Close first, then tell: a receiver may delete the dialog at once.
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        reject();
        emit dialogCancel();
    });
    connect(m_confirm, &QPushButton::clicked, this, [this] {
        accept();
        emit dialogConfirm();
    });
}

void WarningDialogwithDoublebutton::setCancelText(const QString &text)
{
    m_cancel->setText(text);
}

void WarningDialogwithDoublebutton::setConfirmText(const QString &text)
{
    m_confirm->setText(text);
}

WarningDialogwithDoublebutton *WarningDialogwithDoublebutton::ask(
    const QString &message, QWidget *window, QObject *receiver, std::function<void()> onConfirm)
{
    auto *question = new WarningDialogwithDoublebutton(message, window);
    DialogParts::coverWindow(question);
    question->setConfirmText(QCoreApplication::translate("MainWindow", "Confirm"));
    question->setCancelText(QCoreApplication::translate("MainWindow", "Cancel"));
    question->setModal(true);
    connect(question, &WarningDialogwithDoublebutton::dialogConfirm, receiver, std::move(onConfirm));
    question->show();
    return question;
}
