#pragma once

#include <QtGlobal>

// The bounds on the quote sources the user defines.
namespace SourceLimits {

// A source's name, in characters, and how many sources there may be.
constexpr qsizetype kMaxNameChars = 40;
constexpr qsizetype kMaxSources = 20;
// A source's own share of the transfers to its host at a time; the host's
// limit (TransferLimits::kMaxConnectionsPerHost) holds whatever the shares.
constexpr int kMinConnections = 1;
constexpr int kMaxConnections = 8;
constexpr int kDefaultConnections = 4;

// A sources file is a few kilobytes; a larger one is not one.
constexpr qint64 kMaxSourcesFileBytes = 1024 * 1024;

} // namespace SourceLimits
