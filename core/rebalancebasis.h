#pragma once

#include "calculation.h"
#include "rebalance.h"

#include <QString>
#include <QStringList>

// What a rebalancing rests on: the class amounts of the last calculation and
// what that calculation could not take into account.
struct RebalanceBasis
{
    bool calculated = false;      // false until a calculation has finished
    ClassAmounts classAmount{};
    // Shares of the classed amount, the base the targets apply to; the
    // summary's percentages are of the whole total.
    std::array<qint64, AssetClassCount> classPercent{};
    double total = 0.0;           // every priced holding, with or without a class
    double unclassedAmount = 0.0; // priced holdings without a class
    bool hasUnclassed = false;    // a held row without a class was priced
    int heldCount = 0;
    int unpricedCount = 0;        // held rows left without a price
    QStringList lastKnownSymbols; // held rows valued at their last known price, in row order
    bool stopped = false;         // the calculation was stopped before its end
    QString currency;             // the amounts' currency; empty when not known
};

RebalanceBasis rebalanceBasis(const Holdings &holdings, const CalculationResult &result,
                              bool stopped);

// Advice needs a finished calculation with a total other than 0.
bool canAdvise(const RebalanceBasis &basis);

// Says how many holdings the advice leaves out for want of a price, and why;
// empty when every held row was priced.
QString coverageWarning(const RebalanceBasis &basis);

// Names the holdings valued at their last known price; empty when none.
QString lastKnownPricesNote(const RebalanceBasis &basis);

// Says what the percentages and the advice are shares of and names the
// amount of the holdings without a class; empty when there are none.
QString unclassedNote(const RebalanceBasis &basis);
