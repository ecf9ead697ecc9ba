#include "app/texts.h"

#include <QStringList>

QString sizeText(quint64 bytes, bool speed)
{
    // Single precision on purpose: 1073741823 rounds up to 2^30 and so shows
    // as 1.0 GB rather than 1024.0 MB.
    float x = QString::number(bytes).toFloat();
    QString unit;
    if (x <= 0) {
        x = 0;
        unit = QStringLiteral(" B");
    } else if (x < 1024.0f) {
        unit = QStringLiteral(" B");
    } else if (x < 1048576.0f) {
        x /= 1024.0f;
        unit = QStringLiteral(" KB");
    } else if (x < 1073741824.0f) {
        x /= 1048576.0f;
        unit = QStringLiteral(" MB");
    } else {
        x /= 1073741824.0f;
        unit = QStringLiteral(" GB");
    }
    if (speed)
        unit += QStringLiteral("/S");
    return QStringLiteral("%1%2").arg(QString::number(static_cast<double>(x), 'f', 1), unit);
}

QString durationText(qint64 seconds)
{
    if (seconds <= 0)
        return QStringLiteral("0s");
    const qint64 days = seconds / 86400;
    const qint64 hours = seconds % 86400 / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    const qint64 rest = seconds % 60;

    QStringList parts;
    if (days > 0)
        parts << QStringLiteral("%1d").arg(days);
    if (hours > 0)
        parts << QStringLiteral("%1h").arg(hours);
    if (minutes > 0)
        parts << QStringLiteral("%1m").arg(minutes);
    if (rest > 0)
        parts << QStringLiteral("%1s").arg(rest);
    return parts.join(QLatin1Char(' '));
}

bool needsAppUpdate(const QString &current, const QString &latest)
{
    if (current.isEmpty())
        return true;
    const QStringList ours = current.split(QLatin1Char('.'));
    const QStringList theirs = latest.split(QLatin1Char('.'));
    const int count = qMax(ours.size(), theirs.size());
    for (int i = 0; i < count; ++i) {
        // toLongLong gives 0 for an empty or non-numeric part.
        const qlonglong a = i < ours.size() ? ours.at(i).toLongLong() : 0;
        const qlonglong b = i < theirs.size() ? theirs.at(i).toLongLong() : 0;
        if (a < b)
            return true;
        if (a > b)
            return false;
    }
    return false;
}
