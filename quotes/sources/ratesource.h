#pragma once

#include <QString>

// Where exchange rates come from: a document of reference rates, every
// currency quoted against the euro, from which any pair is crossed.
struct RateSource {
    QString name;
    QString url;           // https://
    QString certificate;   // a PEM file trusted besides the system's; empty for none

    friend bool operator==(const RateSource &, const RateSource &) = default;
};

// The central bank's daily reference rates at its public address (no key),
// asked when no rate source is set up.
RateSource builtInRateSource();
