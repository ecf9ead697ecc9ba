#pragma once

#include "api/requestrecords.h"

#include <optional>

// The base information of the home page: as a request its body is that of
// VideoRequestInfo; as an answer it holds three members of the reply "data".
class AppBaseInfo : public VideoRequestInfo
{
public:
    using VideoRequestInfo::VideoRequestInfo;

    // Reads "h5eventUrl", "bgVideoUrl" and "isShowBgVideo" from the reply's
    // data text; none for empty, invalid or non-object data.
    static std::optional<AppBaseInfo> fromReplyData(const QString &data, const DeviceInfo &device = {},
                                                    const AppPackageInfo &package = {});

    QString h5eventUrl;
    QString bgVideoUrl;
    bool isShowBgVideo = false;
};
