#pragma once

#include "assetclass.h"

#include <array>
#include <cmath>
#include <optional>

// The share of the holdings the user wants in each asset class, in percent,
// indexed by class. They belong to the holdings: profiles store them and the
// chart draws them.
using TargetPercents = std::array<double, AssetClassCount>;

// The targets of the holdings, or none when the user has not set any.
using AssetTargets = std::optional<TargetPercents>;

inline constexpr double MinTargetPercent = 0.0;
inline constexpr double MaxTargetPercent = 100.0;
// Targets are typed with at most one decimal: whole numbers of tenths.
inline constexpr int TargetDecimals = 1;
inline constexpr double TargetStepsPerPercent = 10.0;
// How far from a whole tenth a parsed decimal such as 33.3 may lie in binary.
inline constexpr double TargetStepTolerance = 1e-6;
// Targets must add up to 100; decimal fractions such as 33.3 have no exact
// binary form, so the sum may miss 100 by a little and still be right. Half
// of the smallest step a target can take keeps every wrong sum out.
inline constexpr double TargetSumTolerance = 0.05;

// A finite percent from 0 to 100 with at most one decimal.
inline bool isTargetPercent(double percent)
{
    if (!std::isfinite(percent) || percent < MinTargetPercent || percent > MaxTargetPercent)
        return false;
    const double scaled = percent * TargetStepsPerPercent;
    return std::fabs(scaled - std::round(scaled)) < TargetStepTolerance;
}

// The whole tenth a target stands for, so that 33.3 read from text writes
// back as 33.3; adding 0.0 turns a negative zero into a plain one.
inline double roundedTargetPercent(double percent)
{
    return std::round(percent * TargetStepsPerPercent) / TargetStepsPerPercent + 0.0;
}

inline double targetSum(const TargetPercents &targets)
{
    double sum = 0.0;
    for (const double percent : targets)
        sum += percent;
    return sum;
}

inline bool targetsAddUp(const TargetPercents &targets)
{
    return std::fabs(targetSum(targets) - 100.0) <= TargetSumTolerance;
}

// Every target a valid percent and together 100.
inline bool areValidTargets(const TargetPercents &targets)
{
    for (const double percent : targets) {
        if (!isTargetPercent(percent))
            return false;
    }
    return targetsAddUp(targets);
}
