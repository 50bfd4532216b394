#include "pricestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <variant>


namespace {

constexpr KeptFileLayout kLayout{1, "prices", PriceStore::kMaxPriceFileBytes};

QString tr(const char *text)
{
    return QCoreApplication::translate("PriceStore", text);
}

QString foldedSymbol(const QString &symbol)
{
    return symbol.toCaseFolded();
}

bool isOlder(const StoredPrice &a, const StoredPrice &b)
{
    if (a.fetched != b.fetched)
        return a.fetched < b.fetched;
    return foldedSymbol(a.symbol) < foldedSymbol(b.symbol);
}

// Whole seconds in UTC, as the file holds them, so that a price read back
// equals the one saved.
QDateTime fileTime(const QDateTime &time)
{
    return QDateTime::fromSecsSinceEpoch(time.toSecsSinceEpoch(), Qt::UTC);
}

// What is wrong with a file, as PriceFileLoad reports it.
struct FileFault {
    PriceFileProblem problem = PriceFileProblem::None;
    qsizetype entry = 0;
    PriceEntryProblem entryProblem = PriceEntryProblem::None;
    QString detail;
};

FileFault fileFault(PriceFileProblem problem, const QString &detail = {})
{
    return {problem, 0, PriceEntryProblem::None, detail};
}

FileFault entryFault(qsizetype entry, PriceEntryProblem problem)
{
    return {PriceFileProblem::BadEntry, entry, problem, {}};
}

using FileParse = std::variant<QHash<QString, StoredPrice>, FileFault>;

// The time with its zone: a time without one would be read as local time,
// which is not what was written.
std::optional<QDateTime> readFetched(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!time.isValid() || time.timeSpec() == Qt::LocalTime)
        return std::nullopt;
    return fileTime(time);
}

std::variant<StoredPrice, PriceEntryProblem> readEntry(const QJsonValue &value)
{
    if (!value.isObject())
        return PriceEntryProblem::NotObject;
    const QJsonObject entry = value.toObject();
    const QJsonValue symbol = entry.value(QLatin1String("symbol"));
    if (!symbol.isString() || symbol.toString().isEmpty())
        return PriceEntryProblem::Symbol;
    const QJsonValue price = entry.value(QLatin1String("price"));
    if (!price.isDouble() || !std::isfinite(price.toDouble()))
        return PriceEntryProblem::Price;
    const QJsonValue currency = entry.value(QLatin1String("currency"));
    if (!currency.isString())
        return PriceEntryProblem::Currency;
    const QJsonValue source = entry.value(QLatin1String("source"));
    if (!source.isString())
        return PriceEntryProblem::Source;
    const std::optional<QDateTime> fetched = readFetched(entry.value(QLatin1String("fetched")));
    if (!fetched)
        return PriceEntryProblem::Fetched;
    return StoredPrice{symbol.toString(), price.toDouble(), currency.toString(), source.toString(), *fetched};
}

FileParse parsePriceFile(const KeptFileRead &read)
{
    if (read.fault != KeptFileFault::None)
        return fileFault(keptFileProblem<PriceFileProblem>(read.fault), read.detail);
    const QJsonArray &entries = read.entries;
    if (entries.size() > PriceStore::kMaxStoredPrices)
        return fileFault(PriceFileProblem::TooManyPrices);

    QHash<QString, StoredPrice> prices;
    prices.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        auto entry = readEntry(entries.at(i));
        if (const auto *problem = std::get_if<PriceEntryProblem>(&entry))
            return entryFault(i + 1, *problem);
        StoredPrice &price = std::get<StoredPrice>(entry);
        const QString key = foldedSymbol(price.symbol);
        if (prices.contains(key))
            return entryFault(i + 1, PriceEntryProblem::RepeatedSymbol);
        prices.insert(key, std::move(price));
    }
    return prices;
}

void setAside(PriceFileLoad &load)
{
    const std::optional<QString> renameError = setKeptFileAside(load.path);
    load.outcome = renameError ? PriceFileLoad::Outcome::LeftInPlace : PriceFileLoad::Outcome::SetAside;
    load.renameError = renameError.value_or(QString());
}

QByteArray entryBytes(const StoredPrice &price)
{
    const QJsonObject entry{
        {QLatin1String("symbol"), price.symbol},
        {QLatin1String("price"), price.price},
        {QLatin1String("currency"), price.currency},
        {QLatin1String("source"), price.source},
        {QLatin1String("fetched"), price.fetched.toString(Qt::ISODate)},
    };
    return QJsonDocument(entry).toJson(QJsonDocument::Compact);
}

// The file for `prices` (oldest first), leaving out the oldest as long as
// the file would be larger than a load accepts.
QByteArray priceFileBytes(const QList<StoredPrice> &prices)
{
    QByteArrayList entries;
    entries.reserve(prices.size());
    for (const StoredPrice &price : prices)
        entries.append(entryBytes(price));
    return keptFileBytes(kLayout, entries);
}

PriceFileSave saveFailure(const QString &path, const QString &reason)
{
    return {false, tr("Could not save the last known prices in \"%1\": %2.")
                       .arg(QDir::toNativeSeparators(path), reason)};
}

QString problemText(const PriceFileLoad &load)
{
    switch (load.problem) {
    case PriceFileProblem::None:
        return {};
    case PriceFileProblem::Unreadable:
        return tr("the file cannot be read (%1)").arg(load.detail);
    case PriceFileProblem::TooLarge:
        return tr("the file is larger than %1 KiB").arg(PriceStore::kMaxPriceFileBytes / 1024);
    case PriceFileProblem::NotJson:
        return tr("it is not JSON (%1)").arg(load.detail);
    case PriceFileProblem::WrongShape:
        return tr("it is not a list of prices of version %1").arg(kLayout.version);
    case PriceFileProblem::TooManyPrices:
        return tr("it holds more than %1 prices").arg(PriceStore::kMaxStoredPrices);
    case PriceFileProblem::BadEntry:
        break;
    }
    switch (load.entryProblem) {
    case PriceEntryProblem::None:
        break;
    case PriceEntryProblem::NotObject:
        return tr("entry %1 is not an object").arg(load.entry);
    case PriceEntryProblem::Symbol:
        return tr("entry %1 has no symbol").arg(load.entry);
    case PriceEntryProblem::Price:
        return tr("entry %1 has no price that is a number").arg(load.entry);
    case PriceEntryProblem::Currency:
        return tr("entry %1 has no currency text").arg(load.entry);
    case PriceEntryProblem::Source:
        return tr("entry %1 has no source text").arg(load.entry);
    case PriceEntryProblem::Fetched:
        return tr("entry %1 has no ISO 8601 time with its zone").arg(load.entry);
    case PriceEntryProblem::RepeatedSymbol:
        return tr("entry %1 repeats a symbol listed before it").arg(load.entry);
    }
    Q_UNREACHABLE();
}

} // namespace

QString PriceFileLoad::message() const
{
    return keptFileMessage(tr("last known prices"), path, outcome, problemText(*this), renameError);
}

PriceFileLoad PriceStore::load(const QString &path)
{
    m_prices.clear();
    PriceFileLoad load;
    load.path = path;
    if (!QFileInfo::exists(path)) {
        load.outcome = PriceFileLoad::Outcome::Missing;
        return load;
    }
    FileParse parsed = parsePriceFile(readKeptFile(path, kLayout));
    if (auto *prices = std::get_if<QHash<QString, StoredPrice>>(&parsed)) {
        m_prices = std::move(*prices);
        return load;
    }
    const FileFault &fault = std::get<FileFault>(parsed);
    load.problem = fault.problem;
    load.entry = fault.entry;
    load.entryProblem = fault.entryProblem;
    load.detail = fault.detail;
    setAside(load);
    return load;
}

PriceFileSave PriceStore::save(const QString &path) const
{
    if (const std::optional<QString> problem = writeKeptFile(path, priceFileBytes(prices())))
        return saveFailure(path, *problem);
    return {true, {}};
}

void PriceStore::remember(const QString &symbol, const QuoteResult &result)
{
    if (symbol.isEmpty() || !result.priced() || !std::isfinite(result.price) || !result.fetched.isValid())
        return;
    m_prices.insert(foldedSymbol(symbol),
                    {symbol, result.price, result.currency, result.source, fileTime(result.fetched)});
    if (m_prices.size() <= kMaxStoredPrices)
        return;
    auto oldest = std::min_element(m_prices.cbegin(), m_prices.cend(), isOlder);
    m_prices.erase(oldest);
}

std::optional<StoredPrice> PriceStore::find(const QString &symbol) const
{
    const auto found = m_prices.constFind(foldedSymbol(symbol));
    if (found == m_prices.cend())
        return std::nullopt;
    return *found;
}

QList<StoredPrice> PriceStore::prices() const
{
    QList<StoredPrice> list = m_prices.values();
    std::sort(list.begin(), list.end(), isOlder);
    return list;
}

QString priceStorePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder).filePath(QStringLiteral("prices.json"));
}
