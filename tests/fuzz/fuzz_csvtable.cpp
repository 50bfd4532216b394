// CSV answers through libcsv and the row search. The first byte picks the
// delimiter and whether rows are matched by symbol; the rest is the answer.
// A row found is a data row after a header and, when matched, holds the
// symbol in the match column.

#include "csvtable.h"
#include "fuzzcheck.h"
#include "sourceanswer.h"
#include "answerlimits.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView body(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1));
    constexpr char kDelimiters[] = {',', ';', '\t'};
    const char delimiter = kDelimiters[data[0] % 3];
    const bool matched = (data[0] & 0x4) != 0;
    const QString symbol = QStringLiteral("VTI");

    const CsvQuery query{delimiter, matched ? QStringLiteral("1") : QString(), symbol};
    const CsvRow row = findCsvRow(body, query);
    if (row.failure == CsvFailure::None) {
        fuzzCheck(row.line >= 2 && row.line <= AnswerLimits::kMaxCsvRows);
        fuzzCheck(!matched || (!row.cells.isEmpty() && row.cells.front().trimmed().compare(symbol, Qt::CaseInsensitive) == 0));
    } else {
        fuzzCheck(row.line == 0 && row.cells.isEmpty());
    }

    QuoteSource source;
    source.name = QStringLiteral("Fuzz");
    source.format = SourceFormat::Csv;
    source.price = QStringLiteral("2");
    source.match = query.matchColumn;
    source.currency = QStringLiteral("Currency");
    source.delimiter = delimiter;
    source.decimal = (data[0] & 0x8) != 0 ? DecimalMark::Comma : DecimalMark::Point;
    const SourceAnswer read = readSourceAnswer(source, symbol, body, AnswerDetail::Evidence);
    fuzzCheck(read.miss != SourceMiss::None || (std::isfinite(read.price) && read.price > 0.0));
    fuzzCheck(read.miss != SourceMiss::None || row.failure == CsvFailure::None);
    fuzzCheck(read.currency.isEmpty() || read.currency.size() == 3);
    return 0;
}
