#include "quoteresult.h"

#include "currency.h"

#include <QStringList>

QString quoteFailureText(QuoteFailure failure)
{
    switch (failure) {
    case QuoteFailure::None:
        return {};
    case QuoteFailure::Stopped:
        return QStringLiteral("stopped");
    case QuoteFailure::NoQuoteSource:
        return QStringLiteral("no quote source configured");
    case QuoteFailure::AddressNotValid:
        return QStringLiteral("page address not valid");
    case QuoteFailure::NetworkModuleMissing:
        return QStringLiteral("network module missing");
    case QuoteFailure::KeyMissing:
        return QStringLiteral("API key missing");
    case QuoteFailure::SourcesRefused:
        return QStringLiteral("quote sources file not usable");
    case QuoteFailure::NoPriceOnPage:
        return QStringLiteral("no price on page");
    case QuoteFailure::NotInAnswer:
        return QStringLiteral("not in the answer");
    case QuoteFailure::NoQuotePage:
        return QStringLiteral("no quote page for this symbol");
    case QuoteFailure::RateLimited:
        return QStringLiteral("rate limited");
    case QuoteFailure::HostNotFound:
        return QStringLiteral("host not found");
    case QuoteFailure::ProxyFailed:
        return QStringLiteral("proxy failed");
    case QuoteFailure::NetworkUnavailable:
        return QStringLiteral("network unavailable");
    case QuoteFailure::ConnectionRefused:
        return QStringLiteral("connection refused");
    case QuoteFailure::TimedOut:
        return QStringLiteral("timed out");
    case QuoteFailure::CertificateNotTrusted:
        return QStringLiteral("certificate not trusted");
    case QuoteFailure::SecureConnectionFailed:
        return QStringLiteral("secure connection failed");
    case QuoteFailure::RedirectRefused:
        return QStringLiteral("redirect refused");
    case QuoteFailure::ConnectionClosed:
        return QStringLiteral("connection closed");
    case QuoteFailure::PageTooLarge:
        return QStringLiteral("page too large");
    case QuoteFailure::PageNotUnpacked:
        return QStringLiteral("page could not be unpacked");
    case QuoteFailure::DownloadFailed:
        return QStringLiteral("download failed");
    case QuoteFailure::NoExchangeRate:
        return QStringLiteral("no exchange rate");
    }
    Q_UNREACHABLE();
}

namespace {

QString failureReason(QuoteFailure failure, int httpStatus)
{
    const QString text = quoteFailureText(failure);
    if (httpStatus == 0 || failure == QuoteFailure::None)
        return text;
    return QStringLiteral("%1 (HTTP %2)").arg(text).arg(httpStatus);
}

} // namespace

QString QuoteResult::reason() const
{
    if (failure == QuoteFailure::NoExchangeRate) {
        const std::optional<CurrencyUnit> unit = currencyUnit(currency);
        return QStringLiteral("no exchange rate from %1 to %2").arg(unit ? unit->code : currency, reportCurrency);
    }
    if (failure == QuoteFailure::None || attempts.size() < 2)
        return failureReason(failure, httpStatus);
    QStringList reasons;
    for (const QuoteAttempt &attempt : attempts)
        reasons << attempt.source + QStringLiteral(": ") + failureReason(attempt.failure, attempt.httpStatus);
    return reasons.join(QStringLiteral("; "));
}
