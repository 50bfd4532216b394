#pragma once

#include "exchangerates.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Why a symbol has no price. Each has one text for the user; code compares
// the values, never the texts.
enum class QuoteFailure {
    None,
    Stopped,                // the lookup was ended before it had a price
    NoQuoteSource,            // no site is set up to ask
    AddressNotValid,        // the symbol cannot form a page address
    NetworkModuleMissing,   // the program's network code cannot be loaded
    KeyMissing,             // the source needs an API key: none in the environment, keyring or key file
    KeyMissingNoKeyring,    //   likewise, but the desktop keyring could not be asked
    SourcesRefused,         // the quote sources named for this run cannot be used
    NoPriceOnPage,          // a quote page without its price line
    NoPriceInAnswer,        // a json, csv or text answer without the price
    NotInAnswer,            // an answer for several symbols holds none for this one
    NoQuotePage,            // the site has no page for the symbol (HTTP 404)
    AddressNotFound,        // HTTP 404 for an address that does not name the symbol
    NotAuthorised,          // HTTP 401 or 403: the API key is missing, wrong or not allowed
    SourceFailed,           // a 5xx answer without a price
    AnswerTooDeep,          // the answer passed a limit, the one in QuoteResult::limit:
    AnswerTooManyRows,      //   nesting levels, rows,
    AnswerLineTooLong,      //   or bytes in a line
    RateLimited,            // the site asked to be asked later (HTTP 429, 503)
    HostNotFound,
    ProxyFailed,
    NetworkUnavailable,
    ConnectionRefused,
    TimedOut,
    CertificateNotTrusted,
    SecureConnectionFailed,
    RedirectRefused,
    ConnectionClosed,
    PageTooLarge,
    PageNotUnpacked,
    DownloadFailed,
    NoExchangeRate,         // the price's currency has no rate to the report currency
};

// No HTTP answer came at all: timed out, refused, host unknown, or no
// secure connection.
bool isNoAnswer(QuoteFailure failure);

// The short text the window shows for `failure`; empty for None. The
// limit failures say which limit, `limit` being its value.
QString quoteFailureText(QuoteFailure failure, qint64 limit = 0);

// The environment variable a source's API key may be given in: FUNDTALLY_KEY_
// and the source's name, its letters in upper case and every other
// character '_' ("Prices A" is FUNDTALLY_KEY_PRICES_A).
QString apiKeyVariable(const QString &source);

// One source's failure to price a symbol, for a row that several sources
// were asked about.
struct QuoteAttempt {
    QString source;
    QuoteFailure failure = QuoteFailure::None;
    int httpStatus = 0;
    qint64 limit = 0;

    friend bool operator==(const QuoteAttempt &, const QuoteAttempt &) = default;
};

// How a price reached the report currency.
struct PriceConversion {
    double givenPrice = 0.0;  // as the source gave it, in the result's currency
    double multiplier = 1.0;  // minor unit and rate together
    ExchangeRate rate;        // from the currency's ISO code to the report currency

    friend bool operator==(const PriceConversion &, const PriceConversion &) = default;
};

// The outcome of pricing one symbol. A lookup never fails with an exception:
// every failure is an unpriced result with its reason.
struct QuoteResult {
    double price = 0.0;                     // 0.0 whenever not valued
    QuoteFailure failure = QuoteFailure::None;
    int httpStatus = 0;                     // the site's answer, where it explains the failure
    qint64 limit = 0;                       // the limit an answer passed (AnswerTooDeep ...)
    // Where the price came from, when known: the currency code the source
    // gave, the source's name and when the price was fetched (UTC). A
    // missing key names its source too, to say where the key was looked for.
    QString currency;
    QString source;
    QDateTime fetched;
    // Today's lookup failed and the price is the last one found for the
    // symbol: price, currency, source and fetched are that stored price's,
    // failure and httpStatus say why today's lookup failed.
    bool lastKnown = false;
    // Every source asked, in order, when more than one was and none priced
    // the symbol; failure and httpStatus are then the last one's.
    QList<QuoteAttempt> attempts;
    // Once the price is in the report currency (or could not be): which, and
    // for a price given in another currency, how it was converted.
    QString reportCurrency;
    std::optional<PriceConversion> conversion;

    bool priced() const { return failure == QuoteFailure::None; }
    // The row has a price to value it at: today's or the last known one.
    bool valued() const { return priced() || lastKnown; }
    // The reason for the user, with the site's status where it tells more:
    // "no price on page (HTTP 500)"; with several sources asked, each one's:
    // "Prices A: no price on page; Prices B: timed out". Empty when priced.
    QString reason() const;

    static QuoteResult withPrice(double price)
    {
        QuoteResult result;
        result.price = price;
        return result;
    }
    static QuoteResult failed(QuoteFailure failure, int httpStatus = 0)
    {
        QuoteResult result;
        result.failure = failure;
        result.httpStatus = httpStatus;
        return result;
    }
    static QuoteResult stopped() { return failed(QuoteFailure::Stopped); }
    static QuoteResult overLimit(QuoteFailure failure, qint64 limit)
    {
        QuoteResult result = failed(failure);
        result.limit = limit;
        return result;
    }

    friend bool operator==(const QuoteResult &, const QuoteResult &) = default;
};
