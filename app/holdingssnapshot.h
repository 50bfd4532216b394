#pragma once

#include "assettargets.h"
#include "profilerecord.h"

#include <optional>

class HoldingsForm;

// What a profile stores of the holdings, as values: each row's name, symbol,
// shares and class, and the class targets. The form has unsaved changes
// while what it shows differs from the snapshot of the last profile saved or
// loaded (the empty form before either). Computed boxes are not part of it.
struct HoldingsSnapshot
{
    ProfileRecords records;
    AssetTargets targets;
    friend bool operator==(const HoldingsSnapshot &, const HoldingsSnapshot &) = default;
};

// The rows as the boxes show them, without touching the form's fields or
// focus; nothing when a Shares box does not hold a number.
std::optional<ProfileRecords> recordsOnForm(const HoldingsForm &form);
