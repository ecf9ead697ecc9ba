#pragma once

#include <QPushButton>

class QPropertyAnimation;

// A tab of a row of tabs: checkable, one checked per parent, with an ember
// underline that grows from the centre when the tab is chosen.
class TabButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(qreal underline READ underline WRITE setUnderline)
public:
    explicit TabButton(const QString &text, QWidget *parent = nullptr);

    qreal underline() const { return m_underline; }
    void setUnderline(qreal level);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_underline = 0;
    QPropertyAnimation *m_animation = nullptr;
};
