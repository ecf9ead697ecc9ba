#include "settings/crashnotice.h"

#include "settings/warningdialogwithsinglebutton.h"

#include <QGuiApplication>
#include <QScreen>

WarningDialogWithSingleButton *CrashNotice::open(QWidget *window, const QString &text)
{
    auto *dialog = new WarningDialogWithSingleButton(text, window);
    dialog->setObjectName(QStringLiteral("crashNotice"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The frameless flag alone makes it a child inside the window, not a window of its own.
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    dialog->setAutoFillBackground(true);
    dialog->setModal(true);
    dialog->setFixedSize(Width, Height);
    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    dialog->move((available.width() - Width) / 4, (available.height() - Height) / 4);
    dialog->open();
    return dialog;
}
