#include "ratestore.h"

#include "currency.h"
#include "exchangerates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <variant>

namespace {

constexpr KeptFileLayout kLayout{1, "tables", RateStore::kMaxRateFileBytes};

QString tr(const char *text)
{
    return QCoreApplication::translate("RateStore", text);
}

QString pairKey(const QString &from, const QString &to)
{
    return from + u' ' + to;
}

// The two codes of a "FROM TO" key.
QStringList pairCodes(const QString &key)
{
    return key.split(u' ');
}

bool isPairKey(const QString &key)
{
    const QStringList codes = pairCodes(key);
    return codes.size() == 2 && isCurrencyCode(codes.at(0)) && isCurrencyCode(codes.at(1))
        && codes.at(0) != codes.at(1);
}

bool isRate(double rate)
{
    return std::isfinite(rate) && rate > 0.0;
}

bool isBase(const QString &base)
{
    return base.isEmpty() || isCurrencyCode(base);
}

// Only yyyy-MM-dd, as the file holds it: no time, no other form.
std::optional<QDate> readDay(const QString &text)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (!day.isValid() || day.toString(Qt::ISODate) != text)
        return std::nullopt;
    return day;
}

bool fileHoldsDay(const QDate &day)
{
    return readDay(day.toString(Qt::ISODate)) == day;
}

bool isOlder(const KeptRateTable &a, const KeptRateTable &b)
{
    if (a.date != b.date)
        return a.date < b.date;
    return a.source < b.source;
}

bool isNewer(const KeptRateTable &a, const KeptRateTable &b)
{
    if (a.date != b.date)
        return a.date > b.date;
    return a.source < b.source;
}

QHash<QString, double> usablePairs(const QHash<QString, double> &pairs)
{
    QHash<QString, double> usable;
    for (auto pair = pairs.cbegin(); pair != pairs.cend(); ++pair) {
        if (isPairKey(pair.key()) && isRate(pair.value()))
            usable.insert(pair.key(), pair.value());
    }
    return usable;
}

// What is wrong with a file, as RateFileLoad reports it.
struct FileFault {
    RateFileProblem problem = RateFileProblem::None;
    qsizetype table = 0;
    qsizetype pair = 0;
    RateTableProblem tableProblem = RateTableProblem::None;
    QString detail;
};

// What is wrong with a table: `pair` is 0 for the table itself.
struct TableFault {
    RateTableProblem problem = RateTableProblem::None;
    qsizetype pair = 0;
};

struct KeptPair {
    QString key;
    double rate = 0.0;
};

using TableRead = std::variant<KeptRateTable, TableFault>;
using FileParse = std::variant<QHash<QString, KeptRateTable>, FileFault>;

std::variant<KeptPair, RateTableProblem> readPair(const QJsonValue &value)
{
    if (!value.isObject())
        return RateTableProblem::PairNotObject;
    const QJsonObject pair = value.toObject();
    const QString from = pair.value(QLatin1String("from")).toString();
    if (!isCurrencyCode(from))
        return RateTableProblem::From;
    const QString to = pair.value(QLatin1String("to")).toString();
    if (!isCurrencyCode(to) || to == from)
        return RateTableProblem::To;
    const QJsonValue rate = pair.value(QLatin1String("rate"));
    if (!rate.isDouble() || !isRate(rate.toDouble()))
        return RateTableProblem::Rate;
    return KeptPair{pairKey(from, to), rate.toDouble()};
}

std::variant<QHash<QString, double>, TableFault> readPairs(const QJsonArray &list)
{
    if (list.size() > RateStore::kMaxRatePairs)
        return TableFault{RateTableProblem::TooManyPairs, 0};
    QHash<QString, double> pairs;
    pairs.reserve(list.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        const auto pair = readPair(list.at(i));
        if (const auto *problem = std::get_if<RateTableProblem>(&pair))
            return TableFault{*problem, i + 1};
        const KeptPair &kept = std::get<KeptPair>(pair);
        if (pairs.contains(kept.key))
            return TableFault{RateTableProblem::RepeatedPair, i + 1};
        pairs.insert(kept.key, kept.rate);
    }
    return pairs;
}

TableRead readTable(const QJsonValue &value)
{
    if (!value.isObject())
        return TableFault{RateTableProblem::NotObject, 0};
    const QJsonObject table = value.toObject();
    const QJsonValue source = table.value(QLatin1String("source"));
    if (!source.isString() || source.toString().isEmpty())
        return TableFault{RateTableProblem::Source, 0};
    const std::optional<QDate> date = readDay(table.value(QLatin1String("date")).toString());
    if (!date)
        return TableFault{RateTableProblem::Date, 0};
    const QJsonValue base = table.value(QLatin1String("base"));
    if (!base.isString() || !isBase(base.toString()))
        return TableFault{RateTableProblem::Base, 0};
    const QJsonValue list = table.value(QLatin1String("pairs"));
    if (!list.isArray())
        return TableFault{RateTableProblem::Pairs, 0};
    auto pairs = readPairs(list.toArray());
    if (const auto *fault = std::get_if<TableFault>(&pairs))
        return *fault;
    return KeptRateTable{source.toString(), *date, base.toString(),
                         std::move(std::get<QHash<QString, double>>(pairs))};
}

FileFault tableFault(qsizetype table, const TableFault &fault)
{
    return {RateFileProblem::BadTable, table, fault.pair, fault.problem, {}};
}

FileParse parseRateFile(const KeptFileRead &read)
{
    if (read.fault != KeptFileFault::None)
        return FileFault{keptFileProblem<RateFileProblem>(read.fault), 0, 0, RateTableProblem::None, read.detail};
    if (read.entries.size() > RateStore::kMaxRateTables)
        return FileFault{RateFileProblem::TooManyTables, 0, 0, RateTableProblem::None, {}};

    QHash<QString, KeptRateTable> tables;
    for (qsizetype i = 0; i < read.entries.size(); ++i) {
        TableRead entry = readTable(read.entries.at(i));
        if (const auto *fault = std::get_if<TableFault>(&entry))
            return tableFault(i + 1, *fault);
        KeptRateTable &table = std::get<KeptRateTable>(entry);
        if (tables.contains(table.source))
            return tableFault(i + 1, {RateTableProblem::RepeatedSource, 0});
        tables.insert(table.source, std::move(table));
    }
    return tables;
}

void setAside(RateFileLoad &load)
{
    const std::optional<QString> renameError = setKeptFileAside(load.path);
    load.outcome = renameError ? RateFileLoad::Outcome::LeftInPlace : RateFileLoad::Outcome::SetAside;
    load.renameError = renameError.value_or(QString());
}

QByteArray tableBytes(const KeptRateTable &table)
{
    QStringList keys = table.pairs.keys();
    keys.sort();
    QJsonArray pairs;
    for (const QString &key : std::as_const(keys)) {
        const QStringList codes = pairCodes(key);
        pairs.append(QJsonObject{
            {QLatin1String("from"), codes.at(0)},
            {QLatin1String("to"), codes.at(1)},
            {QLatin1String("rate"), table.pairs.value(key)},
        });
    }
    const QJsonObject entry{
        {QLatin1String("source"), table.source},
        {QLatin1String("date"), table.date.toString(Qt::ISODate)},
        {QLatin1String("base"), table.base},
        {QLatin1String("pairs"), pairs},
    };
    return QJsonDocument(entry).toJson(QJsonDocument::Compact);
}

QString problemText(const RateFileLoad &load)
{
    switch (load.problem) {
    case RateFileProblem::None:
        return {};
    case RateFileProblem::Unreadable:
        return tr("the file cannot be read (%1)").arg(load.detail);
    case RateFileProblem::TooLarge:
        return tr("the file is larger than %1 KiB").arg(RateStore::kMaxRateFileBytes / 1024);
    case RateFileProblem::NotJson:
        return tr("it is not JSON (%1)").arg(load.detail);
    case RateFileProblem::WrongShape:
        return tr("it is not a list of tables of rates of version %1").arg(kLayout.version);
    case RateFileProblem::TooManyTables:
        return tr("it holds more than %1 tables of rates").arg(RateStore::kMaxRateTables);
    case RateFileProblem::BadTable:
        break;
    }
    switch (load.tableProblem) {
    case RateTableProblem::None:
        break;
    case RateTableProblem::NotObject:
        return tr("table %1 is not an object").arg(load.table);
    case RateTableProblem::Source:
        return tr("table %1 has no source").arg(load.table);
    case RateTableProblem::Date:
        return tr("table %1 has no date as yyyy-MM-dd").arg(load.table);
    case RateTableProblem::Base:
        return tr("table %1 has no base that is empty or a currency code").arg(load.table);
    case RateTableProblem::Pairs:
        return tr("table %1 has no list of pairs").arg(load.table);
    case RateTableProblem::TooManyPairs:
        return tr("table %1 holds more than %2 pairs").arg(load.table).arg(RateStore::kMaxRatePairs);
    case RateTableProblem::RepeatedSource:
        return tr("table %1 repeats a source listed before it").arg(load.table);
    case RateTableProblem::PairNotObject:
        return tr("pair %1 of table %2 is not an object").arg(load.pair).arg(load.table);
    case RateTableProblem::From:
        return tr("pair %1 of table %2 has no currency code to convert from").arg(load.pair).arg(load.table);
    case RateTableProblem::To:
        return tr("pair %1 of table %2 has no other currency code to convert to").arg(load.pair).arg(load.table);
    case RateTableProblem::Rate:
        return tr("pair %1 of table %2 has no rate that is a positive number").arg(load.pair).arg(load.table);
    case RateTableProblem::RepeatedPair:
        return tr("pair %1 of table %2 repeats a pair listed before it").arg(load.pair).arg(load.table);
    }
    Q_UNREACHABLE();
}

} // namespace

QString RateFileLoad::message() const
{
    return keptFileMessage(tr("kept exchange rates"), path, outcome, problemText(*this), renameError);
}

RateFileLoad RateStore::load(const QString &path)
{
    m_tables.clear();
    RateFileLoad load;
    load.path = path;
    if (!QFileInfo::exists(path)) {
        load.outcome = RateFileLoad::Outcome::Missing;
        return load;
    }
    FileParse parsed = parseRateFile(readKeptFile(path, kLayout));
    if (auto *tables = std::get_if<QHash<QString, KeptRateTable>>(&parsed)) {
        m_tables = std::move(*tables);
        return load;
    }
    const FileFault &fault = std::get<FileFault>(parsed);
    load.problem = fault.problem;
    load.table = fault.table;
    load.pair = fault.pair;
    load.tableProblem = fault.tableProblem;
    load.detail = fault.detail;
    setAside(load);
    return load;
}

KeptFileSave RateStore::save(const QString &path) const
{
    QByteArrayList entries;
    for (const KeptRateTable &table : tables())
        entries.append(tableBytes(table));
    if (const std::optional<QString> problem = writeKeptFile(path, keptFileBytes(kLayout, entries))) {
        return {false, tr("Could not save the kept exchange rates in \"%1\": %2.")
                           .arg(QDir::toNativeSeparators(path), *problem)};
    }
    return {true, {}};
}

void RateStore::remember(const QString &source, const QDate &date, const QString &base,
                         const QHash<QString, double> &pairs)
{
    if (source.isEmpty() || !fileHoldsDay(date) || !isBase(base))
        return;
    const auto kept = m_tables.constFind(source);
    if (kept != m_tables.cend() && kept->date > date)
        return;
    QHash<QString, double> usable = usablePairs(pairs);
    // An empty table would only hide the last one that had rates.
    if (usable.isEmpty() || usable.size() > kMaxRatePairs)
        return;
    m_tables.insert(source, {source, date, base, std::move(usable)});
    if (m_tables.size() <= kMaxRateTables)
        return;
    m_tables.erase(std::min_element(m_tables.cbegin(), m_tables.cend(), isOlder));
}

void RateStore::addKeptTo(ExchangeRates &rates) const
{
    QList<KeptRateTable> newestFirst = m_tables.values();
    std::sort(newestFirst.begin(), newestFirst.end(), isNewer);
    for (const KeptRateTable &table : std::as_const(newestFirst)) {
        rates.addTable(table.source, table.date, table.base);
        rates.markKept();
        for (auto pair = table.pairs.cbegin(); pair != table.pairs.cend(); ++pair) {
            const QStringList codes = pairCodes(pair.key());
            rates.addPair(codes.at(0), codes.at(1), pair.value());
        }
    }
}

QList<KeptRateTable> RateStore::tables() const
{
    QList<KeptRateTable> list = m_tables.values();
    std::sort(list.begin(), list.end(), isOlder);
    return list;
}

QString rateStorePath(const QString &pricesPath)
{
    return QFileInfo(pricesPath).dir().filePath(QStringLiteral("rates.json"));
}
