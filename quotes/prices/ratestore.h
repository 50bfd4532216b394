#pragma once

#include "keptfile.h"
#include "pricestore.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

class ExchangeRates;

// A source's rates of one day, kept to convert with on a later day when
// that source's rates cannot be fetched.
struct KeptRateTable {
    QString source;
    QDate date;
    QString base;                   // the rates' common currency; empty when they are single pairs
    QHash<QString, double> pairs;   // "FROM TO": units of TO that one FROM buys

    friend bool operator==(const KeptRateTable &, const KeptRateTable &) = default;
};

// Why a rate file could not be used.
enum class RateFileProblem {
    None,
    Unreadable,     // it cannot be opened or read (a folder, a failing disk)
    TooLarge,       // over kMaxRateFileBytes
    NotJson,
    WrongShape,     // not {"version":1,"tables":[...]}
    TooManyTables,  // over kMaxRateTables
    BadTable,       // see RateTableProblem
};

// What is wrong with a table of the file, or with one of its pairs.
enum class RateTableProblem {
    None,
    NotObject,
    Source,         // missing, not text or empty
    Date,           // missing or not a day as yyyy-MM-dd
    Base,           // missing, or neither empty nor a currency code
    Pairs,          // missing or not a list
    TooManyPairs,   // over kMaxRatePairs
    RepeatedSource, // a source listed before
    PairNotObject,
    From,           // not a currency code
    To,             // not a currency code, or the one of "from"
    Rate,           // not a positive finite number
    RepeatedPair,   // from and to listed before in the table
};

struct RateFileLoad {
    using Outcome = KeptFileOutcome;
    Outcome outcome = Outcome::Loaded;
    RateFileProblem problem = RateFileProblem::None;
    QString path;
    qsizetype table = 0;    // for BadTable: which table, from 1
    qsizetype pair = 0;     // and which of its pairs, from 1; 0 for the table itself
    RateTableProblem tableProblem = RateTableProblem::None;
    QString detail;         // the system's or the JSON parser's reason, for the message
    QString renameError;    // for LeftInPlace

    static QString badPath(const QString &path) { return keptFileBadPath(path); }
    // For the status line, naming the file and what was wrong with it;
    // empty when the file was loaded or is missing.
    QString message() const;
};

// The newest table of rates found at each source, matched exactly by the
// source's name. The file is JSON, written whole:
//   {"version":1,"tables":[{"base":"EUR","date":"2026-12-07","pairs":[
//     {"from":"EUR","rate":1.0512,"to":"USD"}, ...],"source":"Reference rates"}, ...]}
// with the tables oldest first and "base" empty for single pairs. Other
// members are ignored, so that a later version may add some.
class RateStore
{
public:
    // More sources of rates than the program asks; past it the oldest
    // table goes.
    static constexpr qsizetype kMaxRateTables = 20;
    // Every pair of twenty currencies both ways is 380; the reference rates
    // give one per currency. A larger table is not kept.
    static constexpr qsizetype kMaxRatePairs = 400;
    // The file's size when read, far over what full tables take; save()
    // leaves out the oldest tables that would take the file past it.
    static constexpr qint64 kMaxRateFileBytes = 1024 * 1024;

    // Replaces the contents with the file's. A file that cannot be used is
    // set aside as badPath() (replacing an earlier one) and leaves the
    // store empty; nothing here stops the program.
    RateFileLoad load(const QString &path);
    // Replaces the file atomically, creating its folder: on failure the
    // previous file stays as it was.
    KeptFileSave save(const QString &path) const;

    // Keeps `source`'s rates of `date` in place of its table of the same or
    // an earlier day. Pairs that are not two currency codes with a positive
    // rate are left out; nothing is kept without a source, a day the file
    // can hold, a base that is empty or a code, or a usable pair.
    void remember(const QString &source, const QDate &date, const QString &base,
                  const QHash<QString, double> &pairs);
    // Appends every kept table to `rates`, marked kept, the newest first
    // (among those of a day, by source): after today's tables, a kept rate
    // is found only where no source gave one today.
    void addKeptTo(ExchangeRates &rates) const;
    // Empties the store; saving it then empties the file.
    void forget() { m_tables.clear(); }

    qsizetype size() const { return m_tables.size(); }
    // Oldest first; among tables of a day, by source.
    QList<KeptRateTable> tables() const;

private:
    QHash<QString, KeptRateTable> m_tables; // by source
};

// rates.json beside the prices file at `pricesPath`, in the user's data
// folder by default.
QString rateStorePath(const QString &pricesPath = priceStorePath());
