#include "networkquotelookup.h"

#include "networkquotesource.h"

NetworkQuoteLookup::NetworkQuoteLookup(const QString &symbol, quint64 id, NetworkQuoteSource *source,
                                       QObject *parent)
    : QuoteLookup(symbol, parent)
    , m_id(id)
    , m_source(source)
{
}

NetworkQuoteLookup::~NetworkQuoteLookup()
{
    cancelFetch();
}

void NetworkQuoteLookup::abort()
{
    cancelFetch();
    QuoteLookup::abort();
}

void NetworkQuoteLookup::settle(const QuoteResult &result)
{
    m_source = nullptr;
    finish(result);
}

// Reported from the event loop, so that the source's destruction makes no
// calls back into whoever is waiting for this lookup.
void NetworkQuoteLookup::sourceGone()
{
    m_source = nullptr;
    finishLater(QuoteResult::stopped());
}

void NetworkQuoteLookup::cancelFetch()
{
    if (m_source && !isFinished())
        m_source->cancel(m_id);
    m_source = nullptr;
}
