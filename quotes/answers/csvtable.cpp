#include "csvtable.h"

#include "answerlimits.h"

#include <csv.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// The body goes to libcsv in pieces, so that the search stops soon after a
// limit is passed or the row is found.
constexpr qsizetype kPieceBytes = 64 * 1024;

// A column given by number; 0 when the number is not one from 1. Empty
// for a column given by name.
std::optional<qsizetype> columnNumber(QStringView column)
{
    column = column.trimmed();
    if (column.isEmpty() || !std::all_of(column.begin(), column.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qsizetype number = column.toLongLong(&ok);
    return ok ? number : 0;
}

// The search's state, as libcsv's callbacks see it.
class RowSearch
{
public:
    explicit RowSearch(const CsvQuery &query) : m_query(query) {}

    bool done() const { return m_row.failure != CsvFailure::None || m_found; }
    CsvRow take(bool ended)
    {
        if (!done() && ended)
            m_row.failure = m_lines == 0 ? CsvFailure::NoHeader : CsvFailure::NoRow;
        return std::move(m_row);
    }
    void fail(CsvFailure failure) { m_row.failure = failure; }

    static void onField(void *data, size_t size, void *search)
    {
        static_cast<RowSearch *>(search)->addField(QByteArrayView(static_cast<const char *>(data),
                                                                  qsizetype(size)));
    }
    static void onLineEnd(int, void *search) { static_cast<RowSearch *>(search)->endLine(); }

private:
    void addField(QByteArrayView field)
    {
        if (done())
            return;
        m_lineBytes += field.size() + (m_cells.isEmpty() ? 0 : 1);
        if (m_lineBytes > AnswerLimits::kMaxCsvLineBytes)
            return fail(CsvFailure::LineTooLong);
        m_cells.append(QString::fromUtf8(field));
    }

    void endLine()
    {
        if (done())
            return;
        if (++m_lines > AnswerLimits::kMaxCsvRows)
            return fail(CsvFailure::TooManyRows);
        QStringList cells = std::exchange(m_cells, {});
        m_lineBytes = 0;
        if (m_lines == 1)
            return takeHeader(std::move(cells));
        if (m_matchIndex < 0 || (m_matchIndex < cells.size()
                                 && cells[m_matchIndex].trimmed().compare(m_query.symbol.trimmed(),
                                                                          Qt::CaseInsensitive) == 0)) {
            m_row.cells = std::move(cells);
            m_row.line = m_lines;
            m_found = true;
        }
    }

    void takeHeader(QStringList cells)
    {
        m_row.header = std::move(cells);
        if (m_query.matchColumn.isEmpty())
            return;
        m_matchIndex = csvColumnIndex(m_row.header, m_query.matchColumn);
        if (m_matchIndex < 0)
            fail(CsvFailure::NoColumn);
    }

    const CsvQuery &m_query;
    CsvRow m_row;
    QStringList m_cells;
    qsizetype m_lineBytes = 0;
    qsizetype m_lines = 0;
    qsizetype m_matchIndex = -1;
    bool m_found = false;
};

// libcsv's parser, freed however the search ends.
class CsvParser
{
public:
    explicit CsvParser(char delimiter)
    {
        // Strict: a stray quote is an error rather than a guess.
        m_ready = csv_init(&m_parser, CSV_STRICT | CSV_STRICT_FINI) == 0;
        csv_set_delim(&m_parser, static_cast<unsigned char>(delimiter));
    }
    ~CsvParser() { csv_free(&m_parser); }
    CsvParser(const CsvParser &) = delete;
    CsvParser &operator=(const CsvParser &) = delete;

    bool parse(QByteArrayView piece, RowSearch &search)
    {
        const auto size = static_cast<size_t>(piece.size());
        return m_ready
            && csv_parse(&m_parser, piece.data(), size, RowSearch::onField, RowSearch::onLineEnd, &search) == size;
    }
    bool finish(RowSearch &search)
    {
        return csv_fini(&m_parser, RowSearch::onField, RowSearch::onLineEnd, &search) == 0;
    }

private:
    csv_parser m_parser{};
    bool m_ready = false;
};

} // namespace

CsvRow findCsvRow(QByteArrayView body, const CsvQuery &query)
{
    constexpr QByteArrayView kByteOrderMark("\xef\xbb\xbf");
    if (body.startsWith(kByteOrderMark))
        body = body.sliced(kByteOrderMark.size());
    RowSearch search(query);
    CsvParser parser(query.delimiter);
    for (qsizetype at = 0; at < body.size() && !search.done(); at += kPieceBytes) {
        // A row found before the error stands: the search has ended there.
        if (!parser.parse(body.sliced(at, std::min(kPieceBytes, body.size() - at)), search) && !search.done()) {
            search.fail(CsvFailure::Malformed);
            return search.take(false);
        }
    }
    if (!search.done() && !parser.finish(search))
        search.fail(CsvFailure::Malformed);
    return search.take(true);
}

bool isCsvColumn(QStringView column)
{
    if (column.trimmed().isEmpty())
        return false;
    const auto number = columnNumber(column);
    return !number || *number >= 1;
}

qsizetype csvColumnIndex(const QStringList &header, QStringView column)
{
    if (const auto number = columnNumber(column))
        return *number >= 1 && *number <= header.size() ? *number - 1 : -1;
    for (qsizetype at = 0; at < header.size(); ++at) {
        if (header[at].trimmed().compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return at;
    }
    return -1;
}
