#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// The model of the launcher-update page: the announced version's texts, the
// widget that hosts the page, whether it is shown, and what its two buttons do.
class UpdateDialog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString mainUrl READ mainUrl WRITE setMainUrl NOTIFY mainUrlChanged)
    Q_PROPERTY(QString downloadUrl READ downloadUrl WRITE setDownloadUrl NOTIFY downloadUrlChanged)
    Q_PROPERTY(QString latestVersion READ latestVersion WRITE setLatestVersion NOTIFY latestVersionChanged)
    Q_PROPERTY(QString updateMessage READ updateMessage WRITE setUpdateMessage NOTIFY updateMessageChanged)
public:
    static UpdateDialog *instance();

    explicit UpdateDialog(QObject *parent = nullptr);

    QString mainUrl() const { return m_mainUrl; }
    QString downloadUrl() const { return m_downloadUrl; }
    QString latestVersion() const { return m_latestVersion; }
    QString updateMessage() const { return m_updateMessage; }
    void setMainUrl(const QString &value);
    void setDownloadUrl(const QString &value);
    void setLatestVersion(const QString &value);
    void setUpdateMessage(const QString &value);

    // The widget that shows the page; closed by either button. Not owned.
    void setHost(QObject *host) { m_host = host; }
    bool isShown() const { return m_shown; }
    void setShown(bool shown) { m_shown = shown; }

    void setCancelCallback(std::function<void()> callback) { m_onCancel = std::move(callback); }
    void setConfirmCallback(std::function<void()> callback) { m_onConfirm = std::move(callback); }

public slots:
    void cancel();
    void confirm();

signals:
    void mainUrlChanged();
    void downloadUrlChanged();
    void latestVersionChanged();
    void updateMessageChanged();

private:
    void closeWith(const std::function<void()> &callback);

    QString m_mainUrl;
    QString m_downloadUrl;
    QString m_latestVersion;
    QString m_updateMessage;
    QPointer<QObject> m_host;
    bool m_shown = false;
    std::function<void()> m_onCancel;
    std::function<void()> m_onConfirm;
};
