#include "textpattern.h"

#include "answerlimits.h"

#include <re2/re2.h>

#include <algorithm>
#include <array>

namespace {

// Characters take at most four bytes in UTF-8; enough bytes are decoded to
// show the context's characters.
constexpr qsizetype kMaxCharBytes = 4;

re2::RE2::Options patternOptions()
{
    re2::RE2::Options options;
    options.set_max_mem(AnswerLimits::kMaxPatternMemory);
    options.set_log_errors(false);
    return options;
}

} // namespace

TextPattern::TextPattern(const QString &pattern)
{
    if (pattern.isEmpty()) {
        m_error = TextPatternError::Empty;
        return;
    }
    if (pattern.size() > AnswerLimits::kMaxPatternChars) {
        m_error = TextPatternError::TooLong;
        return;
    }
    const QByteArray utf8 = pattern.toUtf8();
    auto expression = std::make_unique<re2::RE2>(re2::StringPiece(utf8.constData(), size_t(utf8.size())),
                                                 patternOptions());
    if (expression->error_code() == re2::RE2::ErrorPatternTooLarge)
        m_error = TextPatternError::TooLarge;
    else if (!expression->ok())
        m_error = TextPatternError::Invalid;
    else if (expression->NumberOfCapturingGroups() != 1)
        m_error = TextPatternError::NotOneGroup;
    else
        m_expression = std::move(expression);
}

TextPattern::~TextPattern() = default;
TextPattern::TextPattern(TextPattern &&) noexcept = default;
TextPattern &TextPattern::operator=(TextPattern &&) noexcept = default;

std::optional<TextMatch> TextPattern::firstMatch(QByteArrayView text) const
{
    if (!m_expression)
        return std::nullopt;
    const re2::StringPiece input(text.data(), size_t(text.size()));
    std::array<re2::StringPiece, 2> groups;
    if (!m_expression->Match(input, 0, input.size(), re2::RE2::UNANCHORED, groups.data(), int(groups.size()))
        || groups[1].data() == nullptr)
        return std::nullopt;
    const qsizetype start = groups[0].data() - text.data();
    const qsizetype end = start + qsizetype(groups[0].size());
    constexpr qsizetype kContextBytes = AnswerLimits::kEvidenceContextChars * kMaxCharBytes;
    const qsizetype from = std::max<qsizetype>(0, start - kContextBytes);
    const qsizetype to = std::min(text.size(), end + kContextBytes);
    return TextMatch{
        QString::fromUtf8(groups[1].data(), qsizetype(groups[1].size())),
        QString::fromUtf8(text.sliced(start, end - start)),
        QString::fromUtf8(text.sliced(from, start - from)).right(AnswerLimits::kEvidenceContextChars),
        QString::fromUtf8(text.sliced(end, to - end)).left(AnswerLimits::kEvidenceContextChars),
    };
}

QString TextPattern::literal(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return QString::fromStdString(re2::RE2::QuoteMeta(re2::StringPiece(utf8.constData(), size_t(utf8.size()))));
}
