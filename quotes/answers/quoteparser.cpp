#include "quoteparser.h"

#include <charconv>
#include <string>

namespace {

constexpr QByteArrayView kPriceMarker("react-text: 36 -->");
constexpr char kPriceEnd = '<';

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A comma at `pos` separates thousands when exactly three digits follow it.
bool isThousandsSeparator(QByteArrayView text, qsizetype pos)
{
    if (text[pos] != ',' || pos + 3 >= text.size())
        return false;
    for (qsizetype i = pos + 1; i <= pos + 3; ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return pos + 4 == text.size() || !isDigit(text[pos + 4]);
}

// Copies the digits from `pos` on into `out`; returns how many there were.
qsizetype takeDigits(QByteArrayView text, qsizetype &pos, std::string &out)
{
    const qsizetype start = pos;
    while (pos < text.size() && isDigit(text[pos]))
        out += text[pos++];
    return pos - start;
}

// An exponent only counts when at least one digit follows the 'e' and sign.
void takeExponent(QByteArrayView text, qsizetype pos, std::string &out)
{
    if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E'))
        return;
    std::string exponent = "e";
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        exponent += text[pos++];
    if (takeDigits(text, pos, exponent) > 0)
        out += exponent;
}

} // namespace

std::optional<double> readLeadingNumber(QByteArrayView text)
{
    qsizetype pos = 0;
    while (pos < text.size() && isCSpace(text[pos]))
        ++pos;

    // Collected in the C locale's form so the conversion does not depend on
    // the user's locale.
    std::string number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-')
            number += '-';
        ++pos;
    }

    qsizetype digits = 0;
    while (pos < text.size()) {
        if (isDigit(text[pos])) {
            number += text[pos++];
            ++digits;
        } else if (digits > 0 && isThousandsSeparator(text, pos)) {
            ++pos;
        } else {
            break;
        }
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        digits += takeDigits(text, pos, number);
    }
    if (digits == 0)
        return std::nullopt;
    takeExponent(text, pos, number);

    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return value;
}

QuoteResult parseQuoteLine(QByteArrayView fifthLine, PriceLineEnd end)
{
    const QuoteResult noPrice = QuoteResult::failed(QuoteFailure::NoPriceOnPage);

    QByteArrayView rest = fifthLine;
    for (int marker = 0; marker < 2; ++marker) {
        const qsizetype at = rest.indexOf(kPriceMarker);
        if (at < 0)
            return noPrice;
        rest = rest.sliced(at + kPriceMarker.size());
    }
    const qsizetype priceEnd = rest.indexOf(kPriceEnd);
    if (priceEnd >= 0)
        rest = rest.first(priceEnd);
    else if (end == PriceLineEnd::Cut)
        return noPrice;

    const std::optional<double> price = readLeadingNumber(rest);
    return price ? QuoteResult::withPrice(*price) : noPrice;
}
