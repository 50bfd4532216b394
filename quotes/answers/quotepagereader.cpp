#include "quotepagereader.h"

#include "quoteparser.h"

namespace {

constexpr int kUnauthorised = 401;
constexpr int kForbidden = 403;
constexpr int kNotFound = 404;
constexpr int kTooManyRequests = 429;
constexpr int kUnavailable = 503;
constexpr int kFirstErrorStatus = 400;
constexpr int kFirstServerErrorStatus = 500;

// The failures of an answer that came but held no price, which its status
// may explain; a transfer's own failures say enough.
bool isUnreadAnswer(QuoteFailure failure)
{
    switch (failure) {
    case QuoteFailure::NoPriceOnPage:
    case QuoteFailure::NoPriceInAnswer:
    case QuoteFailure::AnswerTooDeep:
    case QuoteFailure::AnswerTooManyRows:
    case QuoteFailure::AnswerLineTooLong:
        return true;
    default:
        return false;
    }
}

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

QuoteResult withPageStatus(const QuoteResult &result, const PageFacts &facts, NotFoundMeaning notFound)
{
    if (!isUnreadAnswer(result.failure) || facts.httpStatus < kFirstErrorStatus)
        return result;
    const int status = facts.httpStatus;
    if (status == kUnauthorised || status == kForbidden)
        return QuoteResult::failed(QuoteFailure::NotAuthorised, status);
    if (status == kNotFound) {
        return QuoteResult::failed(notFound == NotFoundMeaning::NoQuotePage ? QuoteFailure::NoQuotePage
                                                                           : QuoteFailure::AddressNotFound,
                                   status);
    }
    if (status == kTooManyRequests || (status == kUnavailable && !facts.retryAfter.isEmpty()))
        return QuoteResult::failed(QuoteFailure::RateLimited, status);
    if (status >= kFirstServerErrorStatus)
        return QuoteResult::failed(QuoteFailure::SourceFailed, status);
    QuoteResult explained = result;
    explained.httpStatus = status;
    return explained;
}
