#pragma once

#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;

// How the launcher's windows answer the keyboard, for all of them at once.
//
// The buttons are pictures from the style sheet, whose own focus mark is
// invisible; while the keyboard is in use an ember ring is drawn around the
// control that has the focus (a mouse press puts it away again). Enter
// presses a focused button as Space does. The launcher's windows read in
// order: Tab goes through the lines from the top, each from the left, also
// past controls that arrive later (news, banners). The message dialogs are laid over
// the main window as children of it, not as windows of their own: when one
// opens the focus moves into it, and Tab walks its controls without leaving
// it, so that Escape reaches it like its close button.
class KeyboardFocus : public QObject
{
    Q_OBJECT
public:
    // Installs the one handler of the application; calling it again does nothing.
    static void install();

    // The control the ring is drawn around, while it is drawn.
    static QWidget *ringTarget();

    // Gives the focus to the control of `dialog` where the keyboard starts,
    // or, unless the focus is in it already, to its first control that Tab reaches.
    static void focusInto(QWidget *dialog);

    // Where the keyboard starts when the dialog holding `control` opens (the
    // answer that changes nothing, or the one answer); a button becomes the
    // dialog's default, which Enter presses.
    static void startAt(QWidget *control);

    // Tab walks the controls of `window` as they are read, lines from the top
    // and each from the left, whatever order they were built in.
    static void readInOrder(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit KeyboardFocus(QObject *parent);
    bool handleKey(QObject *watched, QEvent *event);
    // Where Tab walks from `widget`: the dialog laid over a window (not a
    // window itself) that holds it, or its window when that reads in order.
    static QWidget *tabContainer(QWidget *widget);
    void placeRing();

    bool m_keyboard = false;
    QPointer<QWidget> m_target;
    QPointer<QWidget> m_ring;
};
