// The sources that come with the program: each passes the checks and prices
// an answer shaped as its provider's documentation shows one.
#include "quotesource.h"
#include "ratesource.h"
#include "readymadesources.h"
#include "sourceaddress.h"
#include "sourceanswerreader.h"

#include <QFile>
#include <QTest>

#include <algorithm>

class TestReadyMadeSources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void areUsableAsTheyAre();
    void priceTheirDocumentedAnswer_data();
    void priceTheirDocumentedAnswer();
};

void TestReadyMadeSources::areUsableAsTheyAre()
{
    const SourcesFileRead built = ReadyMadeSources::read();
    QVERIFY2(built.problem.ok(), qPrintable(sourcesFileProblemText(QStringLiteral("built in"), built.problem)));
    QVERIFY(built.sources.size() >= 5);
    QVERIFY(!built.rates.isEmpty());
    for (const QuoteSource &source : built.sources + built.rates) {
        const SourceNote note = built.notes.value(source.name);
        QVERIFY2(!note.note.isEmpty() && !note.documentation.isEmpty(), qPrintable(source.name));
    }
    // The installed file is the same, read the way FUNDTALLY_QUOTE_SOURCES reads it.
    const SourcesFileRead installed = readSourcesFile(QStringLiteral(FUNDTALLY_READY_MADE_FILE));
    QVERIFY(installed.problem.ok());
    QCOMPARE(installed.sources, built.sources);
    QCOMPARE(installed.rates, built.rates);
}

void TestReadyMadeSources::priceTheirDocumentedAnswer_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("fixture");    // the documentation's example answer
    QTest::addColumn<QString>("symbol");     // a rate source's pair as one word
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("currency");

    // https://finnhub.io/docs/api/quote
    QTest::newRow("Finnhub") << "Finnhub" << "finnhub-quote.json" << "AAPL" << 261.74 << "USD";
    // https://twelvedata.com/docs#quote
    QTest::newRow("Twelve Data") << "Twelve Data" << "twelvedata-quote.json" << "AAPL" << 148.85001 << "USD";
    // https://www.tiingo.com/documentation/iex: one answer for several tickers
    QTest::newRow("Tiingo") << "Tiingo" << "tiingo-iex.json" << "AAPL" << 162.33 << "USD";
    // https://www.alphavantage.co/documentation/#latestprice
    QTest::newRow("Alpha Vantage") << "Alpha Vantage" << "alphavantage-global-quote.json" << "IBM" << 144.34 << "USD";
    // https://site.financialmodelingprep.com/developer/docs/stable/quote
    QTest::newRow("Financial Modeling Prep") << "Financial Modeling Prep" << "fmp-quote.json" << "AAPL" << 232.8 << "USD";
    // https://polygon.io/docs/stocks/get_v2_aggs_ticker__stocksticker__prev
    QTest::newRow("Polygon") << "Polygon" << "polygon-prev.json" << "AAPL" << 115.97 << "USD";
    // https://frankfurter.dev/
    QTest::newRow("Frankfurter") << "Frankfurter" << "frankfurter-latest.json" << "EURUSD" << 1.0412 << "";
    // https://www.alphavantage.co/documentation/#currency-exchange
    QTest::newRow("Alpha Vantage rates")
        << "Alpha Vantage rates" << "alphavantage-exchange-rate.json" << "USDJPY" << 151.412 << "";
}

void TestReadyMadeSources::priceTheirDocumentedAnswer()
{
    QFETCH(QString, source);
    QFETCH(QString, fixture);
    QFETCH(QString, symbol);
    QFETCH(double, price);
    QFETCH(QString, currency);

    const SourcesFileRead built = ReadyMadeSources::read();
    const QList<QuoteSource> all = built.sources + built.rates;
    const auto found = std::find_if(all.begin(), all.end(), [&](const QuoteSource &each) { return each.name == source; });
    QVERIFY(found != all.end());
    const QuoteSource asked = sourceAskedFor(*found, symbol);

    const bool batch = urlTemplateUse(asked.url).symbols;
    const SourceAddress formed = batch ? batchAddress(asked, {"SPY", symbol}, QStringLiteral("K3Y"))
                                       : sourceAddress(asked, symbol, QStringLiteral("K3Y"));
    QCOMPARE(formed.problem, SourceAddressProblem::None);

    QFile answer(QStringLiteral(FUNDTALLY_READY_MADE_ANSWERS "/") + fixture);
    QVERIFY(answer.open(QIODevice::ReadOnly));
    PageFacts facts;
    facts.httpStatus = 200;
    const QuoteResult result = sourceAnswerResult(asked, symbol, answer.readAll(), false, facts,
                                                  batch ? AnswerFor::SeveralSymbols : AnswerFor::OneSymbol);
    QVERIFY2(result.priced(), qPrintable(result.reason()));
    QCOMPARE(result.price, price);
    QCOMPARE(result.currency, currency);
}

QTEST_GUILESS_MAIN(TestReadyMadeSources)
#include "tst_readymadesources.moc"
