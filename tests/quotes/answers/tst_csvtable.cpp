#include "csvtable.h"
#include "answerlimits.h"

#include <QTest>

using AnswerLimits::kMaxCsvLineBytes;
using AnswerLimits::kMaxCsvRows;

namespace {

// A daily quote download: a header, rows per symbol, a quoted name with
// doubled quotes and a line break in it, CRLF line ends.
const QByteArray kDaily =
    "Symbol,Date,Close,Volume,Name\r\n"
    "VTI.US,2026-12-07,245.87,3120000,Vanguard Total Stock Market ETF\r\n"
    "VXUS.US,2026-12-07,61.02,2890000,\"Vanguard \"\"Total\"\"\r\nInternational\"\r\n"
    "  BND.US ,2026-12-07,72.4,150000,Bond\r\n";

// A header and `rows` data rows, only the last one for SYM.
QByteArray manyRows(qsizetype rows)
{
    QByteArray body = "Symbol,Close\n";
    body += QByteArray("OTHER,1\n").repeated(rows - 1);
    return body + "SYM,2\n";
}

} // namespace

class TestCsvTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsRows_data();
    void findsRows();
    void findsColumns_data();
    void findsColumns();
};

void TestCsvTable::findsRows_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<CsvFailure>("failure");
    QTest::addColumn<qsizetype>("line");
    QTest::addColumn<QString>("lastCell");

    using F = CsvFailure;
    const QString none;
    QTest::newRow("first data row") << kDaily << ',' << none << "VXUS.US" << F::None << qsizetype(2)
                                    << "Vanguard Total Stock Market ETF";
    QTest::newRow("match by name, ignoring case") << kDaily << ',' << "symbol" << "vxus.us" << F::None << qsizetype(3)
                                                  << "Vanguard \"Total\"\r\nInternational";
    QTest::newRow("match by number, spaces around") << kDaily << ',' << "1" << "BND.US" << F::None << qsizetype(4)
                                                    << "Bond";
    QTest::newRow("semicolons, comma decimals, LF")
        << QByteArray("Symbole;Cours;Devise\nAIR.PA;142,36;EUR\nMC.PA;601,2;EUR") << ';' << "Symbole" << "MC.PA"
        << F::None << qsizetype(3) << "EUR";
    QTest::newRow("tabs, byte order mark, blank lines")
        << QByteArray("\xef\xbb\xbfticker\tprice\n\nVTI\t245.87\n") << '\t' << "Ticker" << "VTI" << F::None
        << qsizetype(2) << "245.87";
    QTest::newRow("quoted header") << QByteArray("\"Sym\",\"Px\"\nVTI,1\n") << ',' << "sym" << "VTI" << F::None
                                   << qsizetype(2) << "1";

    QTest::newRow("empty") << QByteArray() << ',' << none << "VTI" << F::NoHeader << qsizetype(0) << "";
    QTest::newRow("header only") << QByteArray("Symbol,Close\r\n") << ',' << none << "VTI" << F::NoRow
                                 << qsizetype(0) << "";
    QTest::newRow("no row for the symbol") << kDaily << ',' << "Symbol" << "VEA.US" << F::NoRow << qsizetype(0)
                                           << "";
    QTest::newRow("no such match column") << kDaily << ',' << "Ticker" << "VTI.US" << F::NoColumn
                                          << qsizetype(0) << "";
    QTest::newRow("match column past the header") << kDaily << ',' << "6" << "VTI.US" << F::NoColumn
                                                  << qsizetype(0) << "";
    QTest::newRow("stray quote") << QByteArray("Symbol,Close\nV\"TI,1\n") << ',' << none << "VTI"
                                 << F::Malformed << qsizetype(0) << "";
    QTest::newRow("stray quote after the row found") << QByteArray("Symbol,Close\nVTI,1\nV\"X,2\n") << ',' << none
                                                     << "VTI" << F::None << qsizetype(2) << "1";
    QTest::newRow("unterminated quote") << QByteArray("Symbol,Close\nVTI,\"1\n") << ',' << none << "VTI"
                                        << F::Malformed << qsizetype(0) << "";

    const QByteArray longCell(kMaxCsvLineBytes - 2, '9');
    QTest::newRow("line at the limit") << "S,Close\nA," + longCell + "\n" << ',' << none << "A" << F::None
                                       << qsizetype(2) << QString(longCell);
    QTest::newRow("line past the limit") << "S,Close\nA," + longCell + "9\n" << ',' << none << "A"
                                         << F::LineTooLong << qsizetype(0) << "";
    QTest::newRow("row at the limit") << manyRows(kMaxCsvRows - 1) << ',' << "Symbol" << "SYM" << F::None
                                      << kMaxCsvRows << "2";
    QTest::newRow("row past the limit") << manyRows(kMaxCsvRows) << ',' << "Symbol" << "SYM" << F::TooManyRows
                                        << qsizetype(0) << "";
}

void TestCsvTable::findsRows()
{
    QFETCH(QByteArray, body);
    QFETCH(char, delimiter);
    QFETCH(QString, match);
    QFETCH(QString, symbol);
    QFETCH(CsvFailure, failure);
    QFETCH(qsizetype, line);
    QFETCH(QString, lastCell);

    const CsvRow row = findCsvRow(body, {delimiter, match, symbol});
    QCOMPARE(row.failure, failure);
    QCOMPARE(row.line, line);
    QCOMPARE(row.cells.isEmpty() ? QString() : row.cells.last(), lastCell);
}

void TestCsvTable::findsColumns_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("isColumn");
    QTest::addColumn<qsizetype>("index");

    QTest::newRow("name") << "Close" << true << qsizetype(2);
    QTest::newRow("name, other case and spaces") << " close " << true << qsizetype(2);
    QTest::newRow("first by number") << "1" << true << qsizetype(0);
    QTest::newRow("last by number") << "4" << true << qsizetype(3);
    QTest::newRow("number past the header") << "5" << true << qsizetype(-1);
    QTest::newRow("unknown name") << "Last" << true << qsizetype(-1);
    QTest::newRow("zero") << "0" << false << qsizetype(-1);
    QTest::newRow("beyond any number") << "99999999999999999999" << false << qsizetype(-1);
    QTest::newRow("empty") << "" << false << qsizetype(-1);
}

void TestCsvTable::findsColumns()
{
    QFETCH(QString, column);
    QFETCH(bool, isColumn);
    QFETCH(qsizetype, index);

    QCOMPARE(isCsvColumn(column), isColumn);
    QCOMPARE(csvColumnIndex({"Symbol", "Date", "Close ", "Volume"}, column), index);
}

QTEST_GUILESS_MAIN(TestCsvTable)
#include "tst_csvtable.moc"
