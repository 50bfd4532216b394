#pragma once

#include "pagereader.h"
#include "answerlimits.h"
#include "quotesource.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Reads a json, csv or text source's answer: the body is kept whole, up to
// AnswerLimits::kMaxBodyBytes, and priced once it has ended. Without a
// price, an error status says more, as for the quote page.
// An answer's body as it comes, kept whole up to AnswerLimits::kMaxBodyBytes.
struct AnswerBody {
    QByteArray bytes;
    bool tooLarge = false;

    PageReader::Take append(QByteArrayView piece);
};

class SourceAnswerReader final : public PageReader
{
public:
    SourceAnswerReader(QuoteSource source, QString symbol);

    Take append(QByteArrayView piece) override;
    // Priced results carry the currency found; all carry the source's name.
    QuoteResult result(const PageFacts &facts) override;

private:
    QuoteSource m_source;
    QString m_symbol;
    AnswerBody m_body;
};

// `symbol`'s result from an answer of `source` that has ended: the
// transport's failure, a body past the bound, or what the body holds. In an
// answer for several symbols, a symbol the place finds nothing for is not
// in the answer.
enum class AnswerFor { OneSymbol, SeveralSymbols };
QuoteResult sourceAnswerResult(const QuoteSource &source, const QString &symbol, QByteArrayView body,
                               bool tooLarge, const PageFacts &facts, AnswerFor answerFor);

// The reader for one transfer of `symbol` from `source`: the quote page's
// reader for a page source (its result carrying the source's name and fixed
// currency), a SourceAnswerReader for the others.
std::unique_ptr<PageReader> makePageReader(const QuoteSource &source, const QString &symbol);
