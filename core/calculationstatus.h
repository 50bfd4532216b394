#pragma once

#include "calculation.h"

#include <QDateTime>
#include <QString>

// The texts of the status line, made from a calculation's rows and result.

// After a run: how many held rows were priced, or how many have no price
// (today's or a last known one) and so are left out of the total; the
// failures grouped by reason (groups in the order their first row comes,
// symbols in row order); for a stopped run, how far it got and what the
// totals cover.
QString calculationSummary(const Holdings &holdings, const CalculationResult &result);

// When a run that was not stopped left held rows without any price: how
// many, and that the total leaves them out. Empty otherwise.
QString leftOutNote(const Holdings &holdings, const CalculationResult &result);

// What the total leans on beyond today's prices: the rows valued at their
// last known price, with the oldest one's date, and the held rows in no
// class with the amount they add. Empty when there is nothing to say.
QString lastKnownNote(const CalculationResult &result);
QString noClassNote(const Holdings &holdings, const CalculationResult &result);
// When some valued row's price was converted: the currency the values are
// in, and the date of the oldest kept rate used when today's could not be
// fetched. It leads the notes.
QString currencyNote(const CalculationResult &result);
// The currency the calculation's values are in, as its prices were given
// in it; empty when no price says.
QString resultCurrency(const CalculationResult &result);

// The status line after a run: its local time (`when`), the currency and
// last known price notes, the summary, and the no class note, e.g.
// "14:02 — 6 holdings priced."
QString runStatus(const QDateTime &when, const Holdings &holdings, const CalculationResult &result);

// While a run prices its rows: how many of the held rows are done, the count
// the progress bar shows too.
QString pricingProgress(int done, int count);

// What a row's Value box says about its lookup: why it has no price, that
// it was never looked up, where its price came from (see priceNote(), with
// `now` for the dates), or nothing for an empty row.
QString rowQuoteNote(const CalculationResult &result, int row, const QDateTime &now);

// Some row could not be priced because no quote source is set up, which the
// user can put right.
bool needsQuoteSource(const CalculationResult &result);
