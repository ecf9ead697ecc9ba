#include "settings/settingcommondialog.h"

#include "settings/dialogparts.h"
#include "widgets/animatedbutton.h"
#include "widgets/keyboardfocus.h"
#include "widgets/windowcover.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace {
constexpr QSize SettingsPageSize(974, 474);
constexpr QSize WindowSize(DialogParts::SurfaceWidth, DialogParts::SurfaceHeight);
constexpr QSize PanelSize(DialogParts::PanelWidth, DialogParts::PanelHeight);
} // namespace

SettingCommonDialog::SettingCommonDialog(QWidget *parent, Qt::WindowFlags flags, const QString &message)
    : QDialog(parent, flags)
{
    setObjectName(QStringLiteral("SettingCommonDialog"));
    m_backdrop = new QLabel(this);
    m_backdrop->setObjectName(QStringLiteral("label_bg"));
    m_backdrop->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 125);"));

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("settingdialog_bg"));
    m_panel->setAttribute(Qt::WA_StyledBackground);
    m_panel->setFixedSize(PanelSize);
    WindowCover::cutToPanel(this, m_panel);

    auto *close = DialogParts::makeCloseButton(m_panel, QStringLiteral("settingpushButton_close"));
    m_message = new QLabel(message, m_panel);
    m_message->setObjectName(QStringLiteral("label_dialog_tips"));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    const DialogParts::ButtonRow buttons
        = DialogParts::makeButtonRow(m_panel, tr("Cancel"), tr("Confirm"), DialogParts::PairButtonSize);
    m_cancel = buttons.cancel;
    m_confirm = buttons.confirm;
    // The message is the dialog's name; the keyboard starts on the answer that changes nothing.
    setAccessibleName(message);
    KeyboardFocus::startAt(m_cancel);

    auto *layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(
        DialogParts::ContentSide, DialogParts::ContentTop, DialogParts::ContentSide, DialogParts::ContentBottom);
    layout->addWidget(m_message, 1);
    layout->addLayout(buttons.layout);

    setStyleSheet(DialogParts::panelRules(m_panel->objectName()) + DialogParts::bodyRules(m_message->objectName())
        + DialogParts::cancelButtonRules(m_cancel->objectName(), DialogParts::ButtonTextPx)
        + DialogParts::confirmButtonRules(m_confirm->objectName(), DialogParts::ButtonTextPx));

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cancel, &QPushButton::clicked, this, [this] { press(m_onCancel, Cancelled); });
    connect(m_confirm, &QPushButton::clicked, this, [this] { press(m_onConfirm, Confirmed); });

    resize(parent ? parent->size() : WindowSize);
    placeChildren();
}

void SettingCommonDialog::setButtonTexts(const QString &cancel, const QString &confirm)
{
    if (!cancel.isEmpty())
        m_cancel->setText(cancel);
    if (!confirm.isEmpty())
        m_confirm->setText(confirm);
}

void SettingCommonDialog::setCallbacks(std::function<void()> onCancel, std::function<void()> onConfirm)
{
    m_onCancel = std::move(onCancel);
    m_onConfirm = std::move(onConfirm);
    m_cancel->setVisible(bool(m_onCancel));
    m_confirm->setVisible(bool(m_onConfirm));
    KeyboardFocus::startAt(m_onCancel ? m_cancel : m_confirm);
    // A lone confirming button has the size of the notices' one.
    m_confirm->setFixedSize(m_onCancel ? DialogParts::PairButtonSize : DialogParts::SingleButtonSize);
}

void SettingCommonDialog::disableButtons()
{
    m_waiting = true;
    m_cancel->setEnabled(false);
    m_confirm->setEnabled(false);
}

void SettingCommonDialog::coverWholeWindow()
{
    m_wholeWindow = true;
    placeChildren();
}

QString SettingCommonDialog::message() const
{
    return m_message->text();
}

void SettingCommonDialog::setMessage(const QString &message)
{
    m_message->setText(message);
    setAccessibleName(message);
}

void SettingCommonDialog::press(const std::function<void()> &callback, Result result)
{
    // The callback may delete the dialog (closing its parent, say): copy it
    // first and touch nothing afterwards unless the dialog still exists.
    const std::function<void()> run = callback;
    QPointer<SettingCommonDialog> alive(this);
    emit buttonPressed(result);
    if (alive && run)
        run();
    // A callback that closed the dialog itself has had it reported already.
    if (alive && !m_waiting && isVisible())
        done(result);
}

void SettingCommonDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeChildren();
}

void SettingCommonDialog::placeChildren()
{
    const QSize backdrop = m_wholeWindow ? size() : SettingsPageSize.boundedTo(size());
    m_backdrop->setGeometry(
        QRect(QPoint((width() - backdrop.width()) / 2, (height() - backdrop.height()) / 2), backdrop));
    m_panel->move((width() - m_panel->width()) / 2, (height() - m_panel->height()) / 2);
}
