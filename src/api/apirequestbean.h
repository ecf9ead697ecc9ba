#pragma once

#include "api/basebean.h"

#include <QJsonObject>

// The base of the request records: every body carries the device and package
// information of KVApplication ("deviceInfo", "appPackageInfo"), copied when
// the record is built; derived records add their own members.
class ApiRequestBean : public BaseBean
{
public:
    ApiRequestBean();
    // For callers and tests that hold their own device and package records.
    ApiRequestBean(const DeviceInfo &device, const AppPackageInfo &package);

    QJsonObject toJson() const override { return m_json; }

protected:
    QJsonObject m_json;
};
