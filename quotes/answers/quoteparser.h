#pragma once

#include "quoteresult.h"

#include <QByteArrayView>

#include <optional>

// Pure page-text handling for quote lookups; no network.

// Whether the price line was read whole or cut at the line cap.
enum class PriceLineEnd { Whole, Cut };

// Prices the fifth line of a quote page: the text after the second
// "react-text: 36 -->" marker, up to the first '<', read as a number.
// A line without two markers, or without a number there, is unpriced
// with the reason "no price on page". So is a cut line without a '<' after
// the second marker: its number may go on beyond the cut.
QuoteResult parseQuoteLine(QByteArrayView fifthLine, PriceLineEnd end = PriceLineEnd::Whole);

// Reads the number at the start of `text` the way atof does: leading white
// space, an optional sign, digits with an optional decimal point, an optional
// exponent; reading stops at the first character that cannot continue the
// number. Thousands separators in the whole part ("1,234.50") are accepted
// when every comma is followed by exactly three digits. Returns nothing when
// no number starts the text or its value is out of the range of a double.
std::optional<double> readLeadingNumber(QByteArrayView text);
