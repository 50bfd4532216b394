// `fundtally --price`, run as a user runs it: the installed program's own
// start-up, a loopback quote site, and a settings folder of its own.
#include "certificatefilechooser.h"
#include "dialogfakes.h"
#include "loopbackquoteserver.h"
#include "pricecommand.h"
#include "programpricing.h"
#include "desktopkeystore.h"
#include "quotesourcescontroller.h"
#include "quotesourcestore.h"
#include "quotesourceeditor.h"
#include "usersettings.h"

#include <QLineEdit>
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

// Runs the program with `arguments`, keeping this process's event loop (and
// so the loopback site) going meanwhile.
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

// The environment of a user whose settings live in `configFolder`, with no
// quote site or trust named by variables and no display.
QProcessEnvironment userEnvironment(const QString &configFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"FUNDTALLY_QUOTE_HOST", "SSL_CERT_FILE", "SSL_CERT_DIR", "DISPLAY",
                             "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
    return environment;
}

} // namespace

class TestPriceCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void printsOneLinePerSymbol_data();
    void printsOneLinePerSymbol();
    void refusesNoSymbols();
    void savedSiteServesTheNextRun();
    void savedSourcesAndKeyServeTheNextRun();
    void savedBatchFormServesTheNextRun();
    void refusesBadSourcesFile();

private:
    LoopbackQuoteServer m_server;
};

void TestPriceCommand::initTestCase()
{
    QVERIFY(m_server.start());
    m_server.setPrice(QStringLiteral("VTI"), "123.45");
    m_server.setPrice(QStringLiteral("BND"), "1,234.50");
    m_server.setPrice(QStringLiteral("ONE"), "1.00");
    m_server.setPage(QStringLiteral("KEYED"), "denied", "403 Forbidden");
    m_server.setPage(QStringLiteral("DOWN"), "oops", "500 Internal Server Error");
}

void TestPriceCommand::printsOneLinePerSymbol_data()
{
    QTest::addColumn<QStringList>("symbols");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("all priced, in the order given")
        << QStringList{"VTI", "BND", "ONE", "cash"} << QByteArray("VTI\t123.45\nBND\t1234.5\nONE\t1\ncash\t1\n") << 0;
    QTest::newRow("one unpriced")
        << QStringList{"NOPE", "VTI"}
        << QByteArray("NOPE\t-\tno quote page for this symbol (HTTP 404)\nVTI\t123.45\n") << 1;
    QTest::newRow("refused and failing sites")
        << QStringList{"KEYED", "DOWN"}
        << QByteArray("KEYED\t-\tnot authorised (HTTP 403): check the API key\nDOWN\t-\tthe source failed (HTTP 500)\n")
        << 1;
}

void TestPriceCommand::printsOneLinePerSymbol()
{
    QFETCH(QStringList, symbols);
    QFETCH(QByteArray, output);
    QFETCH(int, exitCode);

    QTemporaryDir config;
    QProcessEnvironment environment = userEnvironment(config.path());
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_HOST"), m_server.host());
    environment.insert(QStringLiteral("SSL_CERT_FILE"), m_server.authorityFile());
    const ProgramRun run = runProgram(QStringList{QStringLiteral("--price")} + symbols, environment);
    QCOMPARE(run.out, output);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err, QByteArray());
}

void TestPriceCommand::refusesNoSymbols()
{
    QTemporaryDir config;
    const ProgramRun run = runProgram({QStringLiteral("--price")}, userEnvironment(config.path()));
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains("--price needs at least one symbol"), run.err.constData());
}

// One process saves a page source through the Quote Sources dialog; the
// next program run prices from it, though nothing in its environment names it.
void TestPriceCommand::savedSiteServesTheNextRun()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    {
        const std::unique_ptr<QSettings> settings = openUserSettings();
        ScriptedCertificateChooser certificates;
        ScriptedSourcesFileChooser files;
        MemoryKeyStore keys;
        ProgramPricing pricing(*settings);
        QuoteSourcesController controller(
            *settings,
            QuoteSourcesTools{certificates, files, keys, pricing.keys(), [] { return QString(); },
                              {pricing.worker(), {}}, {}},
            [&pricing] { return pricing.chain(); });
        const std::unique_ptr<QuoteSourcesDialog> dialog = controller.makeDialog(nullptr);
        dialog->addSource();
        QuoteSourceEditor *editor = dialog->editor();
        QVERIFY(editor);
        editor->nameBox()->setText(QStringLiteral("Loopback"));
        editor->urlBox()->setText(QStringLiteral("https://%1/quote/{SYMBOL}/?p={SYMBOL}").arg(m_server.host()));
        editor->formatBox()->setCurrentIndex(editor->formatBox()->findText(QStringLiteral("page")));
        editor->certificateBox()->setText(m_server.authorityFile());
        editor->accept();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        dialog->accept();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }
    const ProgramRun run = runProgram({QStringLiteral("--price"), QStringLiteral("VTI")},
                                      userEnvironment(config.path()));
    QCOMPARE(run.out, QByteArray("VTI\t123.45\n"));
    QCOMPARE(run.exitCode, 0);
}

// One process saves sources and an API key through the program's own code
// (no keyring answers here, so the key goes to the user's key file); the
// next program run asks them in order, sending the key as the source says.
void TestPriceCommand::savedSourcesAndKeyServeTheNextRun()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QByteArray noBus = "unix:path=" + config.filePath(QStringLiteral("no-bus")).toLocal8Bit();
    qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();

    QuoteSource down;
    down.name = QStringLiteral("Down");
    down.url = QStringLiteral("https://127.0.0.1:%1/q/{SYMBOL}").arg(closedPort);
    down.format = SourceFormat::Text;
    down.price = QStringLiteral("([0-9.]+)");
    QuoteSource keyed;
    keyed.name = QStringLiteral("Keyed");
    keyed.url = QStringLiteral("https://%1/v2/{symbol}").arg(m_server.host());
    keyed.format = SourceFormat::Json;
    keyed.price = QStringLiteral("/quote/last");
    keyed.currency = QStringLiteral("/quote/ccy");
    keyed.headers = {{QStringLiteral("X-Api-Key"), QStringLiteral("{KEY}")}};
    keyed.certificate = m_server.authorityFile();
    QuotePage page;
    page.body = R"({"quote": {"last": 321.5, "ccy": "GBp"}})";
    m_server.setTargetPage("/v2/vti", page);
    {
        const std::unique_ptr<QSettings> settings = openUserSettings();
        QCOMPARE(QuoteSourceStore::write(*settings, {down, keyed}), QString());
        DesktopKeyStore keys{KeyFile(KeyFile::besideSettings(settings->fileName()))};
        QCOMPARE(writeKeyNow(keys, QStringLiteral("Keyed"), QStringLiteral("k-42")).place, KeyPlace::File);
    }
    QProcessEnvironment environment = userEnvironment(config.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLocal8Bit(noBus));
    const int asked = m_server.requestCount();
    const ProgramRun run = runProgram({QStringLiteral("--price"), QStringLiteral("VTI")}, environment);
    // The price as the source gave it, in its currency.
    QCOMPARE(run.out, QByteArray("VTI\t321.5\tGBp\n"));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(m_server.requestCount(), asked + 1);
    QVERIFY(m_server.requestHeads().constLast().endsWith("\r\nX-Api-Key: k-42"));

    // A key in the environment comes before the one kept, as a cron job gives it.
    environment.insert(QStringLiteral("FUNDTALLY_KEY_KEYED"), QStringLiteral("env-7"));
    QCOMPARE(runProgram({QStringLiteral("--price"), QStringLiteral("VTI")}, environment).exitCode, 0);
    QVERIFY(m_server.requestHeads().constLast().endsWith("\r\nX-Api-Key: env-7"));
}

// A batch source's size, separator and pace, saved by one process, shape
// the next run's requests.
void TestPriceCommand::savedBatchFormServesTheNextRun()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QuoteSource batch;
    batch.name = QStringLiteral("Batch");
    batch.url = QStringLiteral("https://%1/b?s={SYMBOLS}").arg(m_server.host());
    batch.format = SourceFormat::Json;
    batch.price = QStringLiteral("$.q[?@.s == '{SYMBOL}'].p");
    batch.certificate = m_server.authorityFile();
    batch.batchSize = 2;
    batch.separator = QStringLiteral("+");
    batch.perMinute = 600;
    QuotePage pair;
    pair.body = R"({"q": [{"s": "BND", "p": 72.5}, {"s": "VTI", "p": 250}]})";
    m_server.setTargetPage("/b?s=VTI+BND", pair);
    QuotePage single;
    single.body = R"({"q": [{"s": "VXUS", "p": 60}]})";
    m_server.setTargetPage("/b?s=VXUS", single);
    {
        const std::unique_ptr<QSettings> settings = openUserSettings();
        QCOMPARE(QuoteSourceStore::write(*settings, {batch}), QString());
    }
    const ProgramRun run = runProgram({"--price", "VTI", "BND", "VXUS"}, userEnvironment(config.path()));
    QCOMPARE(run.out, QByteArray("VTI\t250\nBND\t72.5\nVXUS\t60\n"));
    QCOMPARE(m_server.requestedPaths().mid(m_server.requestedPaths().size() - 2),
             (QStringList{"/b?s=VTI+BND", "/b?s=VXUS"}));
}

// A sources file that cannot be used prices nothing, says why once on
// standard error, and each row says so too.
void TestPriceCommand::refusesBadSourcesFile()
{
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("sources.json"));
    QFile bad(file);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"sources": [{"name": "Broken", "url": "http://x.example/{SYMBOL}", "format": "page"}]})");
    bad.close();
    QProcessEnvironment environment = userEnvironment(config.path());
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_SOURCES"), file);
    environment.insert(QStringLiteral("FUNDTALLY_QUOTE_HOST"), m_server.host());
    environment.insert(QStringLiteral("SSL_CERT_FILE"), m_server.authorityFile());

    const ProgramRun run = runProgram({QStringLiteral("--price"), QStringLiteral("VTI"), QStringLiteral("cash")},
                                      environment);
    QCOMPARE(run.out, QByteArray("VTI\t-\tquote sources file not usable\ncash\t1\n"));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count("fundtally: "), 1);
    QVERIFY2(run.err.contains(file.toLocal8Bit()) && run.err.contains("Broken") && run.err.contains("url"),
             run.err.constData());
}

QTEST_MAIN(TestPriceCommand)
#include "tst_pricecommand.moc"
#include "programpricing.h"
