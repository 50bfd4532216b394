#include "blockingquote.h"

#include "quotelookup.h"
#include "quotesource.h"

#include <QEventLoop>

QuoteResult fetchQuotePriceBlocking(QuoteSource &source, const QString &symbol)
{
    QEventLoop loop;
    const QuoteLookup *lookup = source.FetchQuotePrice(symbol, &loop);
    QObject::connect(lookup, &QuoteLookup::finished, &loop, &QEventLoop::quit);
    if (!lookup->isFinished())
        loop.exec();
    return lookup->result();
}
