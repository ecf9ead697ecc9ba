#include "versions.h"

#include <QStringList>

namespace Versions {

int compare(const QString &a, const QString &b)
{
    const QStringList left = a.split(QLatin1Char('.'));
    const QStringList right = b.split(QLatin1Char('.'));
    for (int i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QString l = i < left.size() ? left.at(i) : QStringLiteral("0");
        const QString r = i < right.size() ? right.at(i) : QStringLiteral("0");
        bool okLeft = false;
        bool okRight = false;
        const qulonglong ln = l.toULongLong(&okLeft);
        const qulonglong rn = r.toULongLong(&okRight);
        if (okLeft && okRight) {
            if (ln != rn)
                return ln < rn ? -1 : 1;
        } else if (const int c = l.compare(r); c != 0) {
            return c;
        }
    }
    return 0;
}

} // namespace Versions
