#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// One news entry of the home page's news tabs.
struct AppNewsInfo
{
    // The information types the tabs know, in the order the tabs stand.
    enum Type {
        Latest = -1, // every kind
        Notice = 2,
        Event = 3,
        News = 4,
    };

    // A list holds at most this many entries (a page asks for two); a title
    // is cut to kMaxTitleChars characters.
    static constexpr int kMaxEntries = 20;
    static constexpr int kMaxTitleChars = 200;

    QString title;
    QString updateTime; // "yyyy-MM-dd hh:mm:ss"
    QString collectionId;
    qint64 id = 0;
    int informationType = -1;

    // "MM/dd" of updateTime; empty when updateTime is no such time.
    QString dateLabel() const;

    // The entries of a news answer's data ("pageData"), each marked with the
    // requested type, at most `maxEntries` (and kMaxEntries) of them, titles
    // cut to kMaxTitleChars; none when the data holds no "pageData" array.
    static std::optional<QList<AppNewsInfo>> listFromReplyData(
        const QString &data, int requestedType, int maxEntries = kMaxEntries);

    // The official site's page of a news entry.
    static QString detailUrl(const QString &site, qint64 id);
};

Q_DECLARE_METATYPE(AppNewsInfo)
Q_DECLARE_METATYPE(QList<AppNewsInfo>)
