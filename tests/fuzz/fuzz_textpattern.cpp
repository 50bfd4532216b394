// A pattern and a text: the first line is the pattern, the rest the text.
// Whatever the pattern, RE2 compiles it within its limits or says why; a
// match holds its group and shows no more context than allowed.

#include "fuzzcheck.h"
#include "answerlimits.h"
#include "textpattern.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype lineEnd = input.indexOf('\n');
    const QString patternText = QString::fromUtf8(lineEnd < 0 ? input : input.first(lineEnd));
    const QByteArrayView text = lineEnd < 0 ? QByteArrayView() : input.sliced(lineEnd + 1);

    const TextPattern pattern(patternText);
    fuzzCheck(pattern.isValid() == (pattern.error() == TextPatternError::None));
    fuzzCheck(pattern.error() != TextPatternError::TooLong || patternText.size() > AnswerLimits::kMaxPatternChars);
    const std::optional<TextMatch> match = pattern.firstMatch(text);
    fuzzCheck(pattern.isValid() || !match);
    if (match) {
        fuzzCheck(match->before.size() <= AnswerLimits::kEvidenceContextChars);
        fuzzCheck(match->after.size() <= AnswerLimits::kEvidenceContextChars);
        fuzzCheck(match->captured.size() <= match->matched.size());
    }
    return 0;
}
