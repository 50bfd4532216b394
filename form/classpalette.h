#pragma once

#include "assetclass.h"

#include <QColor>

// The few colours the form uses beyond the desktop theme's. Class colours are
// mid-tones that stand out on light and dark backgrounds alike; the warning
// amber of an unpriced row is kept apart from all of them.
namespace ClassPalette {

inline QColor classColor(int assetClass)
{
    static const std::array<QColor, AssetClassCount> colors = {
        QColor(0x3F, 0xA7, 0xA0), // Cash: teal
        QColor(0x4C, 0x78, 0xC8), // Bonds: blue
        QColor(0x5C, 0xA8, 0x4B), // Stocks: green
        QColor(0xA8, 0x6B, 0xC0), // Real: violet
        QColor(0xD9, 0x54, 0x5B), // EMD: red
    };
    return colors.at(assetClass);
}

// Holdings in no class: a neutral grey apart from every class colour.
inline QColor noClassColor()
{
    return QColor(0x9A, 0x9A, 0x9A);
}

inline QColor unpricedBackground()
{
    return QColor(0xF2, 0xB1, 0x34);
}

// Dark text keeps an amber box readable whatever the theme's text colour.
inline QColor unpricedText()
{
    return QColor(Qt::black);
}

// A last known price: neither the warning amber nor the greyed "not looked
// up", and with dark text readable on a dark theme as on a light one.
inline QColor lastKnownBackground()
{
    return QColor(0xA9, 0xCC, 0xEE);
}

inline QColor lastKnownText()
{
    return QColor(Qt::black);
}

} // namespace ClassPalette
