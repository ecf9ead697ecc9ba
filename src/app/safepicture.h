#pragma once

#include <QFuture>
#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;
class QUrl;

// Reading pictures that come from a server. A small file may declare
// gigapixels, so the declared size is checked before anything is decoded;
// what is decoded is scaled once, at decode, to the size it is shown at.
// The decoding itself belongs on a worker (decodeLater()), never on the GUI
// thread.
namespace SafePicture {

// A picture is refused when it declares more than `maxSide` on either side or
// declares no size at all.
bool declaredWithin(const QSize &declared, const QSize &maxSide);

// The declared size of the picture at `path` (nothing decoded); invalid when
// the file is no picture.
QSize declaredSize(const QString &path);

// Decodes `device` / `path` when its declared size is within `maxSide`,
// scaled at decode: with Qt::KeepAspectRatio down to fit `fitInto` when it
// is larger, with Qt::IgnoreAspectRatio to exactly `fitInto`; an empty
// `fitInto` keeps the declared size. Null when refused or unreadable; `why`
// (optional) says which.
QImage decode(QIODevice *device, const QSize &maxSide, const QSize &fitInto, QString *why = nullptr,
    Qt::AspectRatioMode mode = Qt::KeepAspectRatio);
QImage decode(const QString &path, const QSize &maxSide, const QSize &fitInto, QString *why = nullptr,
    Qt::AspectRatioMode mode = Qt::KeepAspectRatio);

// decode() of `path` on the global thread pool.
QFuture<QImage> decodeLater(
    const QString &path, const QSize &maxSide, const QSize &fitInto, Qt::AspectRatioMode mode = Qt::KeepAspectRatio);

// Only http and https addresses with a host are fetched as home content:
// never a local file, embedded data or a resource of the launcher.
bool isFetchable(const QUrl &url);

} // namespace SafePicture
