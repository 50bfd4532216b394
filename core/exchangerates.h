#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// How many units of one currency one unit of another buys, and where that
// came from.
struct ExchangeRate {
    double rate = 0.0;
    QString source;
    QDate date;
    bool kept = false;   // from an earlier day's rates: today's could not be fetched

    friend bool operator==(const ExchangeRate &, const ExchangeRate &) = default;
};

// The rates one calculation knows, each source's in a table of its own, the
// tables in the order their sources are asked. A pair is found in the first
// table that has it: directly, inverted, or crossed through the table's base
// currency (the reference rates quote every currency against the euro).
class ExchangeRates
{
public:
    // A table of `source`'s rates of `date`, `base` their common currency
    // (empty when the rates are single pairs).
    void addTable(const QString &source, const QDate &date, const QString &base = {});
    // Units of `to` that one unit of `from` buys, in the table added last.
    // Nothing else than a positive, finite number is taken.
    void addPair(const QString &from, const QString &to, double rate);
    // Every rate of the table added last counts as kept.
    void markKept();

    // Units of `to` one unit of `from` buys: 1 for the same currency.
    std::optional<ExchangeRate> rate(const QString &from, const QString &to) const;

    bool isEmpty() const { return m_tables.isEmpty(); }

    struct Table {
        QString source;
        QDate date;
        QString base;
        bool kept = false;
        QHash<QString, double> pairs; // "FROM TO"
    };
    // In the order they are asked, to be kept for another day.
    const QList<Table> &tables() const { return m_tables; }

private:

    static std::optional<double> find(const Table &table, const QString &from, const QString &to);

    QList<Table> m_tables;
};

// A price in the report currency, and how it got there.
struct PriceInReport {
    double price = 0.0;
    double multiplier = 1.0;  // the price as given times this is `price`
    QString from;             // the price's ISO code; empty when it gave none
    ExchangeRate rate;        // from `from` to the report currency
};

// `price` as given in `currency` (a code, a minor unit, or empty, which is
// taken as the report currency), in `report`; nullopt when no rate is known
// or `currency` names none. Never one for one across currencies.
std::optional<PriceInReport> priceInReport(double price, const QString &currency, const QString &report,
                                           const ExchangeRates &rates);
