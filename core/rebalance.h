#pragma once

#include "assettargets.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

using ClassAmounts = std::array<double, AssetClassCount>;

// New money beyond a trillion is not a household's; larger figures are typing
// mistakes, and the grouped amounts stay short enough to read.
inline constexpr double MaxAmountToInvest = 1'000'000'000'000.0;

enum class RebalanceMode {
    Full,      // buy what is short and sell what is over
    BuyOnly,   // spend the new money where it is most short; never sell
};

enum class RebalanceProblem {
    None,
    InvalidTargets,     // a target outside 0..100 or the targets not adding up to 100
    InvalidAmount,      // the amount to invest below 0, above the limit or not a number
    NoPositiveBase,     // the classes and the new money add up to 0 or less
};

struct RebalancePlan
{
    RebalanceProblem problem = RebalanceProblem::None;
    double base = 0.0;           // the five class amounts plus the new money
    ClassAmounts targetAmount{}; // base x target / 100
    ClassAmounts difference{};   // positive: buy, negative: sell; all 0 with a problem
};

// What to buy or sell in each class to reach the targets. Only the five class
// amounts take part: holdings without a class are left out by the caller.
RebalancePlan rebalance(const ClassAmounts &now, const TargetPercents &targets,
                        double amountToInvest, RebalanceMode mode);

// "Buy 1,234", "Sell 567", or "—" when the difference truncates to nothing;
// amounts are cut toward zero as the summary's are.
QString differenceText(double difference);

// A target or a sum of targets with at most one decimal: "60", "12.5".
QString targetPercentText(double percent);

// A typed target: a plain decimal such as "60" or "12.5" that is a valid
// target (see isTargetPercent). Leading and trailing spaces are allowed.
std::optional<double> parseTargetPercent(QStringView text);

// A typed amount to invest: a plain decimal from 0 to MaxAmountToInvest.
std::optional<double> parseAmountToInvest(QStringView text);
