// Renders the Fundtally window to a PNG without a display, so anyone can
// look at the form. With a profile argument the rows are loaded from it and
// priced through a loopback quote site serving sample prices. Beside the
// picture it renders the rebalance dialog over that calculation with sample
// targets (<output>-rebalance.png) and the window showing those targets on
// its chart (<output>-targets.png), and the quote site dialog after a test
// of the loopback site (<output>-quotesite.png).
//
//   fundtally_screenshot <output.png> [profile.ftly]

#include "dialogfakes.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"
#include "quotesitedialog.h"
#include "rebalancedialog.h"
#include "testcertificates.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
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

// The quote site dialog set to the loopback site, its certificate file
// given, once a test of VTI has priced it.
bool saveQuoteSitePicture(const LoopbackQuoteServer &server, QWidget &parent, const QString &path)
{
    QTemporaryDir dir;
    const QString caFile = dir.filePath(QStringLiteral("loopback-ca.pem"));
    QFile file(caFile);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly)
        || file.write(TestCertificates::authority().toPem()) <= 0) {
        std::fprintf(stderr, "cannot write the loopback site's certificate\n");
        return false;
    }
    file.close();

    ScriptedCertificateChooser certificates;
    const QuoteSiteDialogSetup setup{{server.host(), caFile}, {}, {}, {}};
    QuoteSiteDialog quoteSite(
        setup, certificates,
        [](const QuoteSiteSettings &site) -> std::unique_ptr<QuoteSource> {
            return std::make_unique<NetworkQuoteSource>(site);
        },
        [](const StoredQuoteSite &) { return QString(); }, &parent);
    quoteSite.show();
    quoteSite.symbolBox()->setText(QStringLiteral("VTI"));
    QSignalSpy tested(&quoteSite, &QuoteSiteDialog::testFinished);
    quoteSite.testButton()->click();
    if (!tested.wait(30000)) {
        std::fprintf(stderr, "the quote site test did not finish: %s\n",
                     qPrintable(quoteSite.testResultLabel()->text()));
        return false;
    }
    return savePicture(quoteSite, path);
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
    NetworkQuoteSource quotes(server.clientSettings());
    CountingPrompt prompt;
    ScriptedFileChooser files;
    RecordingMessages messages;
    CountingQuoteSiteChooser quoteSite;
    ScriptedSaveQuestion saveChanges;
    CFundtallyDlg dialog(DialogServices{quotes, prompt, files, messages, quoteSite, saveChanges});
    dialog.show();

    if (args.size() > 2) {
        files.openPath = args.at(2);
        QSignalSpy finished(&dialog, &CFundtallyDlg::calculationFinished);
        dialog.OnGetProfile();
        if (!messages.errors.isEmpty() || !finished.wait(30000)) {
            std::fprintf(stderr, "could not load %s: %s\n", qPrintable(files.openPath),
                         qPrintable(messages.errors.join(QLatin1Char('\n'))));
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
    if (!saveQuoteSitePicture(server, dialog, besidePath(output, "quotesite")))
        return 1;
    return 0;
}
