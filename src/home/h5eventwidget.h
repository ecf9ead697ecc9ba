#pragma once

#include <QWidget>

class QLabel;

// The home page's event entry: a plate with a label and a double arrow that
// follow the mouse (normal, hover, pressed). Releasing the mouse over it,
// or Enter or Space while it has the keyboard, emits onclick().
class H5EventWidget : public QWidget
{
    Q_OBJECT
public:
    explicit H5EventWidget(QWidget *parent = nullptr);

signals:
    void onclick();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Look { Normal, Hover, Pressed };
    void setLook(Look look);

    QWidget *m_plate = nullptr;
    QLabel *m_label = nullptr;
    QLabel *m_icon = nullptr;
};
