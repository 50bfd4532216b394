#pragma once

#include "quotesitestore.h"
#include "quotesource.h"
#include "ratesource.h"

#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>

// What was found of the saved quote sources.
struct StoredQuoteSourcesRead {
    QList<QuoteSource> sources; // the ones fit for use, in the order saved
    QList<RateSource> rates;    // likewise, the exchange rate sources
    QStringList problems;       // one message for each source or value ignored
};

// Reads and writes the user's quote sources in the user's settings: one
// group per source, numbered in order from 1 ("QuoteSources/1/url"), the
// headers numbered within it ("QuoteSources/1/headers/1/name"); the rate
// sources likewise under "RateSources". The members are named as in a
// sources file. API keys are never kept here.
namespace QuoteSourceStore {

inline constexpr char kGroup[] = "QuoteSources";
inline constexpr char kRatesGroup[] = "RateSources";
inline constexpr char kHeadersGroup[] = "headers";
inline constexpr char kHeaderName[] = "name";
inline constexpr char kHeaderValue[] = "value";

// The settings are outside data: each source is read from text values,
// checked as a sources file's are (the certificate file too, which may have
// gone since), and ignored with a problem when it does
// not pass, as is a name used before or a source past
// SourceLimits::kMaxSources. Nothing is read from settings that cannot be.
StoredQuoteSourcesRead read(QSettings &settings);

// Replaces the saved lists with `sources` and `rates`, checked ones, and
// writes the settings out; an empty list removes it. Returns why they could
// not be written; empty on success. Lists with which the file would pass
// SettingsFile::kMaxBytes are refused, and nothing is written.
QString write(QSettings &settings, const QList<QuoteSource> &sources, const QList<RateSource> &rates = {});

// The quote site saved before there were sources, as the page source it
// is: "Quote site" at https://HOST/quote/{SYMBOL}/?p={SYMBOL}, with its
// certificate. None without a host.
inline constexpr char kCarriedOverName[] = "Quote site";
QList<QuoteSource> carriedOver(const StoredQuoteSite &site);

} // namespace QuoteSourceStore
