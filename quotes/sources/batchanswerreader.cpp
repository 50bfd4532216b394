#include "batchanswerreader.h"

#include "answerlimits.h"
#include "sourceanswerreader.h"

#include <utility>

BatchAnswerReader::BatchAnswerReader(QuoteSource source, QStringList symbols)
    : m_source(std::move(source))
    , m_symbols(std::move(symbols))
{
}

PageReader::Take BatchAnswerReader::append(QByteArrayView piece)
{
    if (m_tooLarge || m_body.size() + piece.size() > AnswerLimits::kMaxBodyBytes) {
        m_tooLarge = true;
        return Take::TooLarge;
    }
    m_body.append(piece);
    return Take::More;
}

QuoteResult BatchAnswerReader::result(const PageFacts &facts)
{
    std::optional<QuoteResult> priced;
    for (const QString &symbol : std::as_const(m_symbols)) {
        const QuoteResult read =
            sourceAnswerResult(m_source, symbol, m_body, m_tooLarge, facts, AnswerFor::SeveralSymbols);
        m_results.insert(symbol, read);
        if (!priced && read.priced())
            priced = read;
    }
    return priced.value_or(m_results.value(m_symbols.value(0)));
}
