#pragma once

#include <array>

// The five asset classes a holding can belong to. A class is its index in
// this list; NoAssetClass means none was chosen.
inline constexpr int AssetClassCount = 5;
inline constexpr int NoAssetClass = -1;

inline constexpr std::array<const char *, AssetClassCount> AssetClassLabels = {
    "Cash", "Bonds", "Stocks", "Real", "EMD"};

// The form and the profile both hold twenty rows.
inline constexpr int HoldingRowCount = 20;

constexpr bool isAssetClass(int assetClass)
{
    return assetClass >= 0 && assetClass < AssetClassCount;
}
