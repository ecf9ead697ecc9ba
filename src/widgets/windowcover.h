#pragma once

class QWidget;

// A dialog laid over the whole window dims the window beneath it. It paints
// that window itself, from a picture taken as it opens, instead of being a
// translucent top-level: on X11 desktops without a compositor a translucent
// window shows black where the window behind it should show through. The
// dialog's own half-transparent layers (the dim, the panel's soft edges)
// blend onto that picture inside the dialog.
namespace WindowCover {

// Makes `dialog`, laid over `beneath` with its size, paint `beneath` as its
// background while `beneath` is on screen; otherwise (no window to cover) the
// dialog stays a translucent top-level. Call before the dialog is shown.
void paintBeneath(QWidget *dialog, QWidget *beneath);

// Where the window system does not show translucency (X11 without a
// compositor), cuts `dialog`, a translucent top-level, to its rounded
// parchment `panel` while it has no window to paint beneath it: the dim
// around the panel would be solid black there. Call once, as the panel is made.
void cutToPanel(QWidget *dialog, QWidget *panel);

} // namespace WindowCover
