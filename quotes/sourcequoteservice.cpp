#include "sourcequoteservice.h"

#include "sourceaddress.h"
#include "sourcepagereader.h"

namespace {

QuoteFailure failureFor(SourceAddressProblem problem)
{
    switch (problem) {
    case SourceAddressProblem::None:
        return QuoteFailure::None;
    case SourceAddressProblem::KeyMissing:
        return QuoteFailure::KeyMissing;
    case SourceAddressProblem::PathStep:
    case SourceAddressProblem::KeyNotAllowed:
    case SourceAddressProblem::NotHttps:
        return QuoteFailure::AddressNotValid;
    }
    Q_UNREACHABLE();
}

PageRequestPlanner sourcePlanner(const QuoteSource &source, const QString &key)
{
    return [source, key](const QString &symbol) { return SourceQuoteService::requestPlan(source, key, symbol); };
}

} // namespace

PageRequestPlan SourceQuoteService::requestPlan(const QuoteSource &source, const QString &key, const QString &symbol)
{
    const SourceAddress address = sourceAddress(source, symbol, key);
    PageRequestPlan plan;
    plan.problem = failureFor(address.problem);
    plan.url = address.url;
    for (const auto &[name, value] : address.headers)
        plan.headers << name + ": " + value;
    plan.newReader = [source, symbol]() -> std::shared_ptr<PageReader> { return makePageReader(source, symbol); };
    return plan;
}

SourceQuoteService::SourceQuoteService(const QuoteSource &source, const QString &key,
                                       const QuoteSiteSettings &base)
    : m_http(transportSettings(source, base), sourcePlanner(source, key))
{
}

std::unique_ptr<QuoteRequest> SourceQuoteService::FetchQuotePrice(const QString &symbol)
{
    return m_http.FetchQuotePrice(symbol);
}

QuoteSiteSettings SourceQuoteService::transportSettings(const QuoteSource &source, const QuoteSiteSettings &base)
{
    QuoteSiteSettings settings = base;
    // Only for the user's eyes: every request carries its own address.
    settings.host = QUrl(source.url).host();
    if (!source.certificate.isEmpty() && !settings.trustedCertificateFiles.contains(source.certificate))
        settings.trustedCertificateFiles << source.certificate;
    settings.limits.maxConnectionsPerHost = source.connections;
    return settings;
}
