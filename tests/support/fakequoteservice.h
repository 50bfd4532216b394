#pragma once

#include "quoteservice.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>

// A request the test settles by hand, to hold a calculation mid-run.
class HeldQuoteRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    explicit HeldQuoteRequest(const QString &symbol)
        : QuoteRequest(symbol)
    {
    }
    void settle(const QuoteResult &result) { finish(result); }
};

// Prices from a table; symbols not in it have no price on their page.
// Either answers from the event loop or, when held, waits for the test to
// settle each request.
class FakeQuoteService final : public QuoteService
{
public:
    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override
    {
        requested.append(symbol);
        if (hold) {
            auto request = std::make_unique<HeldQuoteRequest>(symbol);
            held.append(request.get());
            return request;
        }
        return std::make_unique<SettledQuoteRequest>(symbol, resultFor(symbol));
    }

    QuoteResult resultFor(const QString &symbol) const
    {
        if (!prices.contains(symbol))
            return QuoteResult::failed(QuoteFailure::NoPriceOnPage);
        QuoteResult result = QuoteResult::withPrice(prices.value(symbol));
        result.currency = currencies.value(symbol);
        return result;
    }

    QHash<QString, double> prices;
    QHash<QString, QString> currencies; // none for a symbol not listed
    QStringList requested;
    bool hold = false;
    QList<QPointer<HeldQuoteRequest>> held;
};

// A service the test keeps, handed to code that shares ownership: the
// pointer owns nothing.
template <typename Service>
std::shared_ptr<QuoteService> borrowedService(Service &service)
{
    return std::shared_ptr<QuoteService>(std::shared_ptr<void>(), &service);
}
