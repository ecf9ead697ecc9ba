#pragma once

#include <QJsonObject>
#include <QString>

// A record that becomes (part of) a JSON request body.
class BaseBean
{
public:
    virtual ~BaseBean() = default;
    virtual QJsonObject toJson() const { return {}; }
};

// What the servers are told about this computer. Built once per process.
class DeviceInfo : public BaseBean
{
public:
    // Fills every field from the running system (host name, system name and
    // version, processor, kernel, the primary screen's work area).
    static DeviceInfo fromSystem();

    QJsonObject toJson() const override;

    QString deviceId; // empty: the configuration's device id is used when the JSON is built
    int osType = 2;
    QString deviceName;
    QString deviceManufacturer;
    QString hardware;
    QString buildName;
    QString osVersion;
    QString displayWidth;
    QString displayHeight;
};

// What the servers are told about this launcher and its edition. Built once per process.
class AppPackageInfo : public BaseBean
{
public:
    // Fills the record from the edition's manifest, the advertising ids left
    // by the installer and the launcher's version.
    static AppPackageInfo fromConfig();

    QJsonObject toJson() const override;

    QString appPackageName;
    QString appVersion;
    QString appVersionName;
    QString gameId;
    QString gameCode;
    QString gameName;
    QString channelId;
    QString subChannelId;
    QString appInstallTime;
    QString appUpdateTime;
    QString sdkVersion;
    QString channelVersion;
    QString appSignature;
    QString gclid;
    QString adFid;
};
