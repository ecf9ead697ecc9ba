#pragma once

#include "api/requestrecords.h"

#include <optional>

// The base information of the home page: as a request its body is that of
// VideoRequestInfo; as an answer it holds three members of the reply "data".
class AppBaseInfo : public VideoRequestInfo
{
public:
    AppBaseInfo() = default;
    AppBaseInfo(const DeviceInfo &device, const AppPackageInfo &package)
        : VideoRequestInfo(device, package)
    { }

    // Reads "h5eventUrl", "bgVideoUrl" and "isShowBgVideo" from the reply's
    // data text; none for empty, invalid or non-object data. The record holds
    // no device or package information: it is an answer, not a request.
    static std::optional<AppBaseInfo> fromReplyData(const QString &data);

    QString h5eventUrl;
    QString bgVideoUrl;
    bool isShowBgVideo = false;

private:
    explicit AppBaseInfo(std::nullptr_t)
        : VideoRequestInfo(nullptr)
    { }
};
