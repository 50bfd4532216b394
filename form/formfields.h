#pragma once

#include "assetclass.h"

#include <QString>

#include <array>

// The values behind the holdings form's boxes, which the field exchange fills
// from the boxes and writes back to them. The rest of the program reaches
// the rows only through the row table, as Holdings. The class selectors are
// not here: their selection is read from and written to the controls
// directly.
struct FormFields
{
    std::array<QString, HoldingRowCount> name;
    std::array<QString, HoldingRowCount> symbol;
    std::array<double, HoldingRowCount> shares{};
    std::array<double, HoldingRowCount> value{};      // a whole amount
    std::array<qint64, HoldingRowCount> percent{};
    QString totalText;
    std::array<QString, AssetClassCount> classAmountText;
    std::array<qint64, AssetClassCount> classPercent{};
};
