#include "currency.h"

#include <algorithm>
#include <array>

namespace {

struct MinorUnit {
    const char16_t *name;
    const char16_t *code;
};

constexpr double kMinorUnitShare = 0.01;
constexpr std::array<MinorUnit, 4> kMinorUnits{{
    {u"GBp", u"GBP"},
    {u"GBX", u"GBP"},
    {u"ZAc", u"ZAR"},
    {u"ILA", u"ILS"},
}};

} // namespace

bool isCurrencyCode(const QString &text)
{
    return text.size() == 3
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

std::optional<CurrencyUnit> currencyUnit(const QString &text)
{
    for (const MinorUnit &unit : kMinorUnits) {
        if (text == QStringView(unit.name))
            return CurrencyUnit{QString::fromUtf16(unit.code), kMinorUnitShare};
    }
    if (isCurrencyCode(text))
        return CurrencyUnit{text, 1.0};
    return std::nullopt;
}
