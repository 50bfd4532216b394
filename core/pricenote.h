#pragma once

#include "quoteresult.h"

#include <QDateTime>
#include <QString>

#include <chrono>

// A last known price older than this is old: its note says how old.
inline constexpr std::chrono::days kOldPriceAge{7};

// What a valued row's Value box says about its price, times in local time:
//   priced now:  "123.45 USD a share from Prices A at 14:02"
//                ("at 7 Dec 2026 14:02" when fetched on another day than `now`)
//   last known:  "Last known price 123.45 USD from Prices A, 7 Dec 2026 14:02;
//                 today's lookup failed: timed out"
//                with " (12 days old)" after the time when older than kOldPriceAge.
// The currency, " from" and the source, and the time are left out when not
// known. The price has at least two decimals and as many more as it takes
// to read back the same number: 100 gives "100.00", 0.125 gives "0.125".
// Empty for a row without a price; rowQuoteNote() says why.
QString priceNote(const QuoteResult &result, const QDateTime &now);
