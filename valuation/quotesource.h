#pragma once

#include <QString>

class QObject;
class QuoteLookup;

// Where prices come from; the calculation and the window depend only on this,
// so they can be tested with fakes.
class QuoteSource
{
public:
    virtual ~QuoteSource() = default;

    // Starts pricing `symbol`. The lookup is a child of `parent`; the caller
    // deletes it (deleteLater() once finished is the usual way).
    virtual QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) = 0;
};
