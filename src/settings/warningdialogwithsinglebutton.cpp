#include "settings/warningdialogwithsinglebutton.h"

#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"
#include "widgets/keyboardfocus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

WarningDialogWithSingleButton::WarningDialogWithSingleButton(const QString &message, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("WarningDialogWithSingleButton"));
    QWidget *panel = DialogParts::makeSurfacePanel(this, QStringLiteral("dialog_bg"));

    auto *title = new QLabel(tr("Warning"), panel);
    title->setObjectName(QStringLiteral("label_dialog_title"));
    title->setAlignment(Qt::AlignCenter);
    m_message = new QLabel(message, panel);
    m_message->setObjectName(QStringLiteral("warningMessage"));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    auto *confirm = new AnimatedButton(tr("Confirm"), panel);
    confirm->setObjectName(QStringLiteral("pushbutton_dialog_confrim"));
    confirm->setFixedSize(DialogParts::SingleButtonSize);
    // The keyboard starts on the one answer; the dialog reads as its title and text.
    KeyboardFocus::startAt(confirm);
    setAccessibleName(title->text());
    setAccessibleDescription(message);

    auto *layout = new QVBoxLayout(panel);
    // The title sits level with the close button, the rest below it.
    layout->setContentsMargins(
        DialogParts::ContentSide, DialogParts::CloseInset, DialogParts::ContentSide, DialogParts::ContentBottom);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addWidget(m_message, 1);
    layout->addLayout(DialogParts::centredRow({confirm}));

    auto *close = DialogParts::makeCloseButton(panel, QStringLiteral("pushButton_close"));

    setStyleSheet(DialogParts::panelRules(panel->objectName()) + DialogParts::titleRules(title->objectName())
        + DialogParts::bodyRules(m_message->objectName())
        + DialogParts::confirmButtonRules(confirm->objectName(), DialogParts::ButtonTextPx));
    // The title's box is as tall as its text in this language's face, bold
    // (a fallback face for the script may be taller than the font's own).
    title->ensurePolished();
    title->setMinimumHeight(
        qMax(title->fontMetrics().height(), title->fontMetrics().boundingRect(QRect(), 0, title->text()).height()) + 2);

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(confirm, &QPushButton::clicked, this, [this] {
        // The receiver may delete the notice (the window keeps only its last).
        QPointer<WarningDialogWithSingleButton> alive(this);
        emit singleButtonClick();
        if (alive)
            accept();
    });
}

QString WarningDialogWithSingleButton::message() const
{
    return m_message->text();
}

void WarningDialogWithSingleButton::setMessage(const QString &message)
{
    m_message->setText(message);
    setAccessibleDescription(message);
}
