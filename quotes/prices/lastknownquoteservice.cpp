#include "lastknownquoteservice.h"

#include "pricestore.h"

#include <utility>

namespace {

// Forwards the inner request's answer once, through the store.
class LastKnownQuoteRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    LastKnownQuoteRequest(const QString &symbol, std::shared_ptr<QuoteService> innerService,
                          std::shared_ptr<PriceStore> store, bool fallbackEnabled)
        : QuoteRequest(symbol)
        , m_innerService(std::move(innerService))
        , m_store(std::move(store))
        , m_fallbackEnabled(fallbackEnabled)
        , m_inner(m_innerService->FetchQuotePrice(symbol))
    {
        connect(m_inner.get(), &QuoteRequest::finished, this, &LastKnownQuoteRequest::take);
        connect(m_inner.get(), &QuoteRequest::waiting, this, &QuoteRequest::waiting);
    }

protected:
    // Destroying the inner request drops its work without a signal.
    void dropWork() override { m_inner.reset(); }

private:
    void take(const QuoteResult &innerResult)
    {
        QuoteResult result = innerResult;
        if (result.priced()) {
            if (!result.fetched.isValid())
                result.fetched = QDateTime::currentDateTimeUtc();
            m_store->remember(symbol(), result);
        } else if (m_fallbackEnabled && result.failure != QuoteFailure::Stopped) {
            if (const std::optional<StoredPrice> stored = m_store->find(symbol()))
                result = lastKnown(*stored, result);
        }
        finish(result);
    }

    static QuoteResult lastKnown(const StoredPrice &stored, const QuoteResult &today)
    {
        QuoteResult result = today;
        result.price = stored.price;
        result.currency = stored.currency;
        result.source = stored.source;
        result.fetched = stored.fetched;
        result.lastKnown = true;
        return result;
    }

    // The inner service outlives its request, which is declared after it.
    const std::shared_ptr<QuoteService> m_innerService;
    const std::shared_ptr<PriceStore> m_store;
    const bool m_fallbackEnabled;
    std::unique_ptr<QuoteRequest> m_inner;
};

} // namespace

LastKnownQuoteService::LastKnownQuoteService(std::shared_ptr<QuoteService> inner,
                                             std::shared_ptr<PriceStore> store)
    : m_inner(std::move(inner))
    , m_store(std::move(store))
{
}

std::unique_ptr<QuoteRequest> LastKnownQuoteService::FetchQuotePrice(const QString &symbol)
{
    return std::make_unique<LastKnownQuoteRequest>(symbol, m_inner, m_store, m_fallbackEnabled);
}

#include "lastknownquoteservice.moc"
