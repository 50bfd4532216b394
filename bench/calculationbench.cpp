// Runs whole calculations of twenty held rows through the window's own code
// path (the dialog's Calculate) against the loopback quote site, and reports
// the time per calculation against its floor: twenty lookups, one after
// another, each waiting for the site's delay.
//
// The quote site runs on a thread of its own, as a remote site would, so its
// work does not count against the window's.
//
// Usage: calculationbench [delay ms=20] [runs=5]

#include "dialogfakes.h"
#include "fundtallydlg.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "networkquotesource.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

int argument(const QStringList &arguments, int index, int fallback)
{
    bool ok = false;
    const int value = arguments.value(index).toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

// Runs `work` on the site's thread and waits for it.
template<typename Work>
void onSiteThread(QObject &siteContext, Work work)
{
    QMetaObject::invokeMethod(&siteContext, work, Qt::BlockingQueuedConnection);
}

double timeOneCalculation(CFundtallyDlg &dialog)
{
    QEventLoop loop;
    QObject::connect(&dialog, &CFundtallyDlg::calculationFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    dialog.OnCalculate();
    loop.exec();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int delayMs = argument(arguments, 1, 20);
    const int runs = std::max(1, argument(arguments, 2, 5));
    QTextStream out(stdout);

    QThread siteThread;
    QObject siteContext;
    siteContext.moveToThread(&siteThread);
    siteThread.start();
    std::unique_ptr<LoopbackQuoteServer> server;
    bool started = false;
    onSiteThread(siteContext, [&] {
        server = std::make_unique<LoopbackQuoteServer>();
        started = server->start();
        server->setResponseDelay(std::chrono::milliseconds(delayMs));
        for (int row = 0; row < HoldingRowCount; ++row)
            server->setPrice(QStringLiteral("SYM%1").arg(row), QByteArray::number(10 + row) + ".25");
    });
    if (!started) {
        QTextStream(stderr) << "calculationbench: cannot start the loopback server\n";
        return 1;
    }

    NetworkQuoteSource quotes(server->clientSettings());
    CountingPrompt prompt;
    ScriptedFileChooser files;
    RecordingMessages messages;
    CountingQuoteSiteChooser quoteSite;
    ScriptedSaveQuestion saveChanges;
    CFundtallyDlg dialog(DialogServices{quotes, prompt, files, messages, quoteSite, saveChanges});
    HoldingsForm &form = dialog.form();
    for (int row = 0; row < HoldingRowCount; ++row) {
        form.symbolBox(row)->setText(QStringLiteral("SYM%1").arg(row));
        form.sharesBox(row)->setText(QString::number(row + 1));
        form.classSelector(row)->setCurrentIndex(row % AssetClassCount);
    }

    // The first run includes the TLS handshake; it is reported apart.
    const double firstMs = timeOneCalculation(dialog);
    std::chrono::nanoseconds heldBefore{};
    onSiteThread(siteContext, [&] { heldBefore = server->heldTime(); });
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeOneCalculation(dialog));
    std::sort(times.begin(), times.end());
    std::chrono::nanoseconds heldAfter{};
    int connections = 0;
    onSiteThread(siteContext, [&] {
        heldAfter = server->heldTime();
        connections = server->connectionCount();
    });

    const double floorMs = HoldingRowCount * double(delayMs);
    const double medianMs = times[times.size() / 2];
    const double heldMs = (heldAfter - heldBefore).count() / 1e6 / runs;
    out << "rows " << HoldingRowCount << ", delay " << delayMs << " ms, runs " << runs << '\n'
        << "first run (with handshake): " << QString::number(firstMs, 'f', 1) << " ms\n"
        << "median: " << QString::number(medianMs, 'f', 1) << " ms, best "
        << QString::number(times.front(), 'f', 1) << " ms, worst "
        << QString::number(times.back(), 'f', 1) << " ms\n";
    if (floorMs > 0) {
        out << "floor " << QString::number(floorMs, 'f', 0) << " ms, median / floor "
            << QString::number(medianMs / floorMs, 'f', 3) << '\n'
            << "the site held its responses " << QString::number(heldMs, 'f', 1)
            << " ms a run (its timer fires late); median / held "
            << QString::number(medianMs / heldMs, 'f', 3) << '\n';
    }
    out << "status: " << form.statusLabel()->text() << ", connections opened: " << connections << '\n';
    const bool priced = !form.totalBox()->text().isEmpty();
    onSiteThread(siteContext, [&] { server.reset(); });
    siteThread.quit();
    siteThread.wait();
    return priced ? 0 : 1;
}
