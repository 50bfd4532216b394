#pragma once

#include "quoteresult.h"

class QuoteService;

// Prices one symbol and waits for the result in a local event loop.
// For tests and tools only: the window must never wait on the network.
QuoteResult fetchQuotePriceBlocking(QuoteService &service, const QString &symbol);
