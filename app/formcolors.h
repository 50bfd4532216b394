#pragma once

#include <QColor>

// Background of a Value box whose row could not be priced: amber, readable
// with dark text on light and dark desktop themes alike.
inline QColor unpricedBackground()
{
    return QColor(0xF2, 0xB1, 0x34);
}

inline QColor unpricedText()
{
    return QColor(Qt::black);
}
