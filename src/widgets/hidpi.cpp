#include "widgets/hidpi.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmapCache>
#include <QWidget>

#include <cmath>

void HiDpi::prepareApplication()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // The platform's scale is taken whole, a half rounded down: a physical
    // DPI a little off 96 (an X server without Xft.dpi) must not draw the
    // window at 1.04, and rounded up to 2 a 1.5 screen could not hold the
    // 1280 x 720 window. QT_SCALE_FACTOR (1.5 too) is applied as it is.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
}

qreal HiDpi::ratio(const QWidget *widget)
{
    if (widget)
        return widget->devicePixelRatioF();
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

QSize HiDpi::devicePixels(const QSize &logical, qreal ratio)
{
    return QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
}

QString HiDpi::twinName(const QString &resource)
{
    const int slash = resource.lastIndexOf(QLatin1Char('/'));
    const int dot = resource.lastIndexOf(QLatin1Char('.'));
    const int at = dot > slash ? dot : resource.size();
    return resource.left(at) + QStringLiteral("@2x") + resource.mid(at);
}

QPixmap HiDpi::picture(const QString &resource, qreal ratio, const QSize &logical, Qt::AspectRatioMode mode)
{
    // Hover looks ask for the same few pictures again and again: the
    // launcher's own pictures never change, so each size is made once.
    const QString key = QStringLiteral("hidpi:%1:%2:%3x%4:%5")
                            .arg(resource)
                            .arg(ratio)
                            .arg(logical.width())
                            .arg(logical.height())
                            .arg(int(mode));
    QPixmap made;
    if (QPixmapCache::find(key, &made))
        return made;
    qreal drawnAt = 1;
    QImage image;
    if (ratio > 1 && image.load(twinName(resource)))
        drawnAt = 2;
    if (image.isNull() && !image.load(resource))
        return {};
    const QSize own(qRound(image.width() / drawnAt), qRound(image.height() / drawnAt));
    const QSize target = devicePixels(logical.isEmpty() ? own : logical, ratio);
    if (image.size() != target)
        image = image.scaled(target, mode, Qt::SmoothTransformation);
    made = shown(image, ratio);
    QPixmapCache::insert(key, made);
    return made;
}

QPixmap HiDpi::covering(const QImage &image, const QSize &logical, qreal ratio)
{
    if (image.isNull() || logical.isEmpty())
        return {};
    const QSize target = devicePixels(logical, ratio);
    const QImage scaled = image.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QRect middle(QPoint((scaled.width() - target.width()) / 2, (scaled.height() - target.height()) / 2), target);
    return shown(scaled.copy(middle), ratio);
}

QPixmap HiDpi::shown(const QImage &image, qreal ratio)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
