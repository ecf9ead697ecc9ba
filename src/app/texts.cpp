#include "app/texts.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

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
    const QString size = QStringLiteral("%1%2").arg(QString::number(static_cast<double>(x), 'f', 1), unit);
    // The units of size read the same everywhere; "per second" is the language's.
    return speed ? QCoreApplication::translate("Texts", "%1/S").arg(size) : size;
}

QString durationText(qint64 seconds)
{
    if (seconds <= 0)
        return QCoreApplication::translate("Texts", "%1s").arg(0);
    const qint64 days = seconds / 86400;
    const qint64 hours = seconds % 86400 / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    const qint64 rest = seconds % 60;

    QString text;
    const auto append = [&text](const char *unit, qint64 amount) {
        if (amount <= 0)
            return;
        const QString part = QCoreApplication::translate("Texts", unit).arg(amount);
        // "1h 1s" in English, "1小时1秒" in Chinese: the joint is the language's.
        text = text.isEmpty() ? part : QCoreApplication::translate("Texts", "%1 %2").arg(text, part);
    };
    append(QT_TRANSLATE_NOOP("Texts", "%1d"), days);
    append(QT_TRANSLATE_NOOP("Texts", "%1h"), hours);
    append(QT_TRANSLATE_NOOP("Texts", "%1m"), minutes);
    append(QT_TRANSLATE_NOOP("Texts", "%1s"), rest);
    return text;
}

int wholePercent(double share)
{
    // Rounded down, so that 100 only shows once all of it is done; the small
    // addition keeps 0.29 (28.999... x 100) at 29.
    const double percent = std::isfinite(share) ? std::floor(share * 100.0 + 1e-9) : 0.0;
    return int(qBound(0.0, percent, 100.0));
}

QString percentText(double share)
{
    return QStringLiteral("%1%").arg(wholePercent(share));
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
