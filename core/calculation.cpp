#include "calculation.h"

#include "amountformat.h"

namespace {

qint64 percentOf(double part, double total)
{
    return truncateToInteger(part / total * 100.0);
}

} // namespace

CalculationResult computeHoldings(const Holdings &holdings, const RowQuotes &quotes)
{
    CalculationResult result;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const Holding &holding = holdings[row];
        if (!isHeld(holding))
            continue;
        const QuoteResult quote = quotes[row].value_or(QuoteResult::stopped());
        result.quotes[row] = quote;
        if (!quotes[row]) {
            result.outcome[row] = RowOutcome::NotLookedUp;
            result.partial = true;
        } else {
            result.outcome[row] = quote.priced()     ? RowOutcome::Priced
                                  : quote.lastKnown ? RowOutcome::LastKnown
                                                    : RowOutcome::Unpriced;
        }

        const double amount = quote.price * holding.shares;
        result.value[row] = rowValue(holding, quote);
        result.total += amount;
        if (isAssetClass(holding.assetClass))
            result.classSum[holding.assetClass] += amount;
        else
            result.unclassedSum += amount;
    }

    // With nothing to divide by every percentage is 0.
    if (result.total != 0.0) {
        for (int row = 0; row < HoldingRowCount; ++row)
            result.percent[row] = percentOf(result.value[row], result.total);
        for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass)
            result.classPercent[assetClass] = percentOf(result.classSum[assetClass], result.total);
        result.unclassedPercent = percentOf(result.unclassedSum, result.total);
    }

    result.totalText = FormatGroupedAmount(result.total);
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass)
        result.classAmountText[assetClass] = FormatGroupedAmount(result.classSum[assetClass]);
    return result;
}

double rowValue(const Holding &holding, const QuoteResult &quote)
{
    return double(truncateToInteger(quote.price * holding.shares));
}

CalculationResult calculateHoldings(const Holdings &holdings, const PriceSource &priceOf)
{
    RowQuotes quotes;
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (isHeld(holdings[row]))
            quotes[row] = priceOf(holdings[row].symbol);
    }
    return computeHoldings(holdings, quotes);
}
