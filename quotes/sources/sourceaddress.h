#pragma once

#include "quotesource.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <utility>

// Why a source has no address for a symbol.
enum class SourceAddressProblem {
    None,
    PathStep,        // the symbol is "." or "..", which moves along the path whatever its encoding
    KeyMissing,      // the source uses {KEY} and has none
    KeyNotAllowed,   // the key holds a line break or another control character
    NotHttps,        // the address formed is not a valid https:// address
};

// What a url template uses, and whether it holds a placeholder other than
// {SYMBOL}, {symbol}, {KEY}, and a rate source's {FROM} and {TO}.
struct UrlTemplateUse {
    bool symbol = false;
    bool symbols = false;
    bool key = false;
    bool from = false;
    bool to = false;
    bool unknown = false;
};

// The request for one symbol: the address and the header lines to send.
struct SourceAddress {
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    SourceAddressProblem problem = SourceAddressProblem::None;
};

UrlTemplateUse urlTemplateUse(QStringView urlTemplate);

// `text` (an address or a place) with {FROM} and {TO} put in. The codes are
// ISO 4217 codes, three capital letters, which need no escaping anywhere.
QString pairPlace(QString text, const QString &from, const QString &to);

// Whether the source puts an API key in its address or its headers, and the
// names of those of `sources` that do: the keys a run needs.
bool sourceUsesKey(const QuoteSource &source);
// Whether its headers carry the key, which then go to no other host.
bool sourceHeadersHoldKey(const QuoteSource &source);
QStringList keyedSourceNames(const QList<QuoteSource> &sources);

// The url template for `symbol` and `key`: {SYMBOL}, {symbol} and {KEY}
// are percent-encoded, so they can neither change the path nor add query
// items; the rest is taken as written (characters beyond ASCII encoded).
// An invalid QUrl when the result is not an https:// address with a host.
QUrl sourceUrl(QStringView urlTemplate, const QString &symbol, const QString &key);

// The source's address and headers, {KEY} put into the header values as it is.
SourceAddress sourceAddress(const QuoteSource &source, const QString &symbol, const QString &key);
// A batch source's address for `symbols`, {SYMBOLS} being each of them
// percent-encoded and joined by the source's separator as written.
SourceAddress batchAddress(const QuoteSource &source, const QStringList &symbols, const QString &key);

// The problem for the user; empty for None.
QString sourceAddressProblemText(SourceAddressProblem problem);
