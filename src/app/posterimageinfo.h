#pragma once

#include <QString>

#include <optional>

// One poster as the home-content service describes it: the first entry of the
// "images" array of the poster answer. The same answer text is what the
// settings keep in "poster_next" / "poster_current" (percent-encoded).
struct PosterImageInfo
{
    QString imageUrl;
    // Online times (seconds or milliseconds) at or beyond this are refused.
    static constexpr double kMaxOnlineTime = 1e17;

    qint64 onlineTime = 0; // seconds since the epoch
    QString md5; // 32 hexadecimal digits, as the server wrote them

    // The record of an answer's data text; none for empty or malformed data,
    // an empty "images" array, or a digest that is not 32 hexadecimal digits
    // (the digest becomes part of a file name, so nothing else may pass).
    // An "onlineTime" of 10000000000 or more is milliseconds; one that is no
    // finite number below kMaxOnlineTime drops the record.
    static std::optional<PosterImageInfo> fromData(const QString &data);
    // The same from the percent-encoded text the settings keep.
    static std::optional<PosterImageInfo> fromStored(const QString &stored);
    static QString toStored(const QString &data);

    // "Images/poster_<md5>.gi" (the verified image) and ".temp" (being written).
    QString imagePath() const;
    QString tempPath() const;

    // Digests compare without regard to case: md5OfFile() writes lower case.
    bool matches(const QString &digest) const;
};
