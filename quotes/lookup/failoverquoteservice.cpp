#include "failoverquoteservice.h"


#include <utility>

namespace {

// Asks the sources one after another. Cancelling or destroying it drops
// the attempt under way, so no later source is asked.
class FailoverQuoteRequest final : public QuoteRequest
{
    Q_OBJECT

public:
    FailoverQuoteRequest(const QString &symbol, QList<NamedQuoteService> sources)
        : QuoteRequest(symbol)
        , m_sources(std::move(sources))
    {
        askNext();
    }

protected:
    void dropWork() override { m_current.reset(); }

private:
    void askNext()
    {
        const NamedQuoteService &next = m_sources.at(m_attempts.size());
        m_current = next.service->FetchQuotePrice(symbol());
        connect(m_current.get(), &QuoteRequest::finished, this, &FailoverQuoteRequest::take);
        connect(m_current.get(), &QuoteRequest::waiting, this, &QuoteRequest::waiting);
    }

    void take(const QuoteResult &answer)
    {
        const QString &name = m_sources.at(m_attempts.size()).name;
        // The inner request goes once its signal has returned.
        m_current.release()->deleteLater();
        QuoteResult result = answer;
        if (result.priced() || result.failure == QuoteFailure::Stopped) {
            if (result.priced() && result.source.isEmpty())
                result.source = name;
            finish(result);
            return;
        }
        m_attempts.append(QuoteAttempt{name, result.failure, result.httpStatus, result.limit});
        if (m_attempts.size() < m_sources.size()) {
            askNext();
            return;
        }
        if (m_attempts.size() > 1)
            result.attempts = m_attempts;
        finish(result);
    }

    const QList<NamedQuoteService> m_sources;
    QList<QuoteAttempt> m_attempts;
    std::unique_ptr<QuoteRequest> m_current;
};

} // namespace

FailoverQuoteService::FailoverQuoteService(QList<NamedQuoteService> sources, QuoteFailure noSources)
    : m_sources(std::move(sources))
    , m_noSources(noSources)
{
}

std::unique_ptr<QuoteRequest> FailoverQuoteService::FetchQuotePrice(const QString &symbol)
{
    if (m_sources.isEmpty())
        return std::make_unique<SettledQuoteRequest>(symbol, QuoteResult::failed(m_noSources));
    return std::make_unique<FailoverQuoteRequest>(symbol, m_sources);
}

#include "failoverquoteservice.moc"
