#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

// The outcome of one server call: the reply envelope {"code", "msg", "data"}
// or a local failure (code -1 with a short reason and no data).
class ApiResult
{
public:
    ApiResult() = default;
    ApiResult(int code, const QString &msg)
        : msg(msg)
        , code(code)
    { }

    // Turns a reply body (already unscrambled) into a result. Needs no
    // network and accepts any bytes: hostile or broken bodies become code -1.
    //   empty                     -> -1, "json is null"
    //   not JSON                  -> -1, "QJsonParseError"
    //   JSON but not an object    -> -1, "Server data is error"
    //   object                    -> its "code" (0 when absent), "msg", and
    //                                "data" as indented JSON ({} unless an object)
    static ApiResult fromReplyBody(const QByteArray &body);

    QString msg;
    int code = -1;
    QString data;
};

Q_DECLARE_METATYPE(ApiResult)
