#include "sourceanswer.h"

#include <QTest>

namespace {

const QByteArray kBatch = R"({"quoteResponse": {"result": [
  {"symbol": "VTI", "regularMarketPrice": 245.87, "currency": "USD"},
  {"symbol": "VXUS", "regularMarketPrice": "61.02", "currency": "USD"},
  {"symbol": "ZERO", "regularMarketPrice": 0, "currency": "USD"},
  {"symbol": "NEG", "regularMarketPrice": -3.5},
  {"symbol": "NULL", "regularMarketPrice": null},
  {"symbol": "HUGE", "regularMarketPrice": 1e300}
], "error": null}})";

const QByteArray kGlobalQuote = R"({"Global Quote": {"01. symbol": "SAP.DE", "05. price": "226,1000", "08. currency": "EUR"}})";

const QByteArray kDaily = "Symbol;Date;Close;Currency\r\n"
                          "VTI.US;2026-12-07;245,87;USD\r\n"
                          "AIR.PA;2026-12-07;\"1 142,36\";EUR\r\n"
                          "NODATA;2026-12-07;N/D;EUR\r\n"
                          "SHORT;2026-12-07\r\n";

const QByteArray kPage = "<div class=\"quote\" data-symbol=\"VTI\" data-price=\"245.87\" data-currency=\"USD\">"
                         "<span>245.87</span></div>";

QuoteSource source(SourceFormat format, const QString &price, const QString &currency = {})
{
    QuoteSource made;
    made.name = "Test";
    made.url = "https://api.example.com/{SYMBOL}";
    made.format = format;
    made.price = price;
    made.currency = currency;
    return made;
}

const QString kBySymbol = "$.quoteResponse.result[?@.symbol == '{SYMBOL}']";

} // namespace

class TestSourceAnswer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPrices_data();
    void readsPrices();
    void showsJsonEvidence();
    void showsCsvAndTextEvidence();
    void showsAnswerWhenNothingFound();
};

void TestSourceAnswer::readsPrices_data()
{
    QTest::addColumn<QuoteSource>("source");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<SourceMiss>("miss");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("currency");

    using M = SourceMiss;
    const QuoteSource batch = source(SourceFormat::Json, kBySymbol + ".regularMarketPrice", kBySymbol + ".currency");
    QTest::newRow("json number") << batch << "VTI" << kBatch << M::None << 245.87 << "USD";
    QTest::newRow("json number as text") << batch << "VXUS" << kBatch << M::None << 61.02 << "USD";
    QuoteSource global = source(SourceFormat::Json, "/Global Quote/05. price", "/Global Quote/08. currency");
    global.decimal = DecimalMark::Comma;
    QTest::newRow("json comma decimals") << global << "SAP.DE" << kGlobalQuote << M::None << 226.1 << "EUR";
    QuoteSource pence = source(SourceFormat::Json, "/data/0/p", "=GBP");
    pence.factor = 0.01;
    QTest::newRow("factor, fixed currency") << pence << "VOD.L" << QByteArray(R"({"data":[{"p":"71.84"}]})")
                                            << M::None << 0.7184 << "GBP";
    QTest::newRow("bare number answer") << source(SourceFormat::Json, "$") << "VTI" << QByteArray("245.87\n")
                                        << M::None << 245.87 << "";
    QTest::newRow("json zero") << batch << "ZERO" << kBatch << M::NotPositive << 0.0 << "USD";
    QTest::newRow("json negative") << batch << "NEG" << kBatch << M::NotPositive << 0.0 << "";
    QTest::newRow("json null") << batch << "NULL" << kBatch << M::NotANumber << 0.0 << "";
    QTest::newRow("beyond a double with the factor")
        << [] { QuoteSource s = source(SourceFormat::Json, kBySymbol + ".regularMarketPrice"); s.factor = 1e10; return s; }()
        << "HUGE" << kBatch << M::NotPositive << 0.0 << "";
    QTest::newRow("json unknown symbol") << batch << "VEA" << kBatch << M::NothingAtPlace << 0.0 << "";
    QTest::newRow("not json") << batch << "VTI" << kPage << M::NotJson << 0.0 << "";
    QTest::newRow("json too deep") << batch << "VTI" << QByteArray(65, '[') + QByteArray(65, ']') << M::TooDeep << 0.0 << "";
    QTest::newRow("json place not valid") << source(SourceFormat::Json, "price") << "VTI" << kBatch << M::PlaceNotValid
                                          << 0.0 << "";

    QuoteSource daily = source(SourceFormat::Csv, "Close", "4");
    daily.match = "Symbol";
    daily.delimiter = ';';
    daily.decimal = DecimalMark::Comma;
    QTest::newRow("csv") << daily << "vti.us" << kDaily << M::None << 245.87 << "USD";
    QTest::newRow("csv quoted grouped number") << daily << "AIR.PA" << kDaily << M::None << 1142.36 << "EUR";
    QTest::newRow("csv not a number") << daily << "NODATA" << kDaily << M::NotANumber << 0.0 << "EUR";
    QTest::newRow("csv short row") << daily << "SHORT" << kDaily << M::NothingAtPlace << 0.0 << "";
    QTest::newRow("csv no row") << daily << "VEA" << kDaily << M::CsvNoRow << 0.0 << "";
    QTest::newRow("csv no price column") << [daily] { QuoteSource s = daily; s.price = "Last"; return s; }() << "VTI.US"
                                         << kDaily << M::CsvNoPriceColumn << 0.0 << "";
    QTest::newRow("csv no match column") << [daily] { QuoteSource s = daily; s.match = "Ticker"; return s; }() << "VTI.US"
                                         << kDaily << M::CsvNoMatchColumn << 0.0 << "";
    QTest::newRow("csv wrong delimiter") << [daily] { QuoteSource s = daily; s.delimiter = ','; return s; }() << "VTI.US"
                                         << kDaily << M::CsvNoMatchColumn << 0.0 << "";

    const QuoteSource page = source(SourceFormat::Text, R"re(data-price="([^"]*)")re", R"re(data-currency="([^"]*)")re");
    QTest::newRow("text attribute") << page << "VTI" << kPage << M::None << 245.87 << "USD";
    QTest::newRow("text no match") << source(SourceFormat::Text, R"re(data-bid="([^"]*)")re") << "VTI" << kPage << M::NoMatch
                                   << 0.0 << "";
    QTest::newRow("text currency not a code") << source(SourceFormat::Text, R"(<span>([^<]*))", R"re(class="([^"]*)")re")
                                              << "VTI" << kPage << M::None << 245.87 << "";
}

void TestSourceAnswer::readsPrices()
{
    QFETCH(QuoteSource, source);
    QFETCH(QString, symbol);
    QFETCH(QByteArray, body);
    QFETCH(SourceMiss, miss);
    QFETCH(double, price);
    QFETCH(QString, currency);

    const SourceAnswer answer = readSourceAnswer(source, symbol, body, AnswerDetail::Price);
    QCOMPARE(answer.miss, miss);
    QCOMPARE(answer.price, price);
    QCOMPARE(answer.currency, currency);
    QCOMPARE(sourceMissText(miss).isEmpty(), miss == SourceMiss::None);
}

void TestSourceAnswer::showsJsonEvidence()
{
    const QuoteSource batch = source(SourceFormat::Json, kBySymbol + ".regularMarketPrice");
    const SourceAnswer answer = readSourceAnswer(batch, "VXUS", kBatch, AnswerDetail::Evidence);
    QCOMPARE(answer.found, "61.02");
    QCOMPARE(answer.path, "$['quoteResponse']['result'][1]['regularMarketPrice']");
    QCOMPARE(answer.neighbourhood, "{\n"
                                   "    \"currency\": \"USD\",\n"
                                   "    \"regularMarketPrice\": \"61.02\",\n"
                                   "    \"symbol\": \"VXUS\"\n"
                                   "}\n");
    QVERIFY(answer.answerStart.isEmpty());

    // The neighbourhood is cut at 2 KB.
    const QByteArray wide = "[\"" + QByteArray(3000, 'x') + "\", 5]";
    const SourceAnswer cut = readSourceAnswer(source(SourceFormat::Json, "/1"), "VTI", wide, AnswerDetail::Evidence);
    QCOMPARE(cut.neighbourhood, "[\n    \"" + QString(2048 - 7, u'x'));
    QCOMPARE(readSourceAnswer(batch, "VXUS", kBatch, AnswerDetail::Price).neighbourhood, QString());
}

void TestSourceAnswer::showsCsvAndTextEvidence()
{
    QuoteSource daily = source(SourceFormat::Csv, "3");
    daily.match = "1";
    daily.delimiter = ';';
    daily.decimal = DecimalMark::Comma;
    const SourceAnswer row = readSourceAnswer(daily, "AIR.PA", kDaily, AnswerDetail::Evidence);
    QCOMPARE(row.header, (QStringList{"Symbol", "Date", "Close", "Currency"}));
    QCOMPARE(row.row, (QStringList{"AIR.PA", "2026-12-07", "1 142,36", "EUR"}));
    QCOMPARE(row.found, "1 142,36");

    const QuoteSource page = source(SourceFormat::Text, R"(<span>([^<]*))");
    const SourceAnswer text = readSourceAnswer(page, "VTI", kPage, AnswerDetail::Evidence);
    QCOMPARE(text.matched, "<span>245.87");
    QCOMPARE(text.before, R"(<div class="quote" data-symbol="VTI" data-price="245.87" data-currency="USD">)");
    QCOMPARE(text.after, "</span></div>");
}

void TestSourceAnswer::showsAnswerWhenNothingFound()
{
    const QuoteSource batch = source(SourceFormat::Json, kBySymbol + ".regularMarketPrice");
    const QByteArray body = "<html>\r\n\t<p>Service \x01unavailable</p>\n" + QByteArray(5000, 'z');
    const SourceAnswer answer = readSourceAnswer(batch, "VTI", body, AnswerDetail::Evidence);
    QCOMPARE(answer.miss, SourceMiss::NotJson);
    const QString shownStart = "<html>\\r\n\\t<p>Service \\x01unavailable</p>\n";
    QCOMPARE(answer.answerStart, shownStart + QString(4096 - 37, u'z'));
}

QTEST_GUILESS_MAIN(TestSourceAnswer)
#include "tst_sourceanswer.moc"
