#include "cashsymbol.h"

bool isCashSymbol(const QString &symbol)
{
    return symbol.compare(u"Cash", Qt::CaseInsensitive) == 0
        || symbol.compare(u"Money Market", Qt::CaseInsensitive) == 0;
}
