#pragma once

#include "assetclass.h"

#include <QString>

#include <array>

// One row of holdings as the user typed it: what the calculation prices, a
// profile stores and the unsaved-changes check compares. Computed figures
// are never part of it.
struct Holding {
    QString name;          // as typed (spaces allowed)
    QString symbol;
    double shares = 0.0;
    int assetClass = NoAssetClass;

    friend bool operator==(const Holding &, const Holding &) = default;
};

// The form's rows, top row first.
using Holdings = std::array<Holding, HoldingRowCount>;

// A row takes part in a calculation when its shares are not exactly zero.
constexpr bool isHeld(const Holding &holding)
{
    return holding.shares != 0.0;
}
