#include "blockingquote.h"

#include "quoteservice.h"

#include <QEventLoop>

QuoteResult fetchQuotePriceBlocking(QuoteService &service, const QString &symbol)
{
    QEventLoop loop;
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(symbol);
    QObject::connect(request.get(), &QuoteRequest::finished, &loop, &QEventLoop::quit);
    if (!request->isFinished())
        loop.exec();
    return request->result();
}
