#include "dialogunits.h"

#include <QFontMetricsF>

#include <cmath>

namespace {

double averageCharWidth(const QFontMetricsF &metrics)
{
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return metrics.horizontalAdvance(alphabet) / alphabet.size();
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    m_baseX = averageCharWidth(metrics);
    m_baseY = metrics.height();
}

int DialogUnits::x(int units) const
{
    return int(std::lround(units * m_baseX / 4.0));
}

int DialogUnits::y(int units) const
{
    return int(std::lround(units * m_baseY / 8.0));
}

QRect DialogUnits::rect(int x, int y, int width, int height) const
{
    const int left = this->x(x);
    const int top = this->y(y);
    return QRect(left, top, this->x(x + width) - left, this->y(y + height) - top);
}

QSize DialogUnits::size(int width, int height) const
{
    return QSize(x(width), y(height));
}
