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
// shortest text that reads back to the same number and, when the source
// gave one, a tab and its currency as given ("VUSA.L\t8512\tGBp"); or "-"
// followed by a tab and the reason it has none.
QString priceLine(const QString &symbol, const QuoteResult &result);

// Prices every symbol through `service`, all at once, and writes one line per
// symbol to `out`, in the order given, once all have answered. Runs the event
// loop until then. Returns 0 when every symbol was priced, 1 otherwise.
int printPrices(QuoteService &service, const QStringList &symbols, std::FILE *out);

// A problem told on standard error, as the commands tell them; nothing
// when it is empty.
void tellProblem(const QString &problem);

// `fundtally --price SYMBOL...`: priced through the window's chain (see
// buildPricingChain), keeping the prices found; the saved values' problems
// or a refused sources file are told on standard error, each once. Needs an
// application object, not a display.
int runPriceCommand(const QStringList &symbols);
