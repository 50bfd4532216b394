#include "calculationrun.h"
#include "dialogfakes.h"
#include "loopbackquoteserver.h"
#include "httpquoteservice.h"
#include "quoteservice.h"
#include "quotesitecontroller.h"
#include "quotesitedialog.h"
#include "testcertificates.h"
#include "usersettings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// A controller over a settings file in a fresh folder, with a file of the
// test authority's certificate beside it.
struct Harness
{
    QTemporaryDir dir;
    QString settingsPath = dir.filePath(QStringLiteral("Fundtally.conf"));
    QString caFile = dir.filePath(QStringLiteral("test-ca.pem"));
    std::unique_ptr<QSettings> settings;
    ScriptedCertificateChooser certificates;
    std::unique_ptr<QuoteSiteController> controller;

    Harness()
    {
        QFile file(caFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(TestCertificates::authority().toPem()) <= 0)
            qFatal("cannot write the test authority's certificate");
    }

    void writeSettings(const QByteArray &contents) const
    {
        QFile file(settingsPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            qFatal("cannot write the settings file");
    }

    QuoteSiteController &start(const QProcessEnvironment &environment = {},
                               const QString &builtIn = QString())
    {
        settings = std::make_unique<QSettings>(settingsPath, QSettings::IniFormat);
        // The real transport, as the program uses it.
        const auto network = [](const QuoteSiteSettings &site) -> std::shared_ptr<QuoteService> {
            return std::make_shared<HttpQuoteService>(site);
        };
        const auto sources = [](const QuoteSourcesResolution &resolution) {
            return sourcesQuoteService(resolution, {});
        };
        controller = std::make_unique<QuoteSiteController>(*settings, environment, certificates,
                                                           network, sources, builtIn);
        return *controller;
    }

    QByteArray settingsFile() const
    {
        QFile file(settingsPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
};

QPushButton *button(QuoteSiteDialog &dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox *>()->button(which);
}

QProcessEnvironment environmentOf(const QStringList &variables)
{
    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    return environment;
}

Holdings twoHeld()
{
    Holdings holdings;
    holdings[0] = {QString(), QStringLiteral("VTI"), 10, 2};
    holdings[1] = {QString(), QStringLiteral("BND"), 4, 1};
    return holdings;
}

} // namespace

class TestQuoteSiteDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userSettingsFile();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void okKeepsOnlyTheChoice();
    void okRefusesWhatCannotBeUsed_data();
    void okRefusesWhatCannotBeUsed();
    void showsTheAddress_data();
    void showsTheAddress();
    void saysWhenTheEnvironmentOverrides_data();
    void saysWhenTheEnvironmentOverrides();
    void ignoredSavedValueIsReportedOnce();
    void browsePutsTheChosenFile();
    void testPricesFromTheTypedSite_data();
    void testPricesFromTheTypedSite();
    void testTrustsTheCertificateOnceGiven();
    void testCanBeStopped();
    void closingMidTestIsSafe();
    void newSiteTakesEffectFromTheNextCalculation();
};

// The tests' configuration folder is a scratch one (see FundtallyTest.cmake);
// the program's file is Fundtally/Fundtally.conf in it, and nothing but it.
void TestQuoteSiteDialog::userSettingsFile()
{
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(!folder.isEmpty(), "run through ctest, which sets a scratch XDG_CONFIG_HOME");
    const std::unique_ptr<QSettings> settings = openUserSettings();
    QCOMPARE(settings->fileName(), QDir(folder).filePath(QStringLiteral("Fundtally/Fundtally.conf")));
    QVERIFY(!settings->fallbacksEnabled());
    QVERIFY(settings->isWritable());
}

void TestQuoteSiteDialog::cancelWritesNothing_data()
{
    QTest::addColumn<QByteArray>("saved"); // empty: no settings file at all

    QTest::newRow("no settings file") << QByteArray();
    QTest::newRow("a saved site") << QByteArray("[QuoteSite]\nHost=saved.example\n");
}

void TestQuoteSiteDialog::cancelWritesNothing()
{
    QFETCH(QByteArray, saved);

    Harness h;
    if (!saved.isEmpty())
        h.writeSettings(saved);
    const QByteArray before = h.settingsFile();
    QuoteSiteController &controller = h.start();
    const QString hostBefore = controller.resolution().settings.host;

    const auto dialog = controller.makeDialog(nullptr);
    dialog->hostBox()->setText(QStringLiteral("quotes.example.com:8443"));
    dialog->certificateBox()->setText(h.caFile);
    button(*dialog, QDialogButtonBox::Cancel)->click();

    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    h.settings->sync();
    h.settings.reset();
    QCOMPARE(h.settingsFile(), before);
    QCOMPARE(controller.resolution().settings.host, hostBefore);
}

void TestQuoteSiteDialog::okKeepsOnlyTheChoice()
{
    Harness h;
    QuoteSiteController &controller = h.start({}, QStringLiteral("built-in.example"));
    const auto dialog = controller.makeDialog(nullptr);
    dialog->hostBox()->setText(QStringLiteral("[::1]:8443"));
    dialog->certificateBox()->setText(h.caFile);
    button(*dialog, QDialogButtonBox::Ok)->click();

    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    const QSettings written(h.settingsPath, QSettings::IniFormat);
    QCOMPARE(written.allKeys(), QStringList({QStringLiteral("QuoteSite/CertificateFile"),
                                             QStringLiteral("QuoteSite/Host")}));
    QCOMPARE(written.value(QStringLiteral("QuoteSite/Host")).toString(), QStringLiteral("[::1]:8443"));
    QCOMPARE(written.value(QStringLiteral("QuoteSite/CertificateFile")).toString(), h.caFile);
    QCOMPARE(controller.resolution().settings.host, QStringLiteral("[::1]:8443"));
    QCOMPARE(controller.resolution().settings.trustedCertificateFiles, QStringList(h.caFile));
}

void TestQuoteSiteDialog::okRefusesWhatCannotBeUsed_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("certificate"); // "CA": the test authority's file
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("certificateFocused");

    QTest::newRow("an address") << "https://quotes.example.com" << "" << "without \"https://\"" << false;
    QTest::newRow("port 65536") << "quotes.example.com:65536" << "CA" << "out of range" << false;
    QTest::newRow("user part") << "me@quotes.example.com" << "" << "user name" << false;
    QTest::newRow("missing certificate file") << "quotes.example.com" << "/nonexistent/ca.pem"
                                              << "does not exist" << true;
    QTest::newRow("not a certificate") << "" << "NOTES" << "holds no certificate" << true;
}

void TestQuoteSiteDialog::okRefusesWhatCannotBeUsed()
{
    QFETCH(QString, host);
    QFETCH(QString, certificate);
    QFETCH(QString, problem);
    QFETCH(bool, certificateFocused);

    Harness h;
    const QString notCertificate = h.dir.filePath(QStringLiteral("notes.txt"));
    QFile notes(notCertificate);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("just words\n") > 0);
    notes.close();
    if (certificate == u"CA")
        certificate = h.caFile;
    else if (certificate == u"NOTES")
        certificate = notCertificate;

    QuoteSiteController &controller = h.start();
    const auto dialog = controller.makeDialog(nullptr);
    dialog->hostBox()->setText(host);
    dialog->certificateBox()->setText(certificate);
    button(*dialog, QDialogButtonBox::Ok)->click();

    QCOMPARE(dialog->result(), 0);
    QVERIFY(!dialog->problemLabel()->isHidden());
    QVERIFY2(dialog->problemLabel()->text().contains(problem), qPrintable(dialog->problemLabel()->text()));
    QCOMPARE(dialog->focusWidget(), certificateFocused ? dialog->certificateBox() : dialog->hostBox());
    QCOMPARE(dialog->hostBox()->text(), host);
    QVERIFY(!QFile::exists(h.settingsPath));
}

void TestQuoteSiteDialog::showsTheAddress_data()
{
    QTest::addColumn<QString>("builtIn");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("shown");

    QTest::newRow("example symbol") << "" << "quotes.example.com" << ""
                                    << "https://quotes.example.com/quote/VTI/?p=VTI";
    QTest::newRow("typed symbol") << "" << "[::1]:8443" << "BRK.B"
                                  << "https://[::1]:8443/quote/BRK.B/?p=BRK.B";
    QTest::newRow("no host") << "" << "" << "" << "No host: every symbol but Cash and Money Market stays unpriced.";
    QTest::newRow("built-in host") << "built-in.example" << "" << ""
                                   << "No host here, so the built-in site is used: "
                                      "https://built-in.example/quote/VTI/?p=VTI";
    QTest::newRow("no address for the symbol") << "" << "quotes.example.com" << ".."
                                               << "No page address can be formed for the symbol \"..\".";
    QTest::newRow("not a host") << "" << "quotes.example.com/x" << "VTI"
                                << "The host must not contain a path (\"/\"): the path is always /quote/SYMBOL/.";
}

void TestQuoteSiteDialog::showsTheAddress()
{
    QFETCH(QString, builtIn);
    QFETCH(QString, host);
    QFETCH(QString, symbol);
    QFETCH(QString, shown);

    Harness h;
    const auto dialog = h.start({}, builtIn).makeDialog(nullptr);
    dialog->hostBox()->setText(QStringLiteral("other.example"));
    dialog->hostBox()->setText(host);
    dialog->symbolBox()->setText(symbol);
    QCOMPARE(dialog->addressLabel()->text(), shown);
}

void TestQuoteSiteDialog::saysWhenTheEnvironmentOverrides_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("noted"); // empty: no note

    QTest::newRow("nothing set") << QStringList() << QStringList();
    QTest::newRow("host set")
        << QStringList{"FUNDTALLY_QUOTE_HOST=env.example:8443"}
        << QStringList{"FUNDTALLY_QUOTE_HOST is set to \"env.example:8443\"", "saved: \"saved.example\""};
    QTest::newRow("unusable host set")
        << QStringList{"FUNDTALLY_QUOTE_HOST=https://env.example"}
        << QStringList{"\"https://env.example\"", "That host cannot be used"};
    QTest::newRow("trust set") << QStringList{"SSL_CERT_FILE=/env/ca.pem", "SSL_CERT_DIR=/env/certs"}
                               << QStringList{"SSL_CERT_FILE and SSL_CERT_DIR are set"};
}

void TestQuoteSiteDialog::saysWhenTheEnvironmentOverrides()
{
    QFETCH(QStringList, environment);
    QFETCH(QStringList, noted);

    Harness h;
    h.writeSettings("[QuoteSite]\nHost=saved.example\n");
    const QProcessEnvironment variables = environmentOf(environment);
    QuoteSiteController &controller = h.start(variables);
    const auto dialog = controller.makeDialog(nullptr);

    QCOMPARE(dialog->hostBox()->text(), QStringLiteral("saved.example"));
    QCOMPARE(dialog->environmentNote()->isHidden(), noted.isEmpty());
    for (const QString &part : noted)
        QVERIFY2(dialog->environmentNote()->text().contains(part), qPrintable(dialog->environmentNote()->text()));
    const QString environmentHost = variables.value(QStringLiteral("FUNDTALLY_QUOTE_HOST"));
    QCOMPARE(controller.resolution().settings.host,
             environmentHost.isEmpty() ? QStringLiteral("saved.example") : environmentHost);
}

void TestQuoteSiteDialog::ignoredSavedValueIsReportedOnce()
{
    Harness h;
    h.writeSettings("[QuoteSite]\nHost=https://bad.example/\n");
    QuoteSiteController &controller = h.start({}, QStringLiteral("built-in.example"));

    QCOMPARE(controller.resolution().settings.host, QStringLiteral("built-in.example"));
    const QString message = controller.takeStartupMessage();
    QVERIFY2(message.contains(QStringLiteral("saved quote site host is ignored: Give only the host")),
             qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("Quote Site...")));
    QCOMPARE(controller.takeStartupMessage(), QString());

    // The dialog shows the value to correct it, and why it is not used.
    const auto dialog = controller.makeDialog(nullptr);
    QCOMPARE(dialog->hostBox()->text(), QStringLiteral("https://bad.example/"));
    QVERIFY(!dialog->savedProblemsNote()->isHidden());
    QVERIFY(dialog->savedProblemsNote()->text().contains(QStringLiteral("Give only the host")));
}

void TestQuoteSiteDialog::browsePutsTheChosenFile()
{
    Harness h;
    const auto dialog = h.start().makeDialog(nullptr);
    dialog->certificateBox()->setText(QStringLiteral("/old/ca.pem"));
    h.certificates.answer = h.caFile;
    dialog->browseButton()->click();
    QCOMPARE(dialog->certificateBox()->text(), h.caFile);

    h.certificates.answer.clear(); // cancelled
    dialog->browseButton()->click();
    QCOMPARE(dialog->certificateBox()->text(), h.caFile);
    QCOMPARE(h.certificates.offered, (QStringList{"/old/ca.pem", h.caFile}));
}

void TestQuoteSiteDialog::testPricesFromTheTypedSite_data()
{
    QTest::addColumn<bool>("withCertificate");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("result");

    QTest::newRow("certificate file given") << true << "VTI" << "VTI: priced at 12.5.";
    QTest::newRow("no certificate file") << false << "VTI"
                                         << "VTI: not priced \u2014 certificate not trusted.";
}

void TestQuoteSiteDialog::testPricesFromTheTypedSite()
{
    QFETCH(bool, withCertificate);
    QFETCH(QString, symbol);
    QFETCH(QString, result);

    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("VTI"), "12.50");
    Harness h;
    const auto dialog = h.start().makeDialog(nullptr);
    dialog->show();
    dialog->hostBox()->setText(server.host());
    dialog->certificateBox()->setText(withCertificate ? h.caFile : QString());
    QVERIFY(!dialog->testButton()->isEnabled()); // nothing to test yet
    dialog->symbolBox()->setText(symbol);

    QSignalSpy finished(dialog.get(), &QuoteSiteDialog::testFinished);
    dialog->testButton()->click();
    QVERIFY(dialog->isTesting());
    QVERIFY(finished.wait());
    QCOMPARE(dialog->testResultLabel()->text(), result);
    QCOMPARE(server.requestCount(), withCertificate ? 1 : 0);

    // Still open, the boxes as typed, nothing kept.
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->result(), 0);
    QCOMPARE(dialog->hostBox()->text(), server.host());
    QCOMPARE(dialog->certificateBox()->text(), withCertificate ? h.caFile : QString());
    QCOMPARE(dialog->symbolBox()->text(), symbol);
    QCOMPARE(dialog->testButton()->text(), QStringLiteral("&Test"));
    QVERIFY(!QFile::exists(h.settingsPath));
    QCOMPARE(h.controller->resolution().settings.host, QString());
}

// A private site fails the system's trust until its certificate file is
// named, in the same dialog, with nothing saved on the way.
void TestQuoteSiteDialog::testTrustsTheCertificateOnceGiven()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setPrice(QStringLiteral("BND"), "70.25");
    Harness h;
    const auto dialog = h.start().makeDialog(nullptr);
    dialog->hostBox()->setText(server.host());
    dialog->symbolBox()->setText(QStringLiteral("BND"));
    QSignalSpy finished(dialog.get(), &QuoteSiteDialog::testFinished);

    dialog->testButton()->click();
    QVERIFY(finished.wait());
    QCOMPARE(dialog->testResultLabel()->text(), QStringLiteral("BND: not priced \u2014 certificate not trusted."));

    h.certificates.answer = h.caFile;
    dialog->browseButton()->click();
    dialog->testButton()->click();
    QVERIFY(finished.wait());
    QCOMPARE(dialog->testResultLabel()->text(), QStringLiteral("BND: priced at 70.25."));
    QCOMPARE(server.requestedPaths(), QStringList(QStringLiteral("/quote/BND/?p=BND")));

    // Emptied again, the box trusts nothing more than the system does.
    dialog->certificateBox()->clear();
    dialog->testButton()->click();
    QVERIFY(finished.wait());
    QCOMPARE(dialog->testResultLabel()->text(), QStringLiteral("BND: not priced \u2014 certificate not trusted."));
    QCOMPARE(finished.size(), 3);
    QVERIFY(!QFile::exists(h.settingsPath));
}

void TestQuoteSiteDialog::testCanBeStopped()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    Harness h;
    const auto dialog = h.start().makeDialog(nullptr);
    dialog->hostBox()->setText(server.host());
    dialog->certificateBox()->setText(h.caFile);
    dialog->symbolBox()->setText(QStringLiteral("VTI"));

    dialog->testButton()->click();
    QTRY_COMPARE(server.requestCount(), 1);
    QVERIFY(dialog->isTesting());
    QCOMPARE(dialog->testButton()->text(), QStringLiteral("&Stop"));
    QSignalSpy finished(dialog.get(), &QuoteSiteDialog::testFinished);
    dialog->testButton()->click();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!dialog->isTesting());
    QCOMPARE(dialog->testResultLabel()->text(), QStringLiteral("VTI: not priced \u2014 stopped."));
    QCOMPARE(dialog->testButton()->text(), QStringLiteral("&Test"));

    // Enter in the symbol box starts a test, and Cancel stops it.
    QTest::keyClick(dialog->symbolBox(), Qt::Key_Return);
    QCOMPARE(dialog->result(), 0);
    QVERIFY(dialog->isTesting());
    QTRY_COMPARE(server.requestCount(), 2);
    button(*dialog, QDialogButtonBox::Cancel)->click();
    QVERIFY(!dialog->isTesting());
    QCOMPARE(finished.size(), 2);
}

void TestQuoteSiteDialog::closingMidTestIsSafe()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    Harness h;
    auto dialog = h.start().makeDialog(nullptr);
    dialog->hostBox()->setText(server.host());
    dialog->certificateBox()->setText(h.caFile);
    dialog->symbolBox()->setText(QStringLiteral("VTI"));
    dialog->testButton()->click();
    QTRY_COMPARE(server.requestCount(), 1);

    QVERIFY(dialog->isTesting());
    dialog.reset();
    QTest::qWait(50); // anything queued by the teardown runs here
}

void TestQuoteSiteDialog::newSiteTakesEffectFromTheNextCalculation()
{
    LoopbackQuoteServer first;
    LoopbackQuoteServer second;
    QVERIFY(first.start() && second.start());
    for (const QString &symbol : {QStringLiteral("VTI"), QStringLiteral("BND")}) {
        first.setPrice(symbol, "1.00");
        second.setPrice(symbol, "2.00");
    }
    first.setResponseDelay(std::chrono::milliseconds(200));
    Harness h;
    h.writeSettings("[QuoteSite]\nHost=" + first.host().toUtf8() + "\nCertificateFile=" + h.caFile.toUtf8() + "\n");
    QuoteSiteController &controller = h.start();

    CalculationRun running(twoHeld(), controller.quotes());
    QSignalSpy runningFinished(&running, &CalculationRun::finished);
    running.start();
    QTRY_COMPARE(first.requestCount(), 2);
    const auto dialog = controller.makeDialog(nullptr);
    dialog->hostBox()->setText(second.host());
    button(*dialog, QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));

    QVERIFY(runningFinished.wait());
    QCOMPARE(running.result().total, 10 * 1.0 + 4 * 1.0);
    QCOMPARE(first.requestCount(), 2);
    QCOMPARE(second.requestCount(), 0);

    CalculationRun next(twoHeld(), controller.quotes());
    QSignalSpy nextFinished(&next, &CalculationRun::finished);
    next.start();
    QVERIFY(nextFinished.wait());
    QCOMPARE(next.result().total, 10 * 2.0 + 4 * 2.0);
    QCOMPARE(second.requestCount(), 2);
}

QTEST_MAIN(TestQuoteSiteDialog)
#include "tst_quotesitedialog.moc"
