#pragma once

#include "quoteservice.h"

#include <QList>
#include <QString>

#include <memory>

// A source's name and the service that asks it.
struct NamedQuoteService {
    QString name;
    std::shared_ptr<QuoteService> service;
};

// Asks several sources in order: each symbol goes to the first, and a
// failure other than "stopped" passes it to the next, until one prices it.
// One symbol asks one source at a time; different symbols run at once, as
// the sources' own services allow. A price says which source gave it; a row
// no source priced keeps every source's reason (QuoteResult::attempts).
class FailoverQuoteService final : public QuoteService
{
public:
    // With no sources, every symbol but cash fails with `noSources`.
    explicit FailoverQuoteService(QList<NamedQuoteService> sources,
                                  QuoteFailure noSources = QuoteFailure::NoQuoteSource);

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override;

    const QList<NamedQuoteService> &sources() const { return m_sources; }

private:
    const QList<NamedQuoteService> m_sources;
    const QuoteFailure m_noSources;
};
