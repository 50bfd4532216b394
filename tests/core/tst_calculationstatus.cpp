#include "calculation.h"
#include "calculationstatus.h"

#include <QtTest>

#include <optional>

namespace {

// One held row as a calculation leaves it: priced, unpriced for a reason, or
// never looked up (no quote).
struct Row
{
    QString symbol;
    double shares = 1.0;
    std::optional<QuoteResult> quote;
    int assetClass = 2;
};

Row priced(const char *symbol)
{
    return {QString::fromLatin1(symbol), 2.0, QuoteResult::withPrice(10.0)};
}

Row failed(const char *symbol, QuoteFailure failure, int httpStatus = 0)
{
    return {QString::fromLatin1(symbol), 2.0, QuoteResult::failed(failure, httpStatus)};
}

Row notLookedUp(const char *symbol)
{
    return {QString::fromLatin1(symbol), 2.0, std::nullopt};
}

// Today's lookup timed out; the price found on `fetched` (UTC) stands in.
Row lastKnown(const char *symbol, double price, const QDateTime &fetched)
{
    QuoteResult quote = QuoteResult::failed(QuoteFailure::TimedOut);
    quote.price = price;
    quote.lastKnown = true;
    quote.fetched = fetched;
    return {QString::fromLatin1(symbol), 2.0, quote};
}

Row inCurrency(Row row, const char *currency)
{
    row.quote->currency = QString::fromLatin1(currency);
    return row;
}

// Priced in `currency`, converted to EUR at 0.9 from "Bank" of `date`.
Row converted(Row row, const char *currency, const QDate &date = QDate(2026, 12, 8), bool kept = false)
{
    row.quote->currency = QString::fromLatin1(currency);
    row.quote->reportCurrency = QStringLiteral("EUR");
    row.quote->conversion = PriceConversion{row.quote->price / 0.9, 0.9, {0.9, QStringLiteral("Bank"), date, kept}};
    return row;
}

Row unclassed(Row row)
{
    row.assetClass = NoAssetClass;
    return row;
}

Row notHeld(const char *symbol)
{
    return {QString::fromLatin1(symbol), 0.0, std::nullopt};
}

struct Calculated
{
    Holdings holdings;
    CalculationResult result;
};

// Rows fill the form from the top; the rest stay empty.
Calculated calculated(const QList<Row> &rows)
{
    Calculated out;
    RowQuotes quotes;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        out.holdings[r] = Holding{QString(), rows[r].symbol, rows[r].shares, rows[r].assetClass};
        quotes[r] = rows[r].quote;
    }
    out.result = computeHoldings(out.holdings, quotes);
    return out;
}

QList<Row> repeated(const Row &row, int count)
{
    return QList<Row>(count, row);
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)

class TestCalculationStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void summary_data();
    void summary();
    void progress_data();
    void progress();
    void rowNotes();
    void currencies_data();
    void currencies();
    void runStatus_data();
    void runStatus();
    void quoteSourceNeeded_data();
    void quoteSourceNeeded();
};

void TestCalculationStatus::summary_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QString>("summary");

    QTest::newRow("nothing held") << QList<Row>{} << "No holdings with shares to price.";
    QTest::newRow("only rows without shares")
        << QList<Row>{notHeld("VTI"), notHeld("BND")} << "No holdings with shares to price.";
    QTest::newRow("one priced") << QList<Row>{priced("VTI")} << "1 holding priced.";
    QTest::newRow("twelve priced") << repeated(priced("VTI"), 12) << "12 holdings priced.";
    QTest::newRow("rows without shares are not counted")
        << QList<Row>{priced("VTI"), notHeld("BND"), priced("Cash")} << "2 holdings priced.";
    QTest::newRow("the only holding fails")
        << QList<Row>{failed("GONE", QuoteFailure::NoPriceOnPage)}
        << "1 of 1 holding has no price; the total leaves it out \u2014 no price on page: GONE";
    QTest::newRow("one of two fails")
        << QList<Row>{priced("VTI"), failed("NOPE", QuoteFailure::NoPriceOnPage)}
        << "1 of 2 holdings has no price; the total leaves it out \u2014 no price on page: NOPE";
    QTest::newRow("grouped by reason, in the order they first come")
        << QList<Row>{failed("VTI", QuoteFailure::ConnectionRefused), priced("Cash"), failed("BND", QuoteFailure::ConnectionRefused),
                      failed("GONE", QuoteFailure::NoPriceOnPage), failed("VXUS", QuoteFailure::ConnectionRefused),
                      priced("A"), priced("B"), priced("C"), priced("D"), priced("E"), priced("F"),
                      priced("G")}
        << "4 of 12 holdings have no price; the total leaves them out \u2014 connection refused: VTI, BND, VXUS; "
           "no price on page: GONE";
    QTest::newRow("every row fails for one reason: said once")
        << repeated(failed("X", QuoteFailure::ConnectionRefused), 3)
        << "3 of 3 holdings have no price; the total leaves them out \u2014 connection refused: X, X, X";
    QTest::newRow("a status in the reason is a reason of its own")
        << QList<Row>{failed("TYPO", QuoteFailure::NoPriceOnPage, 404), failed("OLD", QuoteFailure::NoPriceOnPage),
                      failed("MISS", QuoteFailure::NoPriceOnPage, 404), failed("DOWN", QuoteFailure::NoPriceOnPage, 503)}
        << "4 of 4 holdings have no price; the total leaves them out \u2014 no price on page (HTTP 404): TYPO, MISS; "
           "no price on page: OLD; no price on page (HTTP 503): DOWN";
    QTest::newRow("a row without a symbol")
        << QList<Row>{{QString(), 3.0, QuoteResult::failed(QuoteFailure::NoPriceOnPage)}, priced("VTI")}
        << "1 of 2 holdings has no price; the total leaves it out \u2014 no price on page: (no symbol)";
    QTest::newRow("stopped after 4 of 12")
        << QList<Row>{priced("A"), priced("B"), priced("C"), priced("D"), notLookedUp("E"),
                      notLookedUp("F"), notLookedUp("G"), notLookedUp("H"), notLookedUp("I"),
                      notLookedUp("J"), notLookedUp("K"), notLookedUp("L")}
        << "Stopped after 4 of 12 holdings; totals cover the 4 priced so far";
    QTest::newRow("stopped during the first lookup")
        << QList<Row>{notLookedUp("SLOW")} << "Stopped before any holding was looked up; nothing is priced";
    QTest::newRow("stopped after the first of two")
        << QList<Row>{priced("VTI"), notLookedUp("SLOW")}
        << "Stopped after 1 of 2 holdings; totals cover the 1 priced so far";
    QTest::newRow("stopped with failures so far")
        << QList<Row>{priced("VTI"), failed("GONE", QuoteFailure::NoPriceOnPage), notLookedUp("SLOW")}
        << "Stopped after 2 of 3 holdings; totals cover the 1 priced so far \u2014 no price on page: GONE";
    QTest::newRow("stopped with nothing priced so far")
        << QList<Row>{failed("GONE", QuoteFailure::ConnectionRefused), notLookedUp("SLOW")}
        << "Stopped after 1 of 2 holdings; none priced so far \u2014 connection refused: GONE";
    QTest::newRow("every row at the limit")
        << repeated(priced("VTI"), HoldingRowCount) << "20 holdings priced.";
}

void TestCalculationStatus::summary()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QString, summary);
    const Calculated c = calculated(rows);
    QCOMPARE(calculationSummary(c.holdings, c.result), summary);
}

void TestCalculationStatus::runStatus_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QString>("status");

    const QDateTime dec7 = QDateTime(QDate(2026, 12, 7), QTime(14, 2), Qt::UTC);
    const QDateTime nov20 = QDateTime(QDate(2026, 11, 20), QTime(9, 0), Qt::UTC);
    QTest::newRow("all priced") << QList<Row>{priced("VTI"), priced("BND")} << "15:30 \u2014 2 holdings priced.";
    QTest::newRow("one last known")
        << QList<Row>{priced("VTI"), lastKnown("BND", 70, dec7)}
        << "15:30 \u2014 1 holding is valued at its last known price (from 7 Dec 2026). "
           "1 of 2 holdings could not be priced \u2014 timed out: BND.";
    QTest::newRow("two last known, the oldest named")
        << QList<Row>{lastKnown("VTI", 200, dec7), lastKnown("BND", 70, nov20), failed("GONE", QuoteFailure::NoQuotePage, 404)}
        << "15:30 \u2014 2 holdings are valued at their last known price (the oldest from 20 Nov 2026). "
           "1 of 3 holdings has no price; the total leaves it out. "
           "3 of 3 holdings could not be priced \u2014 timed out: VTI, BND; "
           "no quote page for this symbol (HTTP 404): GONE.";
    // Two shares at 10 in no class, and 1,724.5 x 2 = 3,449 more.
    QTest::newRow("no class")
        << QList<Row>{unclassed(priced("VTI")), priced("BND")}
        << "15:30 \u2014 2 holdings priced. 1 holding has no asset class; 20 of the total is in no class.";
    QTest::newRow("no class, last known")
        << QList<Row>{unclassed(priced("VTI")), unclassed(lastKnown("EMB", 1724.5, dec7)), priced("BND")}
        << "15:30 \u2014 1 holding is valued at its last known price (from 7 Dec 2026). "
           "1 of 3 holdings could not be priced \u2014 timed out: EMB. "
           "2 holdings have no asset class; 3,469 of the total is in no class.";
}

void TestCalculationStatus::currencies_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QString>("note");

    const QDateTime dec7 = QDateTime(QDate(2026, 12, 7), QTime(14, 2), Qt::UTC);
    QTest::newRow("nothing converted") << QList<Row>{inCurrency(priced("SAP"), "EUR"), priced("BND")} << QString();
    QTest::newRow("converted") << QList<Row>{converted(priced("VTI"), "USD"), inCurrency(priced("SAP"), "EUR")}
                               << "Values in EUR";
    QTest::newRow("kept rates, the oldest named")
        << QList<Row>{converted(priced("VTI"), "USD", QDate(2026, 12, 7), true),
                      converted(lastKnown("ULVR", 40, dec7), "GBP", QDate(2026, 12, 4), true),
                      converted(priced("BND"), "USD")}
        << "Values in EUR at rates from 4 Dec 2026; today's rates could not be fetched";
    QTest::newRow("a failed row's is not counted")
        << QList<Row>{inCurrency(priced("SAP"), "EUR"), converted(failed("VTI", QuoteFailure::TimedOut), "USD")}
        << QString();
}

void TestCalculationStatus::currencies()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QString, note);
    QCOMPARE(currencyNote(calculated(rows).result), note);
}

void TestCalculationStatus::runStatus()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QString, status);
    const Calculated c = calculated(rows);
    const QDateTime when(QDate(2026, 12, 8), QTime(15, 30));
    QCOMPARE(::runStatus(when, c.holdings, c.result), status);
}

void TestCalculationStatus::progress_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("none yet") << 0 << 5 << "Pricing 5 holdings \u2014 0 of 5 done";
    QTest::newRow("some") << 3 << 5 << "Pricing 5 holdings \u2014 3 of 5 done";
    QTest::newRow("only one") << 0 << 1 << "Pricing 1 holding \u2014 0 of 1 done";
}

void TestCalculationStatus::progress()
{
    QFETCH(int, done);
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(pricingProgress(done, count), text);
}

void TestCalculationStatus::rowNotes()
{
    const Calculated c = calculated({priced("VTI"), failed("GONE", QuoteFailure::NoPriceOnPage, 404),
                                     notLookedUp("SLOW"), notHeld("IDLE")});
    QCOMPARE(rowQuoteNote(c.result, 0, QDateTime()), QStringLiteral("10.00 a share"));
    QCOMPARE(rowQuoteNote(c.result, 1, QDateTime()), QStringLiteral("Not priced: no price on page (HTTP 404)"));
    QCOMPARE(rowQuoteNote(c.result, 2, QDateTime()), QStringLiteral("not looked up: stopped"));
    QCOMPARE(rowQuoteNote(c.result, 3, QDateTime()), QString());
    QCOMPARE(rowQuoteNote(c.result, HoldingRowCount - 1, QDateTime()), QString());
}

void TestCalculationStatus::quoteSourceNeeded_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<bool>("needed");
    QTest::newRow("nothing held") << QList<Row>{} << false;
    QTest::newRow("all priced") << QList<Row>{priced("VTI")} << false;
    QTest::newRow("other failure") << QList<Row>{failed("GONE", QuoteFailure::NoPriceOnPage)} << false;
    QTest::newRow("no quote site")
        << QList<Row>{priced("Cash"), failed("VTI", QuoteFailure::NoQuoteSource)} << true;
    QTest::newRow("stopped before the site was needed") << QList<Row>{notLookedUp("VTI")} << false;
}

void TestCalculationStatus::quoteSourceNeeded()
{
    QFETCH(QList<Row>, rows);
    QFETCH(bool, needed);
    QCOMPARE(needsQuoteSource(calculated(rows).result), needed);
}

QTEST_GUILESS_MAIN(TestCalculationStatus)
#include "tst_calculationstatus.moc"
