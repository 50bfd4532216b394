#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QString>

// Why a reference rates document gave no rates.
enum class ReferenceRatesProblem {
    None,
    TooLarge,      // past kMaxDocumentBytes
    NotXml,        // not well-formed
    TooManyRates,  // a day with more than kMaxRatesPerDay
    NoRates,       // no day with a rate in it
};

// The central bank's daily reference rates: how many units of each currency
// one euro buys, on the newest day the document gives.
struct ReferenceRates {
    ReferenceRatesProblem problem = ReferenceRatesProblem::None;
    QDate day;
    QHash<QString, double> perEuro; // by ISO code
};

namespace ReferenceRatesLimits {
// The daily document is a few kilobytes, the one of ninety days about
// 150 KiB; a longer answer is not read.
constexpr qsizetype kMaxDocumentBytes = 1024 * 1024;
// Far more currencies than any day quotes.
constexpr qsizetype kMaxRatesPerDay = 200;
} // namespace ReferenceRatesLimits

// Reads the document: an envelope in any namespaces, holding Cube elements
// with a `time` (YYYY-MM-DD), each holding Cube elements with a `currency`
// (an ISO code) and a `rate` (a positive number, '.' for the decimal mark).
// Entries that are not of that form are skipped.
ReferenceRates readReferenceRates(QByteArrayView document);
