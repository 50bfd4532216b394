#pragma once

#include <QStringView>

#include <optional>

// How a source writes numbers: 1,234.56 (a point before the decimals, commas
// grouping digits) or 1.234,56 and 1 234,56 (a comma before the decimals,
// points or spaces grouping digits).
enum class DecimalMark { Point, Comma };

// The number `text` holds, when it holds a number and nothing else besides
// spaces around it: an optional sign, digits (grouped in threes or not
// grouped), the decimal mark and decimals, an optional exponent. Empty for
// anything else, and for numbers beyond a double.
std::optional<double> numberFromText(QStringView text, DecimalMark mark);
