#pragma once

#include "quoteresult.h"
#include "quotesource.h"
#include "sourceaddress.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// What a source asks for a sample symbol, as its editor shows it: the exact
// address sent and the header lines, with {KEY} standing where the API key
// goes, so that no key is ever on screen.
struct SourceSample {
    QString address;        // fully encoded; empty when none can be formed
    QStringList headers;    // "Name: value"
    SourceAddressProblem problem = SourceAddressProblem::None;
};

SourceSample sourceSample(const QuoteSource &source, const QString &symbol);

// What a Test of a source found, for the user.
struct SourceTestReport {
    bool priced = false;
    QString text;
};

// The report on fetching `symbol` from `source`: `result` is what the
// engine made of the fetch, `body` the answer it read. With a price, the
// price and currency and where they were found (for json the path and the
// value's neighbourhood, for csv the header and the row, for text the match
// with the text either side); without one, why, and the start of the answer.
SourceTestReport sourceTestReport(const QuoteSource &source, const QString &symbol, const QuoteResult &result,
                                  QByteArrayView body);
