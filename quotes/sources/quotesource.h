#pragma once

#include "numbertext.h"
#include "sourcelimits.h"

#include <QList>
#include <QString>

#include <optional>

// How a source's answer is read: the quote page (read as the built-in
// site's), a JSON, CSV or plain-text answer with the price (or, for a rate
// source, the rate) at a place, or the reference rates document ("ecb"),
// which quotes every currency against the euro.
enum class SourceFormat { Page, Json, Csv, Text, Reference };

// What a source gives: prices of symbols, or exchange rates. A rate source
// of format json, csv or text is asked once per pair, its address holding
// {FROM} and {TO}; its place gives how many units of TO one FROM buys.
enum class SourceRole { Quotes, Rates };

struct SourceHeader {
    QString name;
    QString value;   // may hold {KEY}

    friend bool operator==(const SourceHeader &, const SourceHeader &) = default;
};

// A quote source the user defines. Its API key is kept elsewhere, never
// with it: sources are shared as files.
struct QuoteSource {
    QString name;
    // An https:// address with {SYMBOL} (the symbol as typed) or {symbol}
    // (in lower case); or {SYMBOLS}, several symbols joined by `separator`
    // (a batch source); or neither, one answer serving every symbol; and
    // optionally {KEY}.
    QString url;
    SourceFormat format = SourceFormat::Page;
    // Where the price is: a JSON Pointer or JSONPath for json, a column for
    // csv, a pattern with one group for text; empty for page.
    QString price;
    // For csv, the column holding the symbol; empty: the first data row.
    QString match;
    // A place as price is, or a fixed code such as "=USD"; empty: none.
    QString currency;
    double factor = 1.0;
    DecimalMark decimal = DecimalMark::Point;
    char delimiter = ',';
    QList<SourceHeader> headers;
    QString certificate;  // a PEM file trusted besides the system's store
    int connections = SourceLimits::kDefaultConnections;
    int batchSize = SourceLimits::kDefaultBatchSize;
    QString separator = QStringLiteral(",");
    // At most this many of its requests start in any minute; 0: no limit.
    int perMinute = 0;

    friend bool operator==(const QuoteSource &, const QuoteSource &) = default;
};

// The part of a source at fault; its text is the member's name in the
// sources file.
enum class SourceField {
    None,
    Sources,    // the list as a whole
    Rates,      // the list of rate sources as a whole
    Name,
    Url,
    Format,
    Price,
    Match,
    Currency,
    Factor,
    Decimal,
    Delimiter,
    Headers,
    Certificate,
    Connections,
    BatchSize,
    Separator,
    PerMinute,
};

enum class SourceIssue {
    None,
    Missing,
    TooLong,
    NotPrintable,
    Duplicate,
    TooMany,
    WrongType,           // in a file: not the JSON type the member takes
    UnknownValue,        // in a file: a format, decimal or delimiter not known
    NotHttps,
    NoSymbol,
    UnknownPlaceholder,
    SymbolTwice,         // both {SYMBOL} and {SYMBOLS}
    NoPair,              // a rate source's address lacks {FROM} or {TO}
    UnknownRatePlaceholder,
    PairInDocument,      // the rates document's address takes no {FROM} or {TO}
    NotRateFormat,
    NotAnAddress,
    NotUsed,             // the format takes no such member
    NotJsonPlace,
    PointerEscape,
    PathSyntax,
    PathUnsupported,
    NotColumn,
    PatternInvalid,
    PatternTooLarge,
    PatternNotOneGroup,
    NotFixedCurrency,
    NotPositive,
    OutOfRange,
    HeaderName,
    HeaderValue,
    HeaderHost,
    NotAbsolute,
    CertificateUnusable, // the certificate file cannot be trusted from: see `detail`
};

// What is wrong with a source, or with a list of them.
struct SourceProblem {
    SourceField field = SourceField::None;
    SourceIssue issue = SourceIssue::None;
    qsizetype position = -1;   // for a place: where in it, 0-based; -1 when not known
    qsizetype index = -1;      // for a list: which source, 0-based
    QString detail{};          // for CertificateUnusable: why, naming the file

    bool ok() const { return issue == SourceIssue::None; }
    friend bool operator==(const SourceProblem &, const SourceProblem &) = default;
};

// The first problem of `source`, checked member by member in the order above.
SourceProblem checkQuoteSource(const QuoteSource &source, SourceRole role = SourceRole::Quotes);
// The first problem of a list: of a source in it, in order, then of names
// used twice (ignoring case) or more than SourceLimits::kMaxSources sources.
SourceProblem checkQuoteSources(const QList<QuoteSource> &sources, SourceRole role = SourceRole::Quotes);
// The problem of the certificate file `source` names, found on the disk
// (CertificateFile::problem), where the checks above look at the text
// alone: a file that cannot be trusted from would fail every lookup with a
// reason that does not name it.
SourceProblem checkCertificateFile(const QuoteSource &source);

// The member's name, as the sources file has it: "url".
QString sourceFieldName(SourceField field);
// The field's label, as the source editor shows it: "Address".
QString sourceFieldLabel(SourceField field);

// A problem names its field as the user met it: in a file by the member, in
// the editor by the editor's label.
enum class SourceFieldNaming { Member, Label };

// The problem for the user, after whom it concerns:
// "Prices A: url: must start with https://".
QString sourceProblemText(const QString &who, const SourceProblem &problem,
                          SourceFieldNaming naming = SourceFieldNaming::Member);

// Whether `name` can name a source: 1 to SourceLimits::kMaxNameChars
// printable characters.
bool isSourceName(const QString &name);

// The names of formats in the sources file: "page", "json", "csv", "text",
// "ecb"; and the format a name names.
QString sourceFormatName(SourceFormat format);
std::optional<SourceFormat> sourceFormatNamed(const QString &name);
// The formats a source of `role` may have, in the order they are offered.
QList<SourceFormat> sourceFormats(SourceRole role);
