#pragma once

#include <QString>

// The quote site's host as the user gives it: a host name, an IPv4 address or
// an IPv6 address in brackets, optionally followed by ":port". The rest of
// the page address is fixed, so a scheme, path, query, fragment or user part
// is refused rather than guessed at.
namespace QuoteHost {

// A host name has at most 253 characters (one more for a final dot), each
// of its labels at most 63.
constexpr qsizetype kMaxNameLength = 253;
constexpr qsizetype kMaxLabelLength = 63;
constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;
// Outside text quoted in a message is cut to this many characters.
constexpr qsizetype kMaxQuotedLength = 60;

// Why `text` is not a usable host, for the user; empty when it is one.
QString problem(const QString &text);

// The address a symbol's quote page is fetched from, for showing:
// https://host/quote/SYMBOL/?p=SYMBOL, exactly as it is sent. Empty when no
// address can be formed (see quotePageUrl).
QString pageAddress(const QString &host, const QString &symbol);

// `text` in quotes for a message, cut short with an ellipsis when long.
QString quoted(const QString &text);

} // namespace QuoteHost
