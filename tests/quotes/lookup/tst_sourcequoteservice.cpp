#include "loopbackquoteserver.h"
#include "quotepage.h"
#include "memorykeystore.h"
#include "sourcekeys.h"
#include "sourcequoteservice.h"
#include "transferworker.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

// A JSON, CSV or text source at the loopback site, trusted by its own
// certificate file.
QuoteSource loopbackSource(const LoopbackQuoteServer &server, const QString &urlPath, SourceFormat format,
                           const QString &price)
{
    QuoteSource source;
    source.name = QStringLiteral("Loopback");
    source.url = QStringLiteral("https://") + server.host() + urlPath;
    source.format = format;
    source.price = price;
    source.certificate = server.authorityFile();
    return source;
}

TransferSettings direct()
{
    TransferSettings base;
    base.proxy = TransferProxy{};
    return base;
}

QuotePage answer(const QByteArray &body)
{
    QuotePage page;
    page.body = body;
    return page;
}

QuoteResult priceOf(QuoteService &service, const QString &symbol)
{
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(symbol);
    QSignalSpy finished(request.get(), &QuoteRequest::finished);
    if (!request->isFinished() && !finished.wait(20000))
        return QuoteResult::failed(QuoteFailure::TimedOut);
    return request->result();
}

// The source's service over a worker of its own, its key (if any) kept as a
// keyring keeps it, read on the first lookup.
struct KeyedService {
    KeyedService(const QuoteSource &source, const QString &key)
        : service(source, keys, direct(), std::make_shared<TransferWorker>())
    {
        if (!key.isEmpty())
            store.keys.insert(source.name, key);
    }
    MemoryKeyStore store;
    SourceKeys keys{store};
    SourceQuoteService service;
};

} // namespace

class TestSourceQuoteService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pricesEachFormat_data();
    void pricesEachFormat();
    void needsItsKey_data();
    void needsItsKey();
    void keepsItsHeadersAtItsHost_data();
    void keepsItsHeadersAtItsHost();
    void keepsToItsConnections_data();
    void keepsToItsConnections();
};

void TestSourceQuoteService::pricesEachFormat_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("urlPath");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("match");
    QTest::addColumn<QString>("header");   // "Name: value" with {KEY}, or empty
    QTest::addColumn<QByteArray>("target"); // as the site must be asked
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("sentHeader");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("currency");

    QTest::newRow("json, key in a header")
        << int(SourceFormat::Json) << "/v1/quote?s={SYMBOL}" << "/data/0/price" << ""
        << "X-Api-Key: {KEY}" << QByteArray("/v1/quote?s=VTI")
        << QByteArray(R"({"data": [{"price": 251.5, "cur": "USD"}]})") << QByteArray("X-Api-Key: s3cr3t")
        << 251.5 << "";
    QTest::newRow("json, key in the address")
        << int(SourceFormat::Json) << "/v1/{symbol}.json?token={KEY}" << "$.last" << "" << ""
        << QByteArray("/v1/vti.json?token=s3cr3t") << QByteArray(R"({"last": "12.25"})") << QByteArray() << 12.25
        << "";
    QTest::newRow("csv, bearer header")
        << int(SourceFormat::Csv) << "/prices.csv?s={SYMBOL}" << "Close" << "Symbol" << "Authorization: Bearer {KEY}"
        << QByteArray("/prices.csv?s=VTI") << QByteArray("Symbol,Close\r\nBND,72.10\r\nVTI,251.75\r\n")
        << QByteArray("Authorization: Bearer s3cr3t") << 251.75 << "";
    QTest::newRow("text, pattern")
        << int(SourceFormat::Text) << "/q/{SYMBOL}" << R"(last trade: ([0-9.]+))" << "" << ""
        << QByteArray("/q/VTI") << QByteArray("VTI\nlast trade: 250.5 at noon\n") << QByteArray() << 250.5
        << "";
}

// The site gets the address and headers the source names, the key only
// where the source puts it, and the answer is read in the source's format.
void TestSourceQuoteService::pricesEachFormat()
{
    QFETCH(int, format);
    QFETCH(QString, urlPath);
    QFETCH(QString, price);
    QFETCH(QString, match);
    QFETCH(QString, header);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, sentHeader);
    QFETCH(double, expected);
    QFETCH(QString, currency);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setTargetPage(target, answer(body));
    QuoteSource source = loopbackSource(server, urlPath, SourceFormat(format), price);
    source.match = match;
    if (!header.isEmpty())
        source.headers = {SourceHeader{header.section(QStringLiteral(": "), 0, 0), header.section(QStringLiteral(": "), 1)}};
    QVERIFY2(checkQuoteSource(source).ok(), qPrintable(sourceProblemText(source.name, checkQuoteSource(source))));

    KeyedService keyed(source, QStringLiteral("s3cr3t"));
    SourceQuoteService &service = keyed.service;
    const QuoteResult result = priceOf(service, QStringLiteral("VTI"));
    QVERIFY2(result.priced(), qPrintable(result.reason()));
    QCOMPARE(result.price, expected);
    QCOMPARE(result.currency, currency);
    QCOMPARE(result.source, QStringLiteral("Loopback"));
    QCOMPARE(server.requestedPaths(), QStringList{QString::fromLatin1(target)});
    const QByteArray head = server.requestHeads().value(0);
    if (!sentHeader.isEmpty())
        QVERIFY2(("\r\n" + head + "\r\n").contains("\r\n" + sentHeader + "\r\n"), head.constData());
    // Only the template's own {KEY} puts the key in the address.
    QCOMPARE(head.split('\r').value(0).contains("s3cr3t"), urlPath.contains(QStringLiteral("{KEY}")));
}

void TestSourceQuoteService::needsItsKey_data()
{
    QTest::addColumn<bool>("keyringReached");
    QTest::addColumn<QString>("reason");

    QTest::newRow("looked everywhere") << true
        << "API key missing: not in the environment (FUNDTALLY_KEY_LOOPBACK), the desktop keyring or the key file";
    QTest::newRow("no keyring here") << false
        << "API key missing: not in the environment (FUNDTALLY_KEY_LOOPBACK), the desktop keyring cannot be "
           "reached here, none in the key file";
}

void TestSourceQuoteService::needsItsKey()
{
    QFETCH(bool, keyringReached);
    QFETCH(QString, reason);
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuoteSource source = loopbackSource(server, QStringLiteral("/q/{SYMBOL}?k={KEY}"), SourceFormat::Json,
                                        QStringLiteral("/p"));
    KeyedService keyed(source, QString());
    keyed.store.keyringReached = keyringReached;
    // The second lookup is told the same from what the first found.
    for (const char *symbol : {"VTI", "BND"}) {
        const QuoteResult result = priceOf(keyed.service, QString::fromLatin1(symbol));
        QCOMPARE(result.failure, keyringReached ? QuoteFailure::KeyMissing : QuoteFailure::KeyMissingNoKeyring);
        QCOMPARE(result.reason(), reason);
    }
    QCOMPARE(keyed.store.reads, 1);
    QCOMPARE(server.requestCount(), 0);
}

void TestSourceQuoteService::keepsItsHeadersAtItsHost_data()
{
    QTest::addColumn<QString>("headerValue");
    QTest::addColumn<bool>("elsewhere");
    QTest::addColumn<bool>("priced");
    QTest::addColumn<bool>("otherAsked");

    QTest::newRow("key, same host") << "{KEY}" << false << true << false;
    QTest::newRow("key, another host: refused") << "{KEY}" << true << false << false;
    QTest::newRow("plain, another host: without it") << "json" << true << true << true;
}

// A source's headers go to its own scheme, host and port: a redirect to
// another port on loopback is another host.
void TestSourceQuoteService::keepsItsHeadersAtItsHost()
{
    QFETCH(QString, headerValue);
    QFETCH(bool, elsewhere);
    QFETCH(bool, priced);
    QFETCH(bool, otherAsked);

    LoopbackQuoteServer server;
    LoopbackQuoteServer other;
    QVERIFY(server.start());
    QVERIFY(other.start());
    const QByteArray target = elsewhere ? "https://" + other.host().toLatin1() + "/p/VTI" : QByteArray("/p/VTI");
    server.setTargetPage("/q/VTI", QuotePage::redirectTo(target));
    server.setTargetPage("/p/VTI", answer("price 9.5"));
    other.setTargetPage("/p/VTI", answer("price 9.5"));
    QuoteSource source = loopbackSource(server, QStringLiteral("/q/{SYMBOL}"), SourceFormat::Text,
                                        QStringLiteral("price ([0-9.]+)"));
    source.headers = {SourceHeader{QStringLiteral("X-Api-Key"), headerValue}};
    KeyedService keyed(source, QStringLiteral("s3cr3t"));

    const QuoteResult result = priceOf(keyed.service, QStringLiteral("VTI"));
    QCOMPARE(result.priced(), priced);
    if (!priced)
        QCOMPARE(result.failure, QuoteFailure::RedirectRefused);
    for (const QByteArray &head : other.requestHeads())
        QVERIFY2(!head.contains("X-Api-Key"), head.constData());
    QCOMPARE(other.requestCount(), otherAsked ? 1 : 0);
    if (!elsewhere)
        QVERIFY(server.requestHeads().value(1).contains("X-Api-Key: s3cr3t"));
}

void TestSourceQuoteService::keepsToItsConnections_data()
{
    QTest::addColumn<int>("connections");
    QTest::newRow("the least, 1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("the default, 4") << 4;
    // A source's share never raises its host's limit.
    QTest::newRow("8, past the host's 4") << 8;
}

// Six symbols at once to a slow site open no more connections than the
// source allows.
void TestSourceQuoteService::keepsToItsConnections()
{
    QFETCH(int, connections);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setResponseDelay(std::chrono::milliseconds(150));
    const QStringList symbols{"A", "B", "C", "D", "E", "F"};
    for (const QString &symbol : symbols)
        server.setTargetPage("/q/" + symbol.toLatin1(), answer("price 1.5"));
    QuoteSource source = loopbackSource(server, QStringLiteral("/q/{SYMBOL}"), SourceFormat::Text,
                                        QStringLiteral("price ([0-9.]+)"));
    source.connections = connections;
    KeyedService keyed(source, QString());
    SourceQuoteService &service = keyed.service;

    std::vector<std::unique_ptr<QuoteRequest>> requests;
    for (const QString &symbol : symbols)
        requests.push_back(service.FetchQuotePrice(symbol));
    for (const std::unique_ptr<QuoteRequest> &request : requests) {
        QSignalSpy finished(request.get(), &QuoteRequest::finished);
        QVERIFY(request->isFinished() || finished.wait(20000));
        QCOMPARE(request->result().price, 1.5);
    }
    QCOMPARE(server.mostOpenConnections(), std::min(connections, HostQueues::kMaxConnectionsPerHost));
}

QTEST_GUILESS_MAIN(TestSourceQuoteService)
#include "tst_sourcequoteservice.moc"
