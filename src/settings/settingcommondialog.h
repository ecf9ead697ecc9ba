#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// The lighter message dialog of the settings pages and the install questions:
// a panel over a dimming backdrop, a close button, and a cancel and a confirm
// button that are shown only when given a callback.
//
// A button with a callback runs it and then closes the dialog, unless the
// callback put the dialog into its waiting state (disableButtons()): then the
// caller closes it when its work ends. The close button, the cancel button
// and Escape always close it.
class SettingCommonDialog : public QDialog
{
    Q_OBJECT
public:
    // What the dialog was closed by, as its result().
    enum Result { Closed = QDialog::Rejected, Confirmed = QDialog::Accepted, Cancelled = 2 };
    Q_ENUM(Result)

    SettingCommonDialog(QWidget *parent, Qt::WindowFlags flags, const QString &message);

    // An empty text leaves that button's text as it is.
    void setButtonTexts(const QString &cancel, const QString &confirm);
    // A button without callback is hidden.
    void setCallbacks(std::function<void()> onCancel, std::function<void()> onConfirm);
    // The waiting state: both buttons disabled, the caller closes the dialog.
    void disableButtons();
    // The backdrop covers the whole 1280 x 720 window instead of the settings
    // page's 974 x 474 at the centre.
    void coverWholeWindow();

    QString message() const;
    // A new text, such as the progress of the work a waiting dialog stands for.
    void setMessage(const QString &message);

signals:
    // A button was pressed; sent before its callback runs, so a listener
    // learns the answer even when the callback deletes the dialog.
    void buttonPressed(int result);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void press(const std::function<void()> &callback, Result result);
    void placeChildren();

    QLabel *m_backdrop = nullptr;
    QWidget *m_panel = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_confirm = nullptr;
    std::function<void()> m_onCancel;
    std::function<void()> m_onConfirm;
    bool m_waiting = false;
    bool m_wholeWindow = false;
};
