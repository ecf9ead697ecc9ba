#pragma once

#include <QString>

namespace Versions {

// Orders versions by their dot-separated parts, numerically where both parts are
// numbers ("1.2.10" after "1.2.9"), as text otherwise; missing parts count as 0.
// Returns <0, 0 or >0.
int compare(const QString &a, const QString &b);

} // namespace Versions
