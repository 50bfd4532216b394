#pragma once

#include "quotesitestore.h"
#include "quotesourceresolution.h"
#include "quotesourcestore.h"
#include "reportcurrencyservice.h"
#include "transfersettings.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

class PriceMemory;
class QSettings;
class QuoteService;
class SourceKeys;
class TransferWorker;

// What the program prices through, and where its sources came from.
struct PricingChain {
    // The last known prices over failover over the sources in use, each
    // price as its source gave it.
    std::shared_ptr<QuoteService> service;
    // Makes one calculation's lookup of exchange rates, and keeps what it
    // found, adding the rates kept from earlier days after them.
    RateLookupMaker rates;
    KeptRates kept;
    StoredQuoteSiteRead savedSite;         // a quote site saved before there were sources
    StoredQuoteSourcesRead savedSources;   // the saved list, and what of it was ignored
    QuoteSourcesResolution sources;        // the list in use and where it came from
    // For the user, each once: saved values ignored, and a sources file
    // refused.
    QStringList problems() const;

    // A calculation's prices in `report` (ReportCurrencyService), its rates
    // looked up when the first price in another currency comes.
    std::shared_ptr<QuoteService> inReportCurrency(const QString &report) const;
};

// The one way the window and the commands get their prices: the sources the
// settings and the environment give (see resolveQuoteSources), each with its
// API key from `keys`, fetched by `worker`, with `prices` keeping what they
// find and standing in for what they cannot. `base` gives the proxy, limits
// and trust besides each source's own.
PricingChain buildPricingChain(QSettings &settings, const QProcessEnvironment &environment, SourceKeys &keys,
                               PriceMemory &prices, std::shared_ptr<TransferWorker> worker,
                               const TransferSettings &base = {});
