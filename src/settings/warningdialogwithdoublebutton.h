#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// The two-button question drawn on the dialog panel over the dimmed window:
// cancel and confirm close it and say which was pressed; the close button
// (and Escape) only closes it.
class WarningDialogwithDoublebutton : public QDialog
{
    Q_OBJECT
public:
    explicit WarningDialogwithDoublebutton(const QString &message, QWidget *parent = nullptr);

    void setCancelText(const QString &text);
    void setConfirmText(const QString &text);

    // Asks `message` over the main window `window` (modal, Cancel and
    // Confirm); Confirm calls `onConfirm` in the context of `receiver`.
    static WarningDialogwithDoublebutton *ask(
        const QString &message, QWidget *window, QObject *receiver, std::function<void()> onConfirm);

signals:
    void dialogCancel();
    void dialogConfirm();

private:
    QLabel *m_message = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_confirm = nullptr;
};
