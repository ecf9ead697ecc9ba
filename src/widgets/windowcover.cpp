#include "widgets/windowcover.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
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

} // namespace

void WindowCover::paintBeneath(QWidget *dialog, QWidget *beneath)
{
    // Still a translucent top-level: without the window (not shown yet, or
    // in the tray) the dialog's own layers are all there is to see.
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    QWidget *window = beneath ? beneath->window() : nullptr;
    if (!window || !window->isVisible() || window->isMinimized())
        return;
    // Only this file names a child so.
    QWidget *kept = dialog->findChild<QWidget *>(QStringLiteral("windowBeneath"), Qt::FindDirectChildrenOnly);
    if (kept)
        static_cast<Beneath *>(kept)->setPicture(window->grab());
    else
        new Beneath(window->grab(), dialog);
}
