#include "sourceaddress.h"

#include <algorithm>

namespace {

constexpr QLatin1StringView kSymbol("{SYMBOL}");
constexpr QLatin1StringView kLowerSymbol("{symbol}");
constexpr QLatin1StringView kSymbols("{SYMBOLS}");
constexpr QLatin1StringView kKey("{KEY}");
constexpr QLatin1StringView kFrom("{FROM}");
constexpr QLatin1StringView kTo("{TO}");
constexpr char16_t kFirstNonAscii = 0x80;

bool isPathStep(const QString &symbol)
{
    return symbol == u"." || symbol == u"..";
}

// The template in pieces: a placeholder (with its braces) or the text
// between placeholders. A brace that opens no placeholder is text.
template<typename Visit>
void forEachPart(QStringView urlTemplate, Visit visit)
{
    qsizetype at = 0;
    while (at < urlTemplate.size()) {
        const qsizetype open = urlTemplate.indexOf(u'{', at);
        const qsizetype close = open < 0 ? -1 : urlTemplate.indexOf(u'}', open);
        if (close < 0) {
            visit(urlTemplate.sliced(at), false);
            return;
        }
        if (open > at)
            visit(urlTemplate.sliced(at, open - at), false);
        visit(urlTemplate.sliced(open, close + 1 - open), true);
        at = close + 1;
    }
}

// Text of the template, as sent: ASCII as written, the rest percent-encoded.
QByteArray encodedText(QStringView text)
{
    QByteArray encoded;
    for (const QChar c : text) {
        if (c.unicode() < kFirstNonAscii)
            encoded += char(c.unicode());
        else
            encoded += QUrl::toPercentEncoding(QString(c));
    }
    return encoded;
}

bool isControl(QChar c)
{
    constexpr char16_t kDelete = 0x7f;
    return c.unicode() < u' ' || c.unicode() == kDelete;
}

} // namespace

bool sourceHeadersHoldKey(const QuoteSource &source)
{
    return std::any_of(source.headers.begin(), source.headers.end(),
                       [](const SourceHeader &header) { return header.value.contains(kKey); });
}

bool sourceUsesKey(const QuoteSource &source)
{
    return urlTemplateUse(source.url).key || sourceHeadersHoldKey(source);
}

QStringList keyedSourceNames(const QList<QuoteSource> &sources)
{
    QStringList names;
    for (const QuoteSource &source : sources) {
        if (sourceUsesKey(source))
            names << source.name;
    }
    return names;
}

UrlTemplateUse urlTemplateUse(QStringView urlTemplate)
{
    UrlTemplateUse use;
    forEachPart(urlTemplate, [&use](QStringView part, bool placeholder) {
        if (!placeholder)
            return;
        if (part == kSymbol || part == kLowerSymbol)
            use.symbol = true;
        else if (part == kSymbols)
            use.symbols = true;
        else if (part == kKey)
            use.key = true;
        else if (part == kFrom)
            use.from = true;
        else if (part == kTo)
            use.to = true;
        else
            use.unknown = true;
    });
    return use;
}

QString pairPlace(QString text, const QString &from, const QString &to)
{
    return text.replace(kFrom, from).replace(kTo, to);
}

namespace {

// The template with its placeholders put in; `symbols` is what {SYMBOLS}
// stands for, already encoded.
QUrl filledUrl(QStringView urlTemplate, const QString &symbol, const QByteArray &symbols, const QString &key)
{
    QByteArray encoded;
    forEachPart(urlTemplate, [&](QStringView part, bool placeholder) {
        if (part == kSymbols && placeholder)
            encoded += symbols;
        else if (part == kSymbol && placeholder)
            encoded += QUrl::toPercentEncoding(symbol);
        else if (part == kLowerSymbol && placeholder)
            encoded += QUrl::toPercentEncoding(symbol.toLower());
        else if (part == kKey && placeholder)
            encoded += QUrl::toPercentEncoding(key);
        else
            encoded += encodedText(part);
    });
    const QUrl url = QUrl::fromEncoded(encoded, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"https" || url.host().isEmpty())
        return {};
    return url;
}

} // namespace

QUrl sourceUrl(QStringView urlTemplate, const QString &symbol, const QString &key)
{
    if (isPathStep(symbol))
        return {};
    return filledUrl(urlTemplate, symbol, QUrl::toPercentEncoding(symbol), key);
}

namespace {

// The address `fill` forms, with the headers, once the key is fit to send.
template<typename Fill>
SourceAddress keyedAddress(const QuoteSource &source, const QString &key, Fill fill)
{
    SourceAddress address;
    if (sourceUsesKey(source) && key.isEmpty()) {
        address.problem = SourceAddressProblem::KeyMissing;
        return address;
    }
    if (std::any_of(key.begin(), key.end(), isControl)) {
        address.problem = SourceAddressProblem::KeyNotAllowed;
        return address;
    }
    address.url = fill();
    if (!address.url.isValid()) {
        address.problem = SourceAddressProblem::NotHttps;
        return address;
    }
    for (const SourceHeader &header : source.headers)
        address.headers.append({header.name.toUtf8(), QString(header.value).replace(kKey, key).toUtf8()});
    return address;
}

} // namespace

SourceAddress sourceAddress(const QuoteSource &source, const QString &symbol, const QString &key)
{
    if (isPathStep(symbol)) {
        SourceAddress address;
        address.problem = SourceAddressProblem::PathStep;
        return address;
    }
    if (urlTemplateUse(source.url).symbols)
        return batchAddress(source, {symbol}, key);
    return keyedAddress(source, key, [&] { return sourceUrl(source.url, symbol, key); });
}

SourceAddress batchAddress(const QuoteSource &source, const QStringList &symbols, const QString &key)
{
    return keyedAddress(source, key, [&] {
        QByteArray joined;
        for (const QString &symbol : symbols) {
            if (!joined.isEmpty())
                joined += encodedText(source.separator);
            joined += QUrl::toPercentEncoding(symbol);
        }
        return filledUrl(source.url, QString(), joined, key);
    });
}

QString sourceAddressProblemText(SourceAddressProblem problem)
{
    switch (problem) {
    case SourceAddressProblem::None:
        return {};
    case SourceAddressProblem::PathStep:
        return QStringLiteral("the symbol cannot form an address");
    case SourceAddressProblem::KeyMissing:
        return QStringLiteral("the source needs an API key");
    case SourceAddressProblem::KeyNotAllowed:
        return QStringLiteral("the API key holds control characters");
    case SourceAddressProblem::NotHttps:
        return QStringLiteral("the address formed is not a valid https:// address");
    }
    Q_UNREACHABLE();
}
