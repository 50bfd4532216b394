#pragma once

#include "quotesource.h"

#include <QString>

// Where exchange rates come from: a source of the rates role (see
// SourceRole), either the reference rates document, every currency quoted
// against the euro and any pair crossed from it, or an API asked per pair.
using RateSource = QuoteSource;

// The central bank's daily reference rates at its public address (no key),
// asked when no rate source is set up.
RateSource builtInRateSource();

// The symbol a pair is asked and matched as (a csv rate source's match
// column holds it): the two ISO 4217 codes joined, "EURUSD".
QString pairSymbol(const QString &from, const QString &to);
// The source as asked for `symbol`: for a rate source asked per pair, the
// pair's codes put for {FROM} and {TO} into its address and price place;
// any other source as it is.
QuoteSource sourceAskedFor(const QuoteSource &source, const QString &symbol);
