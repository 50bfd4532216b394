#pragma once

#include "assetclass.h"

#include <QString>

#include <array>

// A profile always holds one record per form row.
inline constexpr int ProfileRecordCount = HoldingRowCount;

// One holding row as a profile stores it; computed values are never stored.
struct ProfileRecord {
    QString name;          // as typed (spaces allowed)
    QString symbol;
    double shares = 0.0;
    int assetClass = NoAssetClass;
    friend bool operator==(const ProfileRecord &, const ProfileRecord &) = default;
};

using ProfileRecords = std::array<ProfileRecord, ProfileRecordCount>;
