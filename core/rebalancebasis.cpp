#include "rebalancebasis.h"

#include "calculationstatus.h"

#include "amountformat.h"

#include <QCoreApplication>

#include <numeric>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Rebalance", text);
}

} // namespace

RebalanceBasis rebalanceBasis(const Holdings &holdings, const CalculationResult &result,
                              bool stopped)
{
    RebalanceBasis basis;
    basis.calculated = true;
    basis.classAmount = result.classSum;
    const double classed = std::accumulate(result.classSum.cbegin(), result.classSum.cend(), 0.0);
    if (classed != 0.0) {
        for (int c = 0; c < AssetClassCount; ++c)
            basis.classPercent[c] = truncateToInteger(result.classSum[c] / classed * 100.0);
    }
    basis.total = result.total;
    basis.stopped = stopped;
    basis.currency = resultCurrency(result);
    for (int row = 0; row < HoldingRowCount; ++row) {
        const Holding &holding = holdings[row];
        if (!isHeld(holding))
            continue;
        ++basis.heldCount;
        const std::optional<QuoteResult> &quote = result.quotes[row];
        if (!quote || !quote->valued()) {
            ++basis.unpricedCount;
            continue;
        }
        if (quote->lastKnown)
            basis.lastKnownSymbols.append(holding.symbol);
        // Summed from the rows rather than taken as the total less the
        // classes, so that no rounding residue passes for an unclassed amount.
        if (!isAssetClass(holding.assetClass)) {
            basis.hasUnclassed = true;
            basis.unclassedAmount += quote->price * holding.shares;
        }
    }
    return basis;
}

bool canAdvise(const RebalanceBasis &basis)
{
    return basis.calculated && basis.total != 0.0;
}

QString coverageWarning(const RebalanceBasis &basis)
{
    const QString covers = tr("The advice covers only what was priced.");
    if (basis.stopped && basis.unpricedCount > 0) {
        return tr("The last calculation was stopped: %1 of %2 holdings were not priced. %3")
            .arg(basis.unpricedCount)
            .arg(basis.heldCount)
            .arg(covers);
    }
    if (basis.stopped)
        return tr("The last calculation was stopped. %1").arg(covers);
    if (basis.unpricedCount > 0) {
        return tr("%1 of %2 holdings could not be priced. %3")
            .arg(basis.unpricedCount)
            .arg(basis.heldCount)
            .arg(covers);
    }
    return {};
}

QString lastKnownPricesNote(const RebalanceBasis &basis)
{
    if (basis.lastKnownSymbols.isEmpty())
        return {};
    return tr("Valued at the last known price, as today's lookup failed: %1")
        .arg(basis.lastKnownSymbols.join(QStringLiteral(", ")));
}

QString unclassedNote(const RebalanceBasis &basis)
{
    if (!basis.hasUnclassed)
        return {};
    const double classed = std::accumulate(basis.classAmount.cbegin(), basis.classAmount.cend(), 0.0);
    return tr("Now, Target and the advice are shares of the classed holdings (%1); unclassed holdings of %2 "
              "are left out")
        .arg(FormatGroupedAmount(classed), FormatGroupedAmount(basis.unclassedAmount));
}
