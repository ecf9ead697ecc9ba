#pragma once

#include "app/basebean.h"

#include <QMetaType>
#include <QSharedPointer>
#include <QString>

// A newer launcher as the launcher service describes it.
class AppDownloadInfo : public BaseBean
{
public:
    // The answer's data object; null when the text is not a JSON object.
    static QSharedPointer<AppDownloadInfo> fromReplyData(const QString &data);

    QJsonObject toJson() const override;

    QString mainUrl;
    QString downloadUrl;
    QString latestVersion;
    QString updateMessage;
};

// Announcements carry the record shared: every receiver may keep it, and it
// is freed with the last one (or at once when nobody listens).
using AppDownloadInfoPtr = QSharedPointer<AppDownloadInfo>;
Q_DECLARE_METATYPE(AppDownloadInfoPtr)
