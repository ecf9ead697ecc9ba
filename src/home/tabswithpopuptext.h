#pragma once

#include "update/appnewsinfo.h"

#include <QMap>
#include <QWidget>

class QButtonGroup;
class QStackedWidget;

// The home page's news tabs: one tab per kind of news received, always in the
// order Latest, Notice, Event, News whatever order the lists arrive in. Each
// entry is a HoverLabel with the title (the whole title as its tool tip when
// it does not fit) and the "MM/dd" date; a click opens the entry's page on
// the official site.
class TabsWithPopupText : public QWidget
{
    Q_OBJECT
public:
    // `site`: the official site whose news pages the entries open.
    explicit TabsWithPopupText(const QString &site, QWidget *parent = nullptr);

    // Keeps `news` as the list of its kind (the type of its entries; an empty
    // list or an unknown kind changes nothing) and rebuilds that kind's page
    // (all tabs only when the kind is new). At most kMaxEntries are shown.
    void setNewsList(const QList<AppNewsInfo> &news);

    static constexpr int kMaxEntries = AppNewsInfo::kMaxEntries;
    // The entry widgets built so far, for every tab.
    int entryCount() const;

    QStringList tabTitles() const;
    int currentTab() const;
    // Shows tab `index`; its kind stays shown when other kinds arrive.
    void setCurrentTab(int index);

    static QString titleOf(int informationType);

protected:
    void changeEvent(QEvent *event) override;

private:
    void rebuild();
    QWidget *buildPage(int type);

    QString m_site;
    QMap<int, QList<AppNewsInfo>> m_lists; // by information type
    QList<int> m_tabTypes; // the information type of each tab
    int m_chosenType = 0; // the kind the user chose last; 0: none
    QWidget *m_tabRow = nullptr;
    QButtonGroup *m_tabs = nullptr;
    QStackedWidget *m_pages = nullptr;
};
