#include "loopbackquoteserver.h"
#include "quotepage.h"
#include "ratelookup.h"
#include "transferworker.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {

// 1 EUR = 1.25 USD = 0.8 GBP: 1 USD = 0.64 GBP.
const QByteArray kDocument = "<?xml version='1.0'?><gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
                             "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'><Cube>"
                             "<Cube time='2026-12-07'><Cube currency='USD' rate='1.25'/>"
                             "<Cube currency='GBP' rate='0.8'/></Cube></Cube></gesmes:Envelope>";

TransferSettings direct()
{
    TransferSettings settings;
    settings.proxy = TransferProxy{};
    return settings;
}

} // namespace

class TestRateLookup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void asksEverySourceAtOnce();
    void stopEndsEveryFetch();
};

// A source that fails is named with its reason; the next one's rates are
// today's, crossed through the euro.
void TestRateLookup::asksEverySourceAtOnce()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage document;
    document.body = kDocument;
    server.setTargetPage("/rates.xml", document);
    const QString base = "https://" + server.host();
    const QList<RateSource> sources{{"Missing", base + "/none.xml", server.authorityFile()},
                                    {"Reference", base + "/rates.xml", server.authorityFile()}};
    RateLookup lookup(sources, std::make_shared<TransferWorker>(), direct());
    QSignalSpy finished(&lookup, &RateLookup::finished);

    lookup.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(lookup.failures().size(), 1);
    QCOMPARE(lookup.failures().value(0).source, QStringLiteral("Missing"));
    const std::optional<ExchangeRate> rate = lookup.rates().rate(QStringLiteral("USD"), QStringLiteral("GBP"));
    QVERIFY(rate);
    QCOMPARE(*rate, (ExchangeRate{0.64, QStringLiteral("Reference"), QDate(2026, 12, 7), false}));
}

void TestRateLookup::stopEndsEveryFetch()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    RateLookup lookup({{"Slow", "https://" + server.host() + "/rates.xml", server.authorityFile()}},
                      std::make_shared<TransferWorker>(), direct());
    QSignalSpy finished(&lookup, &RateLookup::finished);
    lookup.start();
    QTRY_COMPARE(server.requestCount(), 1);

    lookup.stop();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(lookup.failures().value(0).failure, QuoteFailure::Stopped);
    QVERIFY(lookup.rates().isEmpty());
    QTRY_COMPARE(server.openConnections(), 0);
}

QTEST_GUILESS_MAIN(TestRateLookup)
#include "tst_ratelookup.moc"
