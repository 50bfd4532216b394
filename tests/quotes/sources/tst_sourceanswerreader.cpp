#include "answerlimits.h"
#include "sourceanswerreader.h"

#include <QTest>

namespace {

QuoteSource jsonSource()
{
    QuoteSource source;
    source.name = "Prices A";
    source.url = "https://api.example.com/v1/{SYMBOL}";
    source.format = SourceFormat::Json;
    source.price = "/last";
    source.currency = "/ccy";
    return source;
}

PageFacts status(int httpStatus, const QByteArray &retryAfter = {})
{
    PageFacts facts;
    facts.httpStatus = httpStatus;
    facts.retryAfter = retryAfter;
    return facts;
}

QuoteResult priced(double price, const QString &currency, const QString &source)
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.currency = currency;
    result.source = source;
    return result;
}

QuoteResult failed(QuoteFailure failure, int httpStatus = 0, qint64 limit = 0)
{
    QuoteResult result = QuoteResult::failed(failure, httpStatus);
    result.source = "Prices A";
    result.limit = limit;
    return result;
}

QuoteSource csvSource(const QString &url)
{
    QuoteSource source = jsonSource();
    source.url = url;
    source.format = SourceFormat::Csv;
    source.price = "Close";
    source.match = "Symbol";
    source.currency.clear();
    return source;
}

} // namespace

class TestSourcePageReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pricesAnswers_data();
    void pricesAnswers();
    void keepsBodyUpToLimit();
    void readsQuotePagesAsBefore();
};

void TestSourcePageReader::pricesAnswers_data()
{
    QTest::addColumn<QuoteSource>("source");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<PageFacts>("facts");
    QTest::addColumn<QuoteResult>("result");
    QTest::addColumn<QString>("reason");

    const QuoteSource json = jsonSource();
    const QByteArray good = R"({"last": "245.87", "ccy": "USD"})";
    const QByteArray empty = R"({"error": "unknown symbol"})";
    using F = QuoteFailure;
    QTest::newRow("priced") << json << good << status(200) << priced(245.87, "USD", "Prices A") << "";
    QTest::newRow("priced despite an error status")
        << json << good << status(500) << priced(245.87, "USD", "Prices A") << "";
    QTest::newRow("no price") << json << empty << status(200) << failed(F::NoPriceInAnswer)
                              << "no price in the answer";
    QTest::newRow("400") << json << empty << status(400) << failed(F::NoPriceInAnswer, 400)
                         << "no price in the answer (HTTP 400)";
    QTest::newRow("401") << json << empty << status(401) << failed(F::NotAuthorised, 401)
                         << "not authorised (HTTP 401): check the API key";
    QTest::newRow("404") << json << empty << status(404) << failed(F::NoQuotePage, 404)
                         << "no quote page for this symbol (HTTP 404)";
    // One file for every symbol: its 404 is the source's, not the symbol's.
    QTest::newRow("404, address without the symbol")
        << csvSource("https://data.example.org/all.csv") << QByteArray("gone") << status(404)
        << failed(F::AddressNotFound, 404) << "the source's address was not found (HTTP 404)";
    QTest::newRow("429") << json << empty << status(429) << failed(F::RateLimited, 429)
                         << "rate limited (HTTP 429)";
    QTest::newRow("503 with Retry-After")
        << json << empty << status(503, "30") << failed(F::RateLimited, 503) << "rate limited (HTTP 503)";
    QTest::newRow("500") << json << empty << status(500) << failed(F::SourceFailed, 500)
                         << "the source failed (HTTP 500)";
    QTest::newRow("nested too deep") << json << QByteArray(65, '[') + QByteArray(65, ']') << status(200)
                                     << failed(F::AnswerTooDeep, 0, 64)
                                     << "the answer is nested deeper than 64 levels";
    QTest::newRow("too many rows") << csvSource("https://data.example.org/all.csv")
                                   << "Symbol,Close\n" + QByteArray("AAA,1\n").repeated(100'000) << status(200)
                                   << failed(F::AnswerTooManyRows, 0, 100'000)
                                   << "the answer has more than 100,000 rows";
    QTest::newRow("line too long") << csvSource("https://data.example.org/all.csv")
                                   << "Symbol,Close\n" + QByteArray(1024 * 1024 + 1, 'a') << status(200)
                                   << failed(F::AnswerLineTooLong, 0, 1024 * 1024)
                                   << "a line of the answer is longer than 1 MiB";
    PageFacts timedOut = status(0);
    timedOut.failure = QuoteFailure::TimedOut;
    QTest::newRow("transfer failed") << json << good << timedOut << failed(F::TimedOut) << "timed out";
}

void TestSourcePageReader::pricesAnswers()
{
    QFETCH(QuoteSource, source);
    QFETCH(QByteArray, body);
    QFETCH(PageFacts, facts);
    QFETCH(QuoteResult, result);

    const std::unique_ptr<PageReader> reader = makePageReader(source, "VTI");
    // Pieces of any size make the same answer.
    for (qsizetype at = 0; at < body.size(); at += 5)
        QCOMPARE(reader->append(QByteArrayView(body).sliced(at, std::min<qsizetype>(5, body.size() - at))),
                 PageReader::Take::More);
    const QuoteResult read = reader->result(facts);
    QCOMPARE(read, result);
    QTEST(read.reason(), "reason");
}

void TestSourcePageReader::keepsBodyUpToLimit()
{
    // A JSON answer of exactly the limit: the price and spaces after it.
    const QByteArray value = R"({"last": 12.5})";
    const QByteArray atLimit = value + QByteArray(AnswerLimits::kMaxBodyBytes - value.size(), ' ');
    SourceAnswerReader whole(jsonSource(), "VTI");
    QCOMPARE(whole.append(atLimit.first(1000)), PageReader::Take::More);
    QCOMPARE(whole.append(QByteArrayView(atLimit).sliced(1000)), PageReader::Take::More);
    QCOMPARE(whole.result(status(200)), priced(12.5, QString(), "Prices A"));

    SourceAnswerReader over(jsonSource(), "VTI");
    QCOMPARE(over.append(atLimit), PageReader::Take::More);
    QCOMPARE(over.append(" "), PageReader::Take::TooLarge);
    QCOMPARE(over.result(status(200)), failed(QuoteFailure::PageTooLarge));
}

void TestSourcePageReader::readsQuotePagesAsBefore()
{
    QuoteSource page = jsonSource();
    page.format = SourceFormat::Page;
    page.price.clear();
    page.currency = "=USD";
    const std::unique_ptr<PageReader> reader = makePageReader(page, "VTI");
    QVERIFY(dynamic_cast<SourceAnswerReader *>(reader.get()) == nullptr);
    const QByteArray body = "1\n2\n3\n4\n<!-- react-text: 36 -->VTI<!-- react-text: 36 -->245.87<\n6\n";
    QCOMPARE(reader->append(body), PageReader::Take::Enough);
    QCOMPARE(reader->result(status(200)), priced(245.87, "USD", "Prices A"));

    const std::unique_ptr<PageReader> missing = makePageReader(page, "VTI");
    QCOMPARE(missing->append("no price\n"), PageReader::Take::More);
    QCOMPARE(missing->result(status(404)), failed(QuoteFailure::NoQuotePage, 404));
}

QTEST_GUILESS_MAIN(TestSourcePageReader)
#include "tst_sourceanswerreader.moc"
