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
// (shown in its own time zone):
//   Holdings priced 7 Dec 2026 14:02
//   <blank>
//   Row  Name  Symbol  Shares  Class  Price  Value  Percent  Price from
//     1  ...                                                 priced
// one line per held row, the price column "-" for a row without one and
// the last column "priced", "last known 7 Dec 2026" (the local date it was
// fetched) or why the row has no price; then a blank line, the five classes
// with their amounts and percentages, a blank line, the total, and the notes
// on last known prices and rows in no class, one a line.
QString reportText(const Holdings &holdings, const CalculationResult &result, const QDateTime &when);

// The same report as one JSON document:
//   {"time": "2026-12-07T14:02:00+01:00",
//    "holdings": [{"row": 1, "name": "...", "symbol": "VTI", "shares": 420,
//                  "class": "Stocks" (null when none), "value": 51849, "percent": 45,
//                  "status": "priced" | "lastKnown" | "unpriced" | "notLookedUp",
//                  "price": 123.45 (null without one),
//                  with a price: "currency", "source", "fetched" (ISO 8601, UTC; null when unknown),
//                  when not priced now: "reason"}, ...],
//    "classes": [{"class": "Cash", "amount": 12500, "percent": 10}, ...],
//    "total": 115104, "notes": ["..."]}
QJsonDocument reportJson(const Holdings &holdings, const CalculationResult &result, const QDateTime &when);

// ReportPricedExitCode when every held row was priced now, otherwise
// ReportIncompleteExitCode.
int reportExitCode(const CalculationResult &result);

// `fundtally --report FILE [--json]`: loads FILE as Get Profile does, prices
// it through the window's quote sources and last known prices (the store's
// file is read before and written after the run; "Use last known prices"
// as saved), and prints the report on standard output. A profile that cannot
// be read is told on standard error with ReportProfileErrorExitCode; a price
// file that cannot be used or saved is told there too, and the report goes
// on. Needs an application object, not a display.
int runReportCommand(const QString &path, bool json);

// `fundtally --forget-prices`: writes the store of last known prices empty.
// Silent with 0; a file that cannot be written is told on standard error
// with 1.
int runForgetPricesCommand();
