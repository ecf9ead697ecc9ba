#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Asks one question in a SettingCommonDialog over the main window and waits
// for the answer. The dialog is destroyed when it closes, whoever closes it.
class CommonDialog : public QObject
{
    Q_OBJECT
public:
    // Runs the dialog modally and returns what closed it
    // (SettingCommonDialog::Result). A button without a callback is hidden.
    static int ask(QWidget *parent, const QString &message, const QString &cancelText, const QString &confirmText,
        std::function<void()> onCancel, std::function<void()> onConfirm);
};
