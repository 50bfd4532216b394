#pragma once

#include "answerlimits.h"
#include "hostqueues.h"

#include <QtGlobal>

// The bounds on the quote sources the user defines.
namespace SourceLimits {

// A source's name, in characters, and how many sources there may be.
constexpr qsizetype kMaxNameChars = 40;
constexpr qsizetype kMaxSources = 20;
// Rate sources are asked in order until one has the pair: a few suffice.
constexpr qsizetype kMaxRateSources = 8;
// The other members that are text, in characters, each bounded so that the
// largest list the user can keep fits the settings file.
constexpr qsizetype kMaxUrlChars = 2000;
// A place of the price or currency, or a column: as long as a pattern may be.
constexpr qsizetype kMaxPlaceChars = AnswerLimits::kMaxPatternChars;
// The headers a source sends, and the characters of a name or a value.
constexpr qsizetype kMaxHeaders = 8;
constexpr qsizetype kMaxHeaderChars = 500;
// The certificate file's path.
constexpr qsizetype kMaxCertificateChars = 1024;
// A source's own share of the transfers to its host at a time. The host's
// limit (HostQueues::kMaxConnectionsPerHost) holds whatever the shares, so
// a share past it, which saved lists may hold, only means the whole host.
constexpr int kMinConnections = 1;
constexpr int kMaxConnections = 8;
constexpr int kDefaultConnections = HostQueues::kMaxConnectionsPerHost;

// A batch source's symbols a request (its address holds {SYMBOLS}), and
// the text between two of them.
constexpr int kMinBatchSize = 1;
constexpr int kMaxBatchSize = 200;
constexpr int kDefaultBatchSize = 20;
constexpr qsizetype kMaxSeparatorChars = 8;
// A batch request's address longer than this is split further: servers
// commonly refuse request lines past 8 KiB.
constexpr qsizetype kMaxBatchUrlChars = 8000;
// Requests a source may start in any minute, when it sets a limit.
constexpr int kMinPerMinute = 1;
constexpr int kMaxPerMinute = 600;

// A source's note in a sources file: a few sentences for the user.
constexpr qsizetype kMaxNoteChars = 1000;

// A sources file is a few kilobytes; a larger one is not one.
constexpr qint64 kMaxSourcesFileBytes = 1024 * 1024;

} // namespace SourceLimits
