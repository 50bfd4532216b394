#include "sourceanswerreader.h"
#include "answerlimits.h"

#include "quotepagereader.h"
#include "sourceaddress.h"
#include "sourceanswer.h"

#include <utility>

namespace {

// A limit the answer passed is named; in an answer for several symbols, a
// symbol the place finds nothing for is not in it; any other miss is no
// price.
QuoteResult answerResult(const SourceAnswer &answer, AnswerFor answerFor)
{
    switch (answer.miss) {
    case SourceMiss::None:
        return QuoteResult::withPrice(answer.price);
    case SourceMiss::TooDeep:
        return QuoteResult::overLimit(QuoteFailure::AnswerTooDeep, AnswerLimits::kMaxJsonDepth);
    case SourceMiss::CsvTooManyRows:
        return QuoteResult::overLimit(QuoteFailure::AnswerTooManyRows, AnswerLimits::kMaxCsvRows);
    case SourceMiss::CsvLineTooLong:
        return QuoteResult::overLimit(QuoteFailure::AnswerLineTooLong, AnswerLimits::kMaxCsvLineBytes);
    case SourceMiss::NothingAtPlace:
    case SourceMiss::CsvNoRow:
    case SourceMiss::NoMatch:
        if (answerFor == AnswerFor::SeveralSymbols)
            return QuoteResult::failed(QuoteFailure::NotInAnswer);
        return QuoteResult::failed(QuoteFailure::NoPriceInAnswer);
    default:
        return QuoteResult::failed(QuoteFailure::NoPriceInAnswer);
    }
}

QuoteResult fromSource(QuoteResult result, const QuoteSource &source, const QString &currency)
{
    result.source = source.name;
    if (result.priced())
        result.currency = currency;
    return result;
}

// The quote page's reader, its results marked with the source.
class PageSourceReader final : public PageReader
{
public:
    explicit PageSourceReader(QuoteSource source) : m_source(std::move(source)) {}

    Take append(QByteArrayView piece) override { return m_page.append(piece); }
    QuoteResult result(const PageFacts &facts) override
    {
        const QString fixed = m_source.currency.startsWith(u'=') ? m_source.currency.mid(1) : QString();
        return fromSource(m_page.result(facts), m_source, fixed);
    }

private:
    QuotePageReader m_page;
    QuoteSource m_source;
};

} // namespace

SourceAnswerReader::SourceAnswerReader(QuoteSource source, QString symbol)
    : m_source(std::move(source))
    , m_symbol(std::move(symbol))
{
}

PageReader::Take AnswerBody::append(QByteArrayView piece)
{
    if (tooLarge || bytes.size() + piece.size() > AnswerLimits::kMaxBodyBytes) {
        tooLarge = true;
        return PageReader::Take::TooLarge;
    }
    bytes.append(piece);
    return PageReader::Take::More;
}

PageReader::Take SourceAnswerReader::append(QByteArrayView piece)
{
    return m_body.append(piece);
}

QuoteResult SourceAnswerReader::result(const PageFacts &facts)
{
    return sourceAnswerResult(m_source, m_symbol, m_body.bytes, m_body.tooLarge, facts, AnswerFor::OneSymbol);
}

QuoteResult sourceAnswerResult(const QuoteSource &source, const QString &symbol, QByteArrayView body,
                               bool tooLarge, const PageFacts &facts, AnswerFor answerFor)
{
    if (facts.failure != QuoteFailure::None)
        return fromSource(QuoteResult::failed(facts.failure), source, {});
    if (tooLarge)
        return fromSource(QuoteResult::failed(QuoteFailure::PageTooLarge), source, {});
    const SourceAnswer answer = readSourceAnswer(source, symbol, body, AnswerDetail::Price);
    // Only an address that names the symbol tells, by its absence, that the symbol has no page.
    const NotFoundMeaning notFound =
        urlTemplateUse(source.url).symbol ? NotFoundMeaning::NoQuotePage : NotFoundMeaning::AddressNotFound;
    return fromSource(withPageStatus(answerResult(answer, answerFor), facts, notFound), source, answer.currency);
}

std::unique_ptr<PageReader> makePageReader(const QuoteSource &source, const QString &symbol)
{
    if (source.format == SourceFormat::Page)
        return std::make_unique<PageSourceReader>(source);
    return std::make_unique<SourceAnswerReader>(source, symbol);
}
