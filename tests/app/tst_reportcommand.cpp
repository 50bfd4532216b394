// `fundtally --report` and `--forget-prices`: the report's text and JSON for
// a result made by hand, and the program run as a user runs it, against a
// loopback quote site, with settings and data folders of its own.
#include "loopbackquoteserver.h"
#include "quotepage.h"
#include "quotesourcestore.h"
#include "profilefile.h"
#include "reportcommand.h"
#include "sourcesfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun runProgram(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QStringLiteral(FUNDTALLY_PROGRAM), arguments);
    if (!finished.wait(60000) || program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), program.readAllStandardOutput(), program.readAllStandardError()};
}

QuoteResult fetchedPrice(double price, const QString &source, const QDateTime &fetched)
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.currency = QStringLiteral("USD");
    result.source = source;
    result.fetched = fetched;
    return result;
}

// A priced row, an empty one, a last known, an unpriced and an unclassed
// one, and cash. Fetched at noon UTC, so the local date is the same anywhere.
struct HandMadeRun {
    Holdings holdings;
    CalculationResult result;
    QDateTime when{QDate(2026, 12, 7), QTime(14, 2), Qt::OffsetFromUTC, 3600};

    HandMadeRun()
    {
        holdings[0] = {QStringLiteral("Total Stock"), QStringLiteral("VTI"), 10, 2};
        holdings[2] = {QStringLiteral("Bonds"), QStringLiteral("BND"), 20, 1};
        holdings[3] = {QStringLiteral("Gone"), QStringLiteral("NOPE"), 5, 3};
        holdings[4] = {QStringLiteral("Odd"), QStringLiteral("ODD"), 2.5, NoAssetClass};
        holdings[5] = {QStringLiteral("Money"), QStringLiteral("cash"), 1000, 0};
        RowQuotes quotes;
        quotes[0] = fetchedPrice(100.5, QStringLiteral("Prices A"), QDateTime::fromString("2026-12-07T13:00:00Z", Qt::ISODate));
        quotes[2] = fetchedPrice(50.25, QStringLiteral("Prices B"), QDateTime::fromString("2026-12-01T12:00:00Z", Qt::ISODate));
        quotes[2]->failure = QuoteFailure::TimedOut;
        quotes[2]->lastKnown = true;
        quotes[3] = QuoteResult::failed(QuoteFailure::NoQuotePage, 404);
        quotes[4] = QuoteResult::withPrice(40);
        quotes[5] = QuoteResult::withPrice(1);
        result = computeHoldings(holdings, quotes);
    }
};

QProcessEnvironment userEnvironment(const QTemporaryDir &home, const QString &quoteHost, const QString &trust)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SSL_CERT_DIR"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_HOST"), quoteHost);
    environment.insert(QStringLiteral("SSL_CERT_FILE"), trust);
    return environment;
}

QJsonArray reportedHoldings(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object().value(QStringLiteral("holdings")).toArray();
}

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void text();
    void json();
    void exitCode();
    void pricesAProfile();
    void nextRunWithTheSiteDown_data();
    void nextRunWithTheSiteDown();
    void refusesUnreadableProfile_data();
    void refusesUnreadableProfile();
    void setsAsideUnusablePriceFile();
    void forgettingFailsWhereNothingCanBeWritten();
    void mixedCurrenciesInTheReportCurrency();

private:
    QProcessEnvironment siteUp(const QTemporaryDir &home) const;
    QProcessEnvironment siteDown(const QTemporaryDir &home) const;
    QString writeProfile(const QTemporaryDir &home) const;

    LoopbackQuoteServer m_server;
    QString m_closedHost;
};

void TestReportCommand::initTestCase()
{
    QVERIFY(m_server.start());
    m_server.setPrice(QStringLiteral("VTI"), "123.45");
    m_server.setPrice(QStringLiteral("BND"), "80.00");
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    m_closedHost = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
}

QProcessEnvironment TestReportCommand::siteUp(const QTemporaryDir &home) const
{
    return userEnvironment(home, m_server.host(), m_server.authorityFile());
}

QProcessEnvironment TestReportCommand::siteDown(const QTemporaryDir &home) const
{
    return userEnvironment(home, m_closedHost, m_server.authorityFile());
}

QString TestReportCommand::writeProfile(const QTemporaryDir &home) const
{
    Holdings holdings;
    holdings[0] = {QStringLiteral("Stock Index"), QStringLiteral("VTI"), 10, 2};
    holdings[1] = {QStringLiteral("Bond Index"), QStringLiteral("BND"), 20, 1};
    holdings[3] = {QStringLiteral("Money Market"), QStringLiteral("cash"), 1000, 0};
    const QString path = home.filePath(QStringLiteral("savings.ftly"));
    return saveProfileFile(path, holdings).ok ? path : QString();
}

void TestReportCommand::text()
{
    const HandMadeRun run;
    QCOMPARE(reportText(run.holdings, run.result, run.when, QStringLiteral("USD")),
             QStringLiteral(
                 "Holdings priced 7 Dec 2026 14:02, values in USD\n"
                 "\n"
                 "Row  Name         Symbol  Shares  Class   Price  Currency  Rate  Value  Percent  Price from\n"
                 "  1  Total Stock  VTI         10  Stocks  100.5  USD          1  1,005      32%  priced\n"
                 "  3  Bonds        BND         20  Bonds   50.25  USD          1  1,005      32%  last known 1 Dec 2026\n"
                 "  4  Gone         NOPE         5  Real        -  -            -      0       0%  no quote page for this symbol (HTTP 404)\n"
                 "  5  Odd          ODD        2.5  -          40  -            1    100       3%  priced\n"
                 "  6  Money        cash      1000  Cash        1  -            1  1,000      32%  priced\n"
                 "\n"
                 "Class   Amount  Percent\n"
                 "Cash     1,000      32%\n"
                 "Bonds    1,005      32%\n"
                 "Stocks   1,005      32%\n"
                 "Real         0       0%\n"
                 "EMD          0       0%\n"
                 "\n"
                 "Total  3,110\n"
                 "1 of 5 holdings has no price; the total leaves it out.\n"
                 "1 holding is valued at its last known price (from 1 Dec 2026).\n"
                 "1 holding has no asset class; 100 of the total is in no class.\n"));
}

void TestReportCommand::json()
{
    const HandMadeRun run;
    const QJsonDocument expected = QJsonDocument::fromJson(R"json({
        "time": "2026-12-07T14:02:00+01:00",
        "currency": "USD",
        "holdings": [
            {"row": 1, "name": "Total Stock", "symbol": "VTI", "shares": 10, "class": "Stocks",
             "value": 1005, "percent": 32, "status": "priced", "price": 100.5, "currency": "USD",
             "rate": 1, "rateSource": null, "rateDate": null, "source": "Prices A", "fetched": "2026-12-07T13:00:00Z"},
            {"row": 3, "name": "Bonds", "symbol": "BND", "shares": 20, "class": "Bonds",
             "value": 1005, "percent": 32, "status": "lastKnown", "price": 50.25, "currency": "USD",
             "rate": 1, "rateSource": null, "rateDate": null, "source": "Prices B", "fetched": "2026-12-01T12:00:00Z", "reason": "timed out"},
            {"row": 4, "name": "Gone", "symbol": "NOPE", "shares": 5, "class": "Real",
             "value": 0, "percent": 0, "status": "unpriced", "price": null,
             "reason": "no quote page for this symbol (HTTP 404)"},
            {"row": 5, "name": "Odd", "symbol": "ODD", "shares": 2.5, "class": null,
             "value": 100, "percent": 3, "status": "priced", "price": 40, "currency": "",
             "rate": 1, "rateSource": null, "rateDate": null, "source": "", "fetched": null},
            {"row": 6, "name": "Money", "symbol": "cash", "shares": 1000, "class": "Cash",
             "value": 1000, "percent": 32, "status": "priced", "price": 1, "currency": "",
             "rate": 1, "rateSource": null, "rateDate": null, "source": "", "fetched": null}
        ],
        "classes": [
            {"class": "Cash", "amount": 1000, "percent": 32},
            {"class": "Bonds", "amount": 1005, "percent": 32},
            {"class": "Stocks", "amount": 1005, "percent": 32},
            {"class": "Real", "amount": 0, "percent": 0},
            {"class": "EMD", "amount": 0, "percent": 0}
        ],
        "total": 3110,
        "notes": ["1 of 5 holdings has no price; the total leaves it out.",
                  "1 holding is valued at its last known price (from 1 Dec 2026).",
                  "1 holding has no asset class; 100 of the total is in no class."]
    })json");
    QVERIFY(!expected.isNull());
    const QJsonDocument actual = reportJson(run.holdings, run.result, run.when, QStringLiteral("USD"));
    QVERIFY2(actual == expected, actual.toJson().constData());
}

void TestReportCommand::exitCode()
{
    HandMadeRun run;
    QCOMPARE(reportExitCode(run.result), 1);
    // Without the last known and the unpriced rows, all that is held was priced now.
    run.result.outcome[2] = RowOutcome::NotHeld;
    QCOMPARE(reportExitCode(run.result), 1);
    run.result.outcome[3] = RowOutcome::NotHeld;
    QCOMPARE(reportExitCode(run.result), 0);
    run.result.outcome[4] = RowOutcome::NotLookedUp;
    QCOMPARE(reportExitCode(run.result), 1);
}

// The whole report, after its first line (the time of the run), and the
// prices kept where the window keeps them.
void TestReportCommand::pricesAProfile()
{
    QTemporaryDir home;
    const QString profile = writeProfile(home);
    QVERIFY(!profile.isEmpty());
    const ProgramRun run = runProgram({QStringLiteral("--report"), profile}, siteUp(home));
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith("Holdings priced "), run.out.constData());
    QCOMPARE(run.out.mid(run.out.indexOf('\n') + 1),
             QByteArray("\n"
                        "Row  Name          Symbol  Shares  Class    Price  Currency  Rate  Value  Percent  Price from\n"
                        "  1  Stock Index   VTI         10  Stocks  123.45  -            1  1,234      32%  priced\n"
                        "  2  Bond Index    BND         20  Bonds       80  -            1  1,600      41%  priced\n"
                        "  4  Money Market  cash      1000  Cash         1  -            1  1,000      26%  priced\n"
                        "\n"
                        "Class   Amount  Percent\n"
                        "Cash     1,000      26%\n"
                        "Bonds    1,600      41%\n"
                        "Stocks   1,234      32%\n"
                        "Real         0       0%\n"
                        "EMD          0       0%\n"
                        "\n"
                        "Total  3,834\n"));
    QVERIFY(QFileInfo::exists(home.filePath(QStringLiteral("data/Fundtally/prices.json"))));
}

void TestReportCommand::nextRunWithTheSiteDown_data()
{
    QTest::addColumn<QByteArray>("useLastKnown"); // the saved setting; empty when never saved
    QTest::addColumn<bool>("forget");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QJsonValue>("price");

    QTest::newRow("last known prices, never set") << QByteArray() << false << "lastKnown" << QJsonValue(123.45);
    QTest::newRow("last known prices on") << QByteArray("true") << false << "lastKnown" << QJsonValue(123.45);
    QTest::newRow("last known prices off") << QByteArray("false") << false << "unpriced"
                                           << QJsonValue(QJsonValue::Null);
    QTest::newRow("prices forgotten") << QByteArray() << true << "unpriced" << QJsonValue(QJsonValue::Null);
}

// A second program run, the site now down, values the rows at what the
// first one found, unless told not to or the prices were forgotten.
void TestReportCommand::nextRunWithTheSiteDown()
{
    QFETCH(QByteArray, useLastKnown);
    QFETCH(bool, forget);
    QFETCH(QString, status);
    QFETCH(QJsonValue, price);

    QTemporaryDir home;
    const QString profile = writeProfile(home);
    QCOMPARE(runProgram({QStringLiteral("--report"), profile}, siteUp(home)).exitCode, 0);
    if (!useLastKnown.isEmpty()) {
        QSettings settings(home.filePath(QStringLiteral("config/Fundtally/Fundtally.conf")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Prices/UseLastKnown"), QString::fromLatin1(useLastKnown));
    }
    if (forget) {
        const ProgramRun forgot = runProgram({QStringLiteral("--forget-prices")}, siteDown(home));
        QCOMPARE(forgot.exitCode, 0);
        QCOMPARE(forgot.out + forgot.err, QByteArray());
    }

    // The currency chosen in the window, as a later start reads it.
    QSettings(home.filePath(QStringLiteral("config/Fundtally/Fundtally.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("Prices/ReportCurrency"), QStringLiteral("EUR"));
    const ProgramRun run = runProgram({QStringLiteral("--report"), profile, QStringLiteral("--json")}, siteDown(home));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("currency")).toString(),
             QStringLiteral("EUR"));
    const QJsonObject stock = reportedHoldings(run.out).at(0).toObject();
    QCOMPARE(stock.value(QStringLiteral("symbol")).toString(), QStringLiteral("VTI"));
    QCOMPARE(stock.value(QStringLiteral("status")).toString(), status);
    QCOMPARE(stock.value(QStringLiteral("price")), price);
    QCOMPARE(stock.value(QStringLiteral("reason")).toString(), QStringLiteral("connection refused"));
    QCOMPARE(reportedHoldings(run.out).at(2).toObject().value(QStringLiteral("status")).toString(),
             QStringLiteral("priced"));

    const ProgramRun shown = runProgram({QStringLiteral("--report"), profile}, siteDown(home));
    QCOMPARE(shown.exitCode, 1);
    QCOMPARE(shown.out.contains(" 123.45 "), status == QStringLiteral("lastKnown"));
    QCOMPARE(shown.out.contains("  last known "), status == QStringLiteral("lastKnown"));
    QCOMPARE(shown.out.contains("  -  -  "), status == QStringLiteral("unpriced")); // no price, so no currency
    QCOMPARE(shown.out.contains("  connection refused\n"), status == QStringLiteral("unpriced"));
}

void TestReportCommand::refusesUnreadableProfile_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: no file at all

    QTest::newRow("missing") << QByteArray();
    QTest::newRow("bad shares") << QByteArray("AssetName\tA\nAssetSymbol\tA\nAssetShares\tmany\nAssetClass\t0\n");
}

void TestReportCommand::refusesUnreadableProfile()
{
    QFETCH(QByteArray, contents);
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("broken.ftly"));
    if (!contents.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    const QString message = loadProfileFile(path).message;
    QVERIFY(!message.isEmpty());
    const int asked = m_server.requestCount();

    const ProgramRun run = runProgram({QStringLiteral("--report"), path}, siteUp(home));
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, "fundtally: " + message.toLocal8Bit() + '\n');
    QCOMPARE(m_server.requestCount(), asked);
}

// Told once; the report goes on and its prices start the file afresh.
void TestReportCommand::setsAsideUnusablePriceFile()
{
    QTemporaryDir home;
    const QString store = home.filePath(QStringLiteral("data/Fundtally/prices.json"));
    QVERIFY(QDir().mkpath(QFileInfo(store).path()));
    QFile file(store);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not prices");
    file.close();

    const ProgramRun run = runProgram({QStringLiteral("--report"), writeProfile(home)}, siteUp(home));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err.count("fundtally: "), 1);
    QVERIFY2(run.err.contains("could not be used") && run.err.contains("prices.json.bad"), run.err.constData());
    QVERIFY(QFileInfo::exists(store + QStringLiteral(".bad")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"VTI\""));
}

// The data folder is a file, so no price file can be made in it.
void TestReportCommand::forgettingFailsWhereNothingCanBeWritten()
{
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ProgramRun run = runProgram({QStringLiteral("--forget-prices")}, siteUp(home));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("fundtally: ") && run.err.contains("prices.json"), run.err.constData());
}

// One profile priced in dollars, euros and pence, reported in euros and in
// dollars at 1 EUR = 1.25 USD = 0.8 GBP; worked by hand:
//   EUR: 10 x 100 USD x 0.8 = 800; 5 x 80 = 400; 100 x 85.12 GBP / 0.8 = 10,640;
//        cash 1,000; total 12,840.
//   USD: 1,000; 5 x 80 x 1.25 = 500; 100 x 85.12 x 1.5625 = 13,300; cash 1,000;
//        total 15,800.
// A third run, the rates site down, values them at the rates kept.
void TestReportCommand::mixedCurrenciesInTheReportCurrency()
{
    LoopbackQuoteServer prices;
    QVERIFY(prices.start());
    for (const auto &[symbol, answer] : {std::pair{"VTI", R"({"last": 100, "cur": "USD"})"},
                                        std::pair{"IWDA", R"({"last": 80, "cur": "EUR"})"},
                                        std::pair{"VUSA", R"({"last": 8512, "cur": "GBp"})"}}) {
        QuotePage page;
        page.body = answer;
        prices.setTargetPage(QByteArray("/q/") + symbol, page);
    }
    auto rates = std::make_unique<LoopbackQuoteServer>();
    QVERIFY(rates->start());
    QuotePage document;
    document.body = "<Envelope><Cube><Cube time='2026-12-07'><Cube currency='USD' rate='1.25'/>"
                    "<Cube currency='GBP' rate='0.8'/></Cube></Cube></Envelope>";
    rates->setTargetPage("/rates.xml", document);

    QTemporaryDir home;
    // The rates site's certificate outlives it: its file is checked on start.
    const QString ratesTrust = home.filePath(QStringLiteral("rates.pem"));
    QVERIFY(QFile::copy(rates->authorityFile(), ratesTrust));
    const QString sources = home.filePath(QStringLiteral("sources.json"));
    QFile file(sources);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(R"({"sources": [{"name": "Prices", "url": "https://%1/q/{SYMBOL}", "format": "json",
                                   "price": "/last", "currency": "/cur", "certificate": "%2"}],
                      "rates": [{"name": "Rates", "url": "https://%3/rates.xml", "format": "ecb",
                                 "certificate": "%4"}]})")
                   .arg(prices.host(), prices.authorityFile(), rates->host(), ratesTrust)
                   .toUtf8());
    file.close();
    Holdings holdings;
    holdings[0] = {QStringLiteral("US stocks"), QStringLiteral("VTI"), 10, 2};
    holdings[1] = {QStringLiteral("World"), QStringLiteral("IWDA"), 5, 2};
    holdings[2] = {QStringLiteral("S&P in London"), QStringLiteral("VUSA"), 100, 2};
    holdings[3] = {QStringLiteral("Money Market"), QStringLiteral("cash"), 1000, 0};
    const QString profile = home.filePath(QStringLiteral("mixed.ftly"));
    QVERIFY(saveProfileFile(profile, holdings).ok);
    QProcessEnvironment environment = siteDown(home);
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_SOURCES"), sources);

    const auto report = [&](const QString &currency) {
        const ProgramRun run = runProgram({"--report", profile, "--json", "--currency", currency}, environment);
        if (run.exitCode != 0)
            qWarning("%s%s", run.out.constData(), run.err.constData());
        return QJsonDocument::fromJson(run.out).object();
    };
    const QJsonObject euros = report(QStringLiteral("EUR"));
    QCOMPARE(euros.value("currency").toString(), QStringLiteral("EUR"));
    QCOMPARE(euros.value("total").toDouble(), 12840.0);
    const QJsonObject pence = euros.value("holdings").toArray().at(2).toObject();
    QCOMPARE(pence.value("currency").toString(), QStringLiteral("GBp"));
    QCOMPARE(pence.value("price").toDouble(), 8512.0);
    QCOMPARE(pence.value("rate").toDouble(), 0.0125);   // a hundredth, 1.25 EUR per GBP
    QCOMPARE(pence.value("value").toDouble(), 10640.0);
    QCOMPARE(pence.value("rateSource").toString(), QStringLiteral("Rates"));
    QCOMPARE(pence.value("rateDate").toString(), QStringLiteral("2026-12-07"));
    QCOMPARE(report(QStringLiteral("USD")).value("total").toDouble(), 15800.0);

    // The same sources saved as the window saves them, read by the next start.
    const SourcesFileRead given = readSourcesFile(sources);
    QSettings saved(home.filePath(QStringLiteral("config/Fundtally/Fundtally.conf")), QSettings::IniFormat);
    QCOMPARE(QuoteSourceStore::write(saved, given.sources, given.rates), QString());
    environment.remove(QStringLiteral("FUNDTALLY_QUOTE_SOURCES"));
    environment.remove(QStringLiteral("FUNDTALLY_QUOTE_HOST"));
    rates.reset();
    const QJsonObject kept = report(QStringLiteral("EUR"));
    QCOMPARE(kept.value("total").toDouble(), 12840.0);
    QVERIFY2(QJsonDocument(kept.value("notes").toArray()).toJson().contains("today's rates could not be fetched"),
             QJsonDocument(kept).toJson().constData());
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "tst_reportcommand.moc"
