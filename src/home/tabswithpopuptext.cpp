#include "home/tabswithpopuptext.h"

#include "app/weblink.h"
#include "widgets/hoverlabel.h"
#include "widgets/tabbutton.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

// The tabs' order on screen.
const int kTypeOrder[] = {AppNewsInfo::Latest, AppNewsInfo::Notice, AppNewsInfo::Event, AppNewsInfo::News};

constexpr int kEntryHeight = 28;
constexpr int kMargin = 8;

const char *const kStyle = R"(
#TabsWithPopupText { background: rgba(12, 16, 39, 0.5); border-radius: 6px; }
#news_tabRow { border-bottom: 1px solid rgba(255, 242, 226, 0.18); }
#news_tabRow TabButton {
    color: rgba(255, 242, 226, 0.62); background: transparent; border: none;
    font-size: 15px; padding: 0 2px 5px 2px; margin-right: 14px;
}
#news_tabRow TabButton:checked, #news_tabRow TabButton:hover { color: #fff2e2; }
HoverLabel#news_entry { background: transparent; border-radius: 3px; }
HoverLabel#news_entry[hovered="true"] { background: rgba(198, 96, 48, 0.28); }
#news_title { color: #e8e2d8; }
#news_date { color: rgba(232, 226, 216, 0.6); }
)";

QWidget *entryFor(const AppNewsInfo &news, const QString &site, int width, QWidget *parent)
{
    auto *entry = new HoverLabel(parent);
    entry->setObjectName(QStringLiteral("news_entry"));
    entry->setAttribute(Qt::WA_StyledBackground);
    entry->setCursor(Qt::PointingHandCursor);
    entry->setFixedHeight(kEntryHeight);
    auto *row = new QHBoxLayout(entry);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(8);
    // The fonts are set here, not in the style sheet, so that the title is
    // cut to the room the date leaves with the font it is drawn in.
    auto *date = new QLabel(news.dateLabel(), entry);
    date->setObjectName(QStringLiteral("news_date"));
    date->setAttribute(Qt::WA_TransparentForMouseEvents);
    date->ensurePolished();
    QFont dateFont = date->font();
    dateFont.setPixelSize(13);
    date->setFont(dateFont);
    auto *title = new QLabel(entry);
    title->setTextFormat(Qt::PlainText); // server text, never markup
    title->setObjectName(QStringLiteral("news_title"));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    title->ensurePolished();
    QFont titleFont = title->font();
    titleFont.setPixelSize(14);
    title->setFont(titleFont);
    const int room = width - 12 - row->spacing() - date->fontMetrics().horizontalAdvance(date->text());
    const QString elided = title->fontMetrics().elidedText(news.title, Qt::ElideRight, room);
    title->setText(elided);
    // A tool tip would read markup in the title: it gets the text escaped.
    if (elided != news.title)
        entry->setToolTip(Qt::convertFromPlainText(news.title, Qt::WhiteSpaceNormal));
    row->addWidget(title, 1);
    row->addWidget(date, 0, Qt::AlignRight);
    // A link the keyboard reaches and opens, known by its whole title.
    entry->setFocusPolicy(Qt::StrongFocus);
    entry->setAccessibleName(news.title);
    const QString link = AppNewsInfo::detailUrl(site, news.id);
    QObject::connect(entry, &HoverLabel::clicked, entry, [link] { openWebLink(QUrl(link)); });
    return entry;
}

} // namespace

TabsWithPopupText::TabsWithPopupText(const QString &site, QWidget *parent)
    : QWidget(parent)
    , m_site(site)
{
    setObjectName(QStringLiteral("TabsWithPopupText"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QLatin1String(kStyle));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, 4, kMargin, 4);
    layout->setSpacing(4);
    m_tabRow = new QWidget(this);
    m_tabRow->setObjectName(QStringLiteral("news_tabRow"));
    m_tabRow->setAttribute(Qt::WA_StyledBackground);
    auto *tabs = new QHBoxLayout(m_tabRow);
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->setSpacing(0);
    tabs->addStretch(1);
    m_tabs = new QButtonGroup(this);
    m_pages = new QStackedWidget(this);
    layout->addWidget(m_tabRow);
    layout->addWidget(m_pages, 1);
    connect(m_tabs, &QButtonGroup::idClicked, this, &TabsWithPopupText::setCurrentTab);
}

QString TabsWithPopupText::titleOf(int informationType)
{
    switch (informationType) {
    case AppNewsInfo::Latest:
        return tr("Tabs_Latest");
    case AppNewsInfo::Notice:
        return tr("Tabs_Notice");
    case AppNewsInfo::Event:
        return tr("Tabs_Event");
    case AppNewsInfo::News:
        return tr("Tabs_News");
    default:
        return QString();
    }
}

void TabsWithPopupText::setNewsList(const QList<AppNewsInfo> &news)
{
    if (news.isEmpty() || titleOf(news.first().informationType).isEmpty())
        return;
    const int type = news.first().informationType;
    m_lists.insert(type, news.mid(0, kMaxEntries));
    const int index = m_tabTypes.indexOf(type);
    if (index < 0) {
        rebuild(); // a kind not shown yet: the tabs are laid out anew
        return;
    }
    const int current = m_pages->currentIndex();
    QWidget *old = m_pages->widget(index);
    m_pages->insertWidget(index, buildPage(type));
    m_pages->removeWidget(old);
    delete old;
    m_pages->setCurrentIndex(current);
}

int TabsWithPopupText::entryCount() const
{
    return m_pages->findChildren<HoverLabel *>(QStringLiteral("news_entry")).size();
}

QWidget *TabsWithPopupText::buildPage(int type)
{
    auto *page = new QWidget(m_pages);
    auto *entries = new QVBoxLayout(page);
    entries->setContentsMargins(0, 0, 0, 0);
    entries->setSpacing(2);
    for (const AppNewsInfo &news : m_lists.value(type))
        entries->addWidget(entryFor(news, m_site, width() - 2 * kMargin, page));
    entries->addStretch(1);
    return page;
}

void TabsWithPopupText::rebuild()
{
    m_tabTypes.clear();
    for (QAbstractButton *button : m_tabs->buttons()) {
        m_tabs->removeButton(button);
        delete button;
    }
    while (m_pages->count() > 0) {
        QWidget *page = m_pages->widget(0);
        m_pages->removeWidget(page);
        delete page;
    }
    auto *row = static_cast<QHBoxLayout *>(m_tabRow->layout());
    int select = 0;
    for (int type : kTypeOrder) {
        if (!m_lists.contains(type))
            continue;
        const int index = m_pages->count();
        auto *tab = new TabButton(titleOf(type), m_tabRow);
        tab->setFixedHeight(28);
        row->insertWidget(index, tab);
        m_tabs->addButton(tab, index);
        m_pages->addWidget(buildPage(type));
        m_tabTypes.append(type);
        // A tab the user chose stays chosen when another kind arrives.
        if (type == m_chosenType)
            select = index;
    }
    const int chosen = m_chosenType;
    setCurrentTab(select);
    m_chosenType = chosen;
}

QStringList TabsWithPopupText::tabTitles() const
{
    QStringList titles;
    for (int i = 0; i < m_pages->count(); ++i)
        titles << m_tabs->button(i)->text();
    return titles;
}

int TabsWithPopupText::currentTab() const
{
    return m_pages->count() > 0 ? m_pages->currentIndex() : -1;
}

void TabsWithPopupText::setCurrentTab(int index)
{
    if (QAbstractButton *tab = m_tabs->button(index)) {
        tab->setChecked(true);
        m_pages->setCurrentIndex(index);
        m_chosenType = m_tabTypes.value(index, m_chosenType);
    }
}

void TabsWithPopupText::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && !m_lists.isEmpty())
        rebuild();
}
