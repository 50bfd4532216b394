#include "loopbackquoteserver.h"
#include "sourcetest.h"
#include "transferworker.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kWaitMs = 20000;

TransferSettings direct()
{
    TransferSettings base;
    base.proxy = TransferProxy{};
    return base;
}

} // namespace

class TestSourceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsAnswer_data();
    void reportsAnswer();
    void stops();
};

void TestSourceTest::reportsAnswer_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<QString>("text");

    QTest::newRow("priced") << QByteArray(R"({"last": "12.5", "ccy": "CHF"})") << true
                            << "Price: 12.5 (CHF)\nFound \"12.5\" at $['last'], in:\n"
                               "{\n    \"ccy\": \"CHF\",\n    \"last\": \"12.5\"\n}\n";
    QTest::newRow("not found") << QByteArray(R"({"error": "unknown symbol"})") << false
                               << "No price: nothing at the price's place.\nThe answer starts:\n"
                                  "{\"error\": \"unknown symbol\"}";
}

void TestSourceTest::reportsAnswer()
{
    QFETCH(QByteArray, body);
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page;
    page.body = body;
    server.setTargetPage("/v1/q?s=NESN&k=t0k", page);
    QuoteSource source;
    source.name = "Loopback";
    source.url = "https://" + server.host() + "/v1/q?s={SYMBOL}&k={KEY}";
    source.format = SourceFormat::Json;
    source.price = "/last";
    source.currency = "/ccy";
    source.certificate = server.authorityFile();
    SourceTest test(SourceTestTransfers{std::make_shared<TransferWorker>(), direct()});
    QSignalSpy finished(&test, &SourceTest::finished);

    test.start(source, "t0k", "NESN");

    QVERIFY(test.isRunning());
    QVERIFY(finished.wait(kWaitMs));
    QCOMPARE(finished.count(), 1);
    const auto report = finished.at(0).at(0).value<SourceTestReport>();
    QTEST(report.priced, "priced");
    QTEST(report.text, "text");
    QVERIFY(!test.isRunning());
}

void TestSourceTest::stops()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    QuoteSource source;
    source.name = "Loopback";
    source.url = "https://" + server.host() + "/q/{SYMBOL}";
    source.format = SourceFormat::Text;
    source.price = "([0-9.]+)";
    source.certificate = server.authorityFile();
    SourceTest test(SourceTestTransfers{std::make_shared<TransferWorker>(), direct()});
    QSignalSpy finished(&test, &SourceTest::finished);
    test.start(source, {}, "VTI");
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, kWaitMs);

    test.stop();

    QCOMPARE(finished.count(), 1);
    const auto report = finished.at(0).at(0).value<SourceTestReport>();
    QCOMPARE(report.priced, false);
    QCOMPARE(report.text, QStringLiteral("No price: stopped."));
    QVERIFY(!test.isRunning());
}

QTEST_GUILESS_MAIN(TestSourceTest)
#include "tst_sourcetest.moc"
