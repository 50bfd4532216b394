#pragma once

#include <QString>

#include <optional>

// A currency as a price names it: an ISO 4217 code (three capital letters),
// or one of the minor units sites quote in, which are a hundredth of their
// currency: GBp and GBX (pence), ZAc (South African cents) and ILA (agorot).
// Codes are case-sensitive: GBp is pence, GBP pounds.
struct CurrencyUnit {
    QString code;          // the ISO 4217 code of the currency
    double inCode = 1.0;   // what one unit is worth in it: 0.01 for pence

    friend bool operator==(const CurrencyUnit &, const CurrencyUnit &) = default;
};

// Three capital letters A to Z.
bool isCurrencyCode(const QString &text);

// The unit `text` names; nullopt when it names none.
std::optional<CurrencyUnit> currencyUnit(const QString &text);
