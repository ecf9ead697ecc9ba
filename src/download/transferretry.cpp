#include "download/transferretry.h"

#include "api/backoff.h"

#include "download/downloadcode.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace TransferRetry {

Kind classify(int errorCode, int httpStatus)
{
    if (errorCode == codeValue(DownloadCode::UnusableAddress) || errorCode == codeValue(DownloadCode::FileMissing))
        return Kind::Final;
    if (httpStatus == 408 || httpStatus == 429 || httpStatus >= 500)
        return Kind::Network;
    if (httpStatus >= 400 || isContentErrorCode(errorCode))
        return Kind::Content;
    return Kind::Network;
}

qint64 backoffMs(int attempt, qint64 firstMs, qint64 capMs, double unit)
{
    return Backoff::delayMs(attempt, firstMs, capMs, unit);
}

qint64 retryAfterMs(const QByteArray &value, const QDateTime &now)
{
    return Backoff::retryAfterMs(value, now);
}

QString baseOf(const QString &url)
{
    const QUrl parsed(url);
    if (parsed.host().isEmpty())
        return QString();
    return parsed.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

QString onBase(const QString &url, const QString &base)
{
    const QUrl host(base);
    QUrl result(url);
    if (host.host().isEmpty() || result.host().isEmpty())
        return url;
    result.setScheme(host.scheme());
    result.setHost(host.host());
    result.setPort(host.port());
    return result.toString(QUrl::FullyEncoded);
}

QStringList manifestMirrors(int runningType, const QMap<QString, QString> &manifest)
{
    static const char *const keys[] = {"Dev_package_mirrors", "Test_package_mirrors", "Release_package_mirrors"};
    if (runningType < 1 || runningType > 3)
        return {};
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    return manifest.value(QString::fromLatin1(keys[runningType - 1])).split(separators, Qt::SkipEmptyParts);
}

} // namespace TransferRetry

HostPool::HostPool(const QStringList &mirrors, qint64 setAsideMs)
    : m_setAsideMs(setAsideMs)
{
    for (const QString &mirror : mirrors) {
        const QString base = TransferRetry::baseOf(mirror.trimmed());
        if (!base.isEmpty() && !m_mirrors.contains(base))
            m_mirrors.append(base);
    }
}

QStringList HostPool::candidates(const QString &url) const
{
    QStringList hosts {TransferRetry::baseOf(url)};
    for (const QString &mirror : m_mirrors) {
        if (!hosts.contains(mirror))
            hosts.append(mirror);
    }
    return hosts;
}

QString HostPool::pick(const QString &url, qint64 now) const
{
    QString best;
    qint64 soonest = std::numeric_limits<qint64>::max();
    for (const QString &host : candidates(url)) {
        const qint64 until = m_asideUntil.value(host, 0);
        if (until <= now)
            return host;
        if (until < soonest) {
            soonest = until;
            best = host;
        }
    }
    return best;
}

void HostPool::setAside(const QString &base, qint64 now, qint64 atLeastMs)
{
    m_asideUntil.insert(base, now + std::max(m_setAsideMs, atLeastMs));
}

bool HostPool::hasHostFor(const QString &url, qint64 now) const
{
    const QStringList hosts = candidates(url);
    return std::any_of(
        hosts.cbegin(), hosts.cend(), [&](const QString &host) { return m_asideUntil.value(host, 0) <= now; });
}
