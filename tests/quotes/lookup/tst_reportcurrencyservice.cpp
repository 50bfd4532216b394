#include "fakequoteservice.h"
#include "loopbackquoteserver.h"
#include "memorykeystore.h"
#include "sourcekeys.h"
#include "quotepage.h"
#include "ratelookup.h"
#include "reportcurrencyservice.h"
#include "transferworker.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// 1 EUR = 1.25 USD = 0.8 GBP: 1 GBP = 1.5625 USD.
const QByteArray kDocument = "<?xml version='1.0'?><Envelope><Cube><Cube time='2026-12-07'>"
                             "<Cube currency='USD' rate='1.25'/><Cube currency='GBP' rate='0.8'/>"
                             "</Cube></Cube></Envelope>";

} // namespace

class TestReportCurrencyService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsEachPrice_data();
    void convertsEachPrice();
};

void TestReportCurrencyService::convertsEachPrice_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("report");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("documents"); // rate documents fetched

    QTest::newRow("the report's own") << 100.0 << "USD" << "USD" << 100.0 << "" << 0;
    QTest::newRow("no currency: the report's") << 50.0 << "" << "EUR" << 50.0 << "" << 0;
    QTest::newRow("euro in dollars") << 80.0 << "EUR" << "USD" << 100.0 << "" << 1;
    QTest::newRow("pence in dollars") << 8512.0 << "GBp" << "USD" << 133.0 << "" << 1;
    QTest::newRow("pence in pounds") << 8512.0 << "GBp" << "GBP" << 85.12 << "" << 0;
    QTest::newRow("no rate") << 1000.0 << "JPY" << "USD" << 0.0 << "no exchange rate from JPY to USD" << 1;
}

void TestReportCurrencyService::convertsEachPrice()
{
    QFETCH(double, price);
    QFETCH(QString, currency);
    QFETCH(QString, report);
    QFETCH(double, expected);
    QFETCH(QString, reason);
    QFETCH(int, documents);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage document;
    document.body = kDocument;
    server.setTargetPage("/rates.xml", document);
    TransferSettings direct;
    direct.proxy = TransferProxy{};
    const auto worker = std::make_shared<TransferWorker>();
    RateSource source = builtInRateSource();
    source.url = "https://" + server.host() + "/rates.xml";
    source.certificate = server.authorityFile();
    MemoryKeyStore store;
    SourceKeys keys(store);
    auto prices = std::make_shared<FakeQuoteService>();
    prices->prices = {{"A", price}, {"B", price}};
    prices->currencies = {{"A", currency}, {"B", currency}};
    ReportCurrencyService service(prices, report,
                                  [&] { return std::make_unique<RateLookup>(QList{source}, keys, worker, direct); });

    // Two prices, one document at most.
    const std::unique_ptr<QuoteRequest> first = service.FetchQuotePrice(QStringLiteral("A"));
    const std::unique_ptr<QuoteRequest> second = service.FetchQuotePrice(QStringLiteral("B"));
    QTRY_VERIFY_WITH_TIMEOUT(first->isFinished() && second->isFinished(), 10000);
    for (const QuoteRequest *request : {first.get(), second.get()}) {
        QCOMPARE(request->result().price, expected);
        QCOMPARE(request->result().reason(), reason);
        QCOMPARE(request->result().reportCurrency, report);
    }
    QCOMPARE(server.requestCount(), documents);
}

QTEST_GUILESS_MAIN(TestReportCurrencyService)
#include "tst_reportcurrencyservice.moc"
