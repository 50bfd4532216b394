#pragma once

#include <QProcessEnvironment>
#include <QStringList>

#include <cstdio>
#include <memory>

class QSettings;
class QuoteService;
struct QuoteResult;

// The shortest text that reads back to the same number: 1234.5, 1, 0.125.
QString shortestNumberText(double value);

// One line of `fundtally --price`: the symbol, a tab, the price as the
// shortest text that reads back to the same number, or "-" followed by a
// tab and the reason it has none.
QString priceLine(const QString &symbol, const QuoteResult &result);

// Prices every symbol through `service`, all at once, and writes one line per
// symbol to `out`, in the order given, once all have answered. Runs the event
// loop until then. Returns 0 when every symbol was priced, 1 otherwise.
int printPrices(QuoteService &service, const QStringList &symbols, std::FILE *out);

// The quote service of the terminal's commands: the quote sources as the
// window resolves them (see resolveQuoteSources), with their API keys. The
// saved values' problems or a refused sources file are told on standard
// error, each once.
std::shared_ptr<QuoteService> terminalQuoteService(QSettings &settings);

// `fundtally --price SYMBOL...`: the quote sources as the window resolves
// them (see resolveQuoteSources), with their API keys, and the saved
// values' problems or a refused sources file told on standard error. Needs an application
// object, not a display.
int runPriceCommand(const QStringList &symbols);
