#pragma once

#include "quotelookup.h"
#include "quotesource.h"
#include "settledquotelookup.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

// A lookup the test settles by hand, to hold a calculation mid-run.
class HeldQuoteLookup final : public QuoteLookup
{
    Q_OBJECT

public:
    HeldQuoteLookup(const QString &symbol, QObject *parent)
        : QuoteLookup(symbol, parent)
    {
    }
    void settle(const QuoteResult &result) { finish(result); }
};

// Prices from a table; symbols not in it are unpriced. Either answers from
// the event loop or, when held, waits for the test to settle each lookup.
class FakeQuoteSource final : public QuoteSource
{
public:
    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override
    {
        requested.append(symbol);
        if (hold) {
            auto *lookup = new HeldQuoteLookup(symbol, parent);
            held.append(lookup);
            return lookup;
        }
        return new SettledQuoteLookup(symbol, resultFor(symbol), parent);
    }

    QuoteResult resultFor(const QString &symbol) const
    {
        if (!prices.contains(symbol))
            return QuoteResult::unpriced(QStringLiteral("no price on page"));
        return QuoteResult::withPrice(prices.value(symbol));
    }

    QHash<QString, double> prices;
    QStringList requested;
    bool hold = false;
    QList<QPointer<HeldQuoteLookup>> held;
};
