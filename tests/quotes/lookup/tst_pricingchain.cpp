#include "memorykeystore.h"
#include "pricememory.h"
#include "pricingchain.h"
#include "quoteservice.h"
#include "quotesourcestore.h"
#include "sourcekeys.h"
#include "transferworker.h"

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

QTEST_GUILESS_MAIN(TestPricingChain)
#include "tst_pricingchain.moc"
