#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// One banner of the home page's carousel: where its picture comes from, where
// the launcher keeps it ("Images/" beside the executable) and where a click leads.
struct BannerImageInfo
{
    // A banner picture declaring more pixels than this on either side is
    // refused before it is decoded (the carousel shows 320 x 140).
    static constexpr int kMaxSide = 2048;

    QString imageUrl;
    QString imageLink;
    QString fileName; // the cache file's name, see cacheName()
    QString localPath; // application directory + "/Images/" + fileName
    QString fetchedAt; // when the answer was read, milliseconds since the epoch as text

    // A banner for an answer's entry; none when the picture's address is not
    // an http or https address (nothing else is fetched).
    static std::optional<BannerImageInfo> fromAnswer(const QString &imageUrl, const QString &imageLink, qint64 nowMs);

    // The cache file's name for a picture's address: a digest of the whole
    // address, so two addresses never share a file, plus the address's own
    // suffix when it is a plain one ("banner_<sha1>.png"). Empty for an empty address.
    static QString cacheName(const QString &imageUrl);
};

Q_DECLARE_METATYPE(BannerImageInfo)
Q_DECLARE_METATYPE(QList<BannerImageInfo>)
