// Renders the Fundtally window to a PNG without a display, so anyone can
// look at the form. With a profile argument the rows are loaded from it and
// priced through a loopback quote site serving sample prices. Beside the
// picture it renders the rebalance dialog over that calculation with sample
// targets (<output>-rebalance.png) and the window showing those targets on
// its chart (<output>-targets.png), and a quote source's editor after a
// test of the loopback site (<output>-quotesource.png). Two more show how a
// calculation can go wrong: stopped part way (<output>-stopped.png) and with
// many holdings that could not be priced (<output>-failures.png).
//
//   fundtally_screenshot <output.png> [profile.ftly]

#include "dialogharness.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "pagesource.h"
#include "quotesourceeditor.h"
#include "rebalancedialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

void serveSamplePrices(LoopbackQuoteServer &server)
{
    const QList<std::pair<const char *, const char *>> prices{
        {"VTI", "268.40"}, {"VXUS", "61.12"}, {"BND", "72.35"},
        {"VNQ", "88.90"},  {"EMB", "90.45"},  {"VTIAX", "33.87"}};
    for (const auto &[symbol, price] : prices)
        server.setPrice(QString::fromLatin1(symbol), price);
}

bool savePicture(QWidget &widget, const QString &path)
{
    // Let the chart's scene lay itself out before the picture is taken.
    QTest::qWait(100);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// "shots/fundtally.png" with "rebalance" gives "shots/fundtally-rebalance.png".
QString besidePath(const QString &path, const char *what)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral("%1-%2.%3")
                                   .arg(info.completeBaseName(), QLatin1String(what), info.suffix()));
}

// The rows as the form shows them, to show them again in another window.
Holdings rowsOf(const CFundtallyDlg &dialog)
{
    Holdings rows;
    const HoldingsForm &form = dialog.form();
    for (int r = 0; r < HoldingRowCount; ++r) {
        rows[r] = Holding{form.nameBox(r)->text(), form.symbolBox(r)->text(),
                                form.sharesBox(r)->text().toDouble(), form.classSelector(r)->currentIndex()};
    }
    return rows;
}

void fillRows(CFundtallyDlg &dialog, const Holdings &rows)
{
    HoldingsForm &form = dialog.form();
    for (int r = 0; r < HoldingRowCount; ++r) {
        form.nameBox(r)->setText(rows[r].name);
        form.symbolBox(r)->setText(rows[r].symbol);
        form.sharesBox(r)->setText(QString::number(rows[r].shares));
        form.classSelector(r)->setCurrentIndex(rows[r].assetClass);
    }
}

// The window showing `rows`, whose lookups wait to be settled one by one as
// the run asks for them.
struct HeldLookupsDialog : DialogHarness<>
{
    explicit HeldLookupsDialog(const Holdings &rows)
    {
        quotes.hold = true;
        dialog->show();
        fillRows(*dialog, rows);
    }

    // Settles the lookups with the results in order; false if the run stops
    // asking first.
    bool answerLookups(const QList<QuoteResult> &results)
    {
        for (qsizetype i = 0; i < results.size(); ++i) {
            if (!QTest::qWaitFor([&] { return quotes.held.size() > i; }))
                return false;
            quotes.held.at(i)->settle(results.at(i));
        }
        return true;
    }
};

// The rows priced through held lookups: the first `priced` are answered,
// then the run is stopped while the next one is in flight.
bool renderStopped(const Holdings &rows, int priced, const QString &path)
{
    HeldLookupsDialog h(rows);
    h.dialog->OnCalculate();
    QList<QuoteResult> answers;
    for (int i = 0; i < priced; ++i)
        answers << QuoteResult::withPrice(50.0 + 10.0 * i);
    if (!h.answerLookups(answers) || !QTest::qWaitFor([&] { return h.quotes.held.size() > priced; }))
        return false;
    h.dialog->stopCalculation();
    return savePicture(*h.dialog, path);
}

// Twelve holdings of which ten fail for three different reasons: more than
// the status line can show at once.
bool renderFailures(const QString &path)
{
    const QuoteResult refused = QuoteResult::failed(QuoteFailure::ConnectionRefused);
    const QuoteResult missing = QuoteResult::failed(QuoteFailure::NoQuotePage, 404);
    const QList<std::pair<const char *, QuoteResult>> failures{
        {"VTI", refused},   {"BND", refused}, {"VXUS", refused},  {"GONE", missing},
        {"TYPO", missing},  {"OLDCO", QuoteResult::failed(QuoteFailure::NoPriceOnPage)},
        {"VNQ", refused},   {"EMB", refused}, {"VTIAX", refused}, {"VBTLX", refused}};
    Holdings rows;
    QList<QuoteResult> answers;
    for (qsizetype i = 0; i < failures.size(); ++i) {
        rows[i] = Holding{QStringLiteral("Holding %1").arg(i + 1), QString::fromLatin1(failures[i].first),
                                100.0, int(i % AssetClassCount)};
        answers << failures[i].second;
    }
    rows[10] = Holding{QStringLiteral("Savings"), QStringLiteral("SAVE"), 2500.0, 0};
    rows[11] = Holding{QStringLiteral("Short Bonds"), QStringLiteral("BSV"), 40.0, 1};
    answers << QuoteResult::withPrice(1.0) << QuoteResult::withPrice(77.1);

    HeldLookupsDialog h(rows);
    QSignalSpy finished(h.dialog.get(), &CFundtallyDlg::calculationFinished);
    h.dialog->OnCalculate();
    if (!h.answerLookups(answers) || !QTest::qWaitFor([&] { return finished.count() > 0; }))
        return false;
    return savePicture(*h.dialog, path);
}

// A quote source's editor set to the loopback site's quote page, its
// certificate file given, once a test of VTI has priced it.
bool saveQuoteSourcePicture(const LoopbackQuoteServer &server, QWidget &parent, const QString &path)
{
    QuoteSource source;
    source.name = QStringLiteral("Loopback");
    source.url = QStringLiteral("https://%1/quote/{SYMBOL}/?p={SYMBOL}").arg(server.host());
    source.currency = QStringLiteral("=USD");
    source.certificate = server.authorityFile();
    TransferSettings direct;
    direct.proxy = TransferProxy{};
    ScriptedCertificateChooser certificates;
    QuoteSourceEditor editor(SourceRole::Quotes, source, {}, {}, certificates, SourceTestTransfers{std::make_shared<TransferWorker>(), direct},
                             &parent);
    editor.show();
    QSignalSpy tested(&editor, &QuoteSourceEditor::testFinished);
    editor.testButton()->click();
    if (!tested.wait(30000)) {
        std::fprintf(stderr, "the quote source test did not finish: %s\n",
                     qPrintable(editor.reportBox()->toPlainText()));
        return false;
    }
    return savePicture(editor, path);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Fundtally"));
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: fundtally_screenshot <output.png> [profile.ftly]\n");
        return 2;
    }

    LoopbackQuoteServer server;
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the loopback quote site\n");
        return 1;
    }
    serveSamplePrices(server);
    DialogHarness<PageSourceService> harness(server.host(), server.clientSettings());
    CFundtallyDlg &dialog = *harness.dialog;
    dialog.show();

    if (args.size() > 2) {
        harness.files.openPath = args.at(2);
        QSignalSpy finished(&dialog, &CFundtallyDlg::calculationFinished);
        dialog.OnGetProfile();
        if (!harness.messages.errors.isEmpty() || !finished.wait(30000)) {
            std::fprintf(stderr, "could not load %s: %s\n", qPrintable(harness.files.openPath),
                         qPrintable(harness.messages.errors.join(QLatin1Char('\n'))));
            return 1;
        }
    }

    const QString output = args.at(1);
    if (!savePicture(dialog, output))
        return 1;

    const TargetPercents sampleTargets{5, 25, 50, 10, 10};
    dialog.setTargets(sampleTargets);
    RebalanceDialog rebalance(dialog.lastCalculation(), dialog.targets(), &dialog);
    rebalance.amountToInvestBox()->setText(QStringLiteral("10000"));
    rebalance.show();
    if (!savePicture(rebalance, besidePath(output, "rebalance")))
        return 1;
    rebalance.hide();
    if (!savePicture(dialog, besidePath(output, "targets")))
        return 1;
    if (!saveQuoteSourcePicture(server, dialog, besidePath(output, "quotesource")))
        return 1;
    if (!renderStopped(rowsOf(dialog), 2, besidePath(output, "stopped")))
        return 1;
    return renderFailures(besidePath(output, "failures")) ? 0 : 1;
}
