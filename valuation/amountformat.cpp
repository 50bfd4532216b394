#include "amountformat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Truncates a non-negative magnitude toward zero, clamped to the 64-bit range.
qint64 wholePart(double magnitude)
{
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (magnitude >= kTwoTo63)
        return std::numeric_limits<qint64>::max();
    return static_cast<qint64>(magnitude);
}

} // namespace

QString FormatGroupedAmount(double amount)
{
    if (amount == 0.0 || std::isnan(amount))
        return QStringLiteral("0");

    const bool negative = amount < 0.0;
    qint64 n = wholePart(std::fabs(amount));

    QString tail;
    while (n >= 1000) {
        tail.prepend(FormatGroup3(n % 1000));
        tail.prepend(u',');
        n /= 1000;
    }
    const QString text = QString::number(n) + tail;
    return negative ? u'(' + text + u')' : text;
}

QString FormatGroup3(qint64 n)
{
    return QStringLiteral("%1").arg(std::clamp<qint64>(n, 0, 999), 3, 10, QLatin1Char('0'));
}
