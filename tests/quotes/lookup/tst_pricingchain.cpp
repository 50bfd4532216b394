#include "loopbackquoteserver.h"
#include "memorykeystore.h"
#include "quotepage.h"
#include "pricememory.h"
#include "pricingchain.h"
#include "quoteservice.h"
#include "quotesourcestore.h"
#include "sourcekeys.h"
#include "transferworker.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPricingChain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsKeysOnFirstLookup();
    void tellsEachProblemOnce();
    void pricesInTheReportCurrency();
};

namespace {

QuoteSource keyedSource(const QString &name)
{
    QuoteSource source;
    source.name = name;
    source.url = QStringLiteral("https://127.0.0.1:1/q/{SYMBOL}?k={KEY}");
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("/last");
    return source;
}

} // namespace

// Most starts price nothing, and a keyring may ask for its password: the
// chain reads a source's key when a lookup first needs it, once.
void TestPricingChain::readsKeysOnFirstLookup()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    QCOMPARE(QuoteSourceStore::write(settings, {keyedSource(QStringLiteral("A"))}), QString());
    MemoryKeyStore store;
    store.keys.insert(QStringLiteral("A"), QStringLiteral("k"));
    SourceKeys keys(store);
    PriceMemory prices(settings, dir.filePath(QStringLiteral("prices.json")));

    const PricingChain chain =
        buildPricingChain(settings, {}, keys, prices, std::make_shared<TransferWorker>());
    QCOMPARE(chain.sources.sources.size(), 1);
    QCOMPARE(store.reads, 0);
    const auto first = chain.service->FetchQuotePrice(QStringLiteral("VTI"));
    const auto second = chain.service->FetchQuotePrice(QStringLiteral("BND"));
    QSignalSpy finished(second.get(), &QuoteRequest::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(store.reads, 1);
    // Asked with the key, the closed port refused it: the key was no problem.
    QCOMPARE(second->result().failure, QuoteFailure::ConnectionRefused);
}

void TestPricingChain::tellsEachProblemOnce()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    QCOMPARE(QuoteSourceStore::write(settings, {keyedSource(QStringLiteral("A"))}), QString());
    settings.setValue(QStringLiteral("QuoteSources/1/format"), QStringLiteral("colour"));
    MemoryKeyStore store;
    SourceKeys keys(store);
    PriceMemory prices(settings, dir.filePath(QStringLiteral("prices.json")));

    const PricingChain chain =
        buildPricingChain(settings, {}, keys, prices, std::make_shared<TransferWorker>());
    QCOMPARE(chain.problems().size(), 1);
    QVERIFY2(chain.problems().join(u' ').contains(QStringLiteral("format")), qPrintable(chain.problems().join(u' ')));
    QVERIFY(chain.sources.message.isEmpty());
}

// A sources file's rate source converts a price given in euros; the price
// itself is kept as given.
void TestPricingChain::pricesInTheReportCurrency()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage answer;
    answer.body = R"({"last": 80, "ccy": "EUR"})";
    server.setTargetPage("/q/IWDA", answer);
    QuotePage document;
    document.body = "<Envelope><Cube><Cube time='2026-12-07'><Cube currency='USD' rate='1.25'/></Cube></Cube>"
                    "</Envelope>";
    server.setTargetPage("/rates.xml", document);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sources.json"));
    const QString site = "https://" + server.host();
    QFile sources(file);
    QVERIFY(sources.open(QIODevice::WriteOnly));
    sources.write(QStringLiteral(R"({"sources": [{"name": "A", "url": "%1/q/{SYMBOL}", "format": "json",
        "price": "/last", "currency": "/ccy", "certificate": "%2"}],
        "rates": [{"name": "Bank", "url": "%1/rates.xml", "format": "ecb", "certificate": "%2"}]})")
                      .arg(site, server.authorityFile())
                      .toUtf8());
    sources.close();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_SOURCES"), file);
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    MemoryKeyStore store;
    SourceKeys keys(store);
    PriceMemory prices(settings, dir.filePath(QStringLiteral("prices.json")));
    TransferSettings direct;
    direct.proxy = TransferProxy{};

    const auto priceIn = [&](PriceMemory &memory) {
        const PricingChain chain =
            buildPricingChain(settings, environment, keys, memory, std::make_shared<TransferWorker>(), direct);
        const auto request = chain.inReportCurrency(QStringLiteral("USD"))->FetchQuotePrice(QStringLiteral("IWDA"));
        QSignalSpy finished(request.get(), &QuoteRequest::finished);
        return finished.wait(10000) ? request->result() : QuoteResult::failed(QuoteFailure::TimedOut);
    };
    const QuoteResult result = priceIn(prices);
    QCOMPARE(result.price, 100.0);
    QCOMPARE(result.currency, QStringLiteral("EUR"));
    QVERIFY(result.conversion);
    QCOMPARE(result.conversion->givenPrice, 80.0);
    QCOMPARE(result.conversion->rate, (ExchangeRate{1.25, QStringLiteral("Bank"), QDate(2026, 12, 7), false}));
    QCOMPARE(prices.store().find(QStringLiteral("IWDA"))->price, 80.0);
    QCOMPARE(prices.save(), QString());

    // The next start, the bank's site down: the kept rate, marked so.
    QuotePage gone;
    gone.status = "404 Not Found";
    server.setTargetPage("/rates.xml", gone);
    PriceMemory next(settings, dir.filePath(QStringLiteral("prices.json")));
    QCOMPARE(next.load(), QString());
    const QuoteResult kept = priceIn(next);
    QCOMPARE(kept.price, 100.0);
    QVERIFY(kept.conversion && kept.conversion->rate.kept);
}

QTEST_GUILESS_MAIN(TestPricingChain)
#include "tst_pricingchain.moc"
