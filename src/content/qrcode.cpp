#include "content/qrcode.h"

#include <QDebug>
#include <QPainter>

#include <qrencode.h>

#include <memory>

QrCode QrCode::encode(const QString &text)
{
    QrCode code;
    if (text.isEmpty())
        return code;
    const QByteArray bytes = text.toUtf8();
    // QRcode_encodeString8bit takes the bytes as they are: no mode guessing
    // that could change how an address reads.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> encoded(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!encoded) {
        qWarning().noquote() << QStringLiteral("QR code cannot be made for %1 bytes").arg(bytes.size());
        return code;
    }
    code.m_size = encoded->width;
    code.m_dark.resize(code.m_size * code.m_size);
    for (int i = 0; i < code.m_dark.size(); ++i)
        code.m_dark[i] = encoded->data[i] & 1;
    return code;
}

QImage QrCode::toImage(int maxSide) const
{
    if (isNull())
        return {};
    const int modules = m_size + 2 * kQuietModules;
    const int scale = qMax(1, maxSide / modules);
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < m_size; ++y) {
        for (int x = 0; x < m_size; ++x) {
            if (isDark(x, y))
                painter.fillRect((x + kQuietModules) * scale, (y + kQuietModules) * scale, scale, scale, Qt::black);
        }
    }
    return image;
}
