// The kept prices in the window, priced through the program's own chain
// from a saved source on a loopback site: kept after a calculation for the
// next start, used when a lookup fails unless turned off, and forgotten.

#include "commandmenu.h"
#include "dialogharness.h"
#include "loopbackquoteserver.h"
#include "memorykeystore.h"
#include "pricekeeping.h"
#include "pricememory.h"
#include "pricingchain.h"
#include "quotesourcestore.h"
#include "sourcekeys.h"
#include "transferworker.h"

#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The chain's service, as the window is given it.
struct ChainQuotes final : QuoteService {
    explicit ChainQuotes(std::shared_ptr<QuoteService> chain) : service(std::move(chain)) {}
    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override
    {
        return service->FetchQuotePrice(symbol);
    }
    std::shared_ptr<QuoteService> service;
};

} // namespace

class TestPriceKeeping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsUsesAndForgetsPrices();
};

void TestPriceKeeping::keepsUsesAndForgetsPrices()
{
    QTemporaryDir dir;
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "12.50");
    QSettings settings(dir.filePath(QStringLiteral("Fundtally.conf")), QSettings::IniFormat);
    QList<QuoteSource> sources = QuoteSourceStore::carriedOver(StoredQuoteSite{server.host(), server.authorityFile()});
    QCOMPARE(QuoteSourceStore::write(settings, sources), QString());
    const QString pricesFile = dir.filePath(QStringLiteral("prices.json"));
    PriceMemory prices(settings, pricesFile);
    MemoryKeyStore store;
    SourceKeys keys(store);
    TransferSettings direct;
    direct.proxy = TransferProxy{};
    const PricingChain chain =
        buildPricingChain(settings, {}, keys, prices, std::make_shared<TransferWorker>(), direct);

    DialogHarness<ChainQuotes> h(chain.service);
    keepPrices(*h.dialog, prices, {});
    h.type(0, QStringLiteral("VTI"), QStringLiteral("10"), 2);
    const auto calculate = [&h] {
        QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
        h.dialog->OnCalculate();
        return finished.wait(10000);
    };
    QVERIFY(calculate());
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));
    {
        PriceMemory next(settings, pricesFile);  // as the next start reads it
        QCOMPARE(next.load(), QString());
        QCOMPARE(next.store().find(QStringLiteral("VTI"))->price, 12.5);
    }

    server.setPage(QStringLiteral("VTI"), QuotePage{}); // no price any more
    QVERIFY(calculate());
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));

    h.dialog->contextMenu()->useLastKnownAction()->setChecked(false);
    QVERIFY(calculate());
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("0"));
    QCOMPARE(PriceMemory(settings, pricesFile).usesLastKnown(), false);

    h.dialog->contextMenu()->useLastKnownAction()->setChecked(true);
    h.dialog->contextMenu()->forgetPricesAction()->trigger();
    QVERIFY(calculate());
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("0"));
    PriceMemory next(settings, pricesFile);
    QCOMPARE(next.load(), QString());
    QVERIFY(!next.store().find(QStringLiteral("VTI")));
}

QTEST_MAIN(TestPriceKeeping)
#include "tst_pricekeeping.moc"
