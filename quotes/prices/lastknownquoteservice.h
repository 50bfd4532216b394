#pragma once

#include "quoteservice.h"

#include <memory>

class PriceStore;

// Prices through another service and keeps every price found in a store.
// When a lookup fails for any reason but being stopped and the store has a
// price for the symbol, the request answers with that price instead, marked
// lastKnown and keeping today's failure. With the fallback off, failures pass
// through unchanged and prices are still kept.
class LastKnownQuoteService final : public QuoteService
{
public:
    LastKnownQuoteService(std::shared_ptr<QuoteService> inner, std::shared_ptr<PriceStore> store);

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    // Applies to the requests made from then on.
    void setFallbackEnabled(bool enabled) { m_fallbackEnabled = enabled; }
    bool isFallbackEnabled() const { return m_fallbackEnabled; }

private:
    const std::shared_ptr<QuoteService> m_inner;
    const std::shared_ptr<PriceStore> m_store;
    bool m_fallbackEnabled = true;
};
