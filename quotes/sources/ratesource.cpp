#include "ratesource.h"

#include "sourceaddress.h"

RateSource builtInRateSource()
{
    RateSource source;
    source.name = QStringLiteral("Reference rates");
    source.url = QStringLiteral("https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml");
    source.format = SourceFormat::Reference;
    return source;
}

namespace {

constexpr qsizetype kCodeChars = 3;

} // namespace

QString pairSymbol(const QString &from, const QString &to)
{
    return from + to;
}

QuoteSource sourceAskedFor(const QuoteSource &source, const QString &symbol)
{
    const UrlTemplateUse use = urlTemplateUse(source.url);
    if (!use.from && !use.to)
        return source;
    const QString from = symbol.left(kCodeChars);
    const QString to = symbol.mid(kCodeChars);
    QuoteSource asked = source;
    asked.url = pairPlace(asked.url, from, to);
    asked.price = pairPlace(asked.price, from, to);
    return asked;
}
