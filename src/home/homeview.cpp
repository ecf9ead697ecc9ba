#include "home/homeview.h"

#include "app/launcherconfig.h"
#include "app/weblink.h"
#include "content/homebuttondocument.h"
#include "content/qrcode.h"
#include "widgets/hidpi.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegion>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kButtonSide = 35;
constexpr int kPopupGap = 10;
constexpr int kButtonLeaveDelayMs = 200;
constexpr int kViewLeaveDelayMs = 300;
constexpr int kArrowSide = 20;
constexpr int kQrSide = 148;

const QString kArrowNormal = QStringLiteral(":/homeBtn/homeBtn/arrow-right.png");
const QString kArrowHover = QStringLiteral(":/homeBtn/homeBtn/arrow-right-hover.png");
const QString kQrFrame = QStringLiteral(":/homeBtn/homeBtn/qrcode_border_home.png");

// The texts of the button document, so that the catalogues carry them. An
// entry's text is a key of the context "QObject"; the mainland edition's
// entries use their Chinese text as the key.
[[maybe_unused]] const char *const kDocumentTexts[] = {
    QT_TRANSLATE_NOOP("QObject", "oversea_home"),
    QT_TRANSLATE_NOOP("QObject", "payweb"),
    QT_TRANSLATE_NOOP("QObject", "前往官网网站"),
    QT_TRANSLATE_NOOP("QObject", "前往TapTap"),
    QT_TRANSLATE_NOOP("QObject", "扫码关注公众号"),
    QT_TRANSLATE_NOOP("QObject", "前往B站"),
    QT_TRANSLATE_NOOP("QObject", "加入官方QQ群"),
    QT_TRANSLATE_NOOP("QObject", "前往官方微博"),
    QT_TRANSLATE_NOOP("QObject", "联系客服"),
    QT_TRANSLATE_NOOP("QObject", "开源许可"),
};

QPixmap arrow(const QString &resource, const QWidget *label)
{
    return HiDpi::picture(resource, HiDpi::ratio(label), QSize(kArrowSide, kArrowSide), Qt::KeepAspectRatio);
}

QString readStyleSheet()
{
    QFile file(QStringLiteral(":/homeBtn/HomeviewButton.qss"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "HomeviewButton.qss cannot be read:" << file.errorString();
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

HomeView::HomeView(QWidget *parent)
    : HomeView(LauncherConfig::launcherType(), parent)
{ }

HomeView::HomeView(int launcherType, QWidget *parent, const QString &document)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("HomeView"));
    setStyleSheet(readStyleSheet());
    m_hideTimer = new QTimer(this);
    m_hideTimer->setObjectName(QStringLiteral("homeViewHideTimer"));
    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, &HomeView::hideUnlessHovered);

    // The popups are placed by hand beside their button, so the area stays out of the layout.
    m_popupArea = new QStackedWidget(this);
    m_popupArea->setObjectName(QStringLiteral("homePopupArea"));
    m_popupArea->setCursor(Qt::PointingHandCursor);
    m_popupArea->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_popupArea->installEventFilter(this);
    m_popupArea->hide();

    buildButtons(HomeButtonDocument::read(document.isEmpty() ? HomeButtonDocument::kResource : document, launcherType));
    updateMask();
}

void HomeView::buildButtons(const QVector<HomeButton> &buttons)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    auto *column = new QVBoxLayout;
    column->setContentsMargins(10, 0, 22, 10);
    column->setSpacing(28);
    // Equal stretches above and below keep the column vertically centred
    // whatever the number of buttons.
    column->addStretch();
    column->addSpacing(20);
    row->addLayout(column);
    for (const HomeButton &button : buttons)
        column->addWidget(addButton(button));
    column->addStretch();
}

QPushButton *HomeView::addButton(const HomeButton &button)
{
    const int index = m_buttons.size();
    SideButton side;
    side.normal = QIcon(button.normalIcon);
    side.hover = QIcon(button.hoverIcon);
    side.button = new QPushButton(this);
    side.button->setObjectName(QStringLiteral("homeButton_%1").arg(button.id));
    side.button->setProperty("buttonId", button.id);
    side.button->setFixedSize(kButtonSide, kButtonSide);
    side.button->setFlat(true);
    side.button->setCursor(Qt::PointingHandCursor);
    // Named after its first link; Tab reaches it and shows what hovering shows.
    side.button->setFocusPolicy(Qt::StrongFocus);
    const QByteArray firstLink = button.links.value(0).text.toUtf8();
    side.button->setAccessibleName(
        firstLink.isEmpty() ? button.id : QCoreApplication::translate("QObject", firstLink.constData()));
    side.button->setAttribute(Qt::WA_Hover);
    side.button->setMouseTracking(true);
    side.button->setIcon(side.normal);
    side.button->setIconSize(QSize(kButtonSide, kButtonSide));
    side.button->installEventFilter(this);
    connect(side.button, &QPushButton::clicked, this, &HomeView::onRegionButtonClicked);
    connect(side.button, &QPushButton::clicked, this, [this, index] { handleButtonClick(index); });

    QWidget *popup = nullptr;
    switch (button.action) {
    case HomeButton::Action::List:
        popup = createButtons(button.links, 160, 40, nullptr);
        popup->setObjectName(QStringLiteral("homeListPopup"));
        break;
    case HomeButton::Action::QrCode:
        popup = createQrPopup(button.qrAddress, button.links);
        break;
    case HomeButton::Action::Open: {
        // Nothing to show beside it: the click opens the first address.
        popup = new QWidget;
        popup->setObjectName(QStringLiteral("homeNoPopup"));
        popup->setFixedSize(0, 0);
        const QString url = button.links.value(0).url;
        connect(side.button, &QPushButton::clicked, this, [this, index, url] { handleRightButtonClick(index, url); });
        break;
    }
    }
    m_popupArea->insertWidget(index, popup);
    m_buttons.append(side);
    return side.button;
}

QWidget *HomeView::createButtons(const QVector<HomeLink> &links, int width, int rowHeight, QWidget *parent)
{
    qDebug() << "createButtons";
    auto *panel = new QWidget(parent);
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedSize(width, rowHeight * links.size());
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 3, 3, 3);
    layout->setSpacing(0);

    for (int i = 0; i < links.size(); ++i) {
        const HomeLink &link = links.at(i);
        if (i > 0) {
            auto *line = new QFrame(panel);
            line->setObjectName(QStringLiteral("homeLinkSeparator"));
            line->setFixedHeight(1);
            layout->addWidget(line);
        }
        auto *row = new QWidget(panel);
        row->setObjectName(QStringLiteral("homeLinkRow"));
        row->setFixedHeight(30);
        row->setAttribute(Qt::WA_Hover);
        row->setAttribute(Qt::WA_StyledBackground); // its highlight under the mouse
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(4);
        const QByteArray key = link.text.toUtf8();
        auto *text = new QLabel(QCoreApplication::translate("QObject", key.constData()), row);
        text->setObjectName(QStringLiteral("homeLinkText"));
        if (!link.url.isEmpty()) {
            text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            auto *arrowLabel = new QLabel(row);
            arrowLabel->setObjectName(QStringLiteral("homeLinkArrow"));
            arrowLabel->setFixedSize(kArrowSide, kArrowSide);
            arrowLabel->setPixmap(arrow(link.arrowIcon.isEmpty() ? kArrowNormal : link.arrowIcon, arrowLabel));
            rowLayout->addWidget(text, 1);
            rowLayout->addWidget(arrowLabel);
            row->setCursor(Qt::PointingHandCursor);
            // Reached from its side button with the Down key only: neither in the
            // Tab chain nor taken by a click (the mouse keeps its hover rules).
            row->setFocusPolicy(Qt::NoFocus);
            row->setAccessibleName(text->text());
            row->installEventFilter(this);
            m_entries.insert(row, {text, arrowLabel, i, link.url});
        } else {
            // Shown for its text only: nothing to open.
            text->setAlignment(Qt::AlignCenter);
            row->setCursor(Qt::ArrowCursor);
            rowLayout->addWidget(text, 1);
        }
        layout->addWidget(row);
    }
    return panel;
}

QWidget *HomeView::createQrPopup(const QString &address, const QVector<HomeLink> &links)
{
    // A parchment card: the code on top, the button's links below it.
    constexpr int popupWidth = 180;
    constexpr int rowHeight = 30;
    const QMargins margins(16, 14, 16, 12);
    constexpr int spacing = 4;
    const int popupHeight = margins.top() + kQrSide + spacing + rowHeight * links.size() + margins.bottom();

    auto *popup = new QWidget;
    popup->setObjectName(QStringLiteral("homeQrPopup"));
    popup->setFixedSize(popupWidth, popupHeight);

    auto *frame = new QLabel(popup);
    frame->setObjectName(QStringLiteral("homeQrFrame"));
    frame->setGeometry(popup->rect());
    frame->setPixmap(HiDpi::picture(kQrFrame, HiDpi::ratio(frame), frame->size()));

    auto *panel = new QWidget(popup);
    panel->setObjectName(QStringLiteral("homeQrPanel"));
    panel->setGeometry(popup->rect());
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);

    auto *code = new QLabel(panel);
    code->setObjectName(QStringLiteral("homeQrCode"));
    code->setFixedSize(kQrSide, kQrSide);
    code->setAlignment(Qt::AlignCenter);
    const QrCode qr = QrCode::encode(address);
    if (qr.isNull())
        qWarning().noquote() << QStringLiteral("Home buttons: no QR code for \"%1\"").arg(address);
    else
        code->setPixmap(HiDpi::shown(qr.toImage(qRound(kQrSide * HiDpi::ratio(code))), HiDpi::ratio(code)));
    layout->addWidget(code, 0, Qt::AlignHCenter);

    QWidget *list = createButtons(links, kQrSide, rowHeight, panel);
    list->setObjectName(QStringLiteral("homeQrLinks"));
    list->layout()->setContentsMargins(2, 0, 0, 0);
    layout->addWidget(list, 0, Qt::AlignHCenter);
    layout->addStretch();
    return popup;
}

QVector<QPushButton *> HomeView::sideButtons() const
{
    QVector<QPushButton *> buttons;
    for (const SideButton &side : m_buttons)
        buttons.append(side.button);
    return buttons;
}

void HomeView::showPopup(int index)
{
    QWidget *popup = m_popupArea->widget(index);
    // A button that opens its page directly has nothing to show.
    if (!popup || popup->maximumSize().isEmpty()) {
        m_popupArea->hide();
        updateMask();
        return;
    }
    const QRect button = m_buttons.at(index).button->geometry();
    m_popupArea->setCurrentIndex(index);
    m_popupArea->setFixedSize(popup->maximumSize());
    // Beside the button, kept inside the view so that no part of it is cut off.
    const int top = qBound(0, button.top(), qMax(0, height() - m_popupArea->height()));
    m_popupArea->move(button.left() - m_popupArea->width() - kPopupGap, top);
    m_popupArea->show();
    m_popupArea->raise();
    updateMask();
}

void HomeView::setHoverIcon(int index)
{
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i].button->setIcon(i == index ? m_buttons[i].hover : m_buttons[i].normal);
}

void HomeView::setEntryHovered(QWidget *row, bool hovered)
{
    const Entry entry = m_entries.value(row);
    // Property selectors are evaluated at polish time only.
    for (QWidget *widget : {row, static_cast<QWidget *>(entry.text)}) {
        widget->setProperty("hovered", hovered);
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
        widget->update();
    }
    entry.arrow->setPixmap(arrow(hovered ? kArrowHover : kArrowNormal, entry.arrow));
}

void HomeView::scheduleHide(int delayMs)
{
    m_hideTimer->start(delayMs);
}

// A pending hide looks at what is under the mouse when it runs out, so
// moving from a button into its popup keeps the popup open.
void HomeView::hideUnlessHovered()
{
    if (m_hoveredButton >= 0 || m_popupHovered || keyboardInPopup())
        return;
    onQRWidgetLeave();
}

void HomeView::onQRWidgetLeave()
{
    m_popupArea->hide();
    setHoverIcon(-1);
    updateMask();
}

void HomeView::onRegionButtonClicked()
{
    if (QObject *button = sender())
        emit buttonClicked(button->property("buttonId").toString());
}

void HomeView::handleButtonClick(int index)
{
    qDebug().noquote() << QStringLiteral("clickEvent %1").arg(index);
}

void HomeView::handleRightButtonClick(int index, QString linkUrl)
{
    qDebug().noquote() << QStringLiteral("handleRightButtonClick %1 %2").arg(index).arg(linkUrl);
    openWebLink(QUrl(linkUrl, QUrl::StrictMode));
}

void HomeView::handleLinkButtonClick(int index, QString linkUrl)
{
    qDebug().noquote() << QStringLiteral("handleLinkButtonClick %1 %2").arg(index).arg(linkUrl);
    openWebLink(QUrl(linkUrl, QUrl::StrictMode));
}

bool HomeView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_popupArea) {
        if (type == QEvent::Enter) {
            m_popupHovered = true;
        } else if (type == QEvent::Leave) {
            m_popupHovered = false;
            scheduleHide(kButtonLeaveDelayMs);
        }
        return QWidget::eventFilter(watched, event);
    }

    for (int i = 0; i < m_buttons.size(); ++i) {
        if (watched != m_buttons.at(i).button)
            continue;
        if (type == QEvent::Enter) {
            m_hoveredButton = i;
            showPopup(i);
            setHoverIcon(i);
            return true;
        }
        const bool byTab = type == QEvent::FocusIn
            && (static_cast<QFocusEvent *>(event)->reason() == Qt::TabFocusReason
                || static_cast<QFocusEvent *>(event)->reason() == Qt::BacktabFocusReason);
        if (byTab) {
            showPopup(i);
            setHoverIcon(i);
        } else if (type == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
            showPopup(i);
            focusRow(0);
            return true;
        } else if (type == QEvent::Leave || type == QEvent::FocusOut) {
            if (m_hoveredButton == i)
                m_hoveredButton = -1;
            scheduleHide(kButtonLeaveDelayMs);
        } else if (type == QEvent::Move || type == QEvent::Resize) {
            updateMask();
        }
        return QWidget::eventFilter(watched, event);
    }

    auto *row = qobject_cast<QWidget *>(watched);
    if (row && m_entries.contains(row)) {
        if (type == QEvent::Enter || type == QEvent::FocusIn) {
            setEntryHovered(row, true);
        } else if (type == QEvent::Leave || type == QEvent::FocusOut) {
            setEntryHovered(row, row->hasFocus() || row->underMouse());
            if (type == QEvent::FocusOut)
                scheduleHide(kButtonLeaveDelayMs);
        } else if (type == QEvent::KeyPress && rowKeyPressed(row, static_cast<QKeyEvent *>(event)->key())) {
            return true;
        } else if (type == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            // A press that leaves the row before its release is no click.
            if (mouse->button() == Qt::LeftButton && row->rect().contains(mouse->pos())) {
                const Entry entry = m_entries.value(row);
                handleLinkButtonClick(entry.index, entry.url);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool HomeView::keyboardInPopup() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && m_popupArea->isVisible()
        && (m_popupArea->isAncestorOf(focus) || focus == m_buttons.value(m_popupArea->currentIndex()).button);
}

// The link rows of the shown popup, top to bottom (the order they were made in).
QList<QWidget *> HomeView::shownRows() const
{
    QList<QWidget *> rows;
    QWidget *popup = m_popupArea->currentWidget();
    if (!popup || !m_popupArea->isVisible())
        return rows;
    for (QWidget *row : popup->findChildren<QWidget *>(QStringLiteral("homeLinkRow"))) {
        if (m_entries.contains(row))
            rows.append(row);
    }
    return rows;
}

void HomeView::focusRow(int index)
{
    const QList<QWidget *> rows = shownRows();
    if (!rows.isEmpty())
        rows.at((index + rows.size()) % rows.size())->setFocus(Qt::OtherFocusReason);
}

// A popup taken by the keyboard works like a menu: Up and Down move, Enter or
// Space opens the link, Escape goes back to its side button.
bool HomeView::rowKeyPressed(QWidget *row, int key)
{
    const int at = shownRows().indexOf(row);
    switch (key) {
    case Qt::Key_Down:
        focusRow(at + 1);
        return true;
    case Qt::Key_Up:
        focusRow(at - 1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
        const Entry entry = m_entries.value(row);
        handleLinkButtonClick(entry.index, entry.url);
        return true;
    }
    case Qt::Key_Escape:
        if (QPushButton *button = m_buttons.value(m_popupArea->currentIndex()).button)
            button->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void HomeView::leaveEvent(QEvent *event)
{
    scheduleHide(kViewLeaveDelayMs);
    QWidget::leaveEvent(event);
}

void HomeView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMask();
}

// The view is a tall strip over the window; outside its buttons and the open
// popup it must not take the mouse, or the widgets under it (the install
// display, the background) would lose their clicks and hovers.
void HomeView::updateMask()
{
    QRegion region;
    for (const SideButton &side : qAsConst(m_buttons))
        region += side.button->geometry();
    if (m_popupArea->isVisibleTo(this))
        region += m_popupArea->geometry();
    if (region.isEmpty()) {
        clearMask();
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        return;
    }
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setMask(region);
}
