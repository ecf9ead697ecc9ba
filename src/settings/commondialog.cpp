#include "settings/commondialog.h"

#include "settings/settingcommondialog.h"
#include "widgets/windowcover.h"

#include <QPointer>
#include <QWidget>

int CommonDialog::ask(QWidget *parent, const QString &message, const QString &cancelText, const QString &confirmText,
    std::function<void()> onCancel, std::function<void()> onConfirm)
{
    auto *dialog = new SettingCommonDialog(parent, Qt::Dialog | Qt::FramelessWindowHint, message);
    WindowCover::paintBeneath(dialog, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setButtonTexts(cancelText, confirmText);
    dialog->setCallbacks(std::move(onCancel), std::move(onConfirm));

    // Over the main window (the parent's window: the main window itself or the
    // settings dialog that covers it), with the parent's size.
    if (parent) {
        dialog->resize(parent->size());
        dialog->move(parent->window()->pos());
    }
    dialog->raise();

    // The answer is taken from the dialog's own report: once exec() returns
    // the dialog is gone (deleted on close, or with a parent that a callback
    // deleted), so it must not be asked afterwards.
    int answer = SettingCommonDialog::Closed;
    connect(dialog, &SettingCommonDialog::buttonPressed, dialog, [&answer](int result) { answer = result; });
    QPointer<SettingCommonDialog> alive(dialog);
    dialog->exec();
    if (alive)
        delete alive.data();
    return answer;
}
