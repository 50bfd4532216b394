#include "quotesource.h"
#include "answerlimits.h"

#include "certificatefile.h"
#include "csvtable.h"
#include "jsonplace.h"
#include "sourceaddress.h"
#include "textpattern.h"

#include <QDir>
#include <QSet>

#include <cmath>

namespace {

// A symbol, pair and key that any usable template turns into an address.
constexpr QStringView kSampleSymbol = u"VTI";
constexpr QStringView kSampleKey = u"key";
constexpr QStringView kSampleFrom = u"EUR";
constexpr QStringView kSampleTo = u"USD";
constexpr qsizetype kCurrencyCodeChars = 3;

SourceProblem problem(SourceField field, SourceIssue issue, qsizetype position = -1)
{
    return {field, issue, position, -1};
}

SourceIssue jsonPlaceIssue(JsonPlaceError error)
{
    switch (error) {
    case JsonPlaceError::None: return SourceIssue::None;
    case JsonPlaceError::Empty: return SourceIssue::Missing;
    case JsonPlaceError::NotPointerOrPath: return SourceIssue::NotJsonPlace;
    case JsonPlaceError::PointerEscape: return SourceIssue::PointerEscape;
    case JsonPlaceError::PathSyntax: return SourceIssue::PathSyntax;
    case JsonPlaceError::PathUnsupported: return SourceIssue::PathUnsupported;
    }
    Q_UNREACHABLE();
}

SourceIssue patternIssue(TextPatternError error)
{
    switch (error) {
    case TextPatternError::None: return SourceIssue::None;
    case TextPatternError::Empty: return SourceIssue::Missing;
    case TextPatternError::TooLong: return SourceIssue::TooLong;
    case TextPatternError::Invalid: return SourceIssue::PatternInvalid;
    case TextPatternError::TooLarge: return SourceIssue::PatternTooLarge;
    case TextPatternError::NotOneGroup: return SourceIssue::PatternNotOneGroup;
    }
    Q_UNREACHABLE();
}

// A place of the price or currency, as the format reads it; a rate
// source's place is checked as it reads for a sample pair.
SourceProblem checkPlace(SourceField field, SourceFormat format, const QString &written)
{
    const QString place = pairPlace(written, kSampleFrom.toString(), kSampleTo.toString());
    if (format == SourceFormat::Page || format == SourceFormat::Reference)
        return problem(field, SourceIssue::NotUsed);
    if (place.isEmpty())
        return problem(field, SourceIssue::Missing);
    if (place.size() > SourceLimits::kMaxPlaceChars)
        return problem(field, SourceIssue::TooLong);
    if (format == SourceFormat::Json) {
        const JsonPlace parsed = JsonPlace::parse(place);
        return problem(field, jsonPlaceIssue(parsed.error()), parsed.isValid() ? -1 : parsed.errorPosition());
    }
    if (format == SourceFormat::Csv)
        return problem(field, isCsvColumn(place) ? SourceIssue::None : SourceIssue::NotColumn);
    return problem(field, patternIssue(TextPattern(place).error()));
}

SourceProblem checkName(const QString &name)
{
    if (name.isEmpty())
        return problem(SourceField::Name, SourceIssue::Missing);
    const QList<uint> characters = name.toUcs4();
    if (characters.size() > SourceLimits::kMaxNameChars)
        return problem(SourceField::Name, SourceIssue::TooLong);
    if (!std::all_of(characters.begin(), characters.end(), [](uint c) { return QChar::isPrint(c); }))
        return problem(SourceField::Name, SourceIssue::NotPrintable);
    return {};
}

// The placeholders a source's address takes, as its role and format have them.
SourceIssue placeholderIssue(const UrlTemplateUse &use, SourceRole role, SourceFormat format)
{
    if (role == SourceRole::Quotes) {
        if (use.unknown || use.from || use.to)
            return SourceIssue::UnknownPlaceholder;
        if (use.symbol && use.symbols)
            return SourceIssue::SymbolTwice;
        // The quote page is one symbol's; an answer of another format may
        // hold several, or all.
        return use.symbol || use.symbols || format != SourceFormat::Page ? SourceIssue::None : SourceIssue::NoSymbol;
    }
    if (use.unknown || use.symbol || use.symbols)
        return SourceIssue::UnknownRatePlaceholder;
    if (format == SourceFormat::Reference)
        return use.from || use.to ? SourceIssue::PairInDocument : SourceIssue::None;
    return use.from && use.to ? SourceIssue::None : SourceIssue::NoPair;
}

SourceProblem checkUrl(const QString &url, SourceRole role, SourceFormat format)
{
    if (url.isEmpty())
        return problem(SourceField::Url, SourceIssue::Missing);
    if (url.size() > SourceLimits::kMaxUrlChars)
        return problem(SourceField::Url, SourceIssue::TooLong);
    if (!url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return problem(SourceField::Url, SourceIssue::NotHttps);
    if (const SourceIssue issue = placeholderIssue(urlTemplateUse(url), role, format); issue != SourceIssue::None)
        return problem(SourceField::Url, issue);
    const QString address = pairPlace(url, kSampleFrom.toString(), kSampleTo.toString());
    if (!sourceUrl(address, kSampleSymbol.toString(), kSampleKey.toString()).isValid())
        return problem(SourceField::Url, SourceIssue::NotAnAddress);
    return {};
}

SourceProblem checkFormat(SourceFormat format, SourceRole role)
{
    if (sourceFormats(role).contains(format))
        return {};
    return problem(SourceField::Format,
                   role == SourceRole::Rates ? SourceIssue::NotRateFormat : SourceIssue::UnknownValue);
}

bool isFixedCurrency(const QString &currency)
{
    return currency.size() == kCurrencyCodeChars + 1 && currency.front() == u'='
        && std::all_of(currency.begin() + 1, currency.end(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
           });
}

SourceProblem checkCurrency(const QuoteSource &source, SourceRole role)
{
    // A rate is a number of one currency per another: it has none of its own.
    if (role == SourceRole::Rates && !source.currency.isEmpty())
        return problem(SourceField::Currency, SourceIssue::NotUsed);
    if (source.currency.isEmpty() || isFixedCurrency(source.currency))
        return {};
    if (source.currency.startsWith(u'='))
        return problem(SourceField::Currency, SourceIssue::NotFixedCurrency);
    return checkPlace(SourceField::Currency, source.format, source.currency);
}

// RFC 9110's token characters.
bool isHeaderName(const QString &name)
{
    static constexpr QLatin1StringView kSymbols("!#$%&'*+-.^_`|~");
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
            || kSymbols.contains(c);
    });
}

SourceProblem checkHeaders(const QList<SourceHeader> &headers)
{
    if (headers.size() > SourceLimits::kMaxHeaders)
        return problem(SourceField::Headers, SourceIssue::TooMany);
    QSet<QString> names;
    for (const SourceHeader &header : headers) {
        if (header.name.size() > SourceLimits::kMaxHeaderChars || header.value.size() > SourceLimits::kMaxHeaderChars)
            return problem(SourceField::Headers, SourceIssue::TooLong);
        if (!isHeaderName(header.name))
            return problem(SourceField::Headers, SourceIssue::HeaderName);
        if (header.name.compare(QLatin1String("Host"), Qt::CaseInsensitive) == 0)
            return problem(SourceField::Headers, SourceIssue::HeaderHost);
        if (header.value.contains(u'\r') || header.value.contains(u'\n') || header.value.contains(QChar(0)))
            return problem(SourceField::Headers, SourceIssue::HeaderValue);
        const QString folded = header.name.toCaseFolded();
        if (names.contains(folded))
            return problem(SourceField::Headers, SourceIssue::Duplicate);
        names.insert(folded);
    }
    return {};
}

SourceProblem checkFormatMembers(const QuoteSource &source, SourceRole role)
{
    const bool placeless = source.format == SourceFormat::Page || source.format == SourceFormat::Reference;
    if (placeless && !source.price.isEmpty())
        return problem(SourceField::Price, SourceIssue::NotUsed);
    if (!placeless) {
        if (const SourceProblem price = checkPlace(SourceField::Price, source.format, source.price); !price.ok())
            return price;
    }
    if (source.format != SourceFormat::Csv && !source.match.isEmpty())
        return problem(SourceField::Match, SourceIssue::NotUsed);
    if (source.match.size() > SourceLimits::kMaxPlaceChars)
        return problem(SourceField::Match, SourceIssue::TooLong);
    if (!source.match.isEmpty() && !isCsvColumn(source.match))
        return problem(SourceField::Match, SourceIssue::NotColumn);
    return checkCurrency(source, role);
}

SourceProblem checkSettings(const QuoteSource &source)
{
    if (!std::isfinite(source.factor) || source.factor <= 0.0)
        return problem(SourceField::Factor, SourceIssue::NotPositive);
    if (source.delimiter != ',' && source.delimiter != ';' && source.delimiter != '\t')
        return problem(SourceField::Delimiter, SourceIssue::UnknownValue);
    if (const SourceProblem headers = checkHeaders(source.headers); !headers.ok())
        return headers;
    if (source.certificate.size() > SourceLimits::kMaxCertificateChars)
        return problem(SourceField::Certificate, SourceIssue::TooLong);
    if (!source.certificate.isEmpty() && !QDir::isAbsolutePath(source.certificate))
        return problem(SourceField::Certificate, SourceIssue::NotAbsolute);
    if (source.connections < SourceLimits::kMinConnections || source.connections > SourceLimits::kMaxConnections)
        return problem(SourceField::Connections, SourceIssue::OutOfRange);
    if (source.batchSize < SourceLimits::kMinBatchSize || source.batchSize > SourceLimits::kMaxBatchSize)
        return problem(SourceField::BatchSize, SourceIssue::OutOfRange);
    if (source.separator.isEmpty())
        return problem(SourceField::Separator, SourceIssue::Missing);
    if (source.separator.size() > SourceLimits::kMaxSeparatorChars)
        return problem(SourceField::Separator, SourceIssue::TooLong);
    if (!std::all_of(source.separator.begin(), source.separator.end(), [](QChar c) { return c.isPrint(); }))
        return problem(SourceField::Separator, SourceIssue::NotPrintable);
    if (source.perMinute != 0
        && (source.perMinute < SourceLimits::kMinPerMinute || source.perMinute > SourceLimits::kMaxPerMinute))
        return problem(SourceField::PerMinute, SourceIssue::OutOfRange);
    return {};
}

// The most characters a member that is text may have.
qsizetype maxChars(SourceField field)
{
    switch (field) {
    case SourceField::Name: return SourceLimits::kMaxNameChars;
    case SourceField::Url: return SourceLimits::kMaxUrlChars;
    case SourceField::Certificate: return SourceLimits::kMaxCertificateChars;
    case SourceField::Separator: return SourceLimits::kMaxSeparatorChars;
    default: return SourceLimits::kMaxPlaceChars;   // the price, match and currency
    }
}

QString issueText(const SourceProblem &found)
{
    const SourceField field = found.field;
    switch (found.issue) {
    case SourceIssue::None: return {};
    case SourceIssue::Missing: return QStringLiteral("missing");
    case SourceIssue::TooLong:
        if (field == SourceField::Headers)
            return QStringLiteral("holds a name or value longer than %1 characters").arg(SourceLimits::kMaxHeaderChars);
        return QStringLiteral("longer than %1 characters").arg(maxChars(field));
    case SourceIssue::NotPrintable: return QStringLiteral("holds characters that are not printable");
    case SourceIssue::Duplicate:
        return field == SourceField::Name ? QStringLiteral("another source has this name")
                                          : QStringLiteral("names a header twice");
    case SourceIssue::TooMany:
        switch (field) {
        case SourceField::Headers: return QStringLiteral("more than %1").arg(SourceLimits::kMaxHeaders);
        case SourceField::Rates: return QStringLiteral("more than %1").arg(SourceLimits::kMaxRateSources);
        default: return QStringLiteral("more than %1").arg(SourceLimits::kMaxSources);
        }
    case SourceIssue::WrongType:
        switch (field) {
        case SourceField::Factor: return QStringLiteral("must be a number");
        case SourceField::Connections:
        case SourceField::BatchSize:
        case SourceField::PerMinute: return QStringLiteral("must be a whole number");
        case SourceField::Headers: return QStringLiteral("must be an object whose values are text");
        case SourceField::Sources: return QStringLiteral("must be a list of objects");
        default: return QStringLiteral("must be text");
        }
    case SourceIssue::UnknownValue:
        switch (field) {
        case SourceField::Format: return QStringLiteral("must be page, json, csv or text");
        case SourceField::Decimal: return QStringLiteral("must be \".\" or \",\"");
        default: return QStringLiteral("must be \",\", \";\" or a tab");
        }
    case SourceIssue::NotHttps: return QStringLiteral("must start with https://");
    case SourceIssue::NoSymbol: return QStringLiteral("must hold {SYMBOL} or {symbol} for the quote page");
    case SourceIssue::UnknownPlaceholder:
        return QStringLiteral("holds a placeholder other than {SYMBOL}, {symbol}, {SYMBOLS} and {KEY}");
    case SourceIssue::SymbolTwice: return QStringLiteral("holds both {SYMBOL} and {SYMBOLS}: a source is asked one way");
    case SourceIssue::NoPair: return QStringLiteral("must hold {FROM} and {TO}");
    case SourceIssue::UnknownRatePlaceholder:
        return QStringLiteral("holds a placeholder other than {FROM}, {TO} and {KEY}");
    case SourceIssue::PairInDocument:
        return QStringLiteral("the reference rates document is asked whole: no {FROM} or {TO}");
    case SourceIssue::NotRateFormat: return QStringLiteral("must be ecb, json, csv or text");
    case SourceIssue::NotAnAddress: return QStringLiteral("does not form a valid https:// address");
    case SourceIssue::NotUsed: return QStringLiteral("not used by this format");
    case SourceIssue::NotJsonPlace:
        return QStringLiteral("must be a JSON Pointer (/quote/0/last) or a JSONPath ($.quote[0].last)");
    case SourceIssue::PointerEscape: return QStringLiteral("\"~\" must be followed by 0 or 1");
    case SourceIssue::PathSyntax: return QStringLiteral("not a valid JSONPath");
    case SourceIssue::PathUnsupported:
        return QStringLiteral("uses JSONPath beyond names, indexes, [*] and [?@.name == 'text']");
    case SourceIssue::NotColumn: return QStringLiteral("must be a column's name or a number from 1");
    case SourceIssue::PatternInvalid: return QStringLiteral("not a valid regular expression");
    case SourceIssue::PatternTooLarge:
        return QStringLiteral("needs more than %1 MiB to run").arg(AnswerLimits::kMaxPatternMemory / (1024 * 1024));
    case SourceIssue::PatternNotOneGroup: return QStringLiteral("must have exactly one capturing group");
    case SourceIssue::NotFixedCurrency:
        return QStringLiteral("a fixed currency is \"=\" and three letters, such as =USD");
    case SourceIssue::NotPositive: return QStringLiteral("must be a number greater than 0");
    case SourceIssue::OutOfRange:
        switch (field) {
        case SourceField::BatchSize:
            return QStringLiteral("must be from %1 to %2").arg(SourceLimits::kMinBatchSize).arg(SourceLimits::kMaxBatchSize);
        case SourceField::PerMinute:
            return QStringLiteral("must be from %1 to %2").arg(SourceLimits::kMinPerMinute).arg(SourceLimits::kMaxPerMinute);
        default:
            return QStringLiteral("must be from %1 to %2")
                .arg(SourceLimits::kMinConnections)
                .arg(SourceLimits::kMaxConnections);
        }
    case SourceIssue::HeaderName: return QStringLiteral("holds a name that is not a header name");
    case SourceIssue::HeaderValue: return QStringLiteral("holds a value with a line break or NUL");
    case SourceIssue::HeaderHost: return QStringLiteral("cannot set Host");
    case SourceIssue::NotAbsolute: return QStringLiteral("must be an absolute file path");
    case SourceIssue::CertificateUnusable: return found.detail;
    }
    Q_UNREACHABLE();
}

} // namespace

SourceProblem checkQuoteSource(const QuoteSource &source, SourceRole role)
{
    if (const SourceProblem name = checkName(source.name); !name.ok())
        return name;
    if (const SourceProblem format = checkFormat(source.format, role); !format.ok())
        return format;
    if (const SourceProblem url = checkUrl(source.url, role, source.format); !url.ok())
        return url;
    if (const SourceProblem members = checkFormatMembers(source, role); !members.ok())
        return members;
    return checkSettings(source);
}

SourceProblem checkQuoteSources(const QList<QuoteSource> &sources, SourceRole role)
{
    QSet<QString> names;
    for (qsizetype index = 0; index < sources.size(); ++index) {
        SourceProblem found = checkQuoteSource(sources[index], role);
        const QString name = sources[index].name.toCaseFolded();
        if (found.ok() && names.contains(name))
            found = problem(SourceField::Name, SourceIssue::Duplicate);
        if (!found.ok()) {
            found.index = index;
            return found;
        }
        names.insert(name);
    }
    if (role == SourceRole::Rates && sources.size() > SourceLimits::kMaxRateSources)
        return {SourceField::Rates, SourceIssue::TooMany, -1, -1};
    if (sources.size() > SourceLimits::kMaxSources)
        return {SourceField::Sources, SourceIssue::TooMany, -1, -1};
    return {};
}

SourceProblem checkCertificateFile(const QuoteSource &source)
{
    if (source.certificate.isEmpty())
        return {};
    SourceProblem found;
    found.detail = CertificateFile::problem(source.certificate);
    if (!found.detail.isEmpty()) {
        found.field = SourceField::Certificate;
        found.issue = SourceIssue::CertificateUnusable;
    }
    return found;
}

QString sourceFieldName(SourceField field)
{
    switch (field) {
    case SourceField::None: return {};
    case SourceField::Sources: return QStringLiteral("sources");
    case SourceField::Rates: return QStringLiteral("rates");
    case SourceField::Name: return QStringLiteral("name");
    case SourceField::Url: return QStringLiteral("url");
    case SourceField::Format: return QStringLiteral("format");
    case SourceField::Price: return QStringLiteral("price");
    case SourceField::Match: return QStringLiteral("match");
    case SourceField::Currency: return QStringLiteral("currency");
    case SourceField::Factor: return QStringLiteral("factor");
    case SourceField::Decimal: return QStringLiteral("decimal");
    case SourceField::Delimiter: return QStringLiteral("delimiter");
    case SourceField::Headers: return QStringLiteral("headers");
    case SourceField::Certificate: return QStringLiteral("certificate");
    case SourceField::Connections: return QStringLiteral("connections");
    case SourceField::BatchSize: return QStringLiteral("batchSize");
    case SourceField::Separator: return QStringLiteral("separator");
    case SourceField::PerMinute: return QStringLiteral("perMinute");
    }
    Q_UNREACHABLE();
}

QString sourceFieldLabel(SourceField field)
{
    switch (field) {
    case SourceField::None: return {};
    case SourceField::Sources: return QStringLiteral("Sources");
    case SourceField::Name: return QStringLiteral("Name");
    case SourceField::Url: return QStringLiteral("Address");
    case SourceField::Format: return QStringLiteral("Format");
    case SourceField::Price: return QStringLiteral("Price");
    case SourceField::Match: return QStringLiteral("Match column");
    case SourceField::Currency: return QStringLiteral("Currency");
    case SourceField::Factor: return QStringLiteral("Factor");
    case SourceField::Decimal: return QStringLiteral("Decimal mark");
    case SourceField::Delimiter: return QStringLiteral("Delimiter");
    case SourceField::Headers: return QStringLiteral("Headers");
    case SourceField::Certificate: return QStringLiteral("Certificate file");
    case SourceField::Connections: return QStringLiteral("Connections");
    case SourceField::Rates: return QStringLiteral("Exchange rates");
    case SourceField::BatchSize: return QStringLiteral("Batch size");
    case SourceField::Separator: return QStringLiteral("Separator");
    case SourceField::PerMinute: return QStringLiteral("Requests a minute");
    }
    Q_UNREACHABLE();
}

QString sourceProblemText(const QString &who, const SourceProblem &problem, SourceFieldNaming naming)
{
    if (problem.ok())
        return {};
    const QString field =
        naming == SourceFieldNaming::Label ? sourceFieldLabel(problem.field) : sourceFieldName(problem.field);
    QString text = QStringLiteral("%1: %2: %3").arg(who, field, issueText(problem));
    if (problem.position >= 0)
        text += QStringLiteral(" (at character %1)").arg(problem.position + 1);
    return text;
}

bool isSourceName(const QString &name)
{
    return checkName(name).ok();
}

QString sourceFormatName(SourceFormat format)
{
    switch (format) {
    case SourceFormat::Page: return QStringLiteral("page");
    case SourceFormat::Json: return QStringLiteral("json");
    case SourceFormat::Csv: return QStringLiteral("csv");
    case SourceFormat::Text: return QStringLiteral("text");
    case SourceFormat::Reference: return QStringLiteral("ecb");
    }
    Q_UNREACHABLE();
}

std::optional<SourceFormat> sourceFormatNamed(const QString &name)
{
    for (const SourceFormat format : {SourceFormat::Page, SourceFormat::Json, SourceFormat::Csv, SourceFormat::Text,
                                      SourceFormat::Reference}) {
        if (sourceFormatName(format) == name)
            return format;
    }
    return std::nullopt;
}

QList<SourceFormat> sourceFormats(SourceRole role)
{
    if (role == SourceRole::Rates)
        return {SourceFormat::Reference, SourceFormat::Json, SourceFormat::Csv, SourceFormat::Text};
    return {SourceFormat::Page, SourceFormat::Json, SourceFormat::Csv, SourceFormat::Text};
}
