#pragma once

// The request classes: one per kind of server call. Each only turns the two
// transport hooks into signalReplyfinsh / signalReplyError; they differ in
// name and in which endpoint their users post through them.

#include "api/kvabstractnetwork.h"

class PosterRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit PosterRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class AppBaseInfoRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit AppBaseInfoRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class AppNewsRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit AppNewsRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class BannerImageRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit BannerImageRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class AppVersionRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit AppVersionRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class GameVersionRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit GameVersionRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class NotificationAlertRequest : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit NotificationAlertRequest(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class GADataReport : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit GADataReport(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};

class ThinkingDataReport : public KVAbstractNetwork
{
    Q_OBJECT
public:
    explicit ThinkingDataReport(QNetworkAccessManager *manager = nullptr, QObject *parent = nullptr)
        : KVAbstractNetwork(manager, parent)
    { }

protected:
    void handleReplyFinished(ApiResult apiresult) override { emit signalReplyfinsh(apiresult); }
    void handleReplyError() override { emit signalReplyError(); }
};
