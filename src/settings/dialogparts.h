#pragma once

#include <QSize>
#include <QString>

#include <initializer_list>

class AnimatedButton;
class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

// The pieces the message dialogs share: the dimmed 1280 x 720 surface with the
// 567 x 308 parchment panel, the close button, the title and body text, and
// the two kinds of buttons in a centred row.
namespace DialogParts {

constexpr int SurfaceWidth = 1280;
constexpr int SurfaceHeight = 720;
constexpr int PanelWidth = 567;
constexpr int PanelHeight = 308;

// Every panel's close button: its side and its distance from the panel's top
// and right edges, clear of the frame line.
constexpr int CloseSide = 32;
constexpr int CloseInset = 16;
// The panel's content starts below the close button and keeps equal margins
// left and right, so that what is centred in it is centred on the panel.
constexpr int ContentTop = CloseInset + CloseSide + 4;
constexpr int ContentSide = 40;
constexpr int ContentBottom = 30;
// Space between the buttons of one row.
constexpr int ButtonSpacing = 24;
constexpr int TitlePx = 22;
constexpr int BodyPx = 18;
constexpr int ButtonTextPx = 20;
// A lone button, and the buttons of a pair: a pair stays clear of the
// feather drawn at the panel's lower right.
constexpr QSize SingleButtonSize(234, 72);
constexpr QSize PairButtonSize(180, 64);

// The dialog becomes the dimmed surface (its background, when a caller fills
// it, is the half-transparent black) and gets the panel at its centre.
QWidget *makeSurfacePanel(QDialog *dialog, const QString &panelName);

// Lays a message dialog over its parent window as that surface: frameless,
// its background filled, at the window's origin, deleted when closed.
void coverWindow(QDialog *dialog);

// The close button, placed at the top-right corner of `panel` (a widget of
// its final size), outside any layout.
QPushButton *makeCloseButton(QWidget *panel, const QString &name);

// The one way a dialog lays out its buttons: side by side, centred, the
// family's spacing between them. Hidden buttons take no room.
QHBoxLayout *centredRow(std::initializer_list<QWidget *> buttons);

// Cancel and confirm in a centred row, under the object names the style
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
// The family's title and body text, for the labels of these names.
QString titleRules(const QString &name);
QString bodyRules(const QString &name);

} // namespace DialogParts
