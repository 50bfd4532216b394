#include "blockingquote.h"
#include "loopbackquoteserver.h"
#include "networkquotelookup.h"
#include "networkquotesource.h"
#include "quotelookup.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TestCertificates::ServerIdentity)

using namespace std::chrono_literals;

namespace {

// A fifth line holding `price` after the second marker.
QByteArray fifthLine(const QByteArray &price)
{
    return "<h1><!-- react-text: 36 -->X<!-- /react-text --></h1><b><!-- react-text: 36 -->"
        + price + "<!-- /react-text --></b>";
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

class TestNetworkQuoteSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPriceFromPage_data();
    void readsPriceFromPage();
    void pricesCashWithoutRequest_data();
    void pricesCashWithoutRequest();
    void requestsQuotePagePath_data();
    void requestsQuotePagePath();
    void refusesPathSteps_data();
    void refusesPathSteps();
    void reportsRefusedConnection();
    void rejectsCertificate_data();
    void rejectsCertificate();
    void timesOutOnSilentServer();
    void readsOnlyStartOfLargePage();
    void reusesConnection();
    void reportsMissingQuoteSite();
    void abortStopsLookup();
    void deletingLookupDropsRequest();
    void deletingSourceStopsLookups();
};

void TestNetworkQuoteSource::readsPriceFromPage_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<double>("price");

    const QByteArray fourLines = "<!DOCTYPE html>\n<html>\n<head></head>\n<body>\n";
    const QByteArray ok = "200 OK";
    QTest::newRow("fifth line") << fourLines + fifthLine("123.45") + "\n</body>\n" << ok << true << 123.45;
    QTest::newRow("thousands separators") << fourLines + fifthLine("1,234.50") + "\n" << ok << true << 1234.5;
    QTest::newRow("last line without break") << fourLines + fifthLine("9.5") << ok << true << 9.5;
    QTest::newRow("CR LF lines")
        << QByteArray("a\r\nb\r\nc\r\nd\r\n") + fifthLine("31.25") + "\r\n" << ok << true << 31.25;
    QTest::newRow("price on the fourth line only")
        << QByteArray("a\nb\nc\n") + fifthLine("5") + "\n<p>no price</p>\n" << ok << false << 0.0;
    QTest::newRow("price on the sixth line only")
        << fourLines + "<p>no price</p>\n" + fifthLine("5") + "\n" << ok << false << 0.0;
    QTest::newRow("fewer than five lines") << fourLines << ok << false << 0.0;
    QTest::newRow("not found page")
        << fourLines + "<p>No such symbol</p>\n</body>\n</html>\n" << QByteArray("404 Not Found")
        << false << 0.0;
    QTest::newRow("empty body") << QByteArray() << ok << false << 0.0;
    QTest::newRow("error page read like any other")
        << fourLines + fifthLine("42") + "\n" << QByteArray("500 Internal Server Error") << true << 42.0;
    QTest::newRow("overlong earlier line skipped")
        << QByteArray("a\n") + QByteArray(3 * NetworkQuoteLookup::kMaxLineBytes, 'x') + "\nc\nd\n"
               + fifthLine("64.5") + "\n"
        << ok << true << 64.5;
    QTest::newRow("overlong fifth line cut")
        << fourLines + fifthLine("8.75") + QByteArray(3 * NetworkQuoteLookup::kMaxLineBytes, 'x') + "\n"
        << ok << true << 8.75;
}

void TestNetworkQuoteSource::readsPriceFromPage()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, status);
    QFETCH(bool, priced);
    QFETCH(double, price);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPage(QStringLiteral("VTI"), body, status);
    NetworkQuoteSource source(server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.priced, priced);
    QCOMPARE(result.price, price);
    QCOMPARE(result.reason, priced ? QString() : QStringLiteral("no price on page"));
    QCOMPARE(server.requestedPaths(), QStringList{QStringLiteral("/quote/VTI/?p=VTI")});
}

void TestNetworkQuoteSource::pricesCashWithoutRequest_data()
{
    QTest::addColumn<QString>("symbol");

    QTest::newRow("cash") << QStringLiteral("cash");
    QTest::newRow("CASH") << QStringLiteral("CASH");
    QTest::newRow("Money Market") << QStringLiteral("Money Market");
    QTest::newRow("money market") << QStringLiteral("money market");
}

void TestNetworkQuoteSource::pricesCashWithoutRequest()
{
    QFETCH(QString, symbol);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(symbol, "50");
    NetworkQuoteSource source(server.clientSettings());

    QObject owner;
    QuoteLookup *lookup = source.FetchQuotePrice(symbol, &owner);
    QSignalSpy finished(lookup, &QuoteLookup::finished);
    QVERIFY(!lookup->isFinished()); // reported from the event loop, never from the call
    QTRY_COMPARE(finished.size(), 1);

    QCOMPARE(lookup->symbol(), symbol);
    QCOMPARE(lookup->result().price, 1.0);
    QVERIFY(lookup->result().priced);
    QVERIFY(lookup->result().reason.isEmpty());
    QCOMPARE(server.requestCount(), 0);
    QCOMPARE(server.connectionCount(), 0);
}

void TestNetworkQuoteSource::requestsQuotePagePath_data()
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

void TestNetworkQuoteSource::requestsQuotePagePath()
{
    QFETCH(QString, symbol);
    QFETCH(QString, path);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(symbol, "10.5");
    NetworkQuoteSource source(server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, symbol);
    QCOMPARE(server.requestedPaths(), QStringList{path});
    QVERIFY(result.priced); // the server found the page by the decoded symbol
    QCOMPARE(result.price, 10.5);
}

// No page address keeps the symbol as a path segment of its own.
void TestNetworkQuoteSource::refusesPathSteps_data()
{
    QTest::addColumn<QString>("symbol");

    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("two dots") << QStringLiteral("..");
}

void TestNetworkQuoteSource::refusesPathSteps()
{
    QFETCH(QString, symbol);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    NetworkQuoteSource source(server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, symbol);
    QCOMPARE(result.reason, QStringLiteral("page address not valid"));
    QVERIFY(!result.priced);
    QCOMPARE(server.requestCount(), 0);
}

void TestNetworkQuoteSource::reportsRefusedConnection()
{
    const quint16 port = closedPort();
    QVERIFY(port != 0);
    QuoteSiteSettings settings;
    settings.host = QStringLiteral("127.0.0.1:%1").arg(port);
    settings.ssl = LoopbackQuoteServer::trustingClientConfiguration();
    settings.proxy = QNetworkProxy(QNetworkProxy::NoProxy);
    NetworkQuoteSource source(settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason, QStringLiteral("connection refused"));
    QVERIFY(!result.priced);
    QCOMPARE(result.price, 0.0);
}

void TestNetworkQuoteSource::rejectsCertificate_data()
{
    QTest::addColumn<TestCertificates::ServerIdentity>("identity");

    QTest::newRow("self-signed") << TestCertificates::ServerIdentity::SelfSigned;
    QTest::newRow("other host") << TestCertificates::ServerIdentity::WrongHost;
}

void TestNetworkQuoteSource::rejectsCertificate()
{
    QFETCH(TestCertificates::ServerIdentity, identity);

    LoopbackQuoteServer server;
    QVERIFY(server.start(identity));
    server.setPrice(QStringLiteral("VTI"), "123.45");
    NetworkQuoteSource source(server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason, QStringLiteral("certificate not trusted"));
    QVERIFY(!result.priced);
    QCOMPARE(result.price, 0.0);
    QCOMPARE(server.requestCount(), 0);
}

void TestNetworkQuoteSource::timesOutOnSilentServer()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    QuoteSiteSettings settings = server.clientSettings();
    settings.transferTimeout = 300ms;
    NetworkQuoteSource source(settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason, QStringLiteral("timed out"));
    QVERIFY(!result.priced);
    QCOMPARE(server.requestCount(), 1);
}

void TestNetworkQuoteSource::readsOnlyStartOfLargePage()
{
    constexpr qint64 kFiller = 50 * 1024 * 1024;
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("BIG"), "77.5");
    server.setFillerBytes(QStringLiteral("BIG"), kFiller);
    NetworkQuoteSource source(server.clientSettings());

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("BIG"));
    QVERIFY(result.priced);
    QCOMPARE(result.price, 77.5);
    // The client hangs up after the fifth line: the server never gets to
    // send most of the page.
    QTRY_COMPARE(server.cutOffResponses(), 1);
    QCOMPARE_LT(server.bytesSent(), kFiller / 5);
}

void TestNetworkQuoteSource::reusesConnection()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "1");
    server.setPrice(QStringLiteral("BND"), "2");
    NetworkQuoteSource source(server.clientSettings());

    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 1.0);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("BND")).price, 2.0);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 1.0);
    QCOMPARE(server.requestCount(), 3); // nothing cached
    QCOMPARE(server.connectionCount(), 1);
}

void TestNetworkQuoteSource::reportsMissingQuoteSite()
{
    QuoteSiteSettings settings;
    settings.proxy = QNetworkProxy(QNetworkProxy::NoProxy);
    NetworkQuoteSource source(settings);

    const QuoteResult result = fetchQuotePriceBlocking(source, QStringLiteral("VTI"));
    QCOMPARE(result.reason, QStringLiteral("no quote site configured"));
    QVERIFY(!result.priced);
    QCOMPARE(result.price, 0.0);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("Cash")).price, 1.0);
}

void TestNetworkQuoteSource::abortStopsLookup()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    NetworkQuoteSource source(server.clientSettings());

    QObject owner;
    QuoteLookup *lookup = source.FetchQuotePrice(QStringLiteral("VTI"), &owner);
    QSignalSpy finished(lookup, &QuoteLookup::finished);
    QTRY_COMPARE(server.requestCount(), 1);

    lookup->abort();
    QCOMPARE(finished.size(), 1);
    QVERIFY(lookup->isFinished());
    QCOMPARE(lookup->result().reason, QStringLiteral("stopped"));
    QVERIFY(!lookup->result().priced);

    lookup->abort();
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(lookup->result().reason, QStringLiteral("stopped"));
}

void TestNetworkQuoteSource::deletingLookupDropsRequest()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setResponseDelay(200ms);
    NetworkQuoteSource source(server.clientSettings());

    auto owner = std::make_unique<QObject>();
    source.FetchQuotePrice(QStringLiteral("VTI"), owner.get());
    QTRY_COMPARE(server.requestCount(), 1);
    owner.reset();

    // The reply was aborted: the server sees the connection go before it answers.
    QTRY_COMPARE(server.cutOffResponses(), 1);
    QCOMPARE(fetchQuotePriceBlocking(source, QStringLiteral("VTI")).price, 123.45);
}

void TestNetworkQuoteSource::deletingSourceStopsLookups()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "123.45");
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    auto source = std::make_unique<NetworkQuoteSource>(server.clientSettings());

    QObject owner;
    QuoteLookup *lookup = source->FetchQuotePrice(QStringLiteral("VTI"), &owner);
    QSignalSpy finished(lookup, &QuoteLookup::finished);
    QTRY_COMPARE(server.requestCount(), 1);

    source.reset();
    QCOMPARE(finished.size(), 0); // not from inside the source's destruction
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(lookup->result().reason, QStringLiteral("stopped"));
    lookup->abort();
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(TestNetworkQuoteSource)
#include "tst_networkquotesource.moc"
