#pragma once

#include "answerlimits.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// Why no row was found in a CSV answer.
enum class CsvFailure {
    None,
    Malformed,     // quotes not as RFC 4180 has them
    LineTooLong,   // a line past AnswerLimits::kMaxCsvLineBytes
    TooManyRows,   // no row found within AnswerLimits::kMaxCsvRows
    NoHeader,      // the answer holds no line at all
    NoColumn,      // the match column is not in the header
    NoRow,         // no data row, or none for the symbol
};

// What to look for: the first data row, or with a match column the first
// whose cell there equals the symbol, ignoring case and surrounding spaces.
struct CsvQuery {
    char delimiter = ',';
    QString matchColumn;  // a column (see csvColumnIndex); empty for the first row
    QString symbol;
};

// The header and the row found, cells without their quotes.
struct CsvRow {
    QStringList header;
    QStringList cells;
    qsizetype line = 0;   // 1-based record number, the header being 1
    CsvFailure failure = CsvFailure::None;
};

// Reads `body` as RFC 4180 CSV (quoted fields, doubled quotes, CRLF or LF
// line ends) with libcsv, the first line being the header.
CsvRow findCsvRow(QByteArrayView body, const CsvQuery &query);

// Whether `column` names a column: a number from 1, or a header's name.
bool isCsvColumn(QStringView column);

// The 0-based index of `column` in `header`: a 1-based number, or a name
// compared ignoring case and surrounding spaces; -1 when there is none.
qsizetype csvColumnIndex(const QStringList &header, QStringView column);
