#include "quotesource.h"

#include <QTest>

#include <cmath>

namespace {

QuoteSource jsonSource()
{
    QuoteSource source;
    source.name = "Prices A";
    source.url = "https://api.example.com/v7/quote?symbols={SYMBOL}&apikey={KEY}";
    source.format = SourceFormat::Json;
    source.price = "$.quoteResponse.result[0].regularMarketPrice";
    return source;
}

QuoteSource csvSource()
{
    QuoteSource source;
    source.name = "Cours";
    source.url = "https://cours.example.fr/q/l/?s={symbol}&f=sd2t2ohlcv&h&e=csv";
    source.format = SourceFormat::Csv;
    source.price = "Cours";
    source.match = "1";
    source.currency = "Devise";
    source.decimal = DecimalMark::Comma;
    source.delimiter = ';';
    source.headers = {{"Accept", "text/csv"}, {"X-Api-Key", "{KEY}"}};
    source.certificate = "/etc/ssl/cours.pem";
    source.connections = 1;
    return source;
}

// A csv source whose members that are text are each at their bound.
QuoteSource fullSource()
{
    QuoteSource source = csvSource();
    source.name = QString(40, u'n');
    source.url = "https://cours.example.fr/q/?s={symbol}&p=";
    source.url += QString(2000 - source.url.size(), u'p');
    source.price = QString(1000, u'P');
    source.match = QString(1000, u'M');
    source.currency = QString(1000, u'C');
    source.headers.clear();
    for (int number = 1; number <= 8; ++number)
        source.headers << SourceHeader{QString("X-%1-").arg(number).leftJustified(500, u'h'), QString(500, u'v')};
    source.certificate = "/" + QString(1023, u'c');
    source.batchSize = 200;
    source.separator = QString(8, u'+');
    source.perMinute = 600;
    return source;
}

template<typename Change>
QuoteSource changed(QuoteSource source, Change change)
{
    change(source);
    return source;
}

} // namespace

class TestQuoteSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksSource_data();
    void checksSource();
    void checksList();
    void explainsProblems();
};

void TestQuoteSource::checksSource_data()
{
    QTest::addColumn<QuoteSource>("source");
    QTest::addColumn<SourceField>("field");
    QTest::addColumn<SourceIssue>("issue");

    using F = SourceField;
    using I = SourceIssue;
    const QuoteSource json = jsonSource();
    const QuoteSource csv = csvSource();
    QTest::newRow("json") << json << F::None << I::None;
    QTest::newRow("csv, every member set") << csv << F::None << I::None;
    QTest::newRow("text, fixed currency") << changed(json, [](QuoteSource &s) {
        s.format = SourceFormat::Text;
        s.price = R"re(data-price="([^"]+)")re";
        s.currency = "=GBp";
        s.factor = 0.01;
    }) << F::None << I::None;
    QTest::newRow("page, fixed currency") << changed(json, [](QuoteSource &s) {
        s.format = SourceFormat::Page;
        s.price.clear();
        s.currency = "=USD";
    }) << F::None << I::None;
    QTest::newRow("name of 40") << changed(json, [](QuoteSource &s) { s.name = QString(40, u'é'); }) << F::None << I::None;
    QTest::newRow("connections 8") << changed(csv, [](QuoteSource &s) { s.connections = 8; }) << F::None << I::None;
    const QuoteSource full = fullSource();
    QTest::newRow("every member at its bound") << full << F::None << I::None;
    QTest::newRow("url of 2001") << changed(full, [](QuoteSource &s) { s.url += 'p'; }) << F::Url << I::TooLong;
    QTest::newRow("price of 1001") << changed(full, [](QuoteSource &s) { s.price += 'P'; }) << F::Price << I::TooLong;
    QTest::newRow("match of 1001") << changed(full, [](QuoteSource &s) { s.match += 'M'; }) << F::Match << I::TooLong;
    QTest::newRow("currency of 1001") << changed(full, [](QuoteSource &s) { s.currency += 'C'; })
                                      << F::Currency << I::TooLong;
    QTest::newRow("9 headers") << changed(full, [](QuoteSource &s) { s.headers << SourceHeader{"X-9", "v"}; })
                               << F::Headers << I::TooMany;
    QTest::newRow("header name of 501") << changed(full, [](QuoteSource &s) { s.headers[7].name += 'h'; })
                                        << F::Headers << I::TooLong;
    QTest::newRow("header value of 501") << changed(full, [](QuoteSource &s) { s.headers[7].value += 'v'; })
                                         << F::Headers << I::TooLong;
    QTest::newRow("certificate of 1025") << changed(full, [](QuoteSource &s) { s.certificate += 'c'; })
                                         << F::Certificate << I::TooLong;

    QTest::newRow("no name") << changed(json, [](QuoteSource &s) { s.name.clear(); }) << F::Name << I::Missing;
    QTest::newRow("name of 41") << changed(json, [](QuoteSource &s) { s.name = QString(41, u'é'); }) << F::Name << I::TooLong;
    QTest::newRow("tab in name") << changed(json, [](QuoteSource &s) { s.name = "A\tB"; }) << F::Name << I::NotPrintable;
    QTest::newRow("no url") << changed(json, [](QuoteSource &s) { s.url.clear(); }) << F::Url << I::Missing;
    QTest::newRow("http") << changed(json, [](QuoteSource &s) { s.url.replace("https", "http"); }) << F::Url << I::NotHttps;
    QTest::newRow("unknown placeholder") << changed(json, [](QuoteSource &s) { s.url += "&t={TICKER}"; })
                                         << F::Url << I::UnknownPlaceholder;
    QTest::newRow("one answer for all") << changed(json, [](QuoteSource &s) { s.url = "https://api.example.com/q?k={KEY}"; })
                                        << F::None << I::None;
    QTest::newRow("page without a symbol") << changed(json, [](QuoteSource &s) {
        s.url = "https://api.example.com/q";
        s.format = SourceFormat::Page;
        s.price.clear();
    }) << F::Url << I::NoSymbol;
    QTest::newRow("symbol and symbols") << changed(json, [](QuoteSource &s) { s.url += "&all={SYMBOLS}"; })
                                        << F::Url << I::SymbolTwice;
    QTest::newRow("batch size 201") << changed(full, [](QuoteSource &s) { s.batchSize = 201; })
                                    << F::BatchSize << I::OutOfRange;
    QTest::newRow("batch size 0") << changed(json, [](QuoteSource &s) { s.batchSize = 0; })
                                  << F::BatchSize << I::OutOfRange;
    QTest::newRow("separator of 9") << changed(full, [](QuoteSource &s) { s.separator += '+'; })
                                    << F::Separator << I::TooLong;
    QTest::newRow("no separator") << changed(json, [](QuoteSource &s) { s.separator.clear(); })
                                  << F::Separator << I::Missing;
    QTest::newRow("601 a minute") << changed(full, [](QuoteSource &s) { s.perMinute = 601; })
                                  << F::PerMinute << I::OutOfRange;
    QTest::newRow("-1 a minute") << changed(json, [](QuoteSource &s) { s.perMinute = -1; })
                                 << F::PerMinute << I::OutOfRange;
    QTest::newRow("no host") << changed(json, [](QuoteSource &s) { s.url = "https:///q/{SYMBOL}"; })
                             << F::Url << I::NotAnAddress;
    QTest::newRow("space in host") << changed(json, [](QuoteSource &s) { s.url = "https://api example.com/{SYMBOL}"; })
                                   << F::Url << I::NotAnAddress;
    QTest::newRow("page with a price") << changed(json, [](QuoteSource &s) { s.format = SourceFormat::Page; })
                                       << F::Price << I::NotUsed;
    QTest::newRow("no price") << changed(json, [](QuoteSource &s) { s.price.clear(); }) << F::Price << I::Missing;
    QTest::newRow("price not a place") << changed(json, [](QuoteSource &s) { s.price = "quote.last"; })
                                       << F::Price << I::NotJsonPlace;
    QTest::newRow("price path unsupported") << changed(json, [](QuoteSource &s) { s.price = "$..last"; })
                                            << F::Price << I::PathUnsupported;
    QTest::newRow("price column 0") << changed(csv, [](QuoteSource &s) { s.price = "0"; }) << F::Price << I::NotColumn;
    QTest::newRow("price pattern of two groups") << changed(json, [](QuoteSource &s) {
        s.format = SourceFormat::Text;
        s.price = R"((\d+)\.(\d+))";
    }) << F::Price << I::PatternNotOneGroup;
    QTest::newRow("match for json") << changed(json, [](QuoteSource &s) { s.match = "symbol"; }) << F::Match << I::NotUsed;
    QTest::newRow("match column 0") << changed(csv, [](QuoteSource &s) { s.match = "0"; }) << F::Match << I::NotColumn;
    QTest::newRow("fixed currency of two") << changed(json, [](QuoteSource &s) { s.currency = "=US"; })
                                           << F::Currency << I::NotFixedCurrency;
    QTest::newRow("currency place for page") << changed(json, [](QuoteSource &s) {
        s.format = SourceFormat::Page;
        s.price.clear();
        s.currency = "/currency";
    }) << F::Currency << I::NotUsed;
    QTest::newRow("currency not a place") << changed(json, [](QuoteSource &s) { s.currency = "USD"; })
                                          << F::Currency << I::NotJsonPlace;
    QTest::newRow("factor 0") << changed(json, [](QuoteSource &s) { s.factor = 0.0; }) << F::Factor << I::NotPositive;
    QTest::newRow("factor NaN") << changed(json, [](QuoteSource &s) { s.factor = std::nan(""); })
                                << F::Factor << I::NotPositive;
    QTest::newRow("pipe delimiter") << changed(csv, [](QuoteSource &s) { s.delimiter = '|'; })
                                    << F::Delimiter << I::UnknownValue;
    QTest::newRow("header name with space") << changed(csv, [](QuoteSource &s) { s.headers[0].name = "X Key"; })
                                            << F::Headers << I::HeaderName;
    QTest::newRow("Host header") << changed(csv, [](QuoteSource &s) { s.headers[0].name = "host"; })
                                 << F::Headers << I::HeaderHost;
    QTest::newRow("line break in header value")
        << changed(csv, [](QuoteSource &s) { s.headers[0].value = "a\r\nX-Evil: 1"; }) << F::Headers << I::HeaderValue;
    QTest::newRow("NUL in header value")
        << changed(csv, [](QuoteSource &s) { s.headers[0].value = QString("a") + QChar(0); }) << F::Headers << I::HeaderValue;
    QTest::newRow("header twice") << changed(csv, [](QuoteSource &s) { s.headers[1].name = "accept"; })
                                  << F::Headers << I::Duplicate;
    QTest::newRow("relative certificate") << changed(csv, [](QuoteSource &s) { s.certificate = "cours.pem"; })
                                          << F::Certificate << I::NotAbsolute;
    QTest::newRow("connections 0") << changed(csv, [](QuoteSource &s) { s.connections = 0; })
                                   << F::Connections << I::OutOfRange;
    QTest::newRow("connections 9") << changed(csv, [](QuoteSource &s) { s.connections = 9; })
                                   << F::Connections << I::OutOfRange;
}

void TestQuoteSource::checksSource()
{
    QFETCH(QuoteSource, source);
    QFETCH(SourceField, field);
    QFETCH(SourceIssue, issue);

    const SourceProblem problem = checkQuoteSource(source);
    QCOMPARE(problem.field, field);
    QCOMPARE(problem.issue, issue);
}

void TestQuoteSource::checksList()
{
    QList<QuoteSource> sources;
    for (int number = 1; number <= 20; ++number)
        sources.append(changed(jsonSource(), [number](QuoteSource &s) { s.name = QString("Source %1").arg(number); }));
    QVERIFY(checkQuoteSources(sources).ok());

    sources.append(changed(jsonSource(), [](QuoteSource &s) { s.name = "Source 21"; }));
    QCOMPARE(checkQuoteSources(sources), (SourceProblem{SourceField::Sources, SourceIssue::TooMany, -1, -1}));

    const QList<QuoteSource> twice{csvSource(), jsonSource(), changed(csvSource(), [](QuoteSource &s) { s.name = "COURS"; })};
    QCOMPARE(checkQuoteSources(twice), (SourceProblem{SourceField::Name, SourceIssue::Duplicate, -1, 2}));

    const QList<QuoteSource> broken{jsonSource(), changed(csvSource(), [](QuoteSource &s) { s.factor = -1; })};
    QCOMPARE(checkQuoteSources(broken), (SourceProblem{SourceField::Factor, SourceIssue::NotPositive, -1, 1}));
}

void TestQuoteSource::explainsProblems()
{
    QCOMPARE(sourceProblemText("Prices A", checkQuoteSource(changed(jsonSource(), [](QuoteSource &s) {
                 s.url = "http://api.example.com/{SYMBOL}";
             }))),
             "Prices A: url: must start with https://");
    QCOMPARE(sourceProblemText("Prices A", checkQuoteSource(changed(jsonSource(), [](QuoteSource &s) {
                 s.price = "$.quote[1:]";
             }))),
             "Prices A: price: uses JSONPath beyond names, indexes, [*] and [?@.name == 'text'] (at character 10)");
    QCOMPARE(sourceProblemText("Cours", checkQuoteSource(changed(csvSource(), [](QuoteSource &s) { s.connections = 12; }))),
             "Cours: connections: must be from 1 to 8");
    QCOMPARE(sourceProblemText("Cours", {SourceField::Headers, SourceIssue::TooLong, -1, -1}),
             "Cours: headers: holds a name or value longer than 500 characters");
    QCOMPARE(sourceProblemText("Cours", {SourceField::Headers, SourceIssue::TooMany, -1, -1}),
             "Cours: headers: more than 8");
    QCOMPARE(sourceProblemText("Cours", {}), QString());
}

QTEST_GUILESS_MAIN(TestQuoteSource)
#include "tst_quotesource.moc"
