#pragma once

#include <QImage>
#include <QString>
#include <QVector>

// A QR code made at run time from a text (an address), so that the home
// links' codes always say what the configured addresses say. Built on
// libqrencode: byte mode, error correction level M, the smallest version
// that holds the text.
class QrCode
{
public:
    // Light modules around the code that a scanner needs to find it.
    static constexpr int kQuietModules = 4;

    // A null code when the text is empty or too long for any version.
    static QrCode encode(const QString &text);

    bool isNull() const { return m_size == 0; }
    // Modules per side (21 for version 1, four more per version).
    int size() const { return m_size; }
    bool isDark(int x, int y) const { return m_dark.at(y * m_size + x); }

    // Dark on white with the quiet zone, every module a whole number of
    // pixels (smooth scaling would blur the module edges that a camera
    // needs), as large as fits into `maxSide` and at least one pixel per
    // module. Null for a null code.
    QImage toImage(int maxSide) const;

private:
    int m_size = 0;
    QVector<bool> m_dark;
};
