#pragma once

#include <QDialog>

class QLabel;

// The one-button notice drawn on the dialog panel over the dimmed window: its
// button tells and closes; the close button (and Escape) only closes it.
class WarningDialogWithSingleButton : public QDialog
{
    Q_OBJECT
public:
    explicit WarningDialogWithSingleButton(const QString &message, QWidget *parent = nullptr);

    QString message() const;
    // A notice whose text follows running work (its progress).
    void setMessage(const QString &message);

signals:
    void singleButtonClick();

private:
    QLabel *m_message = nullptr;
};
