#include "pricingchain.h"

#include "batchquoteservice.h"
#include "failoverquoteservice.h"
#include "pricememory.h"
#include "ratelookup.h"
#include "ratestore.h"
#include "sourcequoteservice.h"

std::shared_ptr<QuoteService> PricingChain::inReportCurrency(const QString &report) const
{
    return std::make_shared<ReportCurrencyService>(service, report, rates, kept);
}

QStringList PricingChain::problems() const
{
    QStringList problems = savedSite.problems + savedSources.problems;
    if (!sources.message.isEmpty())
        problems << sources.message;
    return problems;
}

PricingChain buildPricingChain(QSettings &settings, const QProcessEnvironment &environment, SourceKeys &keys,
                               PriceMemory &prices, std::shared_ptr<TransferWorker> worker,
                               const TransferSettings &base)
{
    PricingChain chain;
    chain.savedSite = QuoteSiteStore::read(settings);
    chain.savedSources = QuoteSourceStore::read(settings);
    chain.sources = resolveQuoteSources(environment, chain.savedSources, chain.savedSite.site, builtInQuoteHost());

    TransferSettings shared = base;
    shared.trustedCertificateDirectories << chain.sources.certificateDirectories;
    QList<NamedQuoteService> services;
    for (const QuoteSource &source : std::as_const(chain.sources.sources)) {
        std::shared_ptr<QuoteService> service;
        if (sourceAsking(source) == SourceAsking::PerSymbol)
            service = std::make_shared<SourceQuoteService>(source, keys, shared, worker);
        else
            service = std::make_shared<BatchQuoteService>(source, keys, shared, worker);
        services << NamedQuoteService{source.name, service};
    }
    chain.service = prices.remembering(std::make_shared<FailoverQuoteService>(services, chain.sources.noSources));
    const QList<RateSource> rates = chain.sources.rates.isEmpty() ? QList{builtInRateSource()} : chain.sources.rates;
    chain.rates = [rates, &keys, worker, shared] { return std::make_unique<RateLookup>(rates, keys, worker, shared); };
    chain.kept = [&prices](ExchangeRates &found) {
        for (const ExchangeRates::Table &table : found.tables()) {
            if (!table.kept)
                prices.rates().remember(table.source, table.date, table.base, table.pairs);
        }
        prices.rates().addKeptTo(found);
    };
    return chain;
}
