#pragma once

#include "calculation.h"

#include <QString>

// The texts of the status line, made from a calculation's rows and result.

// After a run: how many held rows were priced; the failures grouped by
// reason (groups in the order their first row comes, symbols in row order);
// for a stopped run, how far it got and what the totals cover.
QString calculationSummary(const Holdings &holdings, const CalculationResult &result);

// While a run prices its rows: how many of the held rows are done, the count
// the progress bar shows too.
QString pricingProgress(int done, int count);

// What a row's Value box says about its lookup: why it has no price, that
// it was never looked up, or nothing for a priced or empty row.
QString rowQuoteNote(const CalculationResult &result, int row);

// Some row could not be priced because no quote site is set up, which the
// user can put right.
bool needsQuoteSite(const CalculationResult &result);
