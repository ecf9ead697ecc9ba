#include "api/backoff.h"

#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>
#include <limits>

namespace Backoff {

qint64 delayMs(int attempt, qint64 firstMs, qint64 capMs, double unit)
{
    qint64 ceiling = std::max<qint64>(0, firstMs);
    for (int i = 0; i < attempt && ceiling < capMs; ++i)
        ceiling *= 2;
    ceiling = std::min(ceiling, capMs);
    return qint64(double(ceiling) * std::clamp(unit, 0.0, 1.0));
}

qint64 retryAfterMs(const QByteArray &value, const QDateTime &now)
{
    const QString text = QString::fromLatin1(value).trimmed();
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    if (ok)
        return seconds < 0 ? -1 : std::min<qint64>(seconds, std::numeric_limits<int>::max()) * 1000;
    // IMF-fixdate, e.g. "Wed, 21 Oct 2015 07:28:00 GMT".
    QDateTime when = QLocale::c().toDateTime(text.left(25), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
    if (!when.isValid())
        return -1;
    when.setTimeSpec(Qt::UTC);
    return std::max<qint64>(0, now.msecsTo(when));
}

double draw()
{
    return QRandomGenerator::global()->generateDouble();
}

} // namespace Backoff
