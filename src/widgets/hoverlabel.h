#pragma once

#include <QLabel>

// A label that tells when the mouse enters, leaves or clicks it, and carries
// a "hovered" property so that the style sheet can give it a hover look
// (HoverLabel[hovered="true"] { ... }). Given the focus policy, the keyboard
// presses it too.
class HoverLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(bool hovered READ isHovered NOTIFY hoveredChanged)
public:
    explicit HoverLabel(QWidget *parent = nullptr);
    explicit HoverLabel(const QString &text, QWidget *parent = nullptr);

    bool isHovered() const { return m_hovered; }

signals:
    void mouseEntered();
    void mouseLeft();
    void clicked();
    void hoveredChanged(bool hovered);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void setHovered(bool hovered);

    bool m_hovered = false;
};
