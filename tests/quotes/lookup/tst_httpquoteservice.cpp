#include "blockingquote.h"
#include "loopbackquoteserver.h"
#include "httpquoteservice.h"
#include "pagesource.h"
#include "quotepagereader.h"
#include "quoteservice.h"
#include "curltransport.h"
#include "transferworker.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(TestCertificates::ServerIdentity)
Q_DECLARE_METATYPE(QuotePage)
Q_DECLARE_METATYPE(QuotePage::Delivery)

using namespace std::chrono_literals;

namespace {

// A fifth line holding `price` after the second marker.
QByteArray fifthLine(const QByteArray &price)
{
    return "<h1><!-- react-text: 36 -->X<!-- /react-text --></h1><b><!-- react-text: 36 -->"
        + price + "<!-- /react-text --></b>";
}

// A priced page whose head is exactly `headBytes` long.
QuotePage withHeadSize(qsizetype headBytes)
{
    QuotePage page = QuotePage::withPrice("VTI", "42.5");
    page.extraHeaders = "X-Pad: \r\n";
    const qsizetype padding = headBytes - page.head().size();
    page.extraHeaders = "X-Pad: " + QByteArray(padding, 'p') + "\r\n";
    return page;
}

QuotePage withBody(const QByteArray &body, const QByteArray &extraHeaders = {})
{
    QuotePage page;
    page.body = body;
    page.extraHeaders = extraHeaders;
    return page;
}

const QByteArray kFourLines = "<!DOCTYPE html>\n<html>\n<head></head>\n<body>\n";

// Four lines of `bytes` in all, then a priced fifth line.
QByteArray pricedAfter(qint64 bytes)
{
    const QByteArray shortLines = "b\nc\nd\n";
    return QByteArray(bytes - shortLines.size() - 1, 'a') + '\n' + shortLines + fifthLine("42.5") + "\n";
}

// A fifth line of exactly `bytes` ending in the price, with no '<' after it.
QByteArray priceEndingLine(qsizetype bytes)
{
    const QByteArray start = "<h1><!-- react-text: 36 -->X<!-- /react-text --></h1><b>";
    const QByteArray end = "<!-- react-text: 36 -->1234.56";
    return kFourLines + start + QByteArray(bytes - start.size() - end.size(), 'x') + end + "\n";
}

QByteArray interimResponses(int count)
{
    QByteArray interim;
    for (int i = 0; i < count; ++i)
        interim += "HTTP/1.1 103 Early Hints\r\nLink: </style.css>; rel=preload; as=style\r\n\r\n";
    return interim;
}

// A port on 127.0.0.1 that nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

class TestHttpQuoteService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPriceFromPage_data();
    void readsPriceFromPage();
    void keepsToLimits_data();
    void keepsToLimits();
    void keepsConnectionForShortPages_data();
    void keepsConnectionForShortPages();
    void stalledPageRestDoesNotHoldNextLookup();
    void speaksOnlyHttp11();
    void requestsQuotePagePath_data();
    void requestsQuotePagePath();
    void refusesPathSteps_data();
    void refusesPathSteps();
    void reportsRefusedConnection();
    void sendsPlannedHeaders_data();
    void sendsPlannedHeaders();
    void rejectsCertificate_data();
    void rejectsCertificate();
    void timesOutOnSilentServer();
    void readsOnlyStartOfLargePage();
    void reusesConnection();
    void cancelStopsLookup();
    void deletingLookupDropsRequest();
    void deletingServiceStopsLookups();
    void findsTransportModule();
    void pricesManyAtOnceOverFewConnections_data();
    void pricesManyAtOnceOverFewConnections();
    void cancellingEveryTransferEndsThemAtOnce();
    void waitsOutBusySites_data();
    void waitsOutBusySites();
    void closeInHeadersIsConnectionClosed_data();
    void closeInHeadersIsConnectionClosed();
    void endsTheQueueOfADownOrBusySource_data();
    void endsTheQueueOfADownOrBusySource();
};

void TestHttpQuoteService::readsPriceFromPage_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("reason");

    const QString noPrice = QStringLiteral("no price on page");
    const QByteArray fourLines = "<!DOCTYPE html>\n<html>\n<head></head>\n<body>\n";
    const QByteArray ok = "200 OK";
    QTest::newRow("fifth line") << fourLines + fifthLine("123.45") + "\n</body>\n" << ok << true << 123.45
                                << QString();
    QTest::newRow("thousands separators") << fourLines + fifthLine("1,234.50") + "\n" << ok << true << 1234.5
                                          << QString();
    QTest::newRow("last line without break") << fourLines + fifthLine("9.5") << ok << true << 9.5 << QString();
    QTest::newRow("CR LF lines")
        << QByteArray("a\r\nb\r\nc\r\nd\r\n") + fifthLine("31.25") + "\r\n" << ok << true << 31.25 << QString();
    QTest::newRow("price on the fourth line only")
        << QByteArray("a\nb\nc\n") + fifthLine("5") + "\n<p>no price</p>\n" << ok << false << 0.0 << noPrice;
    QTest::newRow("price on the sixth line only")
        << fourLines + "<p>no price</p>\n" + fifthLine("5") + "\n" << ok << false << 0.0 << noPrice;
    QTest::newRow("fewer than five lines") << fourLines << ok << false << 0.0 << noPrice;
    // An error page without a price says which error the site gave.
    QTest::newRow("not found page")
        << fourLines + "<p>No such symbol</p>\n</body>\n</html>\n" << QByteArray("404 Not Found")
        << false << 0.0 << QStringLiteral("no quote page for this symbol (HTTP 404)");
    QTest::newRow("unavailable, empty body") << QByteArray() << QByteArray("503 Service Unavailable") << false
                                             << 0.0 << QStringLiteral("the source failed (HTTP 503)");
    QTest::newRow("redirect status without a target is a page")
        << fourLines << QByteArray("302 Found") << false << 0.0 << noPrice;
    QTest::newRow("empty body") << QByteArray() << ok << false << 0.0 << noPrice;
    QTest::newRow("error page read like any other")
        << fourLines + fifthLine("42") + "\n" << QByteArray("500 Internal Server Error") << true << 42.0
        << QString();
    QTest::newRow("overlong earlier line skipped")
        << QByteArray("a\n") + QByteArray(3 * PriceLineReader::kMaxLineBytes, 'x') + "\nc\nd\n"
               + fifthLine("64.5") + "\n"
        << ok << true << 64.5 << QString();
    QTest::newRow("overlong fifth line cut after its price")
        << fourLines + fifthLine("8.75") + QByteArray(3 * PriceLineReader::kMaxLineBytes, 'x') + "\n"
        << ok << true << 8.75 << QString();
}

void TestHttpQuoteService::readsPriceFromPage()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, status);
    QFETCH(bool, priced);
    QFETCH(double, price);
    QFETCH(QString, reason);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPage(QStringLiteral("VTI"), body, status);
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.priced(), priced);
    QCOMPARE(result.price, price);
    QCOMPARE(result.reason(), reason);
    QCOMPARE(server.requestedPaths(), QStringList{QStringLiteral("/quote/VTI/?p=VTI")});
}

void TestHttpQuoteService::requestsQuotePagePath_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("path");

    QTest::newRow("VTI") << QStringLiteral("VTI") << QStringLiteral("/quote/VTI/?p=VTI");
    QTest::newRow("point") << QStringLiteral("BRK.B") << QStringLiteral("/quote/BRK.B/?p=BRK.B");
    QTest::newRow("caret and dash") << QStringLiteral("^GSPC-X") << QStringLiteral("/quote/%5EGSPC-X/?p=%5EGSPC-X");
    QTest::newRow("empty") << QString() << QStringLiteral("/quote//?p=");
    QTest::newRow("space and slash") << QStringLiteral("A B/C") << QStringLiteral("/quote/A%20B%2FC/?p=A%20B%2FC");
    QTest::newRow("query items") << QStringLiteral("X&p=Y") << QStringLiteral("/quote/X%26p%3DY/?p=X%26p%3DY");
    QTest::newRow("question mark and hash") << QStringLiteral("?#") << QStringLiteral("/quote/%3F%23/?p=%3F%23");
    QTest::newRow("percent") << QStringLiteral("%41") << QStringLiteral("/quote/%2541/?p=%2541");
    QTest::newRow("non-ASCII") << QStringLiteral("Ä") << QStringLiteral("/quote/%C3%84/?p=%C3%84");
}

void TestHttpQuoteService::requestsQuotePagePath()
{
    QFETCH(QString, symbol);
    QFETCH(QString, path);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(symbol, "10.5");
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, symbol);
    QCOMPARE(server.requestedPaths(), QStringList{path});
    QCOMPARE(result.reason(), QString());
    QVERIFY(result.priced()); // the server found the page by the decoded symbol
    QCOMPARE(result.price, 10.5);
}

// No page address keeps the symbol as a path segment of its own.
void TestHttpQuoteService::refusesPathSteps_data()
{
    QTest::addColumn<QString>("symbol");

    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("two dots") << QStringLiteral("..");
}

void TestHttpQuoteService::refusesPathSteps()
{
    QFETCH(QString, symbol);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, symbol);
    QCOMPARE(result.reason(), QStringLiteral("page address not valid"));
    QVERIFY(!result.priced());
    QCOMPARE(server.requestCount(), 0);
}

void TestHttpQuoteService::reportsRefusedConnection()
{
    const quint16 port = closedPort();
    QVERIFY(port != 0);
    TransferSettings settings;
    settings.proxy = TransferProxy{}; // straight to the loopback site
    PageSourceService source(QStringLiteral("127.0.0.1:%1").arg(port), settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason(), QStringLiteral("connection refused"));
    QVERIFY(!result.priced());
    QCOMPARE(result.price, 0.0);
}

void TestHttpQuoteService::sendsPlannedHeaders_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("sent");

    QTest::newRow("plain") << QByteArray("X-Api-Key: abc") << true;
    QTest::newRow("carriage return") << QByteArray("X-Api-Key: abc\rHost: evil.example") << false;
    QTest::newRow("line feed") << QByteArray("X-Api-Key: abc\nHost: evil.example") << false;
    QTest::newRow("NUL") << QByteArray("X-Api-Key: abc\0def", 18) << false;
}

// A header line reaches the site as it is; one that could end early or
// add lines of its own is refused before anything is sent.
void TestHttpQuoteService::sendsPlannedHeaders()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, sent);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "42.5");
    const TransferSettings settings = server.clientSettings();
    const auto planner = [&server, &header](const QString &symbol) {
        PageRequestPlan plan;
        plan.url = QUrl(QStringLiteral("https://%1/quote/%2/?p=%2").arg(server.host(), symbol));
        plan.headers = {header};
        plan.newReader = [] { return std::make_shared<QuotePageReader>(); };
        return plan;
    };
    HttpQuoteService service(settings, planner, std::make_shared<TransferWorker>());

    const QuoteResult result = fetchQuotePriceBlocking(service, QStringLiteral("VTI"));
    QCOMPARE(result.priced(), sent);
    QCOMPARE(result.failure, sent ? QuoteFailure::None : QuoteFailure::AddressNotValid);
    QCOMPARE(server.requestCount(), sent ? 1 : 0);
    if (sent)
        QVERIFY(server.requestHeads().value(0).endsWith("\r\n" + header));
}

void TestHttpQuoteService::rejectsCertificate_data()
{
    QTest::addColumn<TestCertificates::ServerIdentity>("identity");

    QTest::newRow("self-signed") << TestCertificates::ServerIdentity::SelfSigned;
    QTest::newRow("other host") << TestCertificates::ServerIdentity::WrongHost;
}

void TestHttpQuoteService::rejectsCertificate()
{
    QFETCH(TestCertificates::ServerIdentity, identity);

    LoopbackQuoteServer server;
    QVERIFY(server.start(identity));
    server.setPrice(QStringLiteral("VTI"), "123.45");
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason(), QStringLiteral("certificate not trusted"));
    QVERIFY(!result.priced());
    QCOMPARE(result.price, 0.0);
    QCOMPARE(server.requestCount(), 0);
}

void TestHttpQuoteService::timesOutOnSilentServer()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    TransferSettings settings = server.clientSettings();
    settings.limits.stallTimeout = 300ms;
    PageSourceService source(server.host(), settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason(), QStringLiteral("timed out"));
    QVERIFY(!result.priced());
    QCOMPARE(server.requestCount(), 1);
}

void TestHttpQuoteService::readsOnlyStartOfLargePage()
{
    constexpr qint64 kFiller = 50 * 1024 * 1024;
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("BIG"), "77.5");
    server.setFillerBytes(QStringLiteral("BIG"), kFiller);
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("BIG"));
    QVERIFY(result.priced());
    QCOMPARE(result.price, 77.5);
    // The client hangs up after the fifth line: the server never gets to
    // send most of the page.
    QTRY_COMPARE(server.cutOffResponses(), 1);
    QCOMPARE_LT(server.bytesSent(), kFiller / 5);
}

void TestHttpQuoteService::reusesConnection()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "1");
    server.setPrice(QStringLiteral("BND"), "2");
    PageSourceService source(server.host(), server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 1.0);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("BND")).price, 2.0);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 1.0);
    QCOMPARE(server.requestCount(), 3); // nothing cached
    QCOMPARE(server.connectionCount(), 1);
}

void TestHttpQuoteService::cancelStopsLookup()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    PageSourceService source(server.host(), server.clientSettings());

    const std::unique_ptr<QuoteRequest> lookup = source.FetchQuotePrice(QStringLiteral("VTI"));
    QSignalSpy finished(lookup.get(), &QuoteRequest::finished);
    QTRY_COMPARE(server.requestCount(), 1);

    lookup->cancel();
    QCOMPARE(finished.size(), 1);
    QVERIFY(lookup->isFinished());
    QCOMPARE(lookup->result().reason(), QStringLiteral("stopped"));
    QVERIFY(!lookup->result().priced());

    lookup->cancel();
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(lookup->result().reason(), QStringLiteral("stopped"));
}

void TestHttpQuoteService::deletingLookupDropsRequest()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setResponseDelay(200ms);
    PageSourceService source(server.host(), server.clientSettings());

    std::unique_ptr<QuoteRequest> lookup = source.FetchQuotePrice(QStringLiteral("VTI"));
    QTRY_COMPARE(server.requestCount(), 1);
    lookup.reset();

    // The reply was aborted: the server sees the connection go before it answers.
    QTRY_COMPARE(server.cutOffResponses(), 1);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 123.45);
}

void TestHttpQuoteService::deletingServiceStopsLookups()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    auto source = std::make_unique<PageSourceService>(server.host(), server.clientSettings());

    const std::unique_ptr<QuoteRequest> lookup = source->FetchQuotePrice(QStringLiteral("VTI"));
    QSignalSpy finished(lookup.get(), &QuoteRequest::finished);
    QTRY_COMPARE(server.requestCount(), 1);

    source.reset();
    QCOMPARE(finished.size(), 0); // not from inside the service's destruction
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(lookup->result().reason(), QStringLiteral("stopped"));
    lookup->cancel();
    QCOMPARE(finished.size(), 1);
}

// Every limit at its value and one past it, with the limits the program
// ships with.
void TestHttpQuoteService::keepsToLimits_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QuotePage>("page"); // served for VTI
    QTest::addColumn<QString>("reason"); // empty: priced at 42.5
    const QString tooLarge = QStringLiteral("page too large");
    const QString noPrice = QStringLiteral("no price on page");
    const QString refused = QStringLiteral("redirect refused");
    const QString unpacking = QStringLiteral("page could not be unpacked");
    const QString vti = QStringLiteral("VTI");
    const QuotePage priced = QuotePage::withPrice("VTI", "42.5");
    const qint64 maxHead = TransferLimits::kMaxHeaderBytes;
    const qint64 maxBefore = TransferLimits::kMaxBytesBeforePriceLine;
    const qsizetype cap = TransferLimits::kMaxPriceLineBytes;

    QTest::newRow("headers at the limit") << vti << withHeadSize(maxHead) << QString();
    QTest::newRow("headers a byte over") << vti << withHeadSize(maxHead + 1) << tooLarge;
    QTest::newRow("one header line over the limit") << vti << withHeadSize(maxHead + 16 * 1024) << tooLarge;
    QTest::newRow("a header line longer than curl keeps") << vti << withHeadSize(4 * maxHead) << tooLarge;
    QuotePage interim = priced;
    interim.interim = "HTTP/1.1 102 Processing\r\n\r\n" + interimResponses(1);
    QTest::newRow("102 and 103 before the page") << vti << interim << QString();
    interim.interim = interimResponses(int(maxHead / interimResponses(1).size()) + 1);
    QTest::newRow("interim responses count toward the headers") << vti << interim << tooLarge;
    QTest::newRow("five redirects") << QStringLiteral("R5") << priced << QString();
    QTest::newRow("six redirects") << QStringLiteral("R6") << priced << refused;
    QTest::newRow("redirect to plain HTTP")
        << vti << QuotePage::redirectTo("http://127.0.0.1:1/quote/R0/?p=R0") << refused;
    QTest::newRow("lines before the price at the limit") << vti << withBody(pricedAfter(maxBefore)) << QString();
    QTest::newRow("lines before the price a byte over") << vti << withBody(pricedAfter(maxBefore + 1)) << tooLarge;
    QTest::newRow("price line exactly the cap") << vti << withBody(priceEndingLine(cap)) << QStringLiteral("=1234.56");
    QTest::newRow("price line a byte over the cap") << vti << withBody(priceEndingLine(cap + 1)) << noPrice;
    QTest::newRow("cut price line with its end")
        << vti << QuotePage::priceAtOffset("1234.56", cap - 8, 2 * cap) << QStringLiteral("=1234.56");
    QTest::newRow("cut price line without its end")
        << vti << QuotePage::priceAtOffset("1234.56", cap - 7, 2 * cap) << noPrice;
    QTest::newRow("price across the cap") << vti << QuotePage::priceAtOffset("1234.56", cap - 2, 2 * cap) << noPrice;
    QTest::newRow("damaged gzip")
        << vti << withBody("not gzip at all\n", "Content-Encoding: gzip\r\n") << unpacking;
    QTest::newRow("encoding with a large window") << vti << withBody(priced.body, "Content-Encoding: br\r\n")
                                                   << unpacking;
    QuotePage switching = priced;
    switching.status = "101 Switching Protocols";
    QTest::newRow("switching protocols") << vti << switching << QStringLiteral("download failed");
    QuotePage garbage = priced;
    garbage.status = "2x0 OK";
    QTest::newRow("status that is no number") << vti << garbage << QStringLiteral("download failed");
}

void TestHttpQuoteService::keepsToLimits()
{
    QFETCH(QString, symbol);
    QFETCH(QuotePage, page);
    QFETCH(QString, reason);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPage(QStringLiteral("VTI"), page);
    server.setPrice(QStringLiteral("R0"), "42.5");
    for (int hop = 1; hop <= TransferLimits::kMaxRedirects + 1; ++hop) {
        const QByteArray previous = "R" + QByteArray::number(hop - 1);
        server.setPage(QStringLiteral("R%1").arg(hop), QuotePage::redirectTo("/quote/" + previous + "/?p=" + previous));
    }
    PageSourceService source(server.host(), server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, symbol);
    if (reason.isEmpty() || reason.startsWith(u'=')) {
        QCOMPARE(result.reason(), QString());
        QCOMPARE(result.price, reason.isEmpty() ? 42.5 : reason.mid(1).toDouble());
    } else {
        QCOMPARE(result.reason(), reason);
        QVERIFY(!result.priced());
    }
}

// The rest of a short page is read so that its connection serves the next
// lookup; a longer page costs its connection instead of its download.
void TestHttpQuoteService::keepsConnectionForShortPages_data()
{
    QTest::addColumn<qint64>("pageBytes");
    QTest::addColumn<int>("connections");

    QTest::newRow("at the size kept") << CurlTransport::kMaxReusedPageBytes << 1;
    QTest::newRow("a byte over") << CurlTransport::kMaxReusedPageBytes + 1 << 2;
}

void TestHttpQuoteService::keepsConnectionForShortPages()
{
    QFETCH(qint64, pageBytes);
    QFETCH(int, connections);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page = QuotePage::withPrice("VTI", "3.5");
    page.fillerBytes = pageBytes - page.body.size();
    server.setPage(QStringLiteral("VTI"), page);
    PageSourceService source(server.host(), server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 3.5);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 3.5);
    QCOMPARE(server.connectionCount(), connections);
}

void TestHttpQuoteService::stalledPageRestDoesNotHoldNextLookup()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page = QuotePage::withPrice("SLOW", "7.5");
    page.delivery = QuotePage::Delivery::PriceLineThenStall;
    server.setPage(QStringLiteral("SLOW"), page);
    server.setPrice(QStringLiteral("VTI"), "1.5");
    PageSourceService source(server.host(), server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("SLOW")).price, 7.5);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 1.5);
    QCOMPARE_LT(clock.elapsed(), (CurlTransport::kMaxDrainTime + 1s).count());
    QCOMPARE(server.connectionCount(), 2);
}

// The site offers HTTP/2 first; the client names only HTTP/1.1, so that is
// what the handshake settles on.
void TestHttpQuoteService::speaksOnlyHttp11()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    PageSourceService source(server.host(), server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 123.45);
    QCOMPARE(server.negotiatedProtocols(), QByteArrayList{"http/1.1"});
}

void TestHttpQuoteService::findsTransportModule()
{
    // This test runs from the build tree, so the module built there serves.
    const QString built = transportModulePath(QCoreApplication::applicationDirPath());
    QVERIFY2(QFileInfo::exists(built), qPrintable(built));
    const QString moduleName = QFileInfo(built).fileName();

    // A program installed elsewhere looks only beside itself, found or not.
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString installed = QDir::cleanPath(prefix.filePath(QStringLiteral("lib/fundtally/")) + u'/' + moduleName);
    QVERIFY(QDir().mkpath(bin));
    QCOMPARE(QDir::cleanPath(transportModulePath(bin)), installed);

    QVERIFY(QDir().mkpath(QFileInfo(installed).path()));
    QFile module(installed);
    QVERIFY(module.open(QIODevice::WriteOnly));
    module.close();
    QCOMPARE(QDir::cleanPath(transportModulePath(bin)), installed);
}

// Twenty symbols asked for at once from a site that holds each page 100 ms:
// never more than four connections, and about five pages' time in all.
void TestHttpQuoteService::pricesManyAtOnceOverFewConnections_data()
{
    QTest::addColumn<int>("sources");

    QTest::newRow("one source") << 1;
    // Sources on one host share its connections rather than adding to them.
    QTest::newRow("two sources on one host") << 2;
    QTest::newRow("three sources on one host") << 3;
}

void TestHttpQuoteService::pricesManyAtOnceOverFewConnections()
{
    QFETCH(int, sources);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setResponseDelay(100ms);
    const auto worker = std::make_shared<TransferWorker>();
    std::vector<std::unique_ptr<PageSourceService>> services;
    for (int i = 0; i < sources; ++i)
        services.push_back(std::make_unique<PageSourceService>(server.host(), server.clientSettings(), worker));
    std::vector<std::unique_ptr<QuoteRequest>> requests;
    for (int i = 0; i < 20; ++i) {
        const QString symbol = QStringLiteral("S%1").arg(i);
        server.setPrice(symbol, QByteArray::number(i + 1));
        requests.push_back(services[size_t(i % sources)]->FetchQuotePrice(symbol));
    }    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(requests.begin(), requests.end(),
                                         [](const auto &request) { return request->isFinished(); }),
                             10000);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(requests[i]->result().price, double(i + 1));
    QCOMPARE(server.requestCount(), 20);
    QCOMPARE_LE(server.mostOpenConnections(), HostQueues::kMaxConnectionsPerHost);
    QCOMPARE(server.connectionCount(), HostQueues::kMaxConnectionsPerHost);
    // One after another it would take two seconds.
    QCOMPARE_LT(clock.elapsed(), 1500);
}

void TestHttpQuoteService::cancellingEveryTransferEndsThemAtOnce()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    PageSourceService service(server.host(), server.clientSettings());
    std::vector<std::unique_ptr<QuoteRequest>> requests;
    for (int i = 0; i < 20; ++i)
        requests.push_back(service.FetchQuotePrice(QStringLiteral("S%1").arg(i)));
    QTRY_COMPARE(server.requestCount(), HostQueues::kMaxConnectionsPerHost);

    QElapsedTimer clock;
    clock.start();
    for (const std::unique_ptr<QuoteRequest> &request : requests) {
        request->cancel();
        QVERIFY(request->isFinished());
        QCOMPARE(request->result().failure, QuoteFailure::Stopped);
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 1000);
    QCOMPARE_LT(clock.elapsed(), 100);
    QTest::qWait(50);
    QCOMPARE(server.requestCount(), HostQueues::kMaxConnectionsPerHost);
}

void TestHttpQuoteService::waitsOutBusySites_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("requests");

    const QByteArray tooMany = "429 Too Many Requests";
    const QByteArray unavailable = "503 Service Unavailable";
    QTest::newRow("429, a second") << tooMany << QByteArray("1") << QString() << 2;
    QTest::newRow("429, a second past the longest wait")
        << tooMany << QByteArray("11") << QStringLiteral("rate limited (HTTP 429)") << 1;
    QTest::newRow("429, a minute") << tooMany << QByteArray("60") << QStringLiteral("rate limited (HTTP 429)") << 1;
    QTest::newRow("429, no wait given") << tooMany << QByteArray() << QStringLiteral("rate limited (HTTP 429)") << 1;
    QTest::newRow("503, a second") << unavailable << QByteArray("1") << QString() << 2;
    QTest::newRow("503, a date a minute on")
        << unavailable
        << QLocale::c()
               .toString(QDateTime::currentDateTimeUtc().addSecs(60), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
               .toLatin1()
        << QStringLiteral("rate limited (HTTP 503)") << 1;
    QTest::newRow("503 without Retry-After")
        << unavailable << QByteArray() << QStringLiteral("the source failed (HTTP 503)") << 1;
}

void TestHttpQuoteService::waitsOutBusySites()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, retryAfter);
    QFETCH(QString, reason);
    QFETCH(int, requests);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage busy;
    busy.status = status;
    busy.body = "busy\n";
    if (!retryAfter.isEmpty())
        busy.extraHeaders = "Retry-After: " + retryAfter + "\r\n";
    server.setPage(QStringLiteral("VTI"), busy);
    PageSourceService service(server.host(), server.clientSettings());

    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(QStringLiteral("VTI"));
    QTRY_COMPARE(server.requestCount(), 1);
    server.setPrice(QStringLiteral("VTI"), "42.5"); // for the second try
    QTRY_VERIFY_WITH_TIMEOUT(request->isFinished(), 5000);
    QCOMPARE(request->result().reason(), reason);
    QCOMPARE(server.requestCount(), requests);
    if (requests == 2) {
        QCOMPARE(request->result().price, 42.5);
        QCOMPARE_GE(clock.elapsed(), 1000);
    } else {
        QCOMPARE_LT(clock.elapsed(), 1000);
    }
}

void TestHttpQuoteService::endsTheQueueOfADownOrBusySource_data()
{
    QTest::addColumn<QByteArray>("status");   // empty: nothing listens
    QTest::addColumn<QString>("ended");       // the reason of the requests ended unasked
    QTest::addColumn<bool>("allAsked");

    QTest::newRow("refused four times in a row")
        << QByteArray() << QStringLiteral("connection refused: the source did not answer 4 requests") << false;
    QTest::newRow("an HTTP error is an answer") << QByteArray("500 Internal Server Error") << QString() << true;
    QTest::newRow("busy, no wait given")
        << QByteArray("429 Too Many Requests") << QStringLiteral("rate limited (HTTP 429)") << false;
}

// Twelve symbols of one source: a source that does not answer, or asks to
// be asked later, ends the rest of its queue at once, so that it fails over.
void TestHttpQuoteService::endsTheQueueOfADownOrBusySource()
{
    QFETCH(QByteArray, status);
    QFETCH(QString, ended);
    QFETCH(bool, allAsked);

    constexpr int kSymbols = 12;
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage answer;
    answer.status = status;
    answer.body = "none\n";
    for (int i = 0; i < kSymbols; ++i)
        server.setPage(QStringLiteral("S%1").arg(i), answer);
    const QString host = status.isEmpty() ? QStringLiteral("127.0.0.1:%1").arg(closedPort()) : server.host();
    PageSourceService source(host, server.clientSettings());

    std::vector<std::unique_ptr<QuoteRequest>> requests;
    for (int i = 0; i < kSymbols; ++i)
        requests.push_back(source.FetchQuotePrice(QStringLiteral("S%1").arg(i)));
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(requests.begin(), requests.end(), [](const auto &r) { return r->isFinished(); }),
                             10000);
    const qsizetype endedCount = std::count_if(requests.begin(), requests.end(), [&ended](const auto &r) {
        return !ended.isEmpty() && r->result().reason() == ended;
    });
    QCOMPARE(endedCount > 0, !ended.isEmpty());
    if (!status.isEmpty())
        QCOMPARE(server.requestCount() == kSymbols, allAsked);
}

// A site that closes in the middle of its headers sent no page at all.
void TestHttpQuoteService::closeInHeadersIsConnectionClosed_data()
{
    QTest::addColumn<QuotePage::Delivery>("delivery");
    QTest::newRow("with the TLS close alert") << QuotePage::Delivery::HeadCutThenClose;
    QTest::newRow("TCP close only") << QuotePage::Delivery::HeadCutByTcpClose;
}

void TestHttpQuoteService::closeInHeadersIsConnectionClosed()
{
    QFETCH(QuotePage::Delivery, delivery);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page = QuotePage::withPrice("VTI", "42.5");
    page.extraHeaders = "Content-Type: text/html\r\n";
    page.delivery = delivery;
    page.cutAt = page.head().indexOf("Content-Type: te") + 16;
    server.setPage(QStringLiteral("VTI"), page);
    PageSourceService service(server.host(), server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(service, QStringLiteral("VTI")).reason(), QStringLiteral("connection closed"));
}

QTEST_GUILESS_MAIN(TestHttpQuoteService)
#include "tst_httpquoteservice.moc"
