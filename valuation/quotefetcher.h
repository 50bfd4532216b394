#pragma once

#include "quoteresult.h"
#include "quotesitesettings.h"

#include <QUrl>

// Fetches quote pages and prices them, one lookup at a time on the calling
// thread. The network code behind it lives in a module of its own that the
// quote worker loads on the first lookup, so that a start of the program
// that looks up nothing loads no HTTP or TLS library.
class QuoteFetcher
{
public:
    virtual ~QuoteFetcher() = default;

    // Fetches the page and returns its result as soon as it is known. The
    // transfer may still be open afterwards; finishTransfer() ends it.
    virtual QuoteResult fetch(const QUrl &url) = 0;
    // Reads what is left of a short page, then ends the transfer.
    virtual void finishTransfer() = 0;

    // Safe from any thread: ends the transfer in flight within moments
    // (fetch() then returns "stopped"), and any that starts before
    // clearAbort().
    virtual void abort() = 0;
    virtual void clearAbort() = 0;
};

// The module's one entry point: a new fetcher for `settings`, owned by the
// caller.
using CreateQuoteFetcher = QuoteFetcher *(*)(const QuoteSiteSettings &settings);
inline constexpr char kCreateQuoteFetcherSymbol[] = "fundtallyCreateQuoteFetcher";
