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

// Why `text` is not a usable host, for the user; empty when it is one.
QString problem(const QString &text);

} // namespace QuoteHost
