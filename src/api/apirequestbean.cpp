#include "api/apirequestbean.h"

#include "app/kvapplication.h"

ApiRequestBean::ApiRequestBean()
    : ApiRequestBean(KVApplication::instance()->deviceInfo(), KVApplication::instance()->packageInfo())
{ }

ApiRequestBean::ApiRequestBean(const DeviceInfo &device, const AppPackageInfo &package)
{
    m_json.insert(QStringLiteral("deviceInfo"), device.toJson());
    m_json.insert(QStringLiteral("appPackageInfo"), package.toJson());
}
