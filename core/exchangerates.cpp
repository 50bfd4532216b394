#include "exchangerates.h"

#include "currency.h"

#include <cmath>

namespace {

QString pairKey(const QString &from, const QString &to)
{
    return from + u' ' + to;
}

} // namespace

void ExchangeRates::addTable(const QString &source, const QDate &date, const QString &base)
{
    m_tables.append(Table{source, date, base, false, {}});
}

void ExchangeRates::addPair(const QString &from, const QString &to, double rate)
{
    if (m_tables.isEmpty() || !std::isfinite(rate) || rate <= 0.0 || from == to)
        return;
    m_tables.last().pairs.insert(pairKey(from, to), rate);
}

void ExchangeRates::markKept()
{
    if (!m_tables.isEmpty())
        m_tables.last().kept = true;
}

std::optional<double> ExchangeRates::find(const Table &table, const QString &from, const QString &to)
{
    if (const auto direct = table.pairs.constFind(pairKey(from, to)); direct != table.pairs.constEnd())
        return *direct;
    if (const auto inverse = table.pairs.constFind(pairKey(to, from)); inverse != table.pairs.constEnd())
        return 1.0 / *inverse;
    if (table.base.isEmpty() || from == table.base || to == table.base)
        return std::nullopt;
    const std::optional<double> fromBase = find(table, table.base, from);
    const std::optional<double> toBase = find(table, table.base, to);
    if (!fromBase || !toBase)
        return std::nullopt;
    return *toBase / *fromBase;
}

std::optional<ExchangeRate> ExchangeRates::rate(const QString &from, const QString &to) const
{
    if (from == to)
        return ExchangeRate{1.0, {}, {}, false};
    for (const Table &table : m_tables) {
        if (const std::optional<double> found = find(table, from, to))
            return ExchangeRate{*found, table.source, table.date, table.kept};
    }
    return std::nullopt;
}

std::optional<PriceInReport> priceInReport(double price, const QString &currency, const QString &report,
                                           const ExchangeRates &rates)
{
    if (currency.isEmpty())
        return PriceInReport{price, 1.0, {}, ExchangeRate{1.0, {}, {}, false}};
    const std::optional<CurrencyUnit> unit = currencyUnit(currency);
    if (!unit)
        return std::nullopt;
    const std::optional<ExchangeRate> rate = rates.rate(unit->code, report);
    if (!rate)
        return std::nullopt;
    const double multiplier = unit->inCode * rate->rate;
    return PriceInReport{price * multiplier, multiplier, unit->code, *rate};
}
