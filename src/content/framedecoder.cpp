#include "content/framedecoder.h"

#include <QImageReader>

QImage FrameDecoder::decodeFrame(const QString &path, const QSize &size)
{
    QImageReader reader(path);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty() || declared.width() > kMaxOversize * size.width()
        || declared.height() > kMaxOversize * size.height())
        return QImage();
    if (declared != size)
        reader.setScaledSize(size);
    QImage image = reader.read();
    // Painting is cheapest from the screen's own format.
    if (!image.isNull() && image.format() != QImage::Format_RGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(
            image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

void FrameDecoder::decode(quint64 generation, int index, int count, const QString &path, const QSize &size)
{
    if (generation != m_generation->load())
        return;
    if (count <= 0 || (index - m_position->load() + count) % count > m_window) {
        emit decoded(generation, index, QImage(), false);
        return;
    }
    const QImage image = decodeFrame(path, size);
    emit decoded(generation, index, image, image.isNull());
}
