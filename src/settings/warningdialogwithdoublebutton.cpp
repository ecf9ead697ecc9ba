#include "settings/warningdialogwithdoublebutton.h"

#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
constexpr int CloseSide = 36;
constexpr int MessageHeight = 99;
constexpr QSize ButtonSize(208, 68);
constexpr int ButtonTextPx = 20;
} // namespace

WarningDialogwithDoublebutton::WarningDialogwithDoublebutton(const QString &message, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("WarningDialogwithDoublebutton"));
    QWidget *panel = DialogParts::makeSurfacePanel(this, QStringLiteral("dialog_bg_verticalWidget"));

    auto *close = DialogParts::makeCloseButton(panel, QStringLiteral("pushButton_close"), CloseSide);
    // The message is shown disabled, as text and not as a control; its
    // colour for that state comes from the style sheet.
    m_message = new QLabel(message, panel);
    m_message->setObjectName(QStringLiteral("UpdateMessage"));
    m_message->setEnabled(false);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setFixedHeight(MessageHeight);

    const DialogParts::ButtonRow buttons = DialogParts::makeButtonRow(panel, tr("Cancel"), tr("Confirm"), ButtonSize);
    m_cancel = buttons.cancel;
    m_confirm = buttons.confirm;

    auto *top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(close);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(36, 14, 14, 36);
    layout->addLayout(top);
    layout->addWidget(m_message);
    layout->addStretch();
    layout->addLayout(buttons.layout);

    setStyleSheet(DialogParts::panelRules(panel->objectName())
        + QStringLiteral("#UpdateMessage, #UpdateMessage:disabled { color: #333333; font-size: 18px; "
                         "padding-right: 22px; }\n")
        + DialogParts::cancelButtonRules(m_cancel->objectName(), ButtonTextPx)
        + DialogParts::confirmButtonRules(m_confirm->objectName(), ButtonTextPx));

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
