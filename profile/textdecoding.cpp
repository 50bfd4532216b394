#include "textdecoding.h"

#include <array>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t Windows1252FirstSpecial = 0x80;
constexpr std::array<char16_t, 32> Windows1252Specials = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

// The lead bytes of well-formed UTF-8 sequences longer than one byte, with
// the number of bytes that follow and the range the second byte must fall
// in; that range is what rules out overlong forms, surrogates and code
// points past U+10FFFF. Every later byte is 0x80..0xBF.
struct Utf8Lead
{
    unsigned char first;
    unsigned char last;
    int following;
    unsigned char secondMin;
    unsigned char secondMax;
};

constexpr std::array<Utf8Lead, 8> Utf8Leads = {{
    {0xC2, 0xDF, 1, 0x80, 0xBF},
    {0xE0, 0xE0, 2, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x80, 0xBF},
    {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF},
    {0xF4, 0xF4, 3, 0x80, 0x8F},
}};

constexpr unsigned char ContinuationMin = 0x80;
constexpr unsigned char ContinuationMax = 0xBF;
constexpr unsigned char LastAscii = 0x7F;

const Utf8Lead *utf8Lead(unsigned char byte)
{
    for (const Utf8Lead &lead : Utf8Leads) {
        if (byte >= lead.first && byte <= lead.last)
            return &lead;
    }
    return nullptr;
}

void appendCodePoint(QString &text, char32_t codePoint)
{
    if (QChar::requiresSurrogates(codePoint)) {
        text.append(QChar(QChar::highSurrogate(codePoint)));
        text.append(QChar(QChar::lowSurrogate(codePoint)));
    } else {
        text.append(QChar(char16_t(codePoint)));
    }
}

} // namespace

std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte <= LastAscii) {
            text.append(QChar(char16_t(byte)));
            ++at;
            continue;
        }
        const Utf8Lead *lead = utf8Lead(byte);
        if (!lead || at + lead->following >= bytes.size())
            return std::nullopt;
        // The lead byte keeps 6 - following value bits (5, 4 or 3).
        char32_t codePoint = byte & (0x3Fu >> lead->following);
        for (int index = 1; index <= lead->following; ++index) {
            const auto next = static_cast<unsigned char>(bytes[at + index]);
            const unsigned char min = index == 1 ? lead->secondMin : ContinuationMin;
            const unsigned char max = index == 1 ? lead->secondMax : ContinuationMax;
            if (next < min || next > max)
                return std::nullopt;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        appendCodePoint(text, codePoint);
        at += 1 + lead->following;
    }
    return text;
}

QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const bool special = byte >= Windows1252FirstSpecial
                             && byte < Windows1252FirstSpecial + Windows1252Specials.size();
        text[at] = special ? QChar(Windows1252Specials[byte - Windows1252FirstSpecial])
                           : QChar(char16_t(byte));
    }
    return text;
}

QString decodeProfileToken(QByteArrayView token)
{
    if (std::optional<QString> text = decodeUtf8(token))
        return std::move(*text);
    return decodeWindows1252(token);
}
