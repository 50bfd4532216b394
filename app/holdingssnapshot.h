#pragma once

#include "assettargets.h"
#include "holding.h"

// What a profile stores of the holdings, as values: each row's name, symbol,
// shares and class, and the class targets. The form has unsaved changes
// while what it shows differs from the snapshot of the last profile saved or
// loaded (the empty form before either). Computed boxes are not part of it.
struct HoldingsSnapshot
{
    Holdings holdings;
    AssetTargets targets;
    friend bool operator==(const HoldingsSnapshot &, const HoldingsSnapshot &) = default;
};
