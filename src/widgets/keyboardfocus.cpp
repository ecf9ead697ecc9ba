#include "widgets/keyboardfocus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QQuickWidget>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// How far the ring stands off the control, and its line.
constexpr int RingGap = 3;
constexpr qreal RingWidth = 2.5;
const QColor RingEmber(0xF5, 0x74, 0x38);
const QColor RingParchment(0xff, 0xf2, 0xe2);

// The ring: drawn over the window, letting the mouse through to what lies beneath.
class Ring : public QWidget
{
public:
    explicit Ring(QWidget *window)
        : QWidget(window)
    {
        setObjectName(QStringLiteral("keyboardFocusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF outer = QRectF(rect()).adjusted(RingWidth / 2, RingWidth / 2, -RingWidth / 2, -RingWidth / 2);
        // Ember on the dark art, a parchment line inside it on the ember plates.
        painter.setPen(QPen(RingEmber, RingWidth));
        painter.drawRoundedRect(outer, 7, 7);
        painter.setPen(QPen(RingParchment, 1));
        painter.drawRoundedRect(outer.adjusted(RingWidth, RingWidth, -RingWidth, -RingWidth), 5, 5);
    }
};

bool takesTab(const QWidget *widget)
{
    return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)
        && !widget->focusProxy();
}

const char *const ReadingOrder = "keyboardReadingOrder";
const char *const JustOpened = "keyboardJustOpened";
const char *const StartHere = "keyboardStart";
// Controls whose tops lie within one band stand in one line.
constexpr int LineBand = 24;

// The controls of `container` that Tab reaches: in reading order (lines from
// the top, each from the left) where the container asks for it, otherwise in
// the order of the focus chain. Those of a dialog laid over it are not its own.
QList<QWidget *> tabChain(QWidget *container)
{
    QList<QWidget *> chain;
    for (QWidget *w = container->nextInFocusChain(); w && w != container; w = w->nextInFocusChain()) {
        if (!container->isAncestorOf(w) || !takesTab(w))
            continue;
        bool covered = false;
        for (QWidget *p = w->parentWidget(); p && p != container && !covered; p = p->parentWidget())
            covered = qobject_cast<QDialog *>(p) != nullptr;
        if (!covered)
            chain.append(w);
    }
    if (container->property(ReadingOrder).toBool()) {
        std::stable_sort(chain.begin(), chain.end(), [container](QWidget *a, QWidget *b) {
            const QPoint pa = a->mapTo(container, QPoint(0, 0));
            const QPoint pb = b->mapTo(container, QPoint(0, 0));
            return std::make_pair(pa.y() / LineBand, pa.x()) < std::make_pair(pb.y() / LineBand, pb.x());
        });
    }
    return chain;
}

KeyboardFocus *g_instance = nullptr;

} // namespace

KeyboardFocus::KeyboardFocus(QObject *parent)
    : QObject(parent)
{ }

void KeyboardFocus::install()
{
    if (g_instance || !qApp)
        return;
    g_instance = new KeyboardFocus(qApp);
    qApp->installEventFilter(g_instance);
    connect(qApp, &QApplication::focusChanged, g_instance, [](QWidget *, QWidget *) { g_instance->placeRing(); });
    connect(g_instance, &QObject::destroyed, [] { g_instance = nullptr; });
}

QWidget *KeyboardFocus::ringTarget()
{
    return g_instance && g_instance->m_ring && g_instance->m_ring->isVisible() ? g_instance->m_target.data() : nullptr;
}

void KeyboardFocus::focusInto(QWidget *dialog)
{
    if (!dialog || !dialog->isVisible())
        return;
    // Its first control whenever the dialog opens, even where the keyboard
    // was left when it was last open.
    const QList<QWidget *> chain = tabChain(dialog);
    for (QWidget *w : chain) {
        if (w->property(StartHere).toBool()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    QWidget *focus = dialog->window()->focusWidget();
    if (!chain.isEmpty() && !(focus && dialog->isAncestorOf(focus)))
        chain.first()->setFocus(Qt::OtherFocusReason);
}

void KeyboardFocus::startAt(QWidget *control)
{
    QWidget *dialog = control->parentWidget();
    while (dialog && !qobject_cast<QDialog *>(dialog))
        dialog = dialog->parentWidget();
    if (dialog) {
        const QList<QWidget *> controls = dialog->findChildren<QWidget *>();
        for (QWidget *w : controls)
            w->setProperty(StartHere, QVariant());
    }
    control->setProperty(StartHere, true);
    if (auto *button = qobject_cast<QPushButton *>(control))
        button->setDefault(true);
}

void KeyboardFocus::readInOrder(QWidget *window)
{
    window->setProperty(ReadingOrder, true);
}

QWidget *KeyboardFocus::tabContainer(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (!w->isWindow() && qobject_cast<QDialog *>(w))
            return w;
        if (w->isWindow())
            return w->property(ReadingOrder).toBool() ? w : nullptr;
    }
    return nullptr;
}

bool KeyboardFocus::handleKey(QObject *watched, QEvent *event)
{
    auto *key = static_cast<QKeyEvent *>(event);
    QWidget *focus = QApplication::focusWidget();
    if (!focus || watched != focus)
        return false;
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
        // A QML page walks its own controls.
        QWidget *container = qobject_cast<QQuickWidget *>(focus) ? nullptr : tabContainer(focus);
        const QList<QWidget *> chain = container ? tabChain(container) : QList<QWidget *>();
        if (chain.isEmpty())
            return false;
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        const int at = chain.indexOf(focus);
        const int next = at < 0 ? 0 : (at + (back ? chain.size() - 1 : 1)) % chain.size();
        chain.at(next)->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        return true;
    }
    auto *button = qobject_cast<QAbstractButton *>(focus);
    if (plain && button && button->isEnabled() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
    return false;
}

bool KeyboardFocus::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!m_keyboard) {
            m_keyboard = true;
            QTimer::singleShot(0, this, &KeyboardFocus::placeRing);
        }
        if (handleKey(watched, event))
            return true;
        break;
    case QEvent::MouseButtonPress:
        if (m_keyboard) {
            m_keyboard = false;
            placeRing();
        }
        break;
    case QEvent::Show:
        // A dialog opens over the window: the keyboard follows it there.
        if (auto *dialog = qobject_cast<QDialog *>(watched)) {
            QPointer<QDialog> opened(dialog);
            dialog->setProperty(JustOpened, true);
            QTimer::singleShot(0, this, [opened] { focusInto(opened); });
        }
        if (watched == m_target)
            placeRing();
        break;
    case QEvent::WindowActivate:
        // A dialog window: its activation would give the keyboard back to
        // where it was left when the dialog was last open.
        if (qobject_cast<QDialog *>(watched) && watched->property(JustOpened).toBool()) {
            watched->setProperty(JustOpened, false);
            focusInto(static_cast<QWidget *>(watched));
        }
        // A window a modal dialog blocks takes no keys: the window manager
        // giving it the focus (the main window mapped just after a dialog
        // opened over it at the start) hands the focus on to the dialog, so
        // that the player's first key is not lost.
        if (auto *window = qobject_cast<QWidget *>(watched); window && window->isWindow()) {
            QPointer<QWidget> modal(QApplication::activeModalWidget());
            if (modal && modal != window && modal->isVisible())
                QTimer::singleShot(0, modal, [modal] {
                    if (modal && modal->isVisible() && !modal->isActiveWindow())
                        modal->activateWindow();
                });
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
        if (watched == m_target)
            QTimer::singleShot(0, this, &KeyboardFocus::placeRing);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void KeyboardFocus::placeRing()
{
    QWidget *focus = QApplication::focusWidget();
    // A QML page draws its own mark on its own controls.
    const bool drawn
        = m_keyboard && focus && !focus->isWindow() && focus->isVisible() && !qobject_cast<QQuickWidget *>(focus);
    m_target = drawn ? focus : nullptr;
    if (!drawn) {
        if (m_ring)
            m_ring->hide();
        return;
    }
    QWidget *window = focus->window();
    if (!m_ring || m_ring->parentWidget() != window) {
        delete m_ring;
        m_ring = new Ring(window);
    }
    const QRect area(focus->mapTo(window, QPoint(0, 0)), focus->size());
    m_ring->setGeometry(area.adjusted(-RingGap, -RingGap, RingGap, RingGap));
    m_ring->raise();
    m_ring->show();
}
