#include "referenceratesreader.h"

namespace {

constexpr int kFirstErrorStatus = 400;

} // namespace

PageReader::Take ReferenceRatesReader::append(QByteArrayView piece)
{
    if (m_tooLarge || m_body.size() + piece.size() > ReferenceRatesLimits::kMaxDocumentBytes) {
        m_tooLarge = true;
        return Take::TooLarge;
    }
    m_body.append(piece);
    return Take::More;
}

QuoteResult ReferenceRatesReader::result(const PageFacts &facts)
{
    if (facts.failure != QuoteFailure::None)
        return QuoteResult::failed(facts.failure, facts.httpStatus);
    if (m_tooLarge)
        return QuoteResult::failed(QuoteFailure::PageTooLarge);
    m_rates = readReferenceRates(m_body);
    if (m_rates.problem != ReferenceRatesProblem::None) {
        const int status = facts.httpStatus >= kFirstErrorStatus ? facts.httpStatus : 0;
        return QuoteResult::failed(QuoteFailure::NoPriceOnPage, status);
    }
    return QuoteResult::withPrice(1.0);
}
