#include "settledquotelookup.h"

SettledQuoteLookup::SettledQuoteLookup(const QString &symbol, const QuoteResult &result,
                                       QObject *parent)
    : QuoteLookup(symbol, parent)
{
    finishLater(result);
}
