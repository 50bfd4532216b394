#include "amountformat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Writes n as exactly three digits with leading zeros (7 gives "007").
// Values outside 0..999 are clamped into that range.
QString FormatGroup3(qint64 n)
{
    return QStringLiteral("%1").arg(std::clamp<qint64>(n, 0, 999), 3, 10, QLatin1Char('0'));
}

} // namespace

QString FormatGroupedAmount(double amount)
{
    // 0.0 and NaN both come out as a plain "0"; -0.4 as "(0)".
    const bool negative = amount < 0.0;
    qint64 n = truncateToInteger(std::fabs(amount));

    QString tail;
    while (n >= 1000) {
        tail.prepend(FormatGroup3(n % 1000));
        tail.prepend(u',');
        n /= 1000;
    }
    const QString text = QString::number(n) + tail;
    return negative ? u'(' + text + u')' : text;
}

qint64 truncateToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; every double below it converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

