#include "quotepagereader.h"

#include "quoteparser.h"

namespace {

constexpr int kNotFound = 404;
constexpr int kTooManyRequests = 429;
constexpr int kUnavailable = 503;
constexpr int kFirstErrorStatus = 400;

} // namespace

QuotePageReader::QuotePageReader(qint64 maxBytesBeforePriceLine, qsizetype maxPriceLineBytes)
    : m_reader(maxPriceLineBytes)
    , m_maxBytesBeforePriceLine(maxBytesBeforePriceLine)
{
}

PageReader::Take QuotePageReader::append(QByteArrayView piece)
{
    const bool complete = m_reader.append(piece);
    if (m_reader.bytesBeforePriceLine() > m_maxBytesBeforePriceLine)
        return Take::TooLarge;
    return complete ? Take::Enough : Take::More;
}

QuoteResult QuotePageReader::result(const PageFacts &facts)
{
    if (facts.failure != QuoteFailure::None)
        return QuoteResult::failed(facts.failure);
    if (!m_reader.finish())
        return withPageStatus(QuoteResult::failed(QuoteFailure::NoPriceOnPage), facts);
    const PriceLineEnd end = m_reader.priceLineCut() ? PriceLineEnd::Cut : PriceLineEnd::Whole;
    return withPageStatus(parseQuoteLine(m_reader.priceLine(), end), facts);
}

QuoteResult withPageStatus(const QuoteResult &result, const PageFacts &facts)
{
    if (result.failure != QuoteFailure::NoPriceOnPage || facts.httpStatus < kFirstErrorStatus)
        return result;
    const int status = facts.httpStatus;
    if (status == kNotFound)
        return QuoteResult::failed(QuoteFailure::NoQuotePage, status);
    if (status == kTooManyRequests || (status == kUnavailable && !facts.retryAfter.isEmpty()))
        return QuoteResult::failed(QuoteFailure::RateLimited, status);
    return QuoteResult::failed(QuoteFailure::NoPriceOnPage, status);
}
