#pragma once

#include <QtGlobal>

// The bounds on the answers quote sites send. Answers are outside data:
// every reader stops at its bound with a failure that names it, rather than
// trusting the site.
namespace AnswerLimits {

// An answer read as JSON, CSV or text is kept whole; a longer one is refused.
constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;
// Arrays and objects inside one another.
constexpr int kMaxJsonDepth = 64;
// A CSV line (its fields and the delimiters between them) and the rows read,
// the header among them, before the search gives up.
constexpr qsizetype kMaxCsvLineBytes = 1024 * 1024;
constexpr qsizetype kMaxCsvRows = 100'000;
// A regular expression's length, and the memory RE2 may compile it into.
constexpr qsizetype kMaxPatternChars = 1000;
constexpr qint64 kMaxPatternMemory = 8 * 1024 * 1024;

// What a source test shows of an answer: the matched JSON value's parent
// (pretty-printed), the text either side of a matched pattern, and the start
// of an answer in which nothing was found.
constexpr qsizetype kEvidenceNeighbourhoodBytes = 2048;
constexpr qsizetype kEvidenceContextChars = 80;
constexpr qsizetype kEvidenceAnswerBytes = 4096;

} // namespace AnswerLimits
