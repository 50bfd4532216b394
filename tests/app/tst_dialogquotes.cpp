// The dialog against a real quote site on loopback: the whole road from typed
// rows through HTTPS lookups to every box on the form.

#include "allocationlegend.h"
#include "memorykeystore.h"
#include "ratelookup.h"
#include "sourcequoteservice.h"
#include "rebalancedialog.h"
#include "reportcurrencyservice.h"
#include "sitedialog.h"
#include "sitethread.h"
#include "sourcekeys.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace {

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when the probe goes
}

} // namespace

class TestDialogQuotes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enterPricesEveryHeldRow();
    void valuesInTheReportCurrency();
    void rowsWaitingForASourcesLimitSaySo();
    void unreachableSiteFlagsEveryQuotedRow();
    void stopWhileAPageIsLoading();
    void closeWhileAPageIsLoading();
    void stopAndCloseEndTheTransfer_data();
    void stopAndCloseEndTheTransfer();
};

void TestDialogQuotes::enterPricesEveryHeldRow()
{
    SiteDialog site;
    site.type(0, "VTI", "10", 2);
    site.type(1, "BND", "4", 1);
    site.type(2, "money market", "100", 0);
    site.type(3, "NOPE", "3", 2);
    site.type(5, "VTI", "0", 2);
    site.type(7, "BRK.B", "2", -1);

    QVERIFY(site.showActive());
    site.form().sharesBox(7)->setFocus();
    QSignalSpy finished(site.dialog.get(), &CFundtallyDlg::calculationFinished);
    QTest::keyClick(site.form().sharesBox(7), Qt::Key_Enter);
    QVERIFY(finished.wait(15000));

    // Asked for at once, over several connections: they arrive in any order.
    QStringList paths = site.server.requestedPaths();
    paths.sort();
    QCOMPARE(paths, (QStringList{"/quote/BND/?p=BND", "/quote/BRK.B/?p=BRK.B", "/quote/NOPE/?p=NOPE",
                                 "/quote/VTI/?p=VTI"}));

    // 125 + 281 + 100 + 0 + 2469 = 2975
    HoldingsForm &form = site.form();
    const QStringList values{"125", "281", "100", "0", "0", "0", "0", "2469"};
    const QStringList percents{"4", "9", "3", "0", "0", "0", "0", "82"};
    for (int row = 0; row < values.size(); ++row) {
        QCOMPARE(form.valueBox(row)->text(), values[row]);
        QCOMPARE(form.percentBox(row)->text(), percents[row]);
    }
    QCOMPARE(form.totalBox()->text(), QStringLiteral("2,975"));
    const QStringList amounts{"100", "281", "125", "0", "0"};
    const QStringList classPercents{"3", "9", "4", "0", "0"};
    for (int c = 0; c < AssetClassCount; ++c) {
        QCOMPARE(form.classAmountBox(c)->text(), amounts[c]);
        QCOMPARE(form.classPercentBox(c)->text(), classPercents[c]);
    }
    QVERIFY(form.valueBox(3)->property("unpriced").toBool());
    QCOMPARE(form.valueBox(3)->toolTip(), QStringLiteral("Not priced: no quote page for this symbol (HTTP 404)"));
    QCOMPARE(statusWithoutTime(form.statusLabel()->text()),
             QStringLiteral("1 of 5 holdings has no price; the total leaves it out \u2014 no quote page for this symbol (HTTP 404): NOPE. "
                            "1 holding has no asset class; 2,469 of the total is in no class."));
}

// The window in euros, the rates fetched from a loopback reference rates
// document (1 EUR = 1.25 USD): 10 x 189.84 USD x 0.8 = 1,518.72 EUR, shown
// whole as every value is; yen,
// which it does not quote, are left out rather than counted one for one.
void TestDialogQuotes::valuesInTheReportCurrency()
{
    LoopbackQuoteServer ratesSite;
    QVERIFY(ratesSite.start());
    QuotePage document;
    document.body = "<Envelope><Cube><Cube time='2026-12-07'><Cube currency='USD' rate='1.25'/></Cube></Cube>"
                    "</Envelope>";
    ratesSite.setTargetPage("/rates.xml", document);
    RateSource rates = builtInRateSource();
    rates.url = "https://" + ratesSite.host() + "/rates.xml";
    rates.certificate = ratesSite.authorityFile();
    MemoryKeyStore store;
    SourceKeys keys(store);
    const auto worker = std::make_shared<TransferWorker>();
    auto prices = std::make_shared<FakeQuoteService>();
    prices->prices = {{"VTI", 189.84}, {"7203.T", 2900}};
    prices->currencies = {{"VTI", "USD"}, {"7203.T", "JPY"}};
    DialogHarness<ReportCurrencyService> h(prices, QStringLiteral("EUR"), [&] {
        return std::make_unique<RateLookup>(QList{rates}, keys, worker, ratesSite.clientSettings());
    });
    h.type(0, "VTI", "10", 2);
    h.type(1, "7203.T", "5", 2);
    h.type(2, "Cash", "100", 0);

    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    QVERIFY(finished.wait(15000));
    HoldingsForm &form = h.form();
    QCOMPARE(form.valueBox(0)->text(), QStringLiteral("1518"));
    // The tooltip wraps; its words are what counts.
    QVERIFY2(form.valueBox(0)->toolTip().replace(u'\n', u' ').contains(
                 "189.84 USD a share \u00d7 0.8 EUR per USD (Reference rates, 7 Dec 2026) = 151.87 EUR a share"),
             qPrintable(form.valueBox(0)->toolTip()));
    QVERIFY(form.valueBox(1)->property("unpriced").toBool());
    QCOMPARE(form.valueBox(1)->toolTip(), QStringLiteral("Not priced: no exchange rate from JPY to EUR"));
    QCOMPARE(form.totalBox()->text(), QStringLiteral("1,618"));
    QVERIFY2(form.statusLabel()->text().endsWith(
                 "Values in EUR. 1 of 3 holdings has no price; the total leaves it out \u2014 no exchange rate from JPY to EUR: 7203.T."), qPrintable(form.statusLabel()->text()));
    QVERIFY(form.allocationLegend()->accessibleDescription().startsWith("In EUR, "));
    const RebalanceDialog rebalance(h.dialog->lastCalculation(), std::nullopt);
    QStringList headings;
    for (const QLabel *label : rebalance.findChildren<QLabel *>())
        headings << label->text();
    QVERIFY2(headings.contains("Now (EUR)") && headings.contains("Buy or sell (EUR)"), qPrintable(headings.join('|')));
}

// A source allowed 2 requests a minute asks for the first row at once; the
// status line says the others wait, and Stop ends the wait.
void TestDialogQuotes::rowsWaitingForASourcesLimitSaySo()
{
    LoopbackSite site;
    QuoteSource paced;
    paced.name = QStringLiteral("Paced");
    paced.url = "https://" + site.server.host() + "/quote/{SYMBOL}/?p={SYMBOL}";
    paced.certificate = site.server.authorityFile();
    paced.perMinute = 2;
    MemoryKeyStore store;
    SourceKeys keys(store);
    DialogHarness<SourceQuoteService> h(paced, keys, site.server.clientSettings(), std::make_shared<TransferWorker>());
    h.type(0, "VTI", "10", 2);
    h.type(1, "BND", "4", 1);
    h.type(2, "BRK.B", "1", 2);

    h.dialog->OnCalculate();
    QTRY_VERIFY_WITH_TIMEOUT(h.form().statusLabel()->text().endsWith(
                                 "1 of 3 done; 2 waiting for Paced's limit of 2 a minute"), 10000);
    QCOMPARE(site.server.requestCount(), 1);
    h.dialog->stopCalculation();
    QVERIFY(!h.dialog->isCalculating());
    QCOMPARE(h.form().valueBox(0)->text(), QStringLiteral("125"));
    QCOMPARE(h.form().valueBox(2)->toolTip(), QStringLiteral("not looked up: stopped"));
}

void TestDialogQuotes::unreachableSiteFlagsEveryQuotedRow()
{
    SiteDialog site({}, QStringLiteral("127.0.0.1:%1").arg(closedPort()));
    site.type(0, "VTI", "10", 2);
    site.type(1, "Cash", "50", 0);
    site.type(2, "BND", "4", 1);

    QSignalSpy finished(site.dialog.get(), &CFundtallyDlg::calculationFinished);
    site.dialog->OnCalculate();
    QVERIFY(finished.wait(15000));

    for (int row : {0, 2}) {
        QVERIFY(site.form().valueBox(row)->property("unpriced").toBool());
        QCOMPARE(site.form().valueBox(row)->toolTip(), QStringLiteral("Not priced: connection refused"));
    }
    QVERIFY(!site.form().valueBox(1)->property("unpriced").toBool());
    QCOMPARE(site.form().valueBox(1)->text(), QStringLiteral("50"));
    QCOMPARE(site.form().totalBox()->text(), QStringLiteral("50"));
    QCOMPARE(site.form().classPercentBox(0)->text(), QStringLiteral("100"));
}

void TestDialogQuotes::stopWhileAPageIsLoading()
{
    SiteDialog site;
    site.server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    site.type(0, "Cash", "50", 0);
    site.type(1, "VTI", "10", 2);
    site.type(2, "BND", "4", 1);
    site.dialog->show();

    site.dialog->OnCalculate();
    QTRY_COMPARE_WITH_TIMEOUT(site.server.requestCount(), 2, 10000);
    QVERIFY(site.dialog->isCalculating());

    QTest::mouseClick(site.form().stopButton(), Qt::LeftButton);
    QVERIFY(!site.dialog->isCalculating());
    QCOMPARE(site.form().totalBox()->text(), QStringLiteral("50"));
    for (int row : {1, 2}) {
        QCOMPARE(site.form().valueBox(row)->toolTip(), QStringLiteral("not looked up: stopped"));
        QVERIFY(site.form().valueBox(row)->property("notLookedUp").toBool());
    }
    QCOMPARE(statusWithoutTime(site.form().statusLabel()->text()),
             QStringLiteral("Stopped after 1 of 3 holdings; totals cover the 1 priced so far."));
    QCOMPARE(site.server.requestCount(), 2);
    QTRY_COMPARE(site.server.openConnections(), 0);
}

void TestDialogQuotes::closeWhileAPageIsLoading()
{
    SiteDialog site;
    site.server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    site.type(0, "VTI", "10", 2);
    site.dialog->show();
    site.dialog->OnCalculate();
    QTRY_COMPARE_WITH_TIMEOUT(site.server.requestCount(), 1, 10000);

    QVERIFY(site.dialog->close());
    site.dialog.reset();
    // Any reply still on its way must find nothing to call back into.
    QTest::qWait(100);
}

// Stop and closing the window do not just forget the lookups: with every
// row asked for and the site answering none, each transfer ends at once
// (the site, on a thread of its own, sees every connection go), and the
// cash row keeps its value.
void TestDialogQuotes::stopAndCloseEndTheTransfer_data()
{
    QTest::addColumn<bool>("close");

    QTest::newRow("Stop") << false;
    QTest::newRow("closing the window") << true;
}

void TestDialogQuotes::stopAndCloseEndTheTransfer()
{
    QFETCH(bool, close);

    SiteThread sites;
    LoopbackQuoteServer &server = sites.make<LoopbackQuoteServer>();
    TransferSettings settings;
    QString host;
    bool started = false;
    sites.run([&] {
        started = server.start();
        server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
        settings = server.clientSettings();
        host = server.host();
    });
    QVERIFY(started);
    DialogHarness<PageSourceService> h(host, settings);
    for (int row = 0; row < HoldingRowCount - 1; ++row)
        h.type(row, QStringLiteral("S%1").arg(row), QStringLiteral("1"), 2);
    h.type(HoldingRowCount - 1, QStringLiteral("Cash"), QStringLiteral("40"), 0);
    h.dialog->show();
    h.dialog->OnCalculate();
    const auto siteSees = [&](auto question) {
        int answer = 0;
        sites.run([&] { answer = question(); });
        return answer;
    };
    QTRY_COMPARE_WITH_TIMEOUT(siteSees([&] { return server.requestCount(); }),
                              HostQueues::kMaxConnectionsPerHost, 10000);
    QCOMPARE(siteSees([&] { return server.openConnections(); }), HostQueues::kMaxConnectionsPerHost);

    QElapsedTimer clock;
    clock.start();
    if (close) {
        QVERIFY(h.dialog->close());
        h.dialog.reset();
    } else {
        QTest::mouseClick(h.form().stopButton(), Qt::LeftButton);
        QVERIFY(!h.dialog->isCalculating());
        QCOMPARE(h.form().valueBox(HoldingRowCount - 1)->text(), QStringLiteral("40"));
        QCOMPARE(h.form().totalBox()->text(), QStringLiteral("40"));
    }
    // Polled every millisecond, so the time is the transfers' and not the poll's.
    while (siteSees([&] { return server.openConnections(); }) > 0 && clock.elapsed() < 1000)
        QTest::qWait(1);
    QCOMPARE(siteSees([&] { return server.openConnections(); }), 0);
    QCOMPARE_LT(clock.elapsed(), 100);
    // Nothing waiting in the queue starts afterwards.
    QTest::qWait(50);
    QCOMPARE(siteSees([&] { return server.requestCount(); }), HostQueues::kMaxConnectionsPerHost);
}

QTEST_MAIN(TestDialogQuotes)
#include "tst_dialogquotes.moc"
