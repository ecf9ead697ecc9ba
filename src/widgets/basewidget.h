#pragma once

#include <QPoint>
#include <QPointer>
#include <QVector>
#include <QWidget>

// A frameless top-level window that the user moves by pressing on the widgets
// registered as drag areas. It is its own event filter, so a derived window
// (the main window) extends eventFilter() and calls this one for the rest.
class BaseWidget : public QWidget
{
    Q_OBJECT
public:
    explicit BaseWidget(QWidget *parent = nullptr);

    // Pressing the left button on `area` (not on its buttons) moves the window.
    void addDragArea(QWidget *area);

    // Brings a top-level window back to the player: out of the minimised
    // state, shown, raised and active.
    static void bringForward(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isDragArea(QObject *watched) const;

    QVector<QPointer<QWidget>> m_dragAreas;
    // Set while a drag runs by hand, where the platform cannot move windows.
    bool m_dragging = false;
    QPoint m_pressOffset;
};
