#pragma once

#include "calculation.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QString>

// Exit status of `fundtally --report`: every held row priced now; some row
// valued at its last known price or not at all; the profile not read.
inline constexpr int ReportPricedExitCode = 0;
inline constexpr int ReportIncompleteExitCode = 1;
inline constexpr int ReportProfileErrorExitCode = 2;

// The report of a finished calculation as aligned text, priced at `when`
// (shown in its own time zone), its values in `currency`:
//   Holdings priced 7 Dec 2026 14:02, values in EUR
//   <blank>
//   Row  Name  Symbol  Shares  Class  Price  Currency  Rate  Value  Percent  Price from
//     1  ...                                                              priced
// one line per held row, the price and its currency as the source gave them
// and the rate that takes the price to `currency` ("-" for a row without a
// price), the last column
// the last column "priced", "last known 7 Dec 2026" (the local date it was
// fetched) or why the row has no price; then a blank line, the five classes
// with their amounts and percentages, a blank line, the total, and the notes
// on last known prices and rows in no class, one a line.
QString reportText(const Holdings &holdings, const CalculationResult &result, const QDateTime &when,
                   const QString &currency);

// The same report as one JSON document:
//   {"time": "2026-12-07T14:02:00+01:00", "currency": "EUR" (of the values),
//    "holdings": [{"row": 1, "name": "...", "symbol": "VTI", "shares": 420,
//                  "class": "Stocks" (null when none), "value": 51849, "percent": 45,
//                  "status": "priced" | "lastKnown" | "unpriced" | "notLookedUp",
//                  "price": 123.45 (null without one),
//                  with a price: "currency" (the price's, as given), "rate" (what the
//                  price is multiplied by to reach the report's currency), "rateSource"
//                  and "rateDate" (null when none was needed), "source", "fetched"
//                  (ISO 8601, UTC; null when unknown),
//                  when not priced now: "reason"}, ...],
//    "classes": [{"class": "Cash", "amount": 12500, "percent": 10}, ...],
//    "total": 115104, "notes": ["..."]}
QJsonDocument reportJson(const Holdings &holdings, const CalculationResult &result, const QDateTime &when,
                         const QString &currency);

// ReportPricedExitCode when every held row was priced now, otherwise
// ReportIncompleteExitCode.
int reportExitCode(const CalculationResult &result);

// `fundtally --report FILE [--json] [--currency CODE]`: loads FILE as Get
// Profile does, prices it through the window's quote sources and last known
// prices in `currency` (empty: the one chosen in the window) (the store's
// file is read before and written after the run; "Use last known prices"
// as saved), and prints the report on standard output. A profile that cannot
// be read is told on standard error with ReportProfileErrorExitCode; a price
// file that cannot be used or saved is told there too, and the report goes
// on. Needs an application object, not a display.
int runReportCommand(const QString &path, bool json, const QString &currency);

// `fundtally --forget-prices`: writes the store of last known prices empty.
// Silent with 0; a file that cannot be written is told on standard error
// with 1.
int runForgetPricesCommand();
