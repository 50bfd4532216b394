#pragma once

#include "quotelookup.h"

#include <QPointer>

class NetworkQuoteSource;

// A lookup whose page the source's worker thread fetches. Aborting it, or
// deleting it before it finished, stops that fetch.
class NetworkQuoteLookup : public QuoteLookup
{
    Q_OBJECT

public:
    NetworkQuoteLookup(const QString &symbol, quint64 id, NetworkQuoteSource *source, QObject *parent);
    ~NetworkQuoteLookup() override;

    void abort() override;

    // For the source: the worker's result, and the source's end.
    void settle(const QuoteResult &result);
    void sourceGone();

private:
    void cancelFetch();

    quint64 m_id;
    QPointer<NetworkQuoteSource> m_source;
};
