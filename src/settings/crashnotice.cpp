#include "settings/crashnotice.h"

#include "settings/dialogparts.h"
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
    // The notice is the panel alone, not the panel on a dimmed window-sized
    // surface: cut to the panel's size, the surface would show its empty
    // corner and hide the text. Its parts move with the panel to the corner.
    dialog->setFixedSize(Width, Height);
    const QPoint panelOrigin((DialogParts::SurfaceWidth - DialogParts::PanelWidth) / 2,
        (DialogParts::SurfaceHeight - DialogParts::PanelHeight) / 2);
    for (QWidget *part : dialog->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        part->move(part->pos() - panelOrigin);
    const QSize available = QGuiApplication::primaryScreen()->availableSize();
    dialog->move((available.width() - Width) / 4, (available.height() - Height) / 4);
    dialog->open();
    return dialog;
}
