#include "app/safepicture.h"

#include <QFile>
#include <QImageReader>
#include <QUrl>
#include <QtConcurrent>

namespace SafePicture {

bool declaredWithin(const QSize &declared, const QSize &maxSide)
{
    return declared.isValid() && !declared.isEmpty() && declared.width() <= maxSide.width()
        && declared.height() <= maxSide.height();
}

QSize declaredSize(const QString &path)
{
    QImageReader reader(path);
    return reader.size();
}

namespace {

QImage decodeWith(
    QImageReader &reader, const QSize &maxSide, const QSize &fitInto, QString *why, Qt::AspectRatioMode mode)
{
    const QSize declared = reader.size();
    if (!declaredWithin(declared, maxSide)) {
        if (why) {
            *why = declared.isValid() ? QStringLiteral("it declares %1 x %2 pixels, more than %3 x %4")
                                            .arg(declared.width())
                                            .arg(declared.height())
                                            .arg(maxSide.width())
                                            .arg(maxSide.height())
                                      : QStringLiteral("it is not a picture");
        }
        return QImage();
    }
    const bool larger = declared.width() > fitInto.width() || declared.height() > fitInto.height();
    if (!fitInto.isEmpty() && mode == Qt::IgnoreAspectRatio && declared != fitInto)
        reader.setScaledSize(fitInto);
    else if (!fitInto.isEmpty() && mode != Qt::IgnoreAspectRatio && larger)
        reader.setScaledSize(declared.scaled(fitInto, mode).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull() && why)
        *why = QStringLiteral("it cannot be read: %1").arg(reader.errorString());
    return image;
}

} // namespace

QImage decode(QIODevice *device, const QSize &maxSide, const QSize &fitInto, QString *why, Qt::AspectRatioMode mode)
{
    QImageReader reader(device);
    return decodeWith(reader, maxSide, fitInto, why, mode);
}

QImage decode(const QString &path, const QSize &maxSide, const QSize &fitInto, QString *why, Qt::AspectRatioMode mode)
{
    QImageReader reader(path);
    return decodeWith(reader, maxSide, fitInto, why, mode);
}

QFuture<QImage> decodeLater(const QString &path, const QSize &maxSide, const QSize &fitInto, Qt::AspectRatioMode mode)
{
    return QtConcurrent::run([path, maxSide, fitInto, mode] { return decode(path, maxSide, fitInto, nullptr, mode); });
}

bool isFetchable(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

} // namespace SafePicture
