#include "pricingchain.h"

#include "failoverquoteservice.h"
#include "pricememory.h"
#include "sourcequoteservice.h"

QStringList PricingChain::problems() const
{
    QStringList problems = savedSite.problems + savedSources.problems;
    if (!sources.message.isEmpty())
        problems << sources.message;
    return problems;
}

PricingChain buildPricingChain(QSettings &settings, const QProcessEnvironment &environment, SourceKeys &keys,
                               const PriceMemory &prices, std::shared_ptr<TransferWorker> worker,
                               const TransferSettings &base)
{
    PricingChain chain;
    chain.savedSite = QuoteSiteStore::read(settings);
    chain.savedSources = QuoteSourceStore::read(settings);
    chain.sources = resolveQuoteSources(environment, chain.savedSources, chain.savedSite.site, builtInQuoteHost());

    TransferSettings shared = base;
    shared.trustedCertificateDirectories << chain.sources.certificateDirectories;
    QList<NamedQuoteService> services;
    for (const QuoteSource &source : std::as_const(chain.sources.sources))
        services << NamedQuoteService{source.name, std::make_shared<SourceQuoteService>(source, keys, shared, worker)};
    chain.service = prices.remembering(std::make_shared<FailoverQuoteService>(services, chain.sources.noSources));
    return chain;
}
