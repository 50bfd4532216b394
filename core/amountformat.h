#pragma once

#include <QString>
#include <QtGlobal>

// Writes a money amount as a whole number with commas between thousands
// groups and negative amounts in parentheses: 1234567.89 gives "1,234,567",
// -42.7 gives "(42)", -0.4 gives "(0)", 0.0 gives "0". The fraction is cut
// off (truncated toward zero). The whole part is 64-bit: a magnitude of 2^63
// or more, and an infinity, is clamped to 9,223,372,036,854,775,807 (in
// parentheses when negative); NaN gives "0".
QString FormatGroupedAmount(double amount);

// Truncates toward zero into 64 bits; out-of-range values are clamped and
// NaN gives 0, so no input can make the conversion undefined.
qint64 truncateToInteger(double value);

