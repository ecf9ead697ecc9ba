#pragma once

// The request bodies of the home-content, launcher and conversion endpoints.
// Small records, kept together. Values that depend on the settings (the
// running type) are read when toJson() runs, i.e. when the body is posted.

#include "api/apirequestbean.h"

#include <QString>

// Poster query ("/activity/pc/launcher/images"): "gameId", "imageTypes" [1],
// and "envType" 2 unless the stored running type is absent or 3.
class PosterRequestInfo : public ApiRequestBean
{
public:
    using ApiRequestBean::ApiRequestBean;
    QJsonObject toJson() const override;
};

// Base-info query for the background video ("/activity/pc/launcher/base-info"):
// "gameId" and "envType" 4 (running type absent or 3), 2, 1, or none.
class VideoRequestInfo : public ApiRequestBean
{
public:
    VideoRequestInfo() = default;
    VideoRequestInfo(const DeviceInfo &device, const AppPackageInfo &package)
        : ApiRequestBean(device, package)
    { }
    QJsonObject toJson() const override;

    // The "envType" for a stored running type (-1 = absent); 0 means none is sent.
    static int envTypeFor(int storedRunningType);

protected:
    explicit VideoRequestInfo(std::nullptr_t)
        : ApiRequestBean(nullptr)
    { }
};

// Launcher version query ("/pc/launcher/version"): "version" and "gameId".
class AppCurrentRequestInfo : public ApiRequestBean
{
public:
    // version = the launcher's version
    AppCurrentRequestInfo();
    AppCurrentRequestInfo(const DeviceInfo &device, const AppPackageInfo &package);
    QJsonObject toJson() const override;

    QString version;
};

// Notification query ("/activity/pc/launcher/message"): only "gameId", no
// device or package information.
class NotificationRequsetInfo : public BaseBean
{
public:
    QJsonObject toJson() const override;
};

// News query: "informationType" (left out for type 1), "current" 1,
// "pageSize" 2, "gameId" as a number.
class NewsRequestInfo : public BaseBean
{
public:
    explicit NewsRequestInfo(int informationType = 1);
    QJsonObject toJson() const override;

    int informationType = 1;
    int current = 1;
    int pageSize = 2;
};

// Banner query ("/activity/pc/launcher/banner"): {"gameId": the given text}.
class BannerRequestInfo : public BaseBean
{
public:
    explicit BannerRequestInfo(const QString &gameId);
    QJsonObject toJson() const override;

    QString gameId;
};

// Advertising conversion ("/pc/conversion/upload"): the action name, the
// installer's click ids (read when the record is built) and "uploadType" "once".
class ConversionBean : public ApiRequestBean
{
public:
    explicit ConversionBean(const QString &conversionActionName);
    ConversionBean(const QString &conversionActionName, const DeviceInfo &device, const AppPackageInfo &package);
    QJsonObject toJson() const override;

    QString conversionActionName;
    QString adFid;
    QString gclid;
    QString uploadType = QStringLiteral("once");
};

// The manifest "gameId" as text, and the stored "runningtype" (-1 when absent).
QString manifestGameId();
int storedRunningType();
