#pragma once

#include "app/basebean.h"

#include <QJsonObject>

#include <cstddef>

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
    // A record used only to hold a parsed answer: no information objects.
    explicit ApiRequestBean(std::nullptr_t) { }

    QJsonObject m_json;
};
