// Prices N symbols one after another against the loopback quote server and
// reports the time per lookup and what it adds to the server's own delay.
//
// Usage: quotebench [N=20] [delay ms=0]

#include "blockingquote.h"
#include "loopbackquoteserver.h"
#include "pagesource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <chrono>

namespace {

int argument(const QStringList &arguments, int index, int fallback)
{
    bool ok = false;
    const int value = arguments.value(index).toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int count = std::max(1, argument(arguments, 1, 20));
    const int delayMs = argument(arguments, 2, 0);
    QTextStream out(stdout);

    LoopbackQuoteServer server;
    if (!server.start()) {
        QTextStream(stderr) << "quotebench: cannot start the loopback server\n";
        return 1;
    }
    server.setResponseDelay(std::chrono::milliseconds(delayMs));
    QStringList symbols;
    for (int i = 0; i < count; ++i) {
        symbols << QStringLiteral("SYM%1").arg(i);
        server.setPrice(symbols.last(), QByteArray::number(10 + i) + ".25");
    }

    PageSourceService source(server.host(), server.clientSettings());
    QElapsedTimer total;
    total.start();
    double slowestMs = 0.0;
    int priced = 0;
    for (const QString &symbol : symbols) {
        QElapsedTimer one;
        one.start();
        priced += fetchQuotePriceBlocking(source, symbol).priced() ? 1 : 0;
        const double ms = one.nsecsElapsed() / 1e6;
        slowestMs = std::max(slowestMs, ms);
        out << symbol << '\t' << QString::number(ms, 'f', 2) << " ms\n";
    }
    const double totalMs = total.nsecsElapsed() / 1e6;
    const double perLookupMs = totalMs / count;

    out << "lookups " << count << ", priced " << priced << ", server delay " << delayMs << " ms, "
        << "connections " << server.connectionCount() << '\n'
        << "total " << QString::number(totalMs, 'f', 1) << " ms, per lookup "
        << QString::number(perLookupMs, 'f', 2) << " ms, slowest "
        << QString::number(slowestMs, 'f', 2) << " ms, overhead per lookup "
        << QString::number(perLookupMs - delayMs, 'f', 2) << " ms\n";
    return priced == count ? 0 : 1;
}
