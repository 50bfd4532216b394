// Runs whole calculations of twenty held rows through the window's own code
// path (the dialog's Calculate) against the loopback quote site, and reports
// the time per calculation against its floor: twenty lookups, one after
// another, each waiting for the site's delay.
//
// The quote site runs on a thread of its own, as a remote site would, so its
// work does not count against the window's.
//
// Then, in turn, it times calculations on a fresh connection (a new quote
// source each, as at a program's first Calculate) and the curl command
// fetching the same twenty pages in one invocation, which also keeps one
// connection, and compares the two.
//
// Last, it times how long Stop and closing the window take to end a lookup
// whose page never comes: until the site sees the connection go.
//
// Usage: calculationbench [delay ms=20] [runs=5]

#include "dialogharness.h"
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
#include <QProcess>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <memory>
#include <optional>
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

// The fresh-connection calculation may take this much longer than curl.
constexpr double kCurlRatioGoal = 1.01;
constexpr int kCurlTimeoutMs = 60000;
// Stop and closing the window end the transfer in flight within this.
constexpr double kAbortGoalMs = 100;
constexpr int kWaitLimitMs = 10000;
const QString kSilentSymbol = QStringLiteral("SILENT");

QString symbolOf(int row)
{
    return QStringLiteral("SYM%1").arg(row);
}

void fillForm(HoldingsForm &form)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        form.symbolBox(row)->setText(symbolOf(row));
        form.sharesBox(row)->setText(QString::number(row + 1));
        form.classSelector(row)->setCurrentIndex(row % AssetClassCount);
    }
}

template<typename Value>
Value median(std::vector<Value> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What curl reports for one invocation fetching every row's page.
struct CurlRun {
    double totalMs = 0;     // the transfers' own times added up, its start-up left out
    double handshakeMs = 0; // of the first transfer: connecting and TLS
    int connections = 0;
};

std::optional<CurlRun> runCurl(const QuoteSiteSettings &settings)
{
    QStringList arguments{QStringLiteral("--silent"), QStringLiteral("--show-error"),
                          QStringLiteral("--http1.1"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                          QStringLiteral("--cacert"), settings.trustedCertificateFiles.value(0),
                          QStringLiteral("--write-out"),
                          QStringLiteral("%{time_total} %{time_appconnect} %{num_connects}\\n")};
    for (int row = 0; row < HoldingRowCount; ++row) {
        arguments << QStringLiteral("--output") << QStringLiteral("/dev/null")
                  << QString::fromLatin1(quotePageUrl(settings.host, symbolOf(row)).toEncoded());
    }
    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    curl.start(QStringLiteral("curl"), arguments);
    if (!curl.waitForFinished(kCurlTimeoutMs) || curl.exitStatus() != QProcess::NormalExit
        || curl.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> lines = curl.readAllStandardOutput().trimmed().split('\n');
    if (lines.size() != HoldingRowCount)
        return std::nullopt;
    CurlRun run;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> times = lines[i].split(' ');
        if (times.size() != 3)
            return std::nullopt;
        run.totalMs += times[0].toDouble() * 1000;
        run.connections += times[2].toInt();
        if (i == 0)
            run.handshakeMs = times[1].toDouble() * 1000;
    }
    return run;
}

// Polls the site until `ready` holds; false after kWaitLimitMs.
template<typename Ready>
bool waitForSite(QObject &siteContext, Ready ready)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool done = false;
        onSiteThread(siteContext, [&] { done = ready(); });
        if (done)
            return true;
        if (waited.elapsed() > kWaitLimitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
}

enum class Ending { Stop, Close };

// Starts a calculation of one row whose page never comes, ends it as
// `ending` says once the site has the request, and returns the time until
// the site sees the connection go; negative when it never does. The
// dialog gets its own quote source.
double timeAbort(Ending ending, QObject &siteContext, LoopbackQuoteServer &server,
                 const QuoteSiteSettings &settings)
{
    DialogHarness<NetworkQuoteSource> harness(settings);
    std::unique_ptr<CFundtallyDlg> &dialog = harness.dialog;
    dialog->form().symbolBox(0)->setText(kSilentSymbol);
    dialog->form().sharesBox(0)->setText(QStringLiteral("1"));
    int requests = 0;
    int cutOff = 0;
    onSiteThread(siteContext, [&] {
        requests = server.requestCount();
        cutOff = server.cutOffResponses();
    });
    dialog->OnCalculate();
    if (!waitForSite(siteContext, [&] { return server.requestCount() > requests; }))
        return -1;
    QElapsedTimer timer;
    timer.start();
    if (ending == Ending::Stop)
        dialog->stopCalculation();
    else
        dialog.reset();
    if (!waitForSite(siteContext, [&] { return server.cutOffResponses() > cutOff; }))
        return -1;
    return timer.nsecsElapsed() / 1e6;
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
        QuotePage silent = QuotePage::withPrice("SILENT", "1.5");
        silent.delivery = QuotePage::Delivery::Silent;
        server->setPage(kSilentSymbol, silent);
    });
    if (!started) {
        QTextStream(stderr) << "calculationbench: cannot start the loopback server\n";
        return 1;
    }

    const QuoteSiteSettings settings = server->clientSettings();
    DialogHarness<NetworkQuoteSource> harness(settings);
    CFundtallyDlg &dialog = *harness.dialog;
    HoldingsForm &form = dialog.form();
    fillForm(form);

    // The first run includes the TLS handshake; it is reported apart.
    const double firstMs = timeOneCalculation(dialog);
    std::chrono::nanoseconds heldBefore{};
    onSiteThread(siteContext, [&] { heldBefore = server->heldTime(); });
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeOneCalculation(dialog));
    std::chrono::nanoseconds heldAfter{};
    int connections = 0;
    onSiteThread(siteContext, [&] {
        heldAfter = server->heldTime();
        connections = server->connectionCount();
    });

    const double floorMs = HoldingRowCount * double(delayMs);
    const double medianMs = median(times);
    const double heldMs = (heldAfter - heldBefore).count() / 1e6 / runs;
    out << "rows " << HoldingRowCount << ", delay " << delayMs << " ms, runs " << runs << '\n'
        << "first run (with handshake): " << QString::number(firstMs, 'f', 1) << " ms\n"
        << "kept connection: median " << QString::number(medianMs, 'f', 1) << " ms, best "
        << QString::number(*std::min_element(times.begin(), times.end()), 'f', 1) << " ms, worst "
        << QString::number(*std::max_element(times.begin(), times.end()), 'f', 1) << " ms\n";
    if (floorMs > 0) {
        out << "floor " << QString::number(floorMs, 'f', 0) << " ms, median / floor "
            << QString::number(medianMs / floorMs, 'f', 3) << '\n'
            << "the site held its responses " << QString::number(heldMs, 'f', 1)
            << " ms a run (its timer fires late); median / held "
            << QString::number(medianMs / heldMs, 'f', 3) << '\n';
    }

    // A fresh connection each, the program and curl in turn.
    std::vector<double> freshMs, curlMs, curlHandshakeMs;
    int curlConnections = 0;
    for (int i = 0; i < runs; ++i) {
        DialogHarness<NetworkQuoteSource> fresh(settings);
        fillForm(fresh.form());
        freshMs.push_back(timeOneCalculation(*fresh.dialog));
        const std::optional<CurlRun> curl = runCurl(settings);
        if (!curl) {
            QTextStream(stderr) << "calculationbench: the curl command failed\n";
            return 1;
        }
        curlMs.push_back(curl->totalMs);
        curlHandshakeMs.push_back(curl->handshakeMs);
        curlConnections = std::max(curlConnections, curl->connections);
    }
    const double curlRatio = median(freshMs) / median(curlMs);
    out << "fresh connection: program median " << QString::number(median(freshMs), 'f', 1)
        << " ms, curl median " << QString::number(median(curlMs), 'f', 1) << " ms (its handshake "
        << QString::number(median(curlHandshakeMs), 'f', 1) << " ms, " << curlConnections
        << " connection), ratio " << QString::number(curlRatio, 'f', 3) << " (goal <= " << kCurlRatioGoal
        << ")\n";
    for (const Ending ending : {Ending::Stop, Ending::Close}) {
        std::vector<double> abortMs;
        for (int i = 0; i < runs; ++i)
            abortMs.push_back(timeAbort(ending, siteContext, *server, settings));
        if (*std::min_element(abortMs.begin(), abortMs.end()) < 0) {
            QTextStream(stderr) << "calculationbench: a stopped lookup kept its connection\n";
            return 1;
        }
        out << (ending == Ending::Stop ? "Stop" : "closing the window")
            << " to the connection cut: median " << QString::number(median(abortMs), 'f', 2) << " ms, worst "
            << QString::number(*std::max_element(abortMs.begin(), abortMs.end()), 'f', 2) << " ms (goal <= "
            << kAbortGoalMs << ")\n";
    }

    out << "status: " << form.statusLabel()->text() << ", connections opened: " << connections << '\n';
    const bool priced = !form.totalBox()->text().isEmpty();
    onSiteThread(siteContext, [&] { server.reset(); });
    siteThread.quit();
    siteThread.wait();
    return priced ? 0 : 1;
}
