#pragma once

#include "assettargets.h"
#include "holding.h"

#include <QString>

#include <optional>

// What a profile stores of the holdings, as values: each row's name, symbol,
// shares and class, and the class targets. Computed boxes are not part of it.
struct HoldingsSnapshot
{
    Holdings holdings;
    AssetTargets targets;
    friend bool operator==(const HoldingsSnapshot &, const HoldingsSnapshot &) = default;
};

// The profile the window holds: the file last saved or loaded, and what the
// form showed then (the empty form before either). The rows have unsaved
// changes while the form shows anything else; a Shares box that holds no
// number, which nothing can be compared with, counts as a change.
class OpenProfile
{
public:
    // `shown` is what the form's rows show once `path` was saved or loaded
    // (nothing for a Shares box without a number): the boxes show shares
    // with fewer digits than a file may hold, so the rows are read back from
    // them rather than taken from the file.
    void remember(const QString &path, const std::optional<Holdings> &shown, const AssetTargets &targets);
    bool hasChanges(const std::optional<Holdings> &shown, const AssetTargets &targets) const;

    // Empty until a profile was saved or loaded; absolute afterwards.
    const QString &path() const { return m_path; }
    // Where the file dialogs start: the profile's folder, or empty.
    QString folder() const;

private:
    QString m_path;
    HoldingsSnapshot m_saved;
};
