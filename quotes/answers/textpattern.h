#pragma once

#include "answerlimits.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

namespace re2 {
class RE2;
}

// Why a text is not a usable pattern.
enum class TextPatternError {
    None,
    Empty,
    TooLong,         // past AnswerLimits::kMaxPatternChars
    Invalid,         // not RE2 syntax
    TooLarge,        // compiles to more than AnswerLimits::kMaxPatternMemory
    NotOneGroup,     // not exactly one capturing group
};

// A pattern's first match in an answer: the group's text, the whole match
// and the text either side of it (AnswerLimits::kEvidenceContextChars).
struct TextMatch {
    QString captured;
    QString matched;
    QString before;
    QString after;
};

// A regular expression with one capturing group, in RE2's syntax, which
// matches in time linear in the answer whatever the pattern. The answer is
// read as UTF-8.
class TextPattern
{
public:
    explicit TextPattern(const QString &pattern);
    ~TextPattern();
    TextPattern(TextPattern &&) noexcept;
    TextPattern &operator=(TextPattern &&) noexcept;

    bool isValid() const { return m_error == TextPatternError::None; }
    TextPatternError error() const { return m_error; }

    // `text` as a pattern that matches it literally.
    static QString literal(const QString &text);

    // The first match, where the group took part in it.
    std::optional<TextMatch> firstMatch(QByteArrayView text) const;

private:
    std::unique_ptr<re2::RE2> m_expression;
    TextPatternError m_error = TextPatternError::None;
};
