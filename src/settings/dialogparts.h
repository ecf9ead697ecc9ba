#pragma once

#include <QSize>
#include <QString>

class AnimatedButton;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

// The pieces the message dialogs share: the dimmed 1280 x 720 surface with the
// 567 x 308 parchment panel, the close button and the two kinds of buttons.
namespace DialogParts {

constexpr int SurfaceWidth = 1280;
constexpr int SurfaceHeight = 720;
constexpr int PanelWidth = 567;
constexpr int PanelHeight = 308;

// The dialog becomes the dimmed surface (its background, when a caller fills
// it, is the half-transparent black) and gets the panel at its centre.
QWidget *makeSurfacePanel(QDialog *dialog, const QString &panelName);

// Lays a message dialog over its parent window as that surface: frameless,
// its background filled, at the window's origin, deleted when closed.
void coverWindow(QDialog *dialog);

QPushButton *makeCloseButton(QWidget *parent, const QString &name, int side);

// Cancel and confirm side by side, centred, under the object names the style
// sheets select ("pushButton_cancle", "pushButton_confrim").
struct ButtonRow
{
    QHBoxLayout *layout = nullptr;
    AnimatedButton *cancel = nullptr;
    AnimatedButton *confirm = nullptr;
};
ButtonRow makeButtonRow(QWidget *panel, const QString &cancelText, const QString &confirmText, QSize size);

// Style-sheet rules of the panel and buttons, selected by object name.
QString panelRules(const QString &panelName);
QString confirmButtonRules(const QString &name, int pixelSize);
QString cancelButtonRules(const QString &name, int pixelSize);

} // namespace DialogParts
