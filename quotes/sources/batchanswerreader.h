#pragma once

#include "pagereader.h"
#include "quotesource.h"
#include "sourceanswerreader.h"

#include <QHash>
#include <QStringList>

// Reads one answer that serves several symbols (a batch source's, or the
// one answer of a source whose address names no symbol): kept whole up to
// AnswerLimits::kMaxBodyBytes, then each symbol's price read from it as for
// one symbol, {SYMBOL} in the place standing for that symbol, in whatever
// order the answer gives them.
class BatchAnswerReader final : public PageReader
{
public:
    BatchAnswerReader(QuoteSource source, QStringList symbols);

    Take append(QByteArrayView piece) override;
    // Priced when any symbol is, else the first symbol's result; each
    // symbol's own is in results() from then on.
    QuoteResult result(const PageFacts &facts) override;

    const QHash<QString, QuoteResult> &results() const { return m_results; }

private:
    QuoteSource m_source;
    QStringList m_symbols;
    AnswerBody m_body;
    QHash<QString, QuoteResult> m_results;
};
