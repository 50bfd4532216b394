// A calculation over real HTTPS lookups where one symbol's quote site
// misbehaves: that row ends unpriced with a reason, in bounded time and
// memory, while the event loop keeps running and the other rows are priced.

#include "calculationrun.h"
#include "calculationstatus.h"
#include "hostilelimits.h"
#include "loopbackquoteserver.h"
#include "loopprobe.h"
#include "muteserver.h"
#include "sitethread.h"
#include "fakequoteservice.h"
#include "pagesource.h"
#include "quoteservice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

// Where the hostile symbol is looked up: on the server that also serves the
// well-behaved symbols, or on a host of its own (faults that strike before
// any request is sent affect a whole host).
enum class Site { Shared, Mute, WrongHost };

// Shortened like the stall time-out, so that every case ends within seconds.
constexpr std::chrono::milliseconds kOverallTimeout = 3s;
constexpr qint64 kHundredMegabytes = 100 * 1024 * 1024;

const QString kHostile = QStringLiteral("ODD");

// Sends the hostile symbol to its own service and every other one to the
// well-behaved service.
class RoutedQuoteService final : public QuoteService
{
public:
    RoutedQuoteService(QuoteService &usual, QuoteService &hostile)
        : m_usual(usual)
        , m_hostile(hostile)
    {
    }

    std::unique_ptr<QuoteRequest> FetchQuotePrice(const QString &symbol) override
    {
        return (symbol == kHostile ? m_hostile : m_usual).FetchQuotePrice(symbol);
    }

private:
    QuoteService &m_usual;
    QuoteService &m_hostile;
};

constexpr int kHostileRow = 2;

// Twenty rows: cash, VTI, the hostile symbol, then BND in every other row.
Holdings holdings()
{
    Holdings rows;
    rows[0] = {QString(), QStringLiteral("Cash"), 100, 0};
    rows[1] = {QString(), QStringLiteral("VTI"), 10, 2};
    rows[kHostileRow] = {QString(), kHostile, 3, 2};
    for (int row = kHostileRow + 1; row < HoldingRowCount; ++row)
        rows[row] = {QString(), QStringLiteral("BND"), 4, 1};
    return rows;
}

QByteArray priceMarkers(const QByteArray &price)
{
    return "<h1><!-- react-text: 36 -->ODD<!-- /react-text --></h1><b><!-- react-text: 36 -->" + price
        + "<!-- /react-text --></b>";
}

QuotePage delivered(QuotePage page, QuotePage::Delivery delivery)
{
    page.delivery = delivery;
    return page;
}

QuotePage withStatus(QuotePage page, const QByteArray &status)
{
    page.status = status;
    return page;
}

QuotePage dripping(std::chrono::milliseconds interval)
{
    QuotePage page = QuotePage::withPrice("ODD", "42.5");
    page.delivery = QuotePage::Delivery::Drip;
    page.dripInterval = interval;
    return page;
}

QuotePage cut(QuotePage::Delivery delivery)
{
    // Cut inside the price: 1234.56 would read as 12.
    QuotePage page = QuotePage::withPrice("ODD", "1234.56");
    page.delivery = delivery;
    page.cutAt = page.body.indexOf("1234.56") + 2;
    return page;
}

// An HTTP/1.0 page whose body ends with its priced fifth line, without a
// line break: only the way its connection ends tells whether it is whole.
QuotePage endingInPriceLine(QuotePage::Delivery delivery)
{
    QuotePage page = QuotePage::withPrice("ODD", "1234.56");
    page.body.truncate(page.body.indexOf('\n', page.body.indexOf("1234.56")));
    page.delivery = delivery;
    page.cutAt = page.body.size();
    return page;
}

QuotePage slowRedirects()
{
    QuotePage page = QuotePage::redirectTo("/quote/ODD/?p=ODD");
    page.delay = 700ms;
    return page;
}

// The settings for lookups on `host`, with the short limits of these tests.
TransferSettings settingsFor(const QString &authorityFile)
{
    TransferSettings settings;
    settings.trustedCertificateFiles = {authorityFile};
    settings.proxy = TransferProxy{}; // straight to the loopback site
    settings.limits.stallTimeout = kStallTimeout;
    settings.limits.overallTimeout = kOverallTimeout;
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(Site)
Q_DECLARE_METATYPE(std::chrono::milliseconds)
Q_DECLARE_METATYPE(QuotePage)

class TestHostileQuoteServers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostileRowEndsUnpriced_data();
    void hostileRowEndsUnpriced();
};

void TestHostileQuoteServers::hostileRowEndsUnpriced_data()
{
    QTest::addColumn<Site>("site");
    QTest::addColumn<QuotePage>("page");
    QTest::addColumn<QString>("reason");      // empty: the row is priced
    QTest::addColumn<double>("price");
    QTest::addColumn<qint64>("offeredBytes"); // what the server would send in all; 0: not checked
    QTest::addColumn<std::chrono::milliseconds>("bound"); // the limit that ends it

    const QuotePage priced = QuotePage::withPrice("ODD", "42.5");
    const QuotePage unpricedPage = QuotePage::notFound();
    const QString timedOut = QStringLiteral("timed out");

    QTest::newRow("accepts and sends nothing") << Site::Mute << priced << timedOut << 0.0 << qint64(0) << kStallTimeout;
    QTest::newRow("reads the request and never answers")
        << Site::Shared << delivered(priced, QuotePage::Delivery::Silent) << timedOut << 0.0 << qint64(0) << kStallTimeout;
    QTest::newRow("sends headers then stalls")
        << Site::Shared << delivered(priced, QuotePage::Delivery::HeadThenStall) << timedOut << 0.0
        << qint64(0) << kStallTimeout;
    QTest::newRow("resets the connection mid-body")
        << Site::Shared << delivered(priced, QuotePage::Delivery::ResetMidBody)
        << QStringLiteral("connection closed") << 0.0 << qint64(0) << kStallTimeout;
    QTest::newRow("100 MB fifth line without a price")
        << Site::Shared << QuotePage::endlessFifthLine("<p>", kHundredMegabytes)
        << QStringLiteral("no price on page") << 0.0 << kHundredMegabytes << kStallTimeout;
    QTest::newRow("100 MB fifth line after its price")
        << Site::Shared << QuotePage::endlessFifthLine(priceMarkers("42.5"), kHundredMegabytes) << QString()
        << 42.5 << kHundredMegabytes << kStallTimeout;
    QTest::newRow("200 MB first line")
        << Site::Shared << QuotePage::endlessFirstLine(2 * kHundredMegabytes)
        << QStringLiteral("page too large") << 0.0 << 2 * kHundredMegabytes << kStallTimeout;
    QTest::newRow("gzip that unpacks to 1 GiB")
        << Site::Shared << QuotePage::gzipOfZeros(1024) << QStringLiteral("page too large") << 0.0
        << qint64(0) << kStallTimeout;
    QTest::newRow("redirects in a loop")
        << Site::Shared << QuotePage::redirectTo("/quote/ODD/?p=ODD") << QStringLiteral("redirect refused")
        << 0.0 << qint64(0) << kStallTimeout;
    // An error page is read like any other page: it is priced only when it
    // carries a price where a quote page has one.
    QTest::newRow("HTTP 500 with a normal page without a price")
        << Site::Shared << withStatus(unpricedPage, "500 Internal Server Error")
        << QStringLiteral("the source failed (HTTP 500)") << 0.0 << qint64(0) << kStallTimeout;
    QTest::newRow("HTTP 500 with a normal page with a price")
        << Site::Shared << withStatus(priced, "500 Internal Server Error") << QString() << 42.5 << qint64(0) << kStallTimeout;
    QTest::newRow("certificate for another host name")
        << Site::WrongHost << priced << QStringLiteral("certificate not trusted") << 0.0 << qint64(0) << kStallTimeout;
    QTest::newRow("one endless header line")
        << Site::Shared << QuotePage::endlessHead(QuotePage::Filler::HeaderLine, kHundredMegabytes)
        << QStringLiteral("page too large") << 0.0 << kHundredMegabytes << kStallTimeout;
    QTest::newRow("endless small headers")
        << Site::Shared << QuotePage::endlessHead(QuotePage::Filler::SmallHeaders, kHundredMegabytes)
        << QStringLiteral("page too large") << 0.0 << kHundredMegabytes << kStallTimeout;
    QTest::newRow("a byte every 1.5 s") << Site::Shared << dripping(1500ms) << timedOut << 0.0 << qint64(0)
                                         << kStallTimeout;
    QTest::newRow("a byte every 0.3 s, too slow overall")
        << Site::Shared << dripping(300ms) << timedOut << 0.0 << qint64(0) << kOverallTimeout;
    QTest::newRow("slow redirect chain")
        << Site::Shared << slowRedirects() << timedOut << 0.0 << qint64(0) << kOverallTimeout;
    QTest::newRow("body cut before its length")
        << Site::Shared << cut(QuotePage::Delivery::CutMidBody) << QStringLiteral("connection closed") << 0.0
        << qint64(0) << kStallTimeout;
    QTest::newRow("HTTP/1.0 body cut by a TCP close")
        << Site::Shared << cut(QuotePage::Delivery::CutByTcpClose) << QStringLiteral("connection closed") << 0.0
        << qint64(0) << kStallTimeout;
    QuotePage untilClose = QuotePage::withPrice("ODD", "42.5");
    untilClose.delivery = QuotePage::Delivery::UntilClose;
    QTest::newRow("HTTP/1.0 body ended by a TLS close")
        << Site::Shared << untilClose << QString() << 42.5 << qint64(0) << kStallTimeout;
    QTest::newRow("HTTP/1.0 page ending in its price line, then a TLS close")
        << Site::Shared << endingInPriceLine(QuotePage::Delivery::UntilClose) << QString() << 1234.56
        << qint64(0) << kStallTimeout;
    QTest::newRow("HTTP/1.0 page ending in its price line, then a TCP close")
        << Site::Shared << endingInPriceLine(QuotePage::Delivery::CutByTcpClose)
        << QStringLiteral("connection closed") << 0.0 << qint64(0) << kStallTimeout;
    QuotePage interim = QuotePage::withPrice("ODD", "42.5");
    interim.interim = "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a.css>; rel=preload\r\n\r\n";
    QTest::newRow("102 and 103 before a priced 200")
        << Site::Shared << interim << QString() << 42.5 << qint64(0) << kStallTimeout;
    QTest::newRow("fifth line over the cap with the price across it")
        << Site::Shared << QuotePage::priceAtOffset("1234.56", TransferLimits::kMaxPriceLineBytes - 2,
                                                    2 * TransferLimits::kMaxPriceLineBytes)
        << QStringLiteral("no price on page") << 0.0 << qint64(0) << kStallTimeout;
}

void TestHostileQuoteServers::hostileRowEndsUnpriced()
{
    QFETCH(Site, site);
    QFETCH(QuotePage, page);
    QFETCH(QString, reason);
    QFETCH(double, price);
    QFETCH(qint64, offeredBytes);
    QFETCH(std::chrono::milliseconds, bound);

    // The sites run on a thread of their own: the event loop measured below
    // is the program's alone.
    SiteThread sites;
    LoopbackQuoteServer &usualServer = sites.make<LoopbackQuoteServer>();
    LoopbackQuoteServer &wrongHostServer = sites.make<LoopbackQuoteServer>();
    MuteServer &muteServer = sites.make<MuteServer>();
    bool started = false;
    QString usualHost, authorityFile, hostileHost;
    sites.run([&] {
        started = usualServer.start() && wrongHostServer.start(TestCertificates::ServerIdentity::WrongHost)
            && muteServer.start();
        usualServer.setPrice(QStringLiteral("VTI"), "12.50");
        usualServer.setPrice(QStringLiteral("BND"), "70.25");
        usualServer.setPage(kHostile, page);
        wrongHostServer.setPage(kHostile, page);
        usualHost = usualServer.host();
        authorityFile = usualServer.authorityFile();
        hostileHost = site == Site::Mute        ? muteServer.host()
                    : site == Site::WrongHost ? wrongHostServer.host()
                                              : usualHost;
    });
    QVERIFY(started);
    const auto worker = std::make_shared<TransferWorker>();
    PageSourceService usual(usualHost, settingsFor(authorityFile), worker);
    // On the usual site the hostile page shares the service, and with it
    // the connections to that host, as it would in the program.
    PageSourceService hostile(hostileHost, settingsFor(authorityFile), worker);
    RoutedQuoteService service(usual, site == Site::Shared ? static_cast<QuoteService &>(usual) : hostile);

    CalculationRun run(holdings(), borrowedService(service));
    QSignalSpy finished(&run, &CalculationRun::finished);
    QElapsedTimer clock;
    const qint64 hostileStart = 0;
    qint64 hostileEnd = -1;
    qint64 lastUsualEnd = -1;
    connect(&run, &CalculationRun::rowSettled, this, [&](int row) {
        if (row == kHostileRow)
            hostileEnd = clock.elapsed();
        else
            lastUsualEnd = clock.elapsed();
    });

    LoopProbe probe;
    probe.start();
    clock.start();
    run.start();
    QVERIFY(finished.wait(static_cast<int>((bound + 20s).count())));
    probe.stop();

    const CalculationResult &result = run.result();
    const std::optional<QuoteResult> &quote = result.quotes[kHostileRow];
    QVERIFY(quote);
    QCOMPARE(quote->reason(), reason);
    QCOMPARE(quote->priced(), reason.isEmpty());
    QCOMPARE(quote->price, price);
    if (!reason.isEmpty()) {
        QVERIFY2(calculationSummary(holdings(), result).contains(reason + QStringLiteral(": ") + kHostile),
                 qPrintable(calculationSummary(holdings(), result)));
    }

    // Every other row is priced, without waiting for the hostile one.
    QCOMPARE(result.value[0], 100.0);
    QCOMPARE(result.value[1], 125.0);
    for (int row = kHostileRow + 1; row < HoldingRowCount; ++row) {
        QCOMPARE(result.value[row], 281.0);
        QVERIFY(result.quotes[row] && result.quotes[row]->priced());
    }
    if (hostileEnd > kStallTimeout.count())
        QCOMPARE_LT(lastUsualEnd, kStallTimeout.count());

    QVERIFY(hostileEnd >= hostileStart);
    const qint64 hostileMs = hostileEnd - hostileStart;
    qint64 bytesSent = 0;
    int muteConnections = 0;
    sites.run([&] {
        bytesSent = usualServer.bytesSent();
        muteConnections = muteServer.connectionCount();
    });
    qInfo("hostile lookup %lld ms, longest event loop interval %lld ms over %d ticks, "
          "resident growth %lld KiB, server sent %lld bytes",
          hostileMs, static_cast<long long>(probe.longestInterval().count()), probe.ticks(),
          probe.residentGrowthKiB(), bytesSent);
    QCOMPARE_LT(hostileMs, (bound + 1s).count());
    QCOMPARE_LT(probe.longestInterval(), LoopProbe::kTick + kMaxLoopGap);
    QCOMPARE_LT(probe.residentGrowthKiB(), kMaxGrowthKiB);
    if (offeredBytes > 0)
        QCOMPARE_LT(bytesSent, offeredBytes / 10);
    if (site == Site::Mute)
        QCOMPARE(muteConnections, 1);
}

QTEST_GUILESS_MAIN(TestHostileQuoteServers)
#include "tst_hostilequoteservers.moc"
