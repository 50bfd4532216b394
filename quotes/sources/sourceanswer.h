#pragma once

#include "quotesource.h"
#include "answerlimits.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Why a source's answer gave no price. All are "no price on page" to the
// engine; a source test names them.
enum class SourceMiss {
    None,
    PlaceNotValid,      // the source's price place does not parse
    NotJson,
    TooDeep,            // nested past AnswerLimits::kMaxJsonDepth
    NothingAtPlace,
    CsvMalformed,
    CsvLineTooLong,
    CsvTooManyRows,
    CsvNoHeader,
    CsvNoMatchColumn,
    CsvNoPriceColumn,
    CsvNoRow,
    NoMatch,            // the pattern matched nowhere
    NotANumber,
    NotPositive,        // zero, negative, or beyond a double with the factor
    NotRatesDocument,   // not a reference rates document with rates in it
    NoPairRate,         // the document quotes no rate for one of the pair
};

// The price a source's answer holds, and for a source test, where it was
// found: for json the path and the value's neighbourhood, for csv the
// header and the row, for text the match and the text either side; when
// nothing was found, the start of the answer.
struct SourceAnswer {
    SourceMiss miss = SourceMiss::None;
    double price = 0.0;       // the factor applied
    QString currency;         // a three-letter code, as found; empty when none
    QString found;            // the price's value as the answer has it

    QString path;
    QString neighbourhood;
    QStringList header;
    QStringList row;
    QString matched;
    QString before;
    QString after;
    QString answerStart;
};

// How much of a reading to keep: a lookup needs the price only.
enum class AnswerDetail { Price, Evidence };

// Reads the price of `symbol` from the answer of a json, csv or text source.
SourceAnswer readSourceAnswer(const QuoteSource &source, const QString &symbol, QByteArrayView body,
                              AnswerDetail detail);

// The first AnswerLimits::kEvidenceAnswerBytes of an answer for the user:
// line feeds kept, other control characters written out (\r, \x1b).
QString answerStartText(QByteArrayView body);

// The reason for a source test; empty for None.
QString sourceMissText(SourceMiss miss);
