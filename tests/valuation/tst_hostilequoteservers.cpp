// A calculation over real HTTPS lookups where one symbol's quote site
// misbehaves: that row ends unpriced with a reason, in bounded time and
// memory, while the event loop keeps running and the other rows are priced.

#include "calculationrun.h"
#include "calculationstatus.h"
#include "loopbackquoteserver.h"
#include "loopprobe.h"
#include "muteserver.h"
#include "networkquotesource.h"
#include "quotelookup.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

// Where the hostile symbol is looked up: on the server that also serves the
// well-behaved symbols, or on a host of its own (faults that strike before
// any request is sent affect a whole host).
enum class Site { Shared, Mute, WrongHost };

constexpr std::chrono::milliseconds kTransferTimeout = 2s;
// Memory a lookup may add to the process, whatever the server sends: far
// below the 100 MB and 1 GiB pages on offer, and roomy because
// AddressSanitizer builds keep freed memory in quarantine for a while.
constexpr qint64 kMaxGrowthKiB = 80 * 1024;
constexpr qint64 kHundredMegabytes = 100 * 1024 * 1024;

const QString kHostile = QStringLiteral("ODD");

// Sends the hostile symbol to its own source and every other one to the
// well-behaved source.
class RoutedQuoteSource final : public QuoteSource
{
public:
    RoutedQuoteSource(QuoteSource &usual, QuoteSource &hostile)
        : m_usual(usual)
        , m_hostile(hostile)
    {
    }

    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override
    {
        return (symbol == kHostile ? m_hostile : m_usual).FetchQuotePrice(symbol, parent);
    }

private:
    QuoteSource &m_usual;
    QuoteSource &m_hostile;
};

HoldingInputs holdings()
{
    HoldingInputs rows;
    rows[0] = {QStringLiteral("Cash"), 100, 0};
    rows[1] = {QStringLiteral("VTI"), 10, 2};
    rows[2] = {kHostile, 3, 2};
    rows[3] = {QStringLiteral("BND"), 4, 1};
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

// The settings for lookups on `host`, with the short time-out of these tests.
QuoteSiteSettings settingsFor(const QString &host)
{
    QuoteSiteSettings settings;
    settings.host = host;
    settings.ssl = LoopbackQuoteServer::trustingClientConfiguration();
    settings.proxy = QNetworkProxy(QNetworkProxy::NoProxy);
    settings.transferTimeout = kTransferTimeout;
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(Site)
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

    const QuotePage priced = QuotePage::withPrice("ODD", "42.5");
    const QuotePage unpricedPage = QuotePage::notFound();
    const QString timedOut = QStringLiteral("timed out");

    QTest::newRow("accepts and sends nothing") << Site::Mute << priced << timedOut << 0.0 << qint64(0);
    QTest::newRow("reads the request and never answers")
        << Site::Shared << delivered(priced, QuotePage::Delivery::Silent) << timedOut << 0.0 << qint64(0);
    QTest::newRow("sends headers then stalls")
        << Site::Shared << delivered(priced, QuotePage::Delivery::HeadThenStall) << timedOut << 0.0
        << qint64(0);
    QTest::newRow("resets the connection mid-body")
        << Site::Shared << delivered(priced, QuotePage::Delivery::ResetMidBody)
        << QStringLiteral("connection closed") << 0.0 << qint64(0);
    QTest::newRow("100 MB fifth line without a price")
        << Site::Shared << QuotePage::endlessFifthLine("<p>", kHundredMegabytes)
        << QStringLiteral("no price on page") << 0.0 << kHundredMegabytes;
    QTest::newRow("100 MB fifth line after its price")
        << Site::Shared << QuotePage::endlessFifthLine(priceMarkers("42.5"), kHundredMegabytes) << QString()
        << 42.5 << kHundredMegabytes;
    QTest::newRow("200 MB first line")
        << Site::Shared << QuotePage::endlessFirstLine(2 * kHundredMegabytes)
        << QStringLiteral("page too large") << 0.0 << 2 * kHundredMegabytes;
    QTest::newRow("gzip that unpacks to 1 GiB")
        << Site::Shared << QuotePage::gzipOfZeros(1024) << QStringLiteral("page could not be unpacked") << 0.0
        << qint64(0);
    QTest::newRow("redirects in a loop")
        << Site::Shared << QuotePage::redirectTo("/quote/ODD/?p=ODD") << QStringLiteral("redirect refused")
        << 0.0 << qint64(0);
    // An error page is read like any other page: it is priced only when it
    // carries a price where a quote page has one.
    QTest::newRow("HTTP 500 with a normal page without a price")
        << Site::Shared << withStatus(unpricedPage, "500 Internal Server Error")
        << QStringLiteral("no price on page") << 0.0 << qint64(0);
    QTest::newRow("HTTP 500 with a normal page with a price")
        << Site::Shared << withStatus(priced, "500 Internal Server Error") << QString() << 42.5 << qint64(0);
    QTest::newRow("certificate for another host name")
        << Site::WrongHost << priced << QStringLiteral("certificate not trusted") << 0.0 << qint64(0);
}

void TestHostileQuoteServers::hostileRowEndsUnpriced()
{
    QFETCH(Site, site);
    QFETCH(QuotePage, page);
    QFETCH(QString, reason);
    QFETCH(double, price);
    QFETCH(qint64, offeredBytes);

    LoopbackQuoteServer usualServer;
    QVERIFY(usualServer.start());
    usualServer.setPrice(QStringLiteral("VTI"), "12.50");
    usualServer.setPrice(QStringLiteral("BND"), "70.25");
    usualServer.setPage(kHostile, page);
    NetworkQuoteSource usual(settingsFor(usualServer.host()));

    LoopbackQuoteServer wrongHostServer;
    QVERIFY(wrongHostServer.start(TestCertificates::ServerIdentity::WrongHost));
    wrongHostServer.setPage(kHostile, page);
    MuteServer muteServer;
    QVERIFY(muteServer.start());
    const QString hostileHost = site == Site::Mute        ? muteServer.host()
                              : site == Site::WrongHost ? wrongHostServer.host()
                                                        : usualServer.host();
    NetworkQuoteSource hostile(settingsFor(hostileHost));
    RoutedQuoteSource source(usual, hostile);

    CalculationRun run(holdings(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    QElapsedTimer clock;
    qint64 hostileStart = -1;
    qint64 hostileEnd = -1;
    connect(&run, &CalculationRun::pricing, this, [&](const QString &symbol) {
        if (symbol == kHostile)
            hostileStart = clock.elapsed();
        else if (hostileStart >= 0 && hostileEnd < 0)
            hostileEnd = clock.elapsed();
    });

    LoopProbe probe;
    probe.start();
    clock.start();
    run.start();
    QVERIFY(finished.wait(static_cast<int>((kTransferTimeout + 20s).count())));
    probe.stop();

    const CalculationResult &result = run.result();
    const std::optional<QuoteResult> &quote = result.quotes[2];
    QVERIFY(quote);
    QCOMPARE(quote->reason, reason);
    QCOMPARE(quote->priced, reason.isEmpty());
    QCOMPARE(quote->price, price);
    if (!reason.isEmpty()) {
        QVERIFY2(calculationSummary(holdings(), result).contains(reason + QStringLiteral(": ") + kHostile),
                 qPrintable(calculationSummary(holdings(), result)));
    }

    // The rows around it are priced, the one after it once the hostile
    // lookup has given up.
    QCOMPARE(result.value[0], 100.0);
    QCOMPARE(result.value[1], 125.0);
    QCOMPARE(result.value[3], 281.0);
    QVERIFY(result.quotes[3] && result.quotes[3]->priced);

    QVERIFY(hostileStart >= 0 && hostileEnd >= hostileStart);
    const qint64 hostileMs = hostileEnd - hostileStart;
    qInfo("hostile lookup %lld ms, longest event loop interval %lld ms over %d ticks, "
          "resident growth %lld KiB, server sent %lld bytes",
          hostileMs, static_cast<long long>(probe.longestInterval().count()), probe.ticks(),
          probe.residentGrowthKiB(), usualServer.bytesSent());
    QCOMPARE_LT(hostileMs, (kTransferTimeout + 1s).count());
    QCOMPARE_LT(probe.longestInterval(), 500ms);
    QCOMPARE_LT(probe.residentGrowthKiB(), kMaxGrowthKiB);
    if (offeredBytes > 0)
        QCOMPARE_LT(usualServer.bytesSent(), offeredBytes / 10);
    if (site == Site::Mute)
        QCOMPARE(muteServer.connectionCount(), 1);
}

QTEST_GUILESS_MAIN(TestHostileQuoteServers)
#include "tst_hostilequoteservers.moc"
