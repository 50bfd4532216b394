// Renders the Fundtally window to a PNG without a display, so anyone can
// look at the form. With a profile argument the rows are loaded from it and
// priced through a loopback quote site serving sample prices.
//
//   fundtally_screenshot <output.png> [profile.ftly]

#include "dialogfakes.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
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
    ScriptedSaveQuestion saveChanges;
    CFundtallyDlg dialog(DialogServices{quotes, prompt, files, messages, saveChanges});
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

    // Let the chart's scene lay itself out before the picture is taken.
    QTest::qWait(100);

    const QString output = args.at(1);
    QDir().mkpath(QFileInfo(output).absolutePath());
    if (!dialog.grab().save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
