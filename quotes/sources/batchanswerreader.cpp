#include "batchanswerreader.h"

#include <utility>

BatchAnswerReader::BatchAnswerReader(QuoteSource source, QStringList symbols)
    : m_source(std::move(source))
    , m_symbols(std::move(symbols))
{
}

PageReader::Take BatchAnswerReader::append(QByteArrayView piece)
{
    return m_body.append(piece);
}

QuoteResult BatchAnswerReader::result(const PageFacts &facts)
{
    std::optional<QuoteResult> priced;
    for (const QString &symbol : std::as_const(m_symbols)) {
        const QuoteResult read =
            sourceAnswerResult(m_source, symbol, m_body.bytes, m_body.tooLarge, facts, AnswerFor::SeveralSymbols);
        m_results.insert(symbol, read);
        if (!priced && read.priced())
            priced = read;
    }
    return priced.value_or(m_results.value(m_symbols.value(0)));
}
