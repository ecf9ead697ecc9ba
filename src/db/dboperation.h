#pragma once

#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One statement for the database worker. Types 0, 1 and 2 execute without
// results; type 3 is a query whose rows are reported back.
struct DbOperation
{
    enum Type { Insert = 0, Update = 1, Delete = 2, Query = 3 };

    int type = Query;
    QString sql; // with named placeholders (":name")
    QVariantMap params; // bound to ":" + key
    int requestId = 0;
};

Q_DECLARE_METATYPE(DbOperation)
