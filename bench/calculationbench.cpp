// Runs whole calculations of twenty held rows through the window's own code
// path (the dialog's Calculate) against the loopback quote site, and reports
// the time per calculation against its floor: twenty lookups, four at a
// time, each waiting for the site's delay.
//
// The quote site runs on a thread of its own, as a remote site would, so its
// work does not count against the window's.
//
// Then, in turn, it times calculations on fresh connections (a new quote
// service each, as at a program's first Calculate), curl fetching the same
// twenty pages four at a time (-Z --parallel-max 4) and curl fetching them
// one after another, each from the site's first connection to its last
// byte, and compares them.
//
// Then it times how long Stop and closing the window take to end a lookup
// whose page never comes: until the site sees the connection go.
//
// Last, two sources of twenty symbols each: a batch source answering all
// twenty in one request after 100 ms, against curl fetching that one
// address; and a first source that accepts connections but never answers,
// before a working one, against one stall limit and a few delays.
//
// Usage: calculationbench [delay ms=20] [runs=5]

#include "batchquoteservice.h"
#include "dialogharness.h"
#include "failoverquoteservice.h"
#include "fundtallydlg.h"
#include "memorykeystore.h"
#include "sourcekeys.h"
#include "sourcequoteservice.h"
#include "holdingsform.h"
#include "loopbackquoteserver.h"
#include "pagesource.h"

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

// A calculation on fresh connections may take this much longer than curl
// with four transfers at a time.
constexpr double kCurlRatioGoal = 1.10;
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

enum class CurlMode { Parallel, OneAfterAnother };

// curl fetching every row's page in one invocation: four transfers at a
// time (as the program's limit per host), or one after another.
bool runCurl(const QString &host, const TransferSettings &settings, CurlMode mode)
{
    QStringList arguments{QStringLiteral("--silent"), QStringLiteral("--show-error"),
                          QStringLiteral("--http1.1"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                          QStringLiteral("--cacert"), settings.trustedCertificateFiles.value(0)};
    if (mode == CurlMode::Parallel) {
        // --silent leaves the parallel progress meter on.
        arguments << QStringLiteral("-Z") << QStringLiteral("--parallel-max") << QStringLiteral("4")
                  << QStringLiteral("--no-progress-meter");
    }
    for (int row = 0; row < HoldingRowCount; ++row) {
        arguments << QStringLiteral("--output") << QStringLiteral("/dev/null")
                  << QStringLiteral("https://%1/quote/%2/?p=%2").arg(host, symbolOf(row));
    }
    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    curl.start(QStringLiteral("curl"), arguments);
    return curl.waitForFinished(kCurlTimeoutMs) && curl.exitStatus() == QProcess::NormalExit
        && curl.exitCode() == 0;
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
double timeAbort(Ending ending, QObject &siteContext, LoopbackQuoteServer &server, const QString &host,
                 const TransferSettings &settings)
{
    DialogHarness<PageSourceService> harness(host, settings);
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

// The batch source's delay, and how much longer than curl fetching its one
// address a calculation through it may take.
constexpr int kBatchDelayMs = 100;
constexpr double kBatchRatioGoal = 1.2;
// The stall limit the dead-source run uses, and the delays beyond it the
// calculation may take to fail the rows over to the working source: its
// waves of four, and one for its handshake.
constexpr std::chrono::milliseconds kBenchStall{2000};
constexpr int kDeadSourceDelaysGoal = HoldingRowCount / HostQueues::kMaxConnectionsPerHost + 1;

QString batchTarget()
{
    QStringList symbols;
    for (int row = 0; row < HoldingRowCount; ++row)
        symbols << symbolOf(row);
    return QStringLiteral("/batch?s=") + symbols.join(u',');
}

QuoteSource benchSource(const QString &name, const QString &url, const TransferSettings &settings)
{
    QuoteSource source;
    source.name = name;
    source.url = url;
    source.certificate = settings.trustedCertificateFiles.value(0);
    return source;
}

bool curlOne(const QString &url, const TransferSettings &settings)
{
    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    curl.start(QStringLiteral("curl"),
               {QStringLiteral("--silent"), QStringLiteral("--show-error"), QStringLiteral("--http1.1"),
                QStringLiteral("--noproxy"), QStringLiteral("*"), QStringLiteral("--cacert"),
                settings.trustedCertificateFiles.value(0), QStringLiteral("--output"), QStringLiteral("/dev/null"), url});
    return curl.waitForFinished(kCurlTimeoutMs) && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
}

double timeOneCalculation(CFundtallyDlg &dialog);

// Twenty symbols from one batch source against curl fetching its address;
// false when a run failed.
bool benchBatchSource(QObject &siteContext, int runs, QTextStream &out)
{
    std::unique_ptr<LoopbackQuoteServer> server;
    bool started = false;
    QuotePage answer;
    QStringList quotes;
    for (int row = 0; row < HoldingRowCount; ++row)
        quotes << QStringLiteral(R"({"symbol": "%1", "last": %2.25})").arg(symbolOf(row)).arg(10 + row);
    answer.body = (QStringLiteral(R"({"quotes": [)") + quotes.join(u',') + QStringLiteral("]}")).toUtf8();
    onSiteThread(siteContext, [&] {
        server = std::make_unique<LoopbackQuoteServer>();
        started = server->start();
        server->setResponseDelay(std::chrono::milliseconds(kBatchDelayMs));
        server->setTargetPage(batchTarget().toUtf8(), answer);
    });
    if (!started)
        return false;
    const TransferSettings settings = server->clientSettings();
    QuoteSource source = benchSource(QStringLiteral("Batch"), "https://" + server->host() + "/batch?s={SYMBOLS}", settings);
    source.format = SourceFormat::Json;
    source.price = QStringLiteral("$.quotes[?@.symbol == '{SYMBOL}'].last");
    MemoryKeyStore store;
    SourceKeys keys(store);
    std::vector<double> programMs, curlMs;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        DialogHarness<BatchQuoteService> harness(source, keys, settings, std::make_shared<TransferWorker>());
        fillForm(harness.form());
        onSiteThread(siteContext, [&] { server->restartSpan(); });
        timeOneCalculation(*harness.dialog);
        onSiteThread(siteContext, [&] { programMs.push_back(server->span().count() / 1e6); });
        ok = harness.form().valueBox(0)->text() == QStringLiteral("10");
        onSiteThread(siteContext, [&] { server->restartSpan(); });
        ok = ok && curlOne("https://" + server->host() + batchTarget(), settings);
        onSiteThread(siteContext, [&] { curlMs.push_back(server->span().count() / 1e6); });
    }
    onSiteThread(siteContext, [&] { server.reset(); });
    if (!ok)
        return false;
    out << "batch source, 20 symbols, delay " << kBatchDelayMs << " ms, fresh connections (medians):\n"
        << "  program: " << QString::number(median(programMs), 'f', 1) << " ms, curl the one address: "
        << QString::number(median(curlMs), 'f', 1) << " ms, program / curl "
        << QString::number(median(programMs) / median(curlMs), 'f', 3) << " (goal <= " << kBatchRatioGoal << ")\n";
    return true;
}

// Twenty symbols whose first source never answers and whose second does.
bool benchDeadSource(QObject &siteContext, const QString &workingHost, TransferSettings settings, int delayMs,
                     QTextStream &out)
{
    std::unique_ptr<LoopbackQuoteServer> dead;
    bool started = false;
    onSiteThread(siteContext, [&] {
        dead = std::make_unique<LoopbackQuoteServer>();
        started = dead->start();
        dead->setBehaviour(LoopbackQuoteServer::Behaviour::Stall);
    });
    if (!started)
        return false;
    settings.limits.stallTimeout = kBenchStall;
    const auto worker = std::make_shared<TransferWorker>();
    MemoryKeyStore store;
    SourceKeys keys(store);
    const QuoteSource silent =
        benchSource(QStringLiteral("Silent"), "https://" + dead->host() + "/quote/{SYMBOL}/?p={SYMBOL}", settings);
    const QuoteSource working =
        benchSource(QStringLiteral("Working"), "https://" + workingHost + "/quote/{SYMBOL}/?p={SYMBOL}", settings);
    DialogHarness<FailoverQuoteService> harness(QList<NamedQuoteService>{
        {silent.name, std::make_shared<SourceQuoteService>(silent, keys, settings, worker)},
        {working.name, std::make_shared<SourceQuoteService>(working, keys, settings, worker)}});
    fillForm(harness.form());
    const double ms = timeOneCalculation(*harness.dialog);
    const bool priced = harness.form().valueBox(0)->text() == QStringLiteral("10");
    onSiteThread(siteContext, [&] { dead.reset(); });
    const double goalMs = double(kBenchStall.count()) + kDeadSourceDelaysGoal * delayMs;
    out << "first source silent, second working, 20 symbols: " << QString::number(ms, 'f', 1)
        << " ms (goal <= stall limit " << kBenchStall.count() << " ms + " << kDeadSourceDelaysGoal << " x "
        << delayMs << " ms = " << goalMs << "; five stall limits would be " << 5 * kBenchStall.count() << ")\n";
    return priced;
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

    const TransferSettings settings = server->clientSettings();
    const QString host = server->host();
    DialogHarness<PageSourceService> harness(host, settings);
    CFundtallyDlg &dialog = *harness.dialog;
    HoldingsForm &form = dialog.form();
    fillForm(form);

    // The first run includes the TLS handshake; it is reported apart.
    const double firstMs = timeOneCalculation(dialog);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeOneCalculation(dialog));
    int connections = 0;
    onSiteThread(siteContext, [&] { connections = server->connectionCount(); });

    const double floorMs = HoldingRowCount / HostQueues::kMaxConnectionsPerHost * double(delayMs);
    const double medianMs = median(times);
    out << "rows " << HoldingRowCount << ", delay " << delayMs << " ms, runs " << runs << '\n'
        << "first run (with handshake): " << QString::number(firstMs, 'f', 1) << " ms\n"
        << "kept connection: median " << QString::number(medianMs, 'f', 1) << " ms, best "
        << QString::number(*std::min_element(times.begin(), times.end()), 'f', 1) << " ms, worst "
        << QString::number(*std::max_element(times.begin(), times.end()), 'f', 1) << " ms\n";
    if (floorMs > 0) {
        out << "floor " << QString::number(floorMs, 'f', 0) << " ms, median / floor "
            << QString::number(medianMs / floorMs, 'f', 3) << '\n';
    }

    // Fresh connections each, the program and curl in turn, timed by the
    // site from the first connection to the last byte.
    const auto siteSpanMs = [&](const auto &work) {
        onSiteThread(siteContext, [&] { server->restartSpan(); });
        const bool ok = work();
        double spanMs = 0;
        onSiteThread(siteContext, [&] { spanMs = server->span().count() / 1e6; });
        return ok ? spanMs : -1.0;
    };
    std::vector<double> programMs, parallelMs, serialMs;
    for (int i = 0; i < runs; ++i) {
        DialogHarness<PageSourceService> fresh(host, settings);
        fillForm(fresh.form());
        programMs.push_back(siteSpanMs([&] {
            timeOneCalculation(*fresh.dialog);
            return !fresh.form().totalBox()->text().isEmpty();
        }));
        parallelMs.push_back(siteSpanMs([&] { return runCurl(host, settings, CurlMode::Parallel); }));
        serialMs.push_back(siteSpanMs([&] { return runCurl(host, settings, CurlMode::OneAfterAnother); }));
    }
    for (const std::vector<double> *spans : {&programMs, &parallelMs, &serialMs}) {
        if (*std::min_element(spans->begin(), spans->end()) < 0) {
            QTextStream(stderr) << "calculationbench: a run failed\n";
            return 1;
        }
    }
    const double curlRatio = median(programMs) / median(parallelMs);
    out << "fresh connections, first connection to last byte (medians):\n"
        << "  program, 20 rows:                  " << QString::number(median(programMs), 'f', 1) << " ms\n"
        << "  curl -Z --parallel-max 4 --http1.1: " << QString::number(median(parallelMs), 'f', 1) << " ms\n"
        << "  curl one after another:            " << QString::number(median(serialMs), 'f', 1) << " ms\n"
        << "  program / curl parallel " << QString::number(curlRatio, 'f', 3) << " (goal <= " << kCurlRatioGoal
        << "), curl one after another / program " << QString::number(median(serialMs) / median(programMs), 'f', 2)
        << '\n';
    for (const Ending ending : {Ending::Stop, Ending::Close}) {
        std::vector<double> abortMs;
        for (int i = 0; i < runs; ++i)
            abortMs.push_back(timeAbort(ending, siteContext, *server, host, settings));
        if (*std::min_element(abortMs.begin(), abortMs.end()) < 0) {
            QTextStream(stderr) << "calculationbench: a stopped lookup kept its connection\n";
            return 1;
        }
        out << (ending == Ending::Stop ? "Stop" : "closing the window")
            << " to the connection cut: median " << QString::number(median(abortMs), 'f', 2) << " ms, worst "
            << QString::number(*std::max_element(abortMs.begin(), abortMs.end()), 'f', 2) << " ms (goal <= "
            << kAbortGoalMs << ")\n";
    }

    if (!benchBatchSource(siteContext, runs, out) || !benchDeadSource(siteContext, host, settings, delayMs, out)) {
        QTextStream(stderr) << "calculationbench: a batch or failover run failed\n";
        return 1;
    }
    out << "status: " << form.statusLabel()->text() << ", connections opened: " << connections << '\n';
    const bool priced = !form.totalBox()->text().isEmpty();
    onSiteThread(siteContext, [&] { server.reset(); });
    siteThread.quit();
    siteThread.wait();
    return priced ? 0 : 1;
}
