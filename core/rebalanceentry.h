#pragma once

#include "rebalancebasis.h"

#include <QString>
#include <QStringView>

#include <array>

// The rules behind what the user types into the Rebalance dialog: which
// targets the boxes hold, which the holdings take over, and the advice
// they give with the amount to invest.

using TargetTexts = std::array<QString, AssetClassCount>;

// What a box accepts while the user types, so that only a target (0 to 100,
// at most one decimal) or an amount (up to MaxAmountToInvest, in cents) can
// be completed; parseTargetPercent() and parseAmountToInvest() judge the
// finished text.
inline constexpr QStringView TargetTypingPattern = uR"(100(\.0?)?|\d{0,2}(\.\d?)?)";
inline constexpr QStringView AmountTypingPattern = uR"(\d{0,13}(\.\d{0,2})?)";

struct TypedTargets
{
    bool empty = true;       // every box empty: no targets at all
    bool readable = true;    // every box empty or holding a target
    TargetPercents percents{}; // empty boxes count as 0
};

TypedTargets readTypedTargets(const TargetTexts &texts);

// No targets, or targets that add up to 100: what OK takes over.
bool areAcceptableTargets(const TypedTargets &typed);

// The targets the holdings keep: none when every box is empty, the typed
// ones when acceptable, otherwise those they had.
AssetTargets keptTargets(const TypedTargets &typed, const AssetTargets &before);

// The line under the targets: their sum, and what is wrong with it.
QString targetSumText(const TypedTargets &typed);

struct RebalanceAdvice
{
    RebalancePlan plan;   // a problem leaves every difference unshown
    QString note;         // why there is no plan, when the sum line does not say
};

RebalanceAdvice adviseRebalance(const RebalanceBasis &basis, const TypedTargets &typed,
                                QStringView amountText, RebalanceMode mode);
