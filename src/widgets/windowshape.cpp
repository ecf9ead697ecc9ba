#include "widgets/windowshape.h"

#include "platform/platform.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QtPlatformHeaders/QXcbScreenFunctions>

namespace {

class OutlineKeeper : public QObject
{
public:
    OutlineKeeper(
        QWidget *window, WindowShape::Outline outline, const QList<QWidget *> &parts, WindowShape::Probe probe)
        : QObject(window)
        , m_window(window)
        , m_outline(std::move(outline))
        , m_probe(std::move(probe))
    {
        window->installEventFilter(this);
        for (QWidget *part : parts)
            part->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Sent before the window is mapped, so it never appears uncut.
        if (watched == m_window && event->type() == QEvent::Show && !event->spontaneous()) {
            m_cut = needsCut() && !m_probe(m_window);
            apply();
        } else if (event->type() == QEvent::Resize || (event->type() == QEvent::Move && watched != m_window)) {
            apply();
        }
        return false;
    }

private:
    bool needsCut() const { return m_window->isWindow() && m_window->testAttribute(Qt::WA_TranslucentBackground); }

    void apply()
    {
        const QPainterPath outline = m_cut && needsCut() ? m_outline() : QPainterPath();
        if (outline.isEmpty())
            m_window->clearMask();
        else
            m_window->setMask(WindowShape::maskOf(outline));
    }

    QWidget *m_window;
    WindowShape::Outline m_outline;
    WindowShape::Probe m_probe;
    bool m_cut = false;
};

} // namespace

bool WindowShape::translucencyShown(const QWidget *window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    // Asked by hand: the header's own wrapper declares the function as
    // returning bool and so loses every screen number above one.
    using ScreenNumber = int (*)(const QScreen *);
    const auto number = reinterpret_cast<ScreenNumber>(
        QGuiApplication::platformFunction(QXcbScreenFunctions::virtualDesktopNumberIdentifier()));
    const QScreen *screen = window->screen();
    return Platform::x11ShowsTranslucency(number && screen ? number(screen) : 0);
}

void WindowShape::keepOutline(QWidget *window, Outline outline, const QList<QWidget *> &parts, Probe probe)
{
    new OutlineKeeper(window, std::move(outline), parts, std::move(probe));
}

QPainterPath WindowShape::roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QRegion WindowShape::maskOf(const QPainterPath &outline)
{
    const QRect bounds = outline.boundingRect().toAlignedRect();
    if (bounds.isEmpty())
        return {};
    // Filled without antialiasing: a pixel is in when its centre is.
    QImage image(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-bounds.topLeft());
    painter.fillPath(outline, Qt::black);
    painter.end();
    return QRegion(QBitmap::fromImage(image.createAlphaMask())).translated(bounds.topLeft());
}
