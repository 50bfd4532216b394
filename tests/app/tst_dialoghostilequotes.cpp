// The dialog against a quote site that misbehaves for one symbol: the window
// keeps running while that row's lookup hangs or floods, then flags just that
// row with the reason and prices the rest.

#include "hostilelimits.h"
#include "loopprobe.h"
#include "dialogharness.h"
#include "pagesource.h"
#include "loopbackquoteserver.h"
#include "sitethread.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(QuotePage)

namespace {

// The loopback site on a thread of its own, so the event loop measured is
// the window's alone: VTI and BND priced, ODD misbehaving. The client has a
// short time-out.
struct HostileSite
{
    explicit HostileSite(const QuotePage &hostilePage)
    {
        bool started = false;
        thread.run([&] {
            started = server.start();
            server.setPrice(QStringLiteral("VTI"), "12.50");
            server.setPrice(QStringLiteral("BND"), "70.25");
            server.setPage(QStringLiteral("ODD"), hostilePage);
            settings = server.clientSettings();
            host = server.host();
        });
        if (!started)
            qFatal("cannot start the loopback quote site");
        settings.limits.stallTimeout = kStallTimeout;
    }

    SiteThread thread;
    LoopbackQuoteServer &server = thread.make<LoopbackQuoteServer>();
    TransferSettings settings;
    QString host;
};

// The dialog over the fakes, priced by the real engine from that site.
struct Site : HostileSite, DialogHarness<PageSourceService>
{
    explicit Site(const QuotePage &hostilePage)
        : HostileSite(hostilePage)
        , DialogHarness<PageSourceService>(host, settings)
    {
    }
};

QuotePage headThenStall()
{
    QuotePage page = QuotePage::withPrice("ODD", "42.5");
    page.delivery = QuotePage::Delivery::HeadThenStall;
    return page;
}

} // namespace

class TestDialogHostileQuotes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onlyTheHostileRowIsFlagged_data();
    void onlyTheHostileRowIsFlagged();
};

void TestDialogHostileQuotes::onlyTheHostileRowIsFlagged_data()
{
    QTest::addColumn<QuotePage>("page");
    QTest::addColumn<QString>("reason");

    QTest::newRow("sends headers then stalls") << headThenStall() << QStringLiteral("timed out");
    QTest::newRow("gzip that unpacks to 1 GiB")
        << QuotePage::gzipOfZeros(1024) << QStringLiteral("page too large");
    QTest::newRow("endless small headers")
        << QuotePage::endlessHead(QuotePage::Filler::SmallHeaders, 100 * 1024 * 1024)
        << QStringLiteral("page too large");
    QTest::newRow("100 MB fifth line")
        << QuotePage::endlessFifthLine("<p>", 100 * 1024 * 1024) << QStringLiteral("no price on page");
    QuotePage refused;
    refused.status = "401 Unauthorized";
    QTest::newRow("key refused") << refused << QStringLiteral("not authorised (HTTP 401): check the API key");
}

void TestDialogHostileQuotes::onlyTheHostileRowIsFlagged()
{
    QFETCH(QuotePage, page);
    QFETCH(QString, reason);

    Site site(page);
    site.type(0, "Cash", "100", 0);
    site.type(1, "VTI", "10", 2);
    site.type(2, "ODD", "3", 2);
    site.type(3, "BND", "4", 1);
    site.dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(site.dialog.get()));

    QSignalSpy finished(site.dialog.get(), &CFundtallyDlg::calculationFinished);
    LoopProbe probe;
    probe.start();
    QElapsedTimer clock;
    clock.start();
    site.dialog->OnCalculate();
    QVERIFY(finished.wait(static_cast<int>((kStallTimeout + 20s).count())));
    const qint64 calculationMs = clock.elapsed();
    probe.stop();
    qInfo("calculation %lld ms, longest event loop interval %lld ms, resident growth %lld KiB", calculationMs,
          static_cast<long long>(probe.longestInterval().count()), probe.residentGrowthKiB());

    HoldingsForm &form = site.form();
    QVERIFY(form.valueBox(2)->property("unpriced").toBool());
    QCOMPARE(form.valueBox(2)->toolTip(), QStringLiteral("Not priced: ") + reason);
    QCOMPARE(form.valueBox(2)->text(), QStringLiteral("0"));
    QCOMPARE(statusWithoutTime(form.statusLabel()->text()),
             QStringLiteral("1 of 4 holdings has no price; the total leaves it out \u2014 %1: ODD.").arg(reason));
    for (int row : {0, 1, 3})
        QVERIFY(!form.valueBox(row)->property("unpriced").toBool());
    QCOMPARE(form.valueBox(0)->text(), QStringLiteral("100"));
    QCOMPARE(form.valueBox(1)->text(), QStringLiteral("125"));
    QCOMPARE(form.valueBox(3)->text(), QStringLiteral("281"));
    QCOMPARE(form.totalBox()->text(), QStringLiteral("506"));
    QVERIFY(site.messages.errors.isEmpty());

    // The other three lookups are quick, so the whole run stays within the
    // hostile lookup's bound.
    QCOMPARE_LT(calculationMs, (kStallTimeout + 1s).count());
    QCOMPARE_LT(probe.longestInterval(), LoopProbe::kTick + kMaxLoopGap);
    QCOMPARE_LT(probe.residentGrowthKiB(), kMaxGrowthKiB);
}

QTEST_MAIN(TestDialogHostileQuotes)
#include "tst_dialoghostilequotes.moc"
