#include "sourcetestreport.h"

#include <QTest>

namespace {

QuoteSource source(SourceFormat format, const QString &url, const QString &price = {},
                   const QString &currency = {})
{
    QuoteSource made;
    made.name = "Test";
    made.url = url;
    made.format = format;
    made.price = price;
    made.currency = currency;
    return made;
}

QuoteResult pricedAt(double price, const QString &currency)
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.currency = currency;
    return result;
}

} // namespace

class TestSourceTestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsSampleWithoutKey_data();
    void showsSampleWithoutKey();
    void reports_data();
    void reports();
};

void TestSourceTestReport::showsSampleWithoutKey_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("header");   // "Name: value" or empty
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("headerShown");
    QTest::addColumn<SourceAddressProblem>("problem");

    using P = SourceAddressProblem;
    QTest::newRow("key in query") << "https://api.example.com/v1/q?s={SYMBOL}&apikey={KEY}" << "" << "VTI"
                                  << "https://api.example.com/v1/q?s=VTI&apikey={KEY}" << "" << P::None;
    QTest::newRow("key in header") << "https://api.example.com/{symbol}.csv" << "Authorization: Bearer {KEY}"
                                   << "VTI" << "https://api.example.com/vti.csv"
                                   << "Authorization: Bearer {KEY}" << P::None;
    QTest::newRow("symbol encoded") << "https://api.example.com/q/{SYMBOL}" << "" << "BRK B&x=1"
                                    << "https://api.example.com/q/BRK%20B%26x%3D1" << "" << P::None;
    QTest::newRow("marker text in address") << "https://api.example.com/KEYMARK/{SYMBOL}?k={KEY}" << "" << "VTI"
                                            << "https://api.example.com/KEYMARK/VTI?k={KEY}" << "" << P::None;
    QTest::newRow("path step") << "https://api.example.com/q/{SYMBOL}" << "" << ".." << "" << "" << P::PathStep;
}

void TestSourceTestReport::showsSampleWithoutKey()
{
    QFETCH(QString, url);
    QFETCH(QString, header);
    QFETCH(QString, symbol);
    QuoteSource tried = source(SourceFormat::Json, url, "/p");
    if (!header.isEmpty())
        tried.headers << SourceHeader{header.section(": ", 0, 0), header.section(": ", 1)};

    const SourceSample sample = sourceSample(tried, symbol);

    QTEST(sample.address, "address");
    QFETCH(QString, headerShown);
    QCOMPARE(sample.headers, headerShown.isEmpty() ? QStringList() : QStringList{headerShown});
    QTEST(sample.problem, "problem");
}

void TestSourceTestReport::reports_data()
{
    QTest::addColumn<QuoteSource>("source");
    QTest::addColumn<QuoteResult>("result");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<QString>("text");

    const QString url = "https://api.example.com/{SYMBOL}";
    const QuoteResult noPrice = QuoteResult::failed(QuoteFailure::NoPriceInAnswer);
    QTest::newRow("json priced")
        << source(SourceFormat::Json, url, "/data/0/price", "/data/0/cur") << pricedAt(251.5, "USD")
        << QByteArray(R"({"data": [{"price": 251.5, "cur": "USD"}]})") << true
        << "Price: 251.5 (USD)\nFound \"251.5\" at $['data'][0]['price'], in:\n"
           "{\n    \"cur\": \"USD\",\n    \"price\": 251.5\n}\n";
    QuoteSource csv = source(SourceFormat::Csv, url, "Close", "=EUR");
    csv.delimiter = ';';
    csv.match = "Symbol";
    QTest::newRow("csv priced") << csv << pricedAt(14.2, "EUR")
                                << QByteArray("Symbol;Close\r\nAAA;1.5\r\nVTI;14.2\r\n") << true
                                << "Price: 14.2 (EUR)\nFound \"14.2\" in the row:\nVTI;14.2\n"
                                   "under the header:\nSymbol;Close";
    QTest::newRow("text priced, no currency")
        << source(SourceFormat::Text, url, "last: ([0-9.]+)") << pricedAt(3.25, {})
        << QByteArray("<p>VTI last: 3.25 now</p>") << true
        << "Price: 3.25 (no currency found)\nFound \"3.25\" in the match \"last: 3.25\", in:\n"
           "<p>VTI last: 3.25 now</p>";
    QTest::newRow("json nothing at place, answer escaped")
        << source(SourceFormat::Json, url, "/data/0/price") << noPrice << QByteArray("{\"error\":\r\n\"x\x1b\"}")
        << false
        << "No price: nothing at the price's place.\nThe answer starts:\n{\"error\":\\r\n\"x\\x1b\"}";
    QuoteResult badRequest = noPrice;
    badRequest.httpStatus = 400;
    QTest::newRow("text no match, status") << source(SourceFormat::Text, url, "price=([0-9.]+)") << badRequest
                                           << QByteArray("busy") << false
                                           << "No price: the pattern matches nowhere in the answer (HTTP 400).\n"
                                              "The answer starts:\nbusy";
    QTest::newRow("key refused") << source(SourceFormat::Json, url, "/p")
                                 << QuoteResult::failed(QuoteFailure::NotAuthorised, 401) << QByteArray("denied")
                                 << false
                                 << "No price: not authorised (HTTP 401): check the API key.\n"
                                    "The answer starts:\ndenied";
    QTest::newRow("fetch failed, no answer")
        << source(SourceFormat::Json, url, "/p") << QuoteResult::failed(QuoteFailure::CertificateNotTrusted)
        << QByteArray() << false << "No price: certificate not trusted.";
    // What is shown of an answer stops at 4096 bytes, of the text either
    // side of a match at 80 characters.
    const QuoteSource words = source(SourceFormat::Text, url, "price=([0-9]+)");
    for (const int size : {4096, 4097}) {
        QTest::addRow("answer of %d bytes", size) << words << noPrice << QByteArray(size, 'a') << false
                                                  << "No price: the pattern matches nowhere in the answer.\n"
                                                     "The answer starts:\n" + QString(4096, u'a');
    }
    for (const int size : {80, 81}) {
        QTest::addRow("%d characters either side", size)
            << words << pricedAt(5.0, {}) << QByteArray(size, 'x') + "price=5" + QByteArray(size, 'y') << true
            << "Price: 5 (no currency found)\nFound \"5\" in the match \"price=5\", in:\n" + QString(80, u'x')
                   + "price=5" + QString(80, u'y');
    }
    QTest::newRow("page priced, fixed currency") << source(SourceFormat::Page, url, {}, "=USD")
                                                 << pricedAt(99.0, "USD") << QByteArray("...") << true
                                                 << "Price: 99 (USD)";
}

void TestSourceTestReport::reports()
{
    QFETCH(QuoteSource, source);
    QFETCH(QuoteResult, result);
    QFETCH(QByteArray, body);

    const SourceTestReport report = sourceTestReport(source, "VTI", result, body);

    QTEST(report.priced, "priced");
    QTEST(report.text, "text");
}

QTEST_GUILESS_MAIN(TestSourceTestReport)
#include "tst_sourcetestreport.moc"
