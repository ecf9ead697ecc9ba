#pragma once

// The request classes: one per kind of server call. They differ only in name
// and in which endpoint their users post through them; KVRequest turns the two
// transport hooks into signalReplyfinsh / signalReplyError for all of them.

#include "api/kvabstractnetwork.h"

class KVRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit KVRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class PosterRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class AppBaseInfoRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class AppNewsRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class BannerImageRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class AppVersionRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class GameVersionRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class NotificationAlertRequest : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class GADataReport : public KVRequest
{
public:
    using KVRequest::KVRequest;
};

class ThinkingDataReport : public KVRequest
{
public:
    using KVRequest::KVRequest;
};
