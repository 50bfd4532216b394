#pragma once

#include "quotelookup.h"

// A lookup whose result is known when it starts (a cash symbol, a missing
// quote site, a test double). It still reports from the event loop, like a
// lookup that had to wait for the network.
class SettledQuoteLookup : public QuoteLookup
{
    Q_OBJECT

public:
    SettledQuoteLookup(const QString &symbol, const QuoteResult &result, QObject *parent);
};
