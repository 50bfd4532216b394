#include "switchablequotesource.h"

#include <utility>

SwitchableQuoteSource::SwitchableQuoteSource(std::shared_ptr<QuoteSource> current, QObject *parent)
    : QObject(parent)
    , m_current(std::move(current))
{
}

void SwitchableQuoteSource::replace(std::shared_ptr<QuoteSource> next)
{
    m_current = std::move(next);
}

QuoteLookup *SwitchableQuoteSource::FetchQuotePrice(const QString &symbol, QObject *parent)
{
    return sourceFor(parent).FetchQuotePrice(symbol, parent);
}

QuoteSource &SwitchableQuoteSource::sourceFor(QObject *caller)
{
    if (!caller)
        return *m_current;
    const auto known = m_callers.find(caller);
    if (known != m_callers.end())
        return *known->second;
    m_callers.emplace(caller, m_current);
    // Emitted before the caller's children, its lookups, are deleted; they
    // keep no pointer to their source, so the source may go first.
    connect(caller, &QObject::destroyed, this, [this, caller] { m_callers.erase(caller); });
    return *m_current;
}
