#include "calculation.h"

#include "amountformat.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Calculation", text);
}

qint64 percentOf(double part, double total)
{
    return truncateToInteger(part / total * 100.0);
}

} // namespace

bool isHeld(const HoldingInput &holding)
{
    return holding.shares != 0.0;
}

CalculationResult computeHoldings(const HoldingInputs &holdings, const RowQuotes &quotes)
{
    CalculationResult result;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const HoldingInput &holding = holdings[row];
        if (!isHeld(holding))
            continue;
        const QuoteResult quote = quotes[row].value_or(QuoteResult::stopped());
        result.quotes[row] = quote;

        const double amount = quote.price * holding.shares;
        result.value[row] = double(truncateToInteger(amount));
        result.total += amount;
        if (isAssetClass(holding.assetClass))
            result.classSum[holding.assetClass] += amount;
    }

    // With nothing to divide by every percentage is 0.
    if (result.total != 0.0) {
        for (int row = 0; row < HoldingRowCount; ++row)
            result.percent[row] = percentOf(result.value[row], result.total);
        for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass)
            result.classPercent[assetClass] = percentOf(result.classSum[assetClass], result.total);
    }

    result.totalText = FormatGroupedAmount(result.total);
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass)
        result.classAmountText[assetClass] = FormatGroupedAmount(result.classSum[assetClass]);
    return result;
}

CalculationResult calculateHoldings(const HoldingInputs &holdings, const PriceSource &priceOf)
{
    RowQuotes quotes;
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (isHeld(holdings[row]))
            quotes[row] = priceOf(holdings[row].symbol);
    }
    return computeHoldings(holdings, quotes);
}

QString calculationSummary(const HoldingInputs &holdings, const CalculationResult &result)
{
    int held = 0;
    QStringList unpriced;
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (!isHeld(holdings[row]))
            continue;
        ++held;
        const std::optional<QuoteResult> &quote = result.quotes[row];
        if (quote && !quote->priced) {
            const QString symbol = holdings[row].symbol.isEmpty() ? tr("(no symbol)")
                                                                  : holdings[row].symbol;
            unpriced.append(QStringLiteral("%1 (%2)").arg(symbol, quote->reason));
        }
    }
    if (held == 0)
        return tr("No holdings with shares to price.");
    if (unpriced.isEmpty())
        return held == 1 ? tr("1 holding priced.") : tr("%1 holdings priced.").arg(held);
    return tr("%1 of %2 holdings could not be priced: %3")
        .arg(unpriced.size())
        .arg(held)
        .arg(unpriced.join(QStringLiteral(", ")));
}
