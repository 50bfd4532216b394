#include "dialogfakes.h"
#include "loopbackquoteserver.h"
#include "pricememory.h"
#include "quotesourcescontroller.h"
#include "sourcekeys.h"
#include "transferworker.h"
#include "quotesourceeditor.h"
#include "quotesourcesdialog.h"
#include "quotesourcestore.h"
#include "fakequoteservice.h"
#include "readymadesources.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWaitMs = 20000;
constexpr char kKeyFile[] = "/home/investor/.config/Fundtally/keys.conf";

QuoteSource jsonSource(const QString &name, const QString &url)
{
    QuoteSource source;
    source.name = name;
    source.url = url;
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("/last");
    return source;
}

// The dialog over `saved`, with fakes that record what it keeps.
struct SourcesHarness {
    ScriptedCertificateChooser certificates;
    ScriptedSourcesFileChooser files;
    MemoryKeyStore keys;
    QList<QList<QuoteSource>> saves;
    QList<QList<RateSource>> rateSaves;
    int forgets = 0;
    std::unique_ptr<QuoteSourcesDialog> dialog;

    explicit SourcesHarness(const QList<QuoteSource> &saved = {}, QuoteSourcesResolution inUse = {},
                            const QList<RateSource> &savedRates = {})
    {
        keys.keys.insert(QStringLiteral("Keyed"), QStringLiteral("k3y-0ld"));
        TransferSettings direct;
        direct.proxy = TransferProxy{};
        dialog = std::make_unique<QuoteSourcesDialog>(
            QuoteSourcesDialogSetup{saved, {}, std::move(inUse),
                                    SourceTestTransfers{std::make_shared<TransferWorker>(), direct}, savedRates,
                                    readyMadeChoices(ReadyMadeSources::read()), QString::fromLatin1(kKeyFile)},
            keys, files, certificates,
            [this](const QList<QuoteSource> &sources, const QList<RateSource> &rates) {
                saves << sources;
                rateSaves << rates;
                return QString();
            },
            [this] {
                ++forgets;
                return QString();
            });
    }

    // Adds a source through the editor, as typed.
    void add(const QString &name, const QString &url, const QString &key = {})
    {
        dialog->addSource();
        QuoteSourceEditor *editor = dialog->editor();
        QVERIFY(editor);
        QCOMPARE(editor->formatBox()->currentText(), QStringLiteral("json"));
        QCOMPARE(editor->addressLabel()->text(), QString());
        editor->nameBox()->setText(name);
        editor->urlBox()->setText(url);
        editor->formatBox()->setCurrentIndex(editor->formatBox()->findText(QStringLiteral("json")));
        editor->priceBox()->setText(QStringLiteral("/last"));
        editor->keyBox()->setText(key);
        editor->accept();
        QCOMPARE(editor->result(), int(QDialog::Accepted));
    }

    QStringList listed() const
    {
        QStringList texts;
        for (int row = 0; row < dialog->sourceList()->count(); ++row)
            texts << dialog->sourceList()->item(row)->text();
        return texts;
    }
};

} // namespace

class TestQuoteSourcesDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addsEditsAndOrders();
    void editorNamesTheFieldAtFault_data();
    void editorNamesTheFieldAtFault();
    void okSavesListAndKeys();
    void aKeyTheKeyringRefusesIsShownInTheFile();
    void firstVisitStartsFromAReadyMadeSource();
    void cancelKeepsNothing();
    void exportAndImportRoundTrip();
    void saysWhenAnotherListIsInUse_data();
    void saysWhenAnotherListIsInUse();
    void forgetsPrices();
    void testFetchesThroughTheEngine();
    void rateSourceIsTestedOnAPairAndSaved();
    void addStopsAtTheMostSources_data();
    void addStopsAtTheMostSources();
    void controllerAppliesWhatOkSaves_data();
    void controllerAppliesWhatOkSaves();
    void removingTheCarriedOverSiteLeavesNoSource();
    void tellsSavedProblemsOnce();
};

void TestQuoteSourcesDialog::addsEditsAndOrders()
{
    SourcesHarness h;
    h.add("Alpha", "https://a.example/{SYMBOL}");
    h.add("Beta", "https://b.example/{SYMBOL}");
    h.add("Gamma", "https://g.example/{SYMBOL}");

    h.dialog->sourceList()->setCurrentRow(2);
    h.dialog->upButton()->click();
    QCOMPARE(h.listed(), QStringList({"Alpha (json)", "Gamma (json)", "Beta (json)"}));
    QVERIFY(h.dialog->downButton()->isEnabled());
    h.dialog->sourceList()->setCurrentRow(0);
    QVERIFY(!h.dialog->upButton()->isEnabled());
    h.dialog->removeButton()->click();
    QCOMPARE(h.listed(), QStringList({"Gamma (json)", "Beta (json)"}));

    h.dialog->editSource();
    QuoteSourceEditor *editor = h.dialog->editor();
    QVERIFY(editor);
    QCOMPARE(editor->nameBox()->text(), QStringLiteral("Gamma"));
    // Named for what they choose, not by the choice they show.
    const auto nameOf = [](QWidget *box) { return QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name); };
    QCOMPARE((QStringList{nameOf(editor->formatBox()), nameOf(editor->decimalBox()), nameOf(editor->delimiterBox())}),
             (QStringList{"Format", "Decimal mark", "CSV delimiter"}));
    editor->nameBox()->setText("beta");
    editor->accept();
    QCOMPARE(editor->problemLabel()->text(), QStringLiteral("beta: Name: another source has this name"));
    editor->nameBox()->setText("Delta");
    editor->accept();
    QCOMPARE(h.listed(), QStringList({"Delta (json)", "Beta (json)"}));
    QCOMPARE(h.dialog->sources().at(0).url, QStringLiteral("https://g.example/{SYMBOL}"));
}

void TestQuoteSourcesDialog::editorNamesTheFieldAtFault_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QString>("headers");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("focused");   // the accessible name of the box given the focus

    QTest::newRow("url") << "http://a.example/{SYMBOL}" << "1" << "" << ""
                         << "Alpha: Address: must start with https://" << "Address";
    QTest::newRow("factor not a number") << "https://a.example/{SYMBOL}" << "one" << "" << ""
                                         << "Alpha: Factor: must be a number" << "Factor";
    QTest::newRow("header twice") << "https://a.example/{SYMBOL}" << "1" << "X-A: 1\nx-a: 2" << ""
                                  << "Alpha: Headers: names a header twice" << "Header lines";
    QTest::newRow("certificate file missing")
        << "https://a.example/{SYMBOL}" << "1" << "" << "/nonexistent/ca.pem"
        << "Alpha: Certificate file: The certificate file \"/nonexistent/ca.pem\" does not exist." << "Certificate file";
}

void TestQuoteSourcesDialog::editorNamesTheFieldAtFault()
{
    QFETCH(QString, url);
    QFETCH(QString, factor);
    QFETCH(QString, headers);
    QFETCH(QString, certificate);
    ScriptedCertificateChooser certificates;
    QuoteSourceEditor editor(SourceRole::Quotes, jsonSource("Alpha", url), {}, {}, certificates, {});
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.factorBox()->setText(factor);
    editor.headersBox()->setPlainText(headers);
    editor.certificateBox()->setText(certificate);

    editor.accept();

    QCOMPARE(editor.result(), int(QDialog::Rejected));
    QTEST(editor.problemLabel()->text(), "problem");
    // A screen reader hears the message itself, not only that there is one.
    QTEST(QAccessible::queryAccessibleInterface(editor.problemLabel())->text(QAccessible::Name), "problem");
    QTEST(QApplication::focusWidget()->accessibleName(), "focused");
}

void TestQuoteSourcesDialog::okSavesListAndKeys()
{
    SourcesHarness h({jsonSource("Keyed", "https://k.example/{SYMBOL}?k={KEY}")});
    QSignalSpy read(h.dialog.get(), &QuoteSourcesDialog::keysRead);
    QVERIFY(read.wait(kWaitMs));
    QCOMPARE(h.listed(), QStringList({"Keyed (json, key in the keyring)"}));
    h.add("Fresh", "https://f.example/{SYMBOL}?k={KEY}", "n3w");
    QCOMPARE(h.listed().at(1), QStringLiteral("Fresh (json, key to keep)"));

    QSignalSpy accepted(h.dialog.get(), &QDialog::accepted);
    h.dialog->accept();
    QVERIFY(accepted.wait(kWaitMs));

    QCOMPARE(h.saves.size(), 1);
    QCOMPARE(h.saves.at(0).size(), 2);
    QCOMPARE(h.keys.keys.value("Fresh"), QStringLiteral("n3w"));
    QCOMPARE(h.keys.keys.value("Keyed"), QStringLiteral("k3y-0ld"));
    QCOMPARE(h.dialog->keyPlace(1), KeyPlace::Keyring);
    QCOMPARE(h.dialog->savedKeys().value("Fresh"), QStringLiteral("n3w"));
}

void TestQuoteSourcesDialog::aKeyTheKeyringRefusesIsShownInTheFile()
{
    SourcesHarness h;
    h.keys.place = KeyPlace::File;
    h.add("Fresh", "https://f.example/{SYMBOL}?k={KEY}", "n3w");
    QSignalSpy accepted(h.dialog.get(), &QDialog::accepted);
    h.dialog->accept();
    QCOMPARE(h.dialog->statusLabel()->text(), QStringLiteral("Waiting for the desktop keyring\u2026"));
    QTRY_VERIFY(h.dialog->statusLabel()->text().contains(QLatin1String(kKeyFile)));
    QCOMPARE(h.listed(), QStringList{QStringLiteral("Fresh (json, key in the key file %1)").arg(kKeyFile)});
    QCOMPARE(accepted.size(), 0);
    h.dialog->accept();
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(h.keys.keys.value("Fresh"), QStringLiteral("n3w"));
}

void TestQuoteSourcesDialog::firstVisitStartsFromAReadyMadeSource()
{
    SourcesHarness h;
    QCOMPARE(h.dialog->focusWidget(), h.dialog->addButton());
    QVERIFY(!h.dialog->emptyNote()->isHidden());
    QVERIFY(h.dialog->emptyNote()->text().startsWith(QLatin1String("A quote source is a service on the web")));

    h.dialog->readyMadeAction()->trigger();
    QTRY_VERIFY(h.dialog->readyMadeDialog());
    ReadyMadeSourceDialog *chooser = h.dialog->readyMadeDialog();
    const QList<QListWidgetItem *> tiingo = chooser->list()->findItems(QStringLiteral("Tiingo (prices)"), Qt::MatchExactly);
    QCOMPARE(tiingo.size(), 1);
    chooser->list()->setCurrentItem(tiingo.front());
    QVERIFY(chooser->noteLabel()->text().contains(QLatin1String("50 requests an hour")));
    QVERIFY(chooser->noteLabel()->text().endsWith(QLatin1String("Documentation: https://www.tiingo.com/documentation/iex")));
    chooser->useButton()->click();

    QTRY_VERIFY(h.dialog->editor());
    QuoteSourceEditor *editor = h.dialog->editor();
    QCOMPARE(editor->nameBox()->text(), QStringLiteral("Tiingo"));
    QCOMPARE(editor->focusWidget(), editor->keyBox());
    editor->keyBox()->setText(QStringLiteral("t1ng0"));
    editor->accept();
    QCOMPARE(h.listed(), QStringList{QStringLiteral("Tiingo (json, key to keep)")});
    QVERIFY(h.dialog->emptyNote()->isHidden());
}

void TestQuoteSourcesDialog::cancelKeepsNothing()
{
    SourcesHarness h({jsonSource("Keyed", "https://k.example/{SYMBOL}?k={KEY}")});
    h.add("Fresh", "https://f.example/{SYMBOL}", "n3w");
    h.dialog->sourceList()->setCurrentRow(0);
    h.dialog->removeSource();

    h.dialog->reject();
    QTest::qWait(0);

    QCOMPARE(h.saves.size(), 0);
    QCOMPARE(h.keys.keys, (QHash<QString, QString>{{"Keyed", "k3y-0ld"}}));
}

void TestQuoteSourcesDialog::exportAndImportRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sources.json");
    QuoteSource keyed = jsonSource("Keyed", "https://k.example/{SYMBOL}");
    keyed.headers = {{"X-Api-Key", "{KEY}"}};
    keyed.delimiter = ';';
    const QList<QuoteSource> sources{keyed, jsonSource("Plain", "https://p.example/{symbol}")};
    RateSource rates = jsonSource("Rates", "https://fx.example/{FROM}/{TO}");
    rates.price = "/rates/{TO}";
    SourcesHarness exporting(sources, {}, {rates});
    QSignalSpy read(exporting.dialog.get(), &QuoteSourcesDialog::keysRead);
    QVERIFY(read.wait(kWaitMs));
    exporting.files.exportPath = path;
    exporting.dialog->exportButton()->click();
    QCOMPARE(exporting.dialog->statusLabel()->text(),
             "Exported 2 sources and 1 rate source to " + path + ", without their keys.");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("k3y-0ld"));

    SourcesHarness importing;
    importing.files.importPath = path;
    importing.dialog->importButton()->click();

    QCOMPARE(importing.dialog->sources(), sources);
    QCOMPARE(importing.dialog->rates(), QList{rates});
    QCOMPARE(importing.dialog->statusLabel()->text(), "Imported 2 sources and 1 rate source from " + path + ".");
    QCOMPARE(QAccessible::queryAccessibleInterface(importing.dialog->statusLabel())->text(QAccessible::Name),
             importing.dialog->statusLabel()->text());
}

void TestQuoteSourcesDialog::saysWhenAnotherListIsInUse_data()
{
    QTest::addColumn<QuoteSourcesOrigin>("origin");
    QTest::addColumn<QString>("note");

    QTest::newRow("sources file") << QuoteSourcesOrigin::SourcesFile
                                  << "FUNDTALLY_QUOTE_SOURCES names a sources file: calculations use its "
                                     "sources (Team A, Team B), not the list here.";
    QTest::newRow("environment host") << QuoteSourcesOrigin::EnvironmentHost
                                      << "FUNDTALLY_QUOTE_HOST is set: calculations use that site's quote page "
                                         "(Team A, Team B), not the list here.";
    QTest::newRow("saved list") << QuoteSourcesOrigin::Saved << "";
}

void TestQuoteSourcesDialog::saysWhenAnotherListIsInUse()
{
    QuoteSourcesResolution inUse;
    QFETCH(QuoteSourcesOrigin, origin);
    inUse.origin = origin;
    inUse.sources = {jsonSource("Team A", "https://t.example/{SYMBOL}"),
                     jsonSource("Team B", "https://u.example/{SYMBOL}")};
    SourcesHarness h({jsonSource("Mine", "https://m.example/{SYMBOL}")}, inUse);

    QTEST(h.dialog->inUseNote()->text(), "note");
    QCOMPARE(h.listed(), QStringList({"Mine (json)"}));
}

void TestQuoteSourcesDialog::forgetsPrices()
{
    SourcesHarness h;
    h.dialog->forgetButton()->click();
    QCOMPARE(h.forgets, 1);
    QCOMPARE(h.dialog->statusLabel()->text(), QStringLiteral("The last known prices are forgotten."));
}

// Test reads the typed source and key, leaves the form as it was, and can
// be stopped from the same button.
void TestQuoteSourcesDialog::testFetchesThroughTheEngine()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page;
    page.body = R"({"last": 41.25})";
    server.setTargetPage("/q/VTI?k=s3cr3t", page);
    QuoteSource source = jsonSource("Loopback", "https://" + server.host() + "/q/{SYMBOL}?k={KEY}");
    source.currency = "=EUR";
    source.certificate = server.authorityFile();
    TransferSettings direct;
    direct.proxy = TransferProxy{};
    ScriptedCertificateChooser certificates;
    QuoteSourceEditor editor(SourceRole::Quotes, source, "s3cr3t", {}, certificates,
                             SourceTestTransfers{std::make_shared<TransferWorker>(), direct});
    QCOMPARE(editor.addressLabel()->text(), "https://" + server.host() + "/q/VTI?k={KEY}");
    QSignalSpy finished(&editor, &QuoteSourceEditor::testFinished);

    editor.testButton()->click();
    QCOMPARE(editor.testButton()->text(), QStringLiteral("&Stop"));
    QVERIFY(finished.wait(kWaitMs));

    QCOMPARE(editor.reportBox()->toPlainText(),
             QStringLiteral("Price: 41.25 (EUR)\nFound \"41.25\" at $['last'], in:\n{\n    \"last\": 41.25\n}\n"));
    QCOMPARE(editor.typed(), source);
    QCOMPARE(editor.testButton()->text(), QStringLiteral("&Test"));

    server.setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    editor.testButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 2, kWaitMs);
    editor.testButton()->click();
    QCOMPARE(finished.count(), 2);
    QCOMPARE(editor.reportBox()->toPlainText(), QStringLiteral("No price: stopped."));
}

// A rate source is added in a list of its own, its address formed and tested
// for the pair typed, and saved beside the quote sources.
void TestQuoteSourcesDialog::rateSourceIsTestedOnAPairAndSaved()
{
    LoopbackQuoteServer server;
    QVERIFY(server.start());
    QuotePage page;
    page.body = R"({"rates": {"JPY": 190.5}})";
    server.setTargetPage("/fx/GBP/JPY", page);
    SourcesHarness h;
    h.dialog->addRateSourceButton()->click();
    QuoteSourceEditor *editor = h.dialog->editor();
    QVERIFY(editor);
    QCOMPARE(editor->formatBox()->currentText(), QStringLiteral("json"));
    editor->nameBox()->setText("Pairs");
    editor->urlBox()->setText("https://" + server.host() + "/fx/{FROM}/{TO}");
    editor->priceBox()->setText("/rates/{TO}");
    editor->certificateBox()->setText(server.authorityFile());
    editor->symbolBox()->setText("gbp/jpy");
    QCOMPARE(editor->addressLabel()->text(), "https://" + server.host() + "/fx/GBP/JPY");
    QSignalSpy finished(editor, &QuoteSourceEditor::testFinished);
    editor->testButton()->click();
    QVERIFY(finished.wait(kWaitMs));
    QVERIFY2(editor->reportBox()->toPlainText().startsWith("Rate: 190.5 JPY per GBP\n"), qPrintable(editor->reportBox()->toPlainText()));
    const RateSource typed = editor->typed();
    editor->accept();
    QTest::qWait(0);

    QCOMPARE(h.dialog->rates(), QList{typed});
    QVERIFY(!h.dialog->ratesNote()->isVisibleTo(h.dialog.get()));
    h.dialog->accept();
    QCOMPARE(h.rateSaves.value(0), QList{typed});
}

void TestQuoteSourcesDialog::addStopsAtTheMostSources_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("addable");

    QTest::newRow("one short of the most") << 19 << true;
    QTest::newRow("the most") << 20 << false;
}

void TestQuoteSourcesDialog::addStopsAtTheMostSources()
{
    QFETCH(int, count);
    QList<QuoteSource> saved;
    for (int number = 1; number <= count; ++number)
        saved << jsonSource(QStringLiteral("S%1").arg(number),
                            QStringLiteral("https://s%1.example/{SYMBOL}").arg(number));
    SourcesHarness h(saved);

    QTEST(h.dialog->addButton()->isEnabled(), "addable");
    h.dialog->addSource();
    QTEST(h.dialog->editor() != nullptr, "addable");
}

// OK writes the list to the settings and gives the next calculation a
// service over it with the keys typed; Cancel writes nothing.
void TestQuoteSourcesDialog::controllerAppliesWhatOkSaves_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestQuoteSourcesDialog::controllerAppliesWhatOkSaves()
{
    QFETCH(bool, ok);
    QTemporaryDir dir;
    QSettings settings(dir.filePath("Fundtally.conf"), QSettings::IniFormat);
    ScriptedCertificateChooser certificates;
    ScriptedSourcesFileChooser files;
    MemoryKeyStore keys;
    SourceKeys sourceKeys(keys);
    PriceMemory prices(settings, dir.filePath("prices.json"));
    const auto worker = std::make_shared<TransferWorker>();
    QList<QuoteSourcesResolution> made;
    QuoteSourcesController controller(
        settings, QuoteSourcesTools{certificates, files, keys, sourceKeys, [] { return QString(); }, {worker, {}}, {}},
        [&] {
            PricingChain chain = buildPricingChain(settings, {}, sourceKeys, prices, worker);
            made << chain.sources;
            return chain;
        });
    const auto before = controller.quotes();
    const auto dialog = controller.makeDialog(nullptr);
    dialog->addSource();
    QuoteSourceEditor *editor = dialog->editor();
    editor->nameBox()->setText("Mine");
    editor->urlBox()->setText("https://m.example/{SYMBOL}?k={KEY}");
    editor->formatBox()->setCurrentIndex(editor->formatBox()->findText("json"));
    editor->priceBox()->setText("/last");
    editor->keyBox()->setText("m1ne");
    editor->accept();

    if (ok) {
        QSignalSpy accepted(dialog.get(), &QDialog::accepted);
        dialog->accept();
        QVERIFY(accepted.wait(kWaitMs));
        const QList<QuoteSource> expected{jsonSource("Mine", "https://m.example/{SYMBOL}?k={KEY}")};
        QCOMPARE(QuoteSourceStore::read(settings).sources, expected);
        QCOMPARE(made.last().origin, QuoteSourcesOrigin::Saved);
        QString known;
        sourceKeys.withKey("Mine", this, [&known](const FoundKey &key) { known = key.key; });
        QCOMPARE(known, QStringLiteral("m1ne")); // told, not read back from the store
        QVERIFY(controller.quotes() != before);
    } else {
        dialog->reject();
        QVERIFY(QuoteSourceStore::read(settings).sources.isEmpty());
        QCOMPARE(made.size(), 1);
        QCOMPARE(controller.quotes(), before);
    }
}

// A quote site saved before sources existed is the list the dialog starts
// from; once a list is saved it is gone, so removing every source leaves none.
void TestQuoteSourcesDialog::removingTheCarriedOverSiteLeavesNoSource()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("Fundtally.conf"), QSettings::IniFormat);
    QCOMPARE(QuoteSiteStore::write(settings, StoredQuoteSite{QStringLiteral("quotes.example.com"), QString()}),
             QString());
    ScriptedCertificateChooser certificates;
    ScriptedSourcesFileChooser files;
    MemoryKeyStore keys;
    SourceKeys sourceKeys(keys);
    PriceMemory prices(settings, dir.filePath("prices.json"));
    const auto worker = std::make_shared<TransferWorker>();
    QList<QuoteSourcesResolution> made;
    QuoteSourcesController controller(
        settings, QuoteSourcesTools{certificates, files, keys, sourceKeys, [] { return QString(); }, {worker, {}}, {}},
        [&] {
            PricingChain chain = buildPricingChain(settings, {}, sourceKeys, prices, worker);
            made << chain.sources;
            return chain;
        });
    QCOMPARE(made.last().origin, QuoteSourcesOrigin::SavedSite);
    const auto dialog = controller.makeDialog(nullptr);
    QCOMPARE(dialog->sources().size(), 1);
    dialog->sourceList()->setCurrentRow(0);
    dialog->removeSource();
    QSignalSpy accepted(dialog.get(), &QDialog::accepted);
    dialog->accept();
    QVERIFY(accepted.count() == 1 || accepted.wait(kWaitMs));

    QCOMPARE(made.last().origin, QuoteSourcesOrigin::None);
    QVERIFY(made.last().sources.isEmpty());
    QCOMPARE(QuoteSiteStore::read(settings).site, StoredQuoteSite{});
}

// A saved source that cannot be used is said once at start and once in the
// dialog, not again as the list in use.
void TestQuoteSourcesDialog::tellsSavedProblemsOnce()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("Fundtally.conf"), QSettings::IniFormat);
    QCOMPARE(QuoteSourceStore::write(settings, {jsonSource("Mine", "https://m.example/{SYMBOL}")}), QString());
    settings.setValue("QuoteSources/1/format", "colour");
    ScriptedCertificateChooser certificates;
    ScriptedSourcesFileChooser files;
    MemoryKeyStore keys;
    SourceKeys sourceKeys(keys);
    PriceMemory prices(settings, dir.filePath("prices.json"));
    const auto worker = std::make_shared<TransferWorker>();
    QuoteSourcesController controller(
        settings, QuoteSourcesTools{certificates, files, keys, sourceKeys, [] { return QString(); }, {worker, {}}, {}},
        [&] { return buildPricingChain(settings, {}, sourceKeys, prices, worker); });

    const QString startup = controller.takeStartupMessage();
    QCOMPARE(startup.count(QStringLiteral("Mine")), 1);
    const auto dialog = controller.makeDialog(nullptr);
    const QString shown = dialog->statusLabel()->text() + dialog->inUseNote()->text();
    QCOMPARE(shown.count(QStringLiteral("Mine")), 1);
}

QTEST_MAIN(TestQuoteSourcesDialog)
#include "tst_quotesourcesdialog.moc"
