#include "numbertext.h"

#include <QByteArray>

#include <charconv>
#include <cmath>

namespace {

constexpr qsizetype kGroupDigits = 3;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isGroupMark(QChar c, DecimalMark mark)
{
    if (mark == DecimalMark::Point)
        return c == u',';
    return c == u'.' || c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

QChar decimalChar(DecimalMark mark)
{
    return mark == DecimalMark::Point ? u'.' : u',';
}

// Reads digits at `at` into `out`; returns how many.
qsizetype readDigits(QStringView text, qsizetype &at, QByteArray &out)
{
    const qsizetype start = at;
    while (at < text.size() && isDigit(text[at]))
        out += char(text[at++].unicode());
    return at - start;
}

// The whole part: plain digits, or a first group of one to three digits
// followed by groups of three, all behind the same group mark.
bool readWholePart(QStringView text, qsizetype &at, DecimalMark mark, QByteArray &out)
{
    const qsizetype first = readDigits(text, at, out);
    if (first == 0 || first > kGroupDigits || at >= text.size() || !isGroupMark(text[at], mark))
        return true;
    const QChar group = text[at];
    while (at < text.size() && text[at] == group) {
        ++at;
        if (readDigits(text, at, out) != kGroupDigits)
            return false;
    }
    return at >= text.size() || !isGroupMark(text[at], mark);
}

bool readExponent(QStringView text, qsizetype &at, QByteArray &out)
{
    if (at >= text.size() || (text[at] != u'e' && text[at] != u'E'))
        return true;
    out += 'e';
    ++at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
        out += char(text[at++].unicode());
    return readDigits(text, at, out) > 0;
}

} // namespace

std::optional<double> numberFromText(QStringView text, DecimalMark mark)
{
    text = text.trimmed();
    qsizetype at = 0;
    QByteArray plain;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
        plain += char(text[at++].unicode());
    if (!readWholePart(text, at, mark, plain))
        return std::nullopt;
    const bool hasWhole = plain.size() > 0 && isDigit(QChar(plain.back()));
    if (at < text.size() && text[at] == decimalChar(mark)) {
        plain += '.';
        ++at;
        if (readDigits(text, at, plain) == 0)
            return std::nullopt;
    } else if (!hasWhole) {
        return std::nullopt;
    }
    if (!readExponent(text, at, plain) || at != text.size())
        return std::nullopt;

    // from_chars ignores the locale and takes no leading plus.
    const char *begin = plain.constData() + (plain.startsWith('+') ? 1 : 0);
    double value = 0.0;
    const auto [end, error] = std::from_chars(begin, plain.constData() + plain.size(), value);
    if (error != std::errc() || end != plain.constData() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}
