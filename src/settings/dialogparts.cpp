#include "settings/dialogparts.h"

#include "widgets/animatedbutton.h"
#include "widgets/artstyle.h"
#include "widgets/windowcover.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QPalette>

namespace {
const QString DialogBackground = QStringLiteral(":/mainwindow/dialog_bg");
const QString CloseStem = QStringLiteral(":/mainwindow/btn_dialogclose");
const QString ConfirmStem = QStringLiteral(":/mainwindow/btn_dialogconfirm");
const QString CancelStem = QStringLiteral(":/mainwindow/btn_dialogcancel");
} // namespace

QWidget *DialogParts::makeSurfacePanel(QDialog *dialog, const QString &panelName)
{
    dialog->setFixedSize(SurfaceWidth, SurfaceHeight);
    // Placed over the main window, the surface dims it rather than hiding it.
    QPalette dim = dialog->palette();
    dim.setColor(QPalette::Window, QColor(0, 0, 0, 125));
    dialog->setPalette(dim);

    auto *panel = new QWidget(dialog);
    panel->setObjectName(panelName);
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setGeometry((SurfaceWidth - PanelWidth) / 2, (SurfaceHeight - PanelHeight) / 2, PanelWidth, PanelHeight);
    WindowCover::cutToPanel(dialog, panel);
    return panel;
}

QPushButton *DialogParts::makeCloseButton(QWidget *panel, const QString &name)
{
    const bool drawn = QFile::exists(CloseStem + QStringLiteral("_normal"));
    auto *button = new AnimatedButton(drawn ? QString() : QStringLiteral("\u2715"), panel);
    button->setObjectName(name);
    button->setAccessibleName(QCoreApplication::translate("MainWindow", "CloseToolTip"));
    button->setFixedSize(CloseSide, CloseSide);
    button->setStyleSheet(QStringLiteral("QPushButton { %1 color: #6b5a48; font-size: 18px; }"
                                         "QPushButton:hover { %2 color: #C66030; }")
                              .arg(ArtStyle::image(CloseStem + QStringLiteral("_normal"),
                                       QStringLiteral("background: transparent; border: none;")),
                                  ArtStyle::image(CloseStem + QStringLiteral("_hover"), QString())));
    button->move(panel->width() - CloseInset - CloseSide, CloseInset);
    button->raise();
    return button;
}

QHBoxLayout *DialogParts::centredRow(std::initializer_list<QWidget *> buttons)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(ButtonSpacing);
    row->addStretch();
    for (QWidget *button : buttons)
        row->addWidget(button);
    row->addStretch();
    return row;
}

DialogParts::ButtonRow DialogParts::makeButtonRow(
    QWidget *panel, const QString &cancelText, const QString &confirmText, QSize size)
{
    ButtonRow row;
    row.cancel = new AnimatedButton(cancelText, panel);
    row.cancel->setObjectName(QStringLiteral("pushButton_cancle"));
    row.cancel->setFixedSize(size);
    row.confirm = new AnimatedButton(confirmText, panel);
    row.confirm->setObjectName(QStringLiteral("pushButton_confrim"));
    row.confirm->setFixedSize(size);
    row.layout = centredRow({row.cancel, row.confirm});
    return row;
}

QString DialogParts::panelRules(const QString &panelName)
{
    // The painted frame lies in the picture's outer 20 px: drawn as borders
    // of that width, it keeps its lines and corners on every panel size.
    const QString frame = QFile::exists(DialogBackground) ? QStringLiteral("border-width: 20px;") : QString();
    return QStringLiteral("#%1 { %2 %3 }\n")
        .arg(panelName, frame,
            ArtStyle::image(DialogBackground,
                QStringLiteral("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff8ee, stop:1 #f1dfc4);"
                               "border: 2px solid #C66030; border-radius: 12px;"),
                20));
}

QString DialogParts::confirmButtonRules(const QString &name, int pixelSize)
{
    return ArtStyle::buttonRules(QStringLiteral("#") + name, ConfirmStem,
        QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F57438, stop:1 #C66030)"),
        QString::fromLatin1(ArtStyle::Parchment), pixelSize);
}

QString DialogParts::cancelButtonRules(const QString &name, int pixelSize)
{
    return ArtStyle::buttonRules(QStringLiteral("#") + name, CancelStem,
        QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbf1e3, stop:1 #e4d0b3);"
                       "border: 1px solid #b89a78"),
        QStringLiteral("#070706"), pixelSize);
}

QString DialogParts::titleRules(const QString &name)
{
    return QStringLiteral("#%1 { color: #7a3a1c; font-size: %2px; font-weight: bold; }\n").arg(name).arg(TitlePx);
}

QString DialogParts::bodyRules(const QString &name)
{
    // Also when disabled: a message shown as text, not as a control.
    return QStringLiteral("#%1, #%1:disabled { color: #333333; font-size: %2px; }\n").arg(name).arg(BodyPx);
}

void DialogParts::coverWindow(QDialog *dialog)
{
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAutoFillBackground(true);
    dialog->move(0, 0);
}
