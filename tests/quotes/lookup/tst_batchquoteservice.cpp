// A source whose answers serve several symbols: how its symbols are split
// into requests, and each symbol's price read from its request's answer.
#include "batchquoteservice.h"
#include "loopbackquoteserver.h"
#include "memorykeystore.h"
#include "quotepage.h"
#include "sourcekeys.h"
#include "transferworker.h"

#include <QTest>

namespace {

QuoteSource batchSource(const QString &url, int batchSize = 20)
{
    QuoteSource source;
    source.name = QStringLiteral("Batch");
    source.url = url;
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("$.quotes[?@.symbol == '{SYMBOL}'].last");
    source.batchSize = batchSize;
    return source;
}

} // namespace

class TestBatchQuoteService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsIntoRequests_data();
    void splitsIntoRequests();
    void readsEachSymbolFromItsAnswer_data();
    void readsEachSymbolFromItsAnswer();
};

void TestBatchQuoteService::splitsIntoRequests_data()
{
    QTest::addColumn<QuoteSource>("source");
    QTest::addColumn<QStringList>("symbols");
    QTest::addColumn<QList<QStringList>>("batches");

    const QuoteSource two = batchSource("https://q.example/q?s={SYMBOLS}", 2);
    QTest::newRow("two a request") << two << QStringList{"A", "B", "C", "D", "E"}
                                   << QList<QStringList>{{"A", "B"}, {"C", "D"}, {"E"}};
    QTest::newRow("a symbol twice, asked once") << two << QStringList{"A", "B", "A"}
                                                << QList<QStringList>{{"A", "B"}};
    QTest::newRow("none") << two << QStringList{} << QList<QStringList>{};
    QTest::newRow("one answer for all") << batchSource("https://q.example/all.json") << QStringList{"A", "B", "C"}
                                        << QList<QStringList>{{"A", "B", "C"}};
    // 25 + 3 x 2,600 = 7,825 characters fit; a fourth symbol would pass 8,000.
    const QString long1(2599, u'a');
    const QString long2(2599, u'b');
    const QString long3(2599, u'c');
    const QString long4(2599, u'd');
    QTest::newRow("split at the address's length")
        << batchSource("https://q.example/q?s={SYMBOLS}", 200) << QStringList{long1, long2, long3, long4}
        << QList<QStringList>{{long1, long2, long3}, {long4}};
}

void TestBatchQuoteService::splitsIntoRequests()
{
    QFETCH(QuoteSource, source);
    QFETCH(QStringList, symbols);
    QFETCH(QList<QStringList>, batches);
    QCOMPARE(sourceBatches(source, symbols, QString()), batches);
}

void TestBatchQuoteService::readsEachSymbolFromItsAnswer_data()
{
    QTest::addColumn<QString>("path");       // the source's address after its host
    QTest::addColumn<QByteArray>("target");  // what the server is asked
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QStringList>("reasons"); // for VTI, BND and NOPE; empty when priced

    const QStringList lastMissing{"", "", "not in the answer"};
    QTest::newRow("json, reordered, one missing")
        << "/q?s={SYMBOLS}" << QByteArray("/q?s=VTI,BND%2BX,NOPE")
        << QByteArray(R"({"quotes": [{"symbol": "BND+X", "last": 72.5}, {"symbol": "VTI", "last": 250}]})")
        << "json" << "$.quotes[?@.symbol == '{SYMBOL}'].last" << "" << lastMissing;
    QTest::newRow("csv, one answer for all")
        << "/all.csv" << QByteArray("/all.csv") << QByteArray("symbol,last\nNOPF,1\nBND+X,72.5\nVTI,250\n") << "csv"
        << "last" << "symbol" << lastMissing;
    QTest::newRow("text, the symbol a literal")
        << "/all.txt" << QByteArray("/all.txt") << QByteArray("VTI=250;BND+X=72.5;NOPEX=3") << "text"
        << "{SYMBOL}=([0-9.]+)" << "" << lastMissing;
    QTest::newRow("empty answer") << "/q?s={SYMBOLS}" << QByteArray("/q?s=VTI,BND%2BX,NOPE") << QByteArray()
                                  << "json" << "$.quotes[?@.symbol == '{SYMBOL}'].last" << ""
                                  << QStringList{"no price in the answer", "no price in the answer", "no price in the answer"};
}

// One request for the three symbols, each priced from it or told why not.
void TestBatchQuoteService::readsEachSymbolFromItsAnswer()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, answer);
    QFETCH(QString, format);
    QFETCH(QString, price);
    QFETCH(QString, match);
    QFETCH(QStringList, reasons);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page;
    page.body = answer;
    server.setTargetPage(target, page);
    QuoteSource source = batchSource("https://" + server.host() + path);
    source.format = *sourceFormatNamed(format);
    source.price = price;
    source.match = match;
    source.certificate = server.authorityFile();
    MemoryKeyStore store;
    SourceKeys keys(store);
    BatchQuoteService service(source, keys, server.clientSettings(), std::make_shared<TransferWorker>());

    std::vector<std::unique_ptr<QuoteRequest>> requests;
    for (const QString symbol : {"VTI", "BND+X", "NOPE"})
        requests.push_back(service.FetchQuotePrice(symbol));
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(requests.begin(), requests.end(), [](const auto &r) { return r->isFinished(); }),
                             10000);
    QCOMPARE(server.requestCount(), 1);
    const QList<double> prices{250, 72.5, 0};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(requests[i]->result().reason(), reasons[i]);
        QCOMPARE(requests[i]->result().price, reasons[i].isEmpty() ? prices[i] : 0.0);
    }
}

QTEST_GUILESS_MAIN(TestBatchQuoteService)
#include "tst_batchquoteservice.moc"
