#include "sourcequoteservice.h"

#include "sourceaddress.h"
#include "batchanswerreader.h"
#include "ratesource.h"
#include "sourceanswerreader.h"
#include "sourcekeys.h"

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

PageRequestPlanner sourcePlanner(const QuoteSource &source, std::shared_ptr<std::optional<FoundKey>> key)
{
    return [source, key](const QString &symbol) {
        return SourceQuoteService::requestPlan(source, key->has_value() ? (*key)->key : QString(), symbol);
    };
}

// A lookup that waits for the source's API key, then asks the source.
class KeyWaitingRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    explicit KeyWaitingRequest(const QString &symbol)
        : QuoteRequest(symbol)
    {
    }

    void ask(const std::weak_ptr<HttpQuoteService> &service, const QString &source, const FoundKey &found)
    {
        const std::shared_ptr<HttpQuoteService> http = service.lock();
        if (!http) {
            finish(QuoteResult::stopped());
            return;
        }
        if (found.key.isEmpty()) {
            finish(SourceQuoteService::keyMissing(source, found));
            return;
        }
        m_inner = http->FetchQuotePrice(symbol());
        connect(m_inner.get(), &QuoteRequest::finished, this, &KeyWaitingRequest::finish);
        connect(m_inner.get(), &QuoteRequest::waiting, this, &QuoteRequest::waiting);
    }

protected:
    void dropWork() override { m_inner.reset(); }

private:
    std::unique_ptr<QuoteRequest> m_inner;
};

PageRequestPlan planFor(const QuoteSource &source, const SourceAddress &address)
{
    PageRequestPlan plan;
    plan.problem = failureFor(address.problem);
    plan.url = address.url;
    for (const auto &[name, value] : address.headers)
        plan.headers << name + ": " + value;
    plan.headersHoldKey = sourceHeadersHoldKey(source);
    return plan;
}

} // namespace

PageRequestPlan SourceQuoteService::requestPlan(const QuoteSource &asked, const QString &key, const QString &symbol)
{
    const QuoteSource source = sourceAskedFor(asked, symbol);
    PageRequestPlan plan = planFor(source, sourceAddress(source, symbol, key));
    plan.newReader = [source, symbol]() -> std::shared_ptr<PageReader> { return makePageReader(source, symbol); };
    return plan;
}

PageRequestPlan SourceQuoteService::batchPlan(const QuoteSource &source, const QString &key,
                                              const QStringList &symbols,
                                              std::shared_ptr<std::shared_ptr<BatchAnswerReader>> reader)
{
    const bool batch = urlTemplateUse(source.url).symbols;
    PageRequestPlan plan =
        planFor(source, batch ? batchAddress(source, symbols, key) : sourceAddress(source, QString(), key));
    plan.newReader = [source, symbols, reader]() -> std::shared_ptr<PageReader> {
        *reader = std::make_shared<BatchAnswerReader>(source, symbols);
        return *reader;
    };
    return plan;
}

SourceQuoteService::SourceQuoteService(const QuoteSource &source, SourceKeys &keys, const TransferSettings &base,
                                       std::shared_ptr<TransferWorker> worker)
    : m_source(source)
    , m_keys(keys)
    , m_http(std::make_shared<HttpQuoteService>(transportSettings(source, base), sourcePlanner(source, m_key),
                                                std::move(worker), source.connections, pace(source)))
{
}

QuoteResult SourceQuoteService::keyMissing(const QString &source, const FoundKey &found)
{
    QuoteResult result =
        QuoteResult::failed(found.keyringReached ? QuoteFailure::KeyMissing : QuoteFailure::KeyMissingNoKeyring);
    result.source = source;
    return result;
}

std::unique_ptr<QuoteRequest> SourceQuoteService::FetchQuotePrice(const QString &symbol)
{
    if (!sourceUsesKey(m_source))
        return m_http->FetchQuotePrice(symbol);
    if (m_key->has_value()) {
        if ((*m_key)->key.isEmpty())
            return std::make_unique<SettledQuoteRequest>(symbol, keyMissing(m_source.name, **m_key));
        return m_http->FetchQuotePrice(symbol);
    }
    auto request = std::make_unique<KeyWaitingRequest>(symbol);
    m_keys.withKey(m_source.name, request.get(),
                   [key = m_key, http = std::weak_ptr(m_http), source = m_source.name,
                    waiting = request.get()](const FoundKey &found) {
                       *key = found;
                       waiting->ask(http, source, found);
                   });
    return request;
}

RequestPace SourceQuoteService::pace(const QuoteSource &source)
{
    return {source.perMinute, QStringLiteral("waiting for %1's limit of %2 a minute").arg(source.name).arg(source.perMinute)};
}

TransferSettings SourceQuoteService::transportSettings(const QuoteSource &source, const TransferSettings &base)
{
    TransferSettings settings = base;
    if (!source.certificate.isEmpty() && !settings.trustedCertificateFiles.contains(source.certificate))
        settings.trustedCertificateFiles << source.certificate;
    return settings;
}

#include "sourcequoteservice.moc"
