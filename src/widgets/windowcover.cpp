#include "widgets/windowcover.h"

#include "widgets/windowshape.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace {

// The picture of the window, under every other child of the dialog and as
// large as the dialog.
class Beneath : public QWidget
{
public:
    Beneath(const QPixmap &picture, QWidget *dialog)
        : QWidget(dialog)
        , m_picture(picture)
    {
        setObjectName(QStringLiteral("windowBeneath"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(dialog->rect());
        lower();
        dialog->installEventFilter(this);
    }

    // A dialog kept and opened again shows the window as it is now.
    void setPicture(const QPixmap &picture)
    {
        m_picture = picture;
        update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == parentWidget()) {
            setGeometry(parentWidget()->rect());
            lower();
        }
        return false;
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_picture);
    }

private:
    QPixmap m_picture;
};

// Only this file names a child so.
QWidget *keptPicture(const QWidget *dialog)
{
    return dialog->findChild<QWidget *>(QStringLiteral("windowBeneath"), Qt::FindDirectChildrenOnly);
}

} // namespace

void WindowCover::paintBeneath(QWidget *dialog, QWidget *beneath)
{
    // Still a translucent top-level: without the window (not shown yet, or
    // in the tray) the dialog's own layers are all there is to see.
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    QWidget *window = beneath ? beneath->window() : nullptr;
    QWidget *kept = keptPicture(dialog);
    if (!window || !window->isVisible() || window->isMinimized()) {
        // A kept dialog opened again: no stale picture of a window now gone.
        if (kept)
            kept->hide();
        return;
    }
    if (kept) {
        static_cast<Beneath *>(kept)->setPicture(window->grab());
        kept->show();
    } else {
        new Beneath(window->grab(), dialog);
    }
}

void WindowCover::cutToPanel(QWidget *dialog, QWidget *panel)
{
    const QPointer<QWidget> part(panel);
    WindowShape::keepOutline(dialog,
        [dialog, part] {
            // With the window's picture beneath, every pixel is painted.
            const QWidget *kept = keptPicture(dialog);
            if (!part || (kept && kept->isVisibleTo(dialog)))
                return QPainterPath();
            // The painted frame (the picture the panels and pages share)
            // leaves its outer pixel clear and rounds its corners by 9 px;
            // the drawn one (12 px, a 2 px edge) fits it within half a pixel.
            return WindowShape::roundedRect(QRectF(part->geometry()).adjusted(1, 1, -1, -1), 9);
        },
        {panel});
}
