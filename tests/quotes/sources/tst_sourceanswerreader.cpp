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

QuoteResult failed(QuoteFailure failure, int httpStatus = 0)
{
    QuoteResult result = QuoteResult::failed(failure, httpStatus);
    result.source = "Prices A";
    return result;
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
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<PageFacts>("facts");
    QTest::addColumn<QuoteResult>("result");

    const QByteArray good = R"({"last": "245.87", "ccy": "USD"})";
    const QByteArray empty = R"({"error": "unknown symbol"})";
    QTest::newRow("priced") << good << status(200) << priced(245.87, "USD", "Prices A");
    QTest::newRow("priced despite an error status") << good << status(500) << priced(245.87, "USD", "Prices A");
    QTest::newRow("no price") << empty << status(200) << failed(QuoteFailure::NoPriceOnPage);
    QTest::newRow("404") << empty << status(404) << failed(QuoteFailure::NoQuotePage, 404);
    QTest::newRow("429") << empty << status(429) << failed(QuoteFailure::RateLimited, 429);
    QTest::newRow("503 with Retry-After") << empty << status(503, "30") << failed(QuoteFailure::RateLimited, 503);
    QTest::newRow("500") << empty << status(500) << failed(QuoteFailure::NoPriceOnPage, 500);
    PageFacts timedOut = status(0);
    timedOut.failure = QuoteFailure::TimedOut;
    QTest::newRow("transfer failed") << good << timedOut << failed(QuoteFailure::TimedOut);
}

void TestSourcePageReader::pricesAnswers()
{
    QFETCH(QByteArray, body);
    QFETCH(PageFacts, facts);
    QFETCH(QuoteResult, result);

    const std::unique_ptr<PageReader> reader = makePageReader(jsonSource(), "VTI");
    // Pieces of any size make the same answer.
    for (qsizetype at = 0; at < body.size(); at += 5)
        QCOMPARE(reader->append(QByteArrayView(body).sliced(at, std::min<qsizetype>(5, body.size() - at))),
                 PageReader::Take::More);
    QCOMPARE(reader->result(facts), result);
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
