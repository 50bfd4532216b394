#pragma once

#include "assetclass.h"
#include "holding.h"
#include "quoteresult.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

// The price lookup of each row: empty for rows that were never looked up.
using RowQuotes = std::array<std::optional<QuoteResult>, HoldingRowCount>;

// How one row came out of a calculation.
enum class RowOutcome {
    NotHeld,     // no shares: never looked up, and no failure either
    Priced,
    Unpriced,    // looked up without a price; the lookup says why
    LastKnown,   // today's lookup failed (it says why); valued at the last price found
    NotLookedUp, // held, but the run was stopped before its lookup ended
};

struct CalculationResult
{
    std::array<double, HoldingRowCount> value{};   // the row's amount truncated toward zero
    std::array<qint64, HoldingRowCount> percent{};
    RowQuotes quotes;
    std::array<RowOutcome, HoldingRowCount> outcome{};
    // Some held row was never looked up, so the totals cover only part.
    bool partial = false;
    double total = 0.0;
    std::array<double, AssetClassCount> classSum{};
    std::array<qint64, AssetClassCount> classPercent{};
    // The held rows in no class, which the total counts and no class does.
    double unclassedSum = 0.0;
    qint64 unclassedPercent = 0;
    QString totalText;
    std::array<QString, AssetClassCount> classAmountText;
};

// The arithmetic of a calculation from the rows and the lookups already
// made. A held row without a lookup (the run was stopped first) is priced at
// 0, carries the reason "stopped" and is counted as not looked up.
CalculationResult computeHoldings(const Holdings &holdings, const RowQuotes &quotes);

// What a held row shows in its Value box once its lookup has settled: the
// amount truncated toward zero.
double rowValue(const Holding &holding, const QuoteResult &quote);

// The whole calculation with a synchronous price source: every held row is
// priced once, in row order.
using PriceSource = std::function<QuoteResult(const QString &symbol)>;
CalculationResult calculateHoldings(const Holdings &holdings, const PriceSource &priceOf);
