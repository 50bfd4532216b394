#pragma once

#include <QColor>
#include <QPalette>

// The least contrast text is given against its background, as WCAG asks of
// body text; a colour the program picks for text is moved until it has it.
inline constexpr double MinTextContrast = 4.5;

// The WCAG contrast ratio of two opaque colours: 1 (none) to 21.
double contrastRatio(const QColor &first, const QColor &second);

// `wanted`, or the nearest colour toward black or white (whichever
// `background` sets off better) that reads on `background`.
QColor readableOn(const QColor &wanted, const QColor &background);

// The colour of an error or warning message on `palette`'s window: a red,
// darker on a light theme and lighter on a dark one.
QColor errorTextColor(const QPalette &palette);
