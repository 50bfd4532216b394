#pragma once

#include "keptfile.h"
#include "quoteresult.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// A price a lookup found, kept to value the symbol when a later lookup fails.
struct StoredPrice {
    QString symbol;         // as typed when it was last priced
    double price = 0.0;
    QString currency;       // empty when the source gave none
    QString source;         // empty when unknown
    QDateTime fetched;      // UTC

    friend bool operator==(const StoredPrice &, const StoredPrice &) = default;
};

// Why a price file could not be used.
enum class PriceFileProblem {
    None,
    Unreadable,     // it cannot be opened or read (a folder, a failing disk)
    TooLarge,       // over kMaxPriceFileBytes
    NotJson,
    WrongShape,     // not {"version":1,"prices":[...]}
    TooManyPrices,  // over kMaxStoredPrices entries
    BadEntry,       // see PriceEntryProblem
};

// What is wrong with an entry of the file.
enum class PriceEntryProblem {
    None,
    NotObject,
    Symbol,         // missing, not text or empty
    Price,          // missing or not a finite number
    Currency,       // missing or not text
    Source,         // missing or not text
    Fetched,        // missing, or not an ISO 8601 time with its zone
    RepeatedSymbol, // listed before, ignoring case
};

struct PriceFileLoad {
    using Outcome = KeptFileOutcome;
    Outcome outcome = Outcome::Loaded;
    PriceFileProblem problem = PriceFileProblem::None;
    QString path;
    qsizetype entry = 0;    // for BadEntry: which entry, from 1
    PriceEntryProblem entryProblem = PriceEntryProblem::None;
    QString detail;         // the system's or the JSON parser's reason, for the message
    QString renameError;    // for LeftInPlace

    static QString badPath(const QString &path) { return keptFileBadPath(path); }
    // For the status line, naming the file and what was wrong with it;
    // empty when the file was loaded or is missing.
    QString message() const;
};

using PriceFileSave = KeptFileSave;

// The last price found for each symbol, matched ignoring case. A plain value
// shared by the quote service that fills it and whoever saves it. The file is
// JSON, written whole:
//   {"version":1,"prices":[{"currency":"USD","fetched":"2026-12-07T14:02:00Z",
//     "price":123.45,"source":"Prices A","symbol":"VTI"}, ...]}
// with the entries oldest first; "fetched" is ISO 8601 in UTC, "currency"
// and "source" are empty when not known. Other members are ignored, so that
// a later version may add some.
class PriceStore
{
public:
    // More symbols than anyone holds; past it the least recently priced go.
    static constexpr qsizetype kMaxStoredPrices = 10000;
    // The file's size when read; save() leaves out the least recently priced
    // entries that would take the file past it.
    static constexpr qint64 kMaxPriceFileBytes = 4 * 1024 * 1024;

    // Replaces the contents with the file's. A file that cannot be used is
    // set aside as badPath() (replacing an earlier one) and leaves the
    // store empty; nothing here stops the program.
    PriceFileLoad load(const QString &path);
    // Replaces the file atomically, creating its folder: on failure the
    // previous file stays as it was.
    PriceFileSave save(const QString &path) const;

    // Keeps a priced result that says when it was fetched; other results
    // are ignored.
    void remember(const QString &symbol, const QuoteResult &result);
    std::optional<StoredPrice> find(const QString &symbol) const;
    // Empties the store; saving it then empties the file.
    void forget() { m_prices.clear(); }

    qsizetype size() const { return m_prices.size(); }
    // Oldest first; among prices fetched at the same time, by symbol.
    QList<StoredPrice> prices() const;

private:
    QHash<QString, StoredPrice> m_prices; // by case-folded symbol
};

// prices.json in the user's data folder: ~/.local/share/Fundtally on Linux
// ($XDG_DATA_HOME when set), named after the application.
QString priceStorePath();
