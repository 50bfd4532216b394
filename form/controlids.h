#pragma once

#include "assetclass.h"

#include <array>

// The number every control of the holdings form carries (as its "controlId"
// property). Rows 0 and 1 are numbered irregularly; from row 2 on the six
// controls of a row follow a base of 1012 + 6 * (row - 2).
namespace ControlId {

inline constexpr int Finished = 1;
inline constexpr int Total = 1120;
inline constexpr int GetProfile = 1126;
inline constexpr int SaveProfile = 1127;
inline constexpr int Calculate = 1133;
inline constexpr int Rebalance = 1134;

// Indexed by asset class. The amount boxes of Stocks and Real are swapped
// relative to the class order.
inline constexpr std::array<int, AssetClassCount> ClassPercent = {1121, 1122, 1123, 1124, 1125};
inline constexpr std::array<int, AssetClassCount> ClassAmount = {1128, 1129, 1131, 1130, 1132};

struct RowIds
{
    int name;
    int symbol;
    int shares;
    int assetClass;
    int value;
    int percent;
};

constexpr RowIds rowIds(int row)
{
    if (row == 0)
        return {1000, 1001, 1002, 1006, 1004, 1005};
    if (row == 1)
        return {1003, 1007, 1008, 1011, 1009, 1010};
    const int base = 1012 + 6 * (row - 2);
    return {base, base + 1, base + 2, base + 5, base + 3, base + 4};
}

// The row whose Shares box has the number, or -1 when it is no Shares box.
constexpr int sharesRow(int controlId)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (rowIds(row).shares == controlId)
            return row;
    }
    return -1;
}

} // namespace ControlId
