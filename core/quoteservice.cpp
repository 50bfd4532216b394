#include "quoteservice.h"

#include <utility>

QuoteRequest::QuoteRequest(QString symbol)
    : m_symbol(std::move(symbol))
{
}

QuoteRequest::~QuoteRequest() = default;

void QuoteRequest::cancel()
{
    if (m_finished)
        return;
    dropWork();
    finish(QuoteResult::stopped());
}

void QuoteRequest::finish(const QuoteResult &result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    Q_EMIT finished(m_result);
}

void QuoteRequest::finishLater(const QuoteResult &result)
{
    QMetaObject::invokeMethod(this, [this, result] { finish(result); }, Qt::QueuedConnection);
}

SettledQuoteRequest::SettledQuoteRequest(QString symbol, const QuoteResult &result)
    : QuoteRequest(std::move(symbol))
{
    finishLater(result);
}
