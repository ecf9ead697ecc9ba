#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

class QWidget;

// Pictures on screens of any device pixel ratio (1, 1.5, 2, ...). Each of the
// launcher's own pictures comes with a twin drawn at twice its size, named as
// Qt looks for it ("name@2x", "name@2x.png"); style sheets, QIcon and Qt Quick
// find it by themselves, code that loads a picture itself goes through
// picture(). Server pictures are decoded at the device pixels they are shown
// at (devicePixels()) and shown through shown().
namespace HiDpi {

// Qt's high-DPI settings, before the QApplication is made: layout and text
// follow the platform's scale, taken whole (1.75 and 2 draw at 2, 1.5 and
// less at 1), and QT_SCALE_FACTOR as it is (1.5 too); pixmaps keep their
// device pixel ratio.
void prepareApplication();

// The device pixel ratio `widget` is drawn at (its screen's, or the
// application's before it has one).
qreal ratio(const QWidget *widget);

// `logical` in device pixels at `ratio`.
QSize devicePixels(const QSize &logical, qreal ratio);

// The name of the twin of the picture `resource` for a ratio above one.
QString twinName(const QString &resource);

// The launcher's picture `resource` for drawing at `logical` size at `ratio`:
// its twin where the ratio is above one and there is one, scaled smoothly
// to the device pixels (a twin is only ever scaled down), the pixmap's ratio
// set. An empty `logical` keeps the picture's own size. Null when missing.
QPixmap picture(const QString &resource, qreal ratio, const QSize &logical = QSize(),
    Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio);

// `image`, decoded at device pixels, as a pixmap that draws at `ratio`.
QPixmap shown(const QImage &image, qreal ratio);

// `image` covering `logical` at `ratio`: scaled smoothly at its proportions
// until it fills the area, what stands over cut evenly from both sides.
QPixmap covering(const QImage &image, const QSize &logical, qreal ratio);

} // namespace HiDpi
