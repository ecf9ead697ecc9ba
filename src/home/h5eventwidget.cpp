#include "home/h5eventwidget.h"

#include "widgets/hidpi.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

// A screen reader meets the plate as the button it acts as.
QAccessibleInterface *plateAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("H5EventWidget") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Button);
    return nullptr;
}

} // namespace

H5EventWidget::H5EventWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("H5EventWidget"));
    setFixedSize(240, 60);
    setCursor(Qt::PointingHandCursor);
    static const bool accessible = (QAccessible::installFactory(plateAccessible), true);
    Q_UNUSED(accessible)
    // Reached by Tab and pressed with Enter or Space, like a button.
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("h5event_text"));
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_plate = new QWidget(this);
    m_plate->setObjectName(QStringLiteral("h5event_Widget"));
    m_plate->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(m_plate);
    auto *row = new QHBoxLayout(m_plate);
    row->setContentsMargins(28, 0, 24, 2);
    row->setSpacing(8);
    m_label = new QLabel(tr("h5event_text"), m_plate);
    m_label->setObjectName(QStringLiteral("h5event_label"));
    m_icon = new QLabel(m_plate);
    m_icon->setObjectName(QStringLiteral("h5event_icon"));
    m_icon->setFixedSize(20, 20);
    row->addWidget(m_label, 1);
    row->addWidget(m_icon);
    setLook(Look::Normal);
}

void H5EventWidget::setLook(Look look)
{
    static const struct
    {
        const char *plate;
        const char *colour;
        const char *arrow;
    } looks[] = {
        {":/mainwindow/h5_event_btn_normal.png", "#CAC5BD", ":/mainwindow/arrow_icon_doubleright_normal.png"},
        {":/mainwindow/h5_event_btn_hover.png", "#FFFBF4", ":/mainwindow/arrow_icon_doubleright_hover.png"},
        {":/mainwindow/h5_event_btn_pressed.png", "#FFF0D8", ":/mainwindow/arrow_icon_doubleright_pressed.png"},
    };
    const auto &chosen = looks[static_cast<int>(look)];
    m_plate->setStyleSheet(
        QStringLiteral("#h5event_Widget { border-image: url(%1); }").arg(QLatin1String(chosen.plate)));
    m_label->setStyleSheet(QStringLiteral("#h5event_label { color: %1; font-size: 18px; padding-bottom: 2px; }")
                               .arg(QLatin1String(chosen.colour)));
    m_icon->setPixmap(HiDpi::picture(QLatin1String(chosen.arrow), HiDpi::ratio(m_icon)));
}

void H5EventWidget::enterEvent(QEvent *event)
{
    setLook(Look::Hover);
    QWidget::enterEvent(event);
}

void H5EventWidget::leaveEvent(QEvent *event)
{
    setLook(Look::Normal);
    QWidget::leaveEvent(event);
}

void H5EventWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setLook(Look::Pressed);
    QWidget::mousePressEvent(event);
}

void H5EventWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->pos());
    setLook(inside ? Look::Hover : Look::Normal);
    if (event->button() == Qt::LeftButton && inside)
        emit onclick();
    QWidget::mouseReleaseEvent(event);
}

void H5EventWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            emit onclick();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void H5EventWidget::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_label->setText(tr("h5event_text"));
        setAccessibleName(tr("h5event_text"));
    }
}
