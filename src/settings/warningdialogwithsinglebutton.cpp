#include "settings/warningdialogwithsinglebutton.h"

#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
constexpr int CloseSide = 32;
// The close button's place on the 1280 x 720 surface.
constexpr QPoint ClosePos(872, 216);
constexpr QSize ButtonSize(234, 72);
constexpr int ButtonTextPx = 20;
} // namespace

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
    confirm->setFixedSize(ButtonSize);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(40, 26, 40, 30);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addWidget(m_message, 1);
    layout->addLayout(buttons);

    auto *close = DialogParts::makeCloseButton(this, QStringLiteral("pushButton_close"), CloseSide);
    close->move(ClosePos);
    close->raise();

    setStyleSheet(DialogParts::panelRules(panel->objectName())
        + QStringLiteral("#label_dialog_title { color: #7a3a1c; font-size: 22px; font-weight: bold; }\n"
                         "#warningMessage { color: #333333; font-size: 18px; }\n")
        + DialogParts::confirmButtonRules(confirm->objectName(), ButtonTextPx));

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
