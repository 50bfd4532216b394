#include "failoverquoteservice.h"
#include "fakequoteservice.h"
#include "loopbackquoteserver.h"
#include "quotepage.h"
#include "memorykeystore.h"
#include "sourcekeys.h"
#include "sourcequoteservice.h"
#include "transferworker.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>
#include <vector>

namespace {

TransferSettings direct()
{
    TransferSettings base;
    base.proxy = TransferProxy{};
    return base;
}

// A port on 127.0.0.1 that nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QuoteSource textSource(const QString &name, const QString &host, const QString &certificate)
{
    QuoteSource source;
    source.name = name;
    source.url = QStringLiteral("https://%1/q/{SYMBOL}").arg(host);
    source.format = SourceFormat::Text;
    source.price = QStringLiteral("price ([0-9.]+)");
    source.certificate = certificate;
    return source;
}

QuotePage answer(const QByteArray &body)
{
    QuotePage page;
    page.body = body;
    return page;
}

bool waitFor(QuoteRequest &request)
{
    QSignalSpy finished(&request, &QuoteRequest::finished);
    return request.isFinished() || finished.wait(20000);
}

QuoteResult attemptsFailed(QuoteFailure last, const QList<QuoteAttempt> &attempts, int httpStatus = 0)
{
    QuoteResult result = QuoteResult::failed(last, httpStatus);
    result.attempts = attempts;
    return result;
}

} // namespace

class TestFailoverQuoteService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void passesToNextSource_data();
    void passesToNextSource();
    void pricesSymbolsInParallel();
    void stoppedIsNotPassedOn();
    void cancelStopsOnce();
    void noSourcesFailsAsTold();

private:
    MemoryKeyStore m_store;
    SourceKeys m_keys{m_store};
    const std::shared_ptr<TransferWorker> m_worker = std::make_shared<TransferWorker>();
    LoopbackQuoteServer m_empty;   // answers without a price
    LoopbackQuoteServer m_prices;  // prices VTI and BND
    std::shared_ptr<QuoteService> m_refused;
    std::shared_ptr<QuoteService> m_noPrice;
    std::shared_ptr<QuoteService> m_pricing;
};

void TestFailoverQuoteService::initTestCase()
{
    QVERIFY(m_empty.start());
    QVERIFY(m_prices.start());
    for (const char *symbol : {"VTI", "BND"})
        m_empty.setTargetPage(QByteArray("/q/") + symbol, answer("closed for the day"));
    m_prices.setTargetPage("/q/VTI", answer("price 251.5"));
    m_prices.setTargetPage("/q/BND", answer("price 72.25"));
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(closedPort());
    m_refused = std::make_shared<SourceQuoteService>(textSource("A", closed, m_empty.authorityFile()), m_keys, direct(), m_worker);
    m_noPrice = std::make_shared<SourceQuoteService>(textSource("B", m_empty.host(), m_empty.authorityFile()),
                                                     m_keys, direct(), m_worker);
    m_pricing = std::make_shared<SourceQuoteService>(textSource("C", m_prices.host(), m_prices.authorityFile()),
                                                     m_keys, direct(), m_worker);
}

void TestFailoverQuoteService::passesToNextSource_data()
{
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QuoteResult>("expected");
    QTest::addColumn<QString>("reason");

    QuoteResult fromC = QuoteResult::withPrice(251.5);
    fromC.source = QStringLiteral("C");
    QTest::newRow("refused, no price, priced") << QStringList{"A", "B", "C"} << "VTI" << fromC << "";
    QTest::newRow("priced first: no other asked") << QStringList{"C", "A", "B"} << "VTI" << fromC << "";
    QTest::newRow("none prices")
        << QStringList{"A", "B", "C"} << "NOPE"
        << attemptsFailed(QuoteFailure::NoQuotePage,
                          {{"A", QuoteFailure::ConnectionRefused, 0},
                           {"B", QuoteFailure::NoQuotePage, 404},
                           {"C", QuoteFailure::NoQuotePage, 404}},
                          404)
        << "A: connection refused; B: no quote page for this symbol (HTTP 404); "
           "C: no quote page for this symbol (HTTP 404)";
    QTest::newRow("one source: today's reason")
        << QStringList{"B"} << "VTI" << QuoteResult::failed(QuoteFailure::NoPriceInAnswer) << "no price in the answer";
}

void TestFailoverQuoteService::passesToNextSource()
{
    QFETCH(QStringList, order);
    QFETCH(QString, symbol);
    QFETCH(QuoteResult, expected);
    QFETCH(QString, reason);

    const QHash<QString, std::shared_ptr<QuoteService>> named{{"A", m_refused}, {"B", m_noPrice}, {"C", m_pricing}};
    QList<NamedQuoteService> sources;
    for (const QString &name : order)
        sources << NamedQuoteService{name, named.value(name)};
    FailoverQuoteService service(sources);
    const int emptyAsked = m_empty.requestCount();

    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(symbol);
    QVERIFY(waitFor(*request));
    QuoteResult result = request->result();
    result.source = expected.priced() ? result.source : QString(); // the readers name a failing source too
    result.fetched = {};
    QCOMPARE(result, expected);
    QCOMPARE(request->result().reason(), reason);
    QCOMPARE(m_empty.requestCount() - emptyAsked, int(order.indexOf("B") >= 0 && order.first() != "C"));
}

// Each symbol goes through the sources on its own: two symbols reach the
// pricing source together, each on a connection of its own.
void TestFailoverQuoteService::pricesSymbolsInParallel()
{
    LoopbackQuoteServer slow;
    QVERIFY(slow.start());
    slow.setResponseDelay(std::chrono::milliseconds(300));
    slow.setTargetPage("/q/VTI", answer("price 1.25"));
    slow.setTargetPage("/q/BND", answer("price 2.5"));
    FailoverQuoteService service({{"A", m_refused},
                                  {"S", std::make_shared<SourceQuoteService>(
                                            textSource("S", slow.host(), slow.authorityFile()), m_keys, direct(), m_worker)}});
    const std::unique_ptr<QuoteRequest> first = service.FetchQuotePrice(QStringLiteral("VTI"));
    const std::unique_ptr<QuoteRequest> second = service.FetchQuotePrice(QStringLiteral("BND"));
    QVERIFY(waitFor(*first));
    QVERIFY(waitFor(*second));
    QCOMPARE(first->result().price, 1.25);
    QCOMPARE(second->result().price, 2.5);
    QCOMPARE(slow.mostOpenConnections(), 2);
}

void TestFailoverQuoteService::stoppedIsNotPassedOn()
{
    FakeQuoteService first;
    first.hold = true;
    FakeQuoteService second;
    second.prices.insert(QStringLiteral("VTI"), 10.0);
    FailoverQuoteService service({{"First", borrowedService(first)}, {"Second", borrowedService(second)}});

    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(QStringLiteral("VTI"));
    QCOMPARE(first.held.size(), 1);
    first.held.at(0)->settle(QuoteResult::stopped());
    QVERIFY(waitFor(*request));
    QCOMPARE(request->result(), QuoteResult::stopped());
    QCOMPARE(second.requested, QStringList());
}

void TestFailoverQuoteService::cancelStopsOnce()
{
    FakeQuoteService first;
    first.hold = true;
    FakeQuoteService second;
    FailoverQuoteService service({{"First", borrowedService(first)}, {"Second", borrowedService(second)}});

    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(QStringLiteral("VTI"));
    QSignalSpy finished(request.get(), &QuoteRequest::finished);
    request->cancel();
    request->cancel();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(request->result(), QuoteResult::stopped());
    // The attempt under way was dropped with it, and no later source asked.
    QVERIFY(first.held.at(0).isNull());
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(second.requested, QStringList());
}

void TestFailoverQuoteService::noSourcesFailsAsTold()
{
    FailoverQuoteService service({}, QuoteFailure::SourcesRefused);
    const std::unique_ptr<QuoteRequest> stock = service.FetchQuotePrice(QStringLiteral("VTI"));
    QVERIFY(waitFor(*stock));
    QCOMPARE(stock->result(), QuoteResult::failed(QuoteFailure::SourcesRefused));
}

QTEST_GUILESS_MAIN(TestFailoverQuoteService)
#include "tst_failoverquoteservice.moc"
