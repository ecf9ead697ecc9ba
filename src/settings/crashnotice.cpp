#include "settings/crashnotice.h"

#include "settings/dialogparts.h"
#include "settings/warningdialogwithsinglebutton.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

QString CrashNotice::text(const QString &code, const QString &address)
{
    return QCoreApplication::translate("CrashNotice", "crashNotice").arg(code, address);
}

WarningDialogWithSingleButton *CrashNotice::open(QWidget *window, const QString &text)
{
    const bool overWindow = window && window->isVisible();
    auto *dialog = new WarningDialogWithSingleButton(text, window);
    dialog->setObjectName(QStringLiteral("crashNotice"));
    dialog->setModal(true);
    if (overWindow) {
        // Like the window's other notices: a child covering it, dimmed, the
        // panel at the window's centre.
        DialogParts::coverWindow(dialog);
        dialog->move((window->width() - dialog->width()) / 2, (window->height() - dialog->height()) / 2);
    } else {
        // No window to cover (not shown yet, or in the tray): a window of its
        // own, its dimmed surface at the centre of the screen.
        dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setAttribute(Qt::WA_TranslucentBackground);
        dialog->setAutoFillBackground(true);
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        dialog->move(available.center() - dialog->rect().center());
    }
    dialog->open();
    return dialog;
}
