#pragma once

#include <QString>

#include <array>

// A profile always holds one record per form row.
inline constexpr int ProfileRecordCount = 20;

// One holding row as a profile stores it; computed values are never stored.
struct ProfileRecord {
    QString name;          // as typed (spaces allowed)
    QString symbol;
    double shares = 0.0;
    int assetClass = -1;   // 0 Cash, 1 Bonds, 2 Stocks, 3 Real, 4 EMD, -1 none
    friend bool operator==(const ProfileRecord &, const ProfileRecord &) = default;
};

using ProfileRecords = std::array<ProfileRecord, ProfileRecordCount>;
