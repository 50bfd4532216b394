#include "quotesitesettings.h"

#include "quotesiteresolution.h"

#include <QProcessEnvironment>

// The same order as the window's, with nothing saved.
QuoteSiteSettings QuoteSiteSettings::fromEnvironment()
{
    return resolveQuoteSite(QProcessEnvironment::systemEnvironment(), {}, builtInQuoteHost()).settings;
}
