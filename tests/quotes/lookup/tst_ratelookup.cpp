#include "loopbackquoteserver.h"
#include "quotepage.h"
#include "memorykeystore.h"
#include "ratelookup.h"
#include "sourcekeys.h"
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

RateSource documentSource(const QString &name, const QString &url, const QString &certificate)
{
    RateSource source;
    source.name = name;
    source.url = url;
    source.format = SourceFormat::Reference;
    source.certificate = certificate;
    return source;
}

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

// Sources are asked in order: a source that fails is named with its
// reason; the document, fetched once, gives the pair it quotes, crossed
// through the euro, and the API after it is asked only for the other.
void TestRateLookup::asksEverySourceAtOnce()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage document;
    document.body = kDocument;
    server.setTargetPage("/rates.xml", document);
    QuotePage pair;
    pair.body = R"({"rate": 0.7})";
    server.setTargetPage("/fx/USD/CHF", pair);
    const QString base = "https://" + server.host();
    RateSource api = documentSource("Pairs", base + "/fx/{FROM}/{TO}", server.authorityFile());
    api.format = SourceFormat::Json;
    api.price = QStringLiteral("/rate");
    const QList<RateSource> sources{documentSource("Missing", base + "/none.xml", server.authorityFile()),
                                    documentSource("Reference", base + "/rates.xml", server.authorityFile()), api};
    MemoryKeyStore store;
    SourceKeys keys(store);
    RateLookup lookup(sources, keys, std::make_shared<TransferWorker>(), direct());

    lookup.ask(QStringLiteral("USD"), QStringLiteral("CHF"));
    lookup.ask(QStringLiteral("USD"), QStringLiteral("GBP"));
    QTRY_VERIFY_WITH_TIMEOUT(lookup.settled("USD", "CHF") && lookup.settled("USD", "GBP"), 10000);
    QCOMPARE(lookup.failures().size(), 1);
    QCOMPARE(lookup.failures().value(0).source, QStringLiteral("Missing"));
    QCOMPARE(lookup.rates().rate("USD", "CHF"), (ExchangeRate{0.7, "Pairs", QDate::currentDate(), false}));
    QCOMPARE(lookup.rates().rate("USD", "GBP"), (ExchangeRate{0.64, "Reference", QDate(2026, 12, 7), false}));
    QStringList paths = server.requestedPaths();
    paths.sort();
    QCOMPARE(paths, (QStringList{"/fx/USD/CHF", "/none.xml", "/rates.xml"}));
}

void TestRateLookup::stopEndsEveryFetch()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    MemoryKeyStore store;
    SourceKeys keys(store);
    RateLookup lookup({documentSource("Slow", "https://" + server.host() + "/rates.xml", server.authorityFile())},
                      keys, std::make_shared<TransferWorker>(), direct());
    QSignalSpy progressed(&lookup, &RateLookup::progressed);
    lookup.ask(QStringLiteral("USD"), QStringLiteral("GBP"));
    QTRY_COMPARE(server.requestCount(), 1);

    lookup.stop();
    QCOMPARE(progressed.size(), 1);
    QVERIFY(lookup.settled("USD", "GBP"));
    QCOMPARE(lookup.failures().value(0).failure, QuoteFailure::Stopped);
    QVERIFY(lookup.rates().isEmpty());
    QTRY_COMPARE(server.openConnections(), 0);
}

QTEST_GUILESS_MAIN(TestRateLookup)
#include "tst_ratelookup.moc"
