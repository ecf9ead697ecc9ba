#pragma once

#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QtTest>

// The window's parts found by object name and pressed where a user would.

template<typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

inline void click(QWidget *parent, const char *name)
{
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}

// Clicks the middle of `item` of the QML page in `view`.
inline void clickItem(QQuickWidget *view, const QQuickItem *item)
{
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(view, Qt::LeftButton, {}, centre.toPoint());
}

// Clicks the item `name` of the QML page in `view`; false when there is none.
inline bool clickItem(QQuickWidget *view, const char *name)
{
    auto *item = view->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
    if (!item)
        return false;
    clickItem(view, item);
    return true;
}

// The item `name` of the QML page in `view`, or null.
inline QQuickItem *pageItem(QQuickWidget *view, const char *name)
{
    return view->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
}

// Scrolls the settings page in `view` to its section `index` (0 general,
// 1 download, 2 version), as the wheel would, so that its controls can be clicked.
inline void showSettingsSection(QQuickWidget *view, int index)
{
    QQuickItem *sections = pageItem(view, "sections");
    if (!sections)
        qFatal("no settings sections");
    sections->setProperty("contentY", index * 348);
}
