#pragma once

#include "httpquoteservice.h"
#include "quoteservice.h"
#include "quotesitesettings.h"
#include "quotesource.h"

#include <QString>

#include <memory>

// Prices symbols from one quote source over HTTPS: its address and headers
// for each symbol, with its API key put in; its answers read in its format;
// its certificate trusted besides the system's store; at most its number of
// connections to its host at a time. A source of its own has a worker of
// its own, so one slow source holds up no other.
class SourceQuoteService final : public QuoteService
{
public:
    // `base` gives the proxy, the limits and any certificates trusted for
    // every source; the source adds its own.
    SourceQuoteService(const QuoteSource &source, const QString &key, const QuoteSiteSettings &base = {});

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    // The transport's settings for `source` over `base`.
    static QuoteSiteSettings transportSettings(const QuoteSource &source, const QuoteSiteSettings &base);
    // What is sent for `symbol`, and how its answer is read.
    static PageRequestPlan requestPlan(const QuoteSource &source, const QString &key, const QString &symbol);

private:
    HttpQuoteService m_http;
};
