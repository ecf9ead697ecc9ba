#pragma once

#include <QList>
#include <QPainterPath>
#include <QRegion>

#include <functional>

class QWidget;

// Frameless top-level windows that draw rounded panels (and pointers) on a
// translucent background. On an X11 desktop without a compositing manager the
// transparent pixels show black, so there such a window is cut to the outline
// it paints with a shape mask; where translucency is shown, nothing changes
// and the edges stay smooth.
namespace WindowShape {

// What the window paints in its own coordinates; an empty path: every pixel.
using Outline = std::function<QPainterPath()>;
// Whether transparent pixels of the window show what lies behind it.
using Probe = std::function<bool(const QWidget *window)>;

// The windowing system's answer: false only on X11 without a compositor.
bool translucencyShown(const QWidget *window);

// The one call per window. Decided each time the window is shown (a
// compositor may come or go in between) and cut again when the window or one
// of `parts` (the children the outline follows) moves or is resized. Acts
// only while `window` is a top-level with Qt::WA_TranslucentBackground.
void keepOutline(QWidget *window, Outline outline, const QList<QWidget *> &parts = {}, Probe probe = translucencyShown);

// A rounded rectangle, the shape of the launcher's panels.
QPainterPath roundedRect(const QRectF &rect, qreal radius);

// The pixels whose centres lie inside `outline`.
QRegion maskOf(const QPainterPath &outline);

} // namespace WindowShape
