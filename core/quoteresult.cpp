#include "quoteresult.h"

#include "currency.h"

#include <QLocale>
#include <QStringList>

QString quoteFailureText(QuoteFailure failure, qint64 limit)
{
    constexpr qint64 bytesPerMiB = 1024 * 1024;
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
    case QuoteFailure::KeyMissingNoKeyring:
        return QStringLiteral("API key missing");
    case QuoteFailure::SourcesRefused:
        return QStringLiteral("quote sources file not usable");
    case QuoteFailure::NoPriceOnPage:
        return QStringLiteral("no price on page");
    case QuoteFailure::NotInAnswer:
        return QStringLiteral("not in the answer");
    case QuoteFailure::NoPriceInAnswer:
        return QStringLiteral("no price in the answer");
    case QuoteFailure::NoQuotePage:
        return QStringLiteral("no quote page for this symbol");
    case QuoteFailure::AddressNotFound:
        return QStringLiteral("the source's address was not found");
    case QuoteFailure::NotAuthorised:
        return QStringLiteral("not authorised");
    case QuoteFailure::SourceFailed:
        return QStringLiteral("the source failed");
    case QuoteFailure::AnswerTooDeep:
        return QStringLiteral("the answer is nested deeper than %1 levels").arg(limit);
    case QuoteFailure::AnswerTooManyRows: {
        QLocale grouped(QLocale::C);
        grouped.setNumberOptions({});
        return QStringLiteral("the answer has more than %1 rows").arg(grouped.toString(limit));
    }
    case QuoteFailure::AnswerLineTooLong:
        return QStringLiteral("a line of the answer is longer than %1 MiB").arg(limit / bytesPerMiB);
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

// Where a missing key was looked for, in the order it is looked for.
QString keyMissingReason(QuoteFailure failure, const QString &source)
{
    const QString missing = quoteFailureText(failure);
    if (source.isEmpty())
        return missing;
    if (failure == QuoteFailure::KeyMissingNoKeyring)
        return QStringLiteral("%1: not in the environment (%2), the desktop keyring cannot be reached here, "
                              "none in the key file")
            .arg(missing, apiKeyVariable(source));
    return QStringLiteral("%1: not in the environment (%2), the desktop keyring or the key file")
        .arg(missing, apiKeyVariable(source));
}

QString failureReason(QuoteFailure failure, int httpStatus, qint64 limit, const QString &source)
{
    if (failure == QuoteFailure::KeyMissing || failure == QuoteFailure::KeyMissingNoKeyring)
        return keyMissingReason(failure, source);
    // A source that answered none of that many requests in a row.
    if (isNoAnswer(failure) && limit > 0)
        return QStringLiteral("%1: the source did not answer %2 requests").arg(quoteFailureText(failure, 0)).arg(limit);
    const QString text = quoteFailureText(failure, limit);
    if (httpStatus == 0 || failure == QuoteFailure::None)
        return text;
    const QString withStatus = QStringLiteral("%1 (HTTP %2)").arg(text).arg(httpStatus);
    // The usual cause, and the one thing the user can mend.
    if (failure == QuoteFailure::NotAuthorised)
        return withStatus + QStringLiteral(": check the API key");
    return withStatus;
}

} // namespace

QString apiKeyVariable(const QString &source)
{
    QString name = QStringLiteral("FUNDTALLY_KEY_");
    for (const QChar c : source) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        name += letter ? c.toUpper() : QChar(u'_');
    }
    return name;
}

bool isNoAnswer(QuoteFailure failure)
{
    return failure == QuoteFailure::TimedOut || failure == QuoteFailure::ConnectionRefused
        || failure == QuoteFailure::HostNotFound || failure == QuoteFailure::SecureConnectionFailed;
}

QString QuoteResult::reason() const
{
    if (failure == QuoteFailure::NoExchangeRate) {
        const std::optional<CurrencyUnit> unit = currencyUnit(currency);
        return QStringLiteral("no exchange rate from %1 to %2").arg(unit ? unit->code : currency, reportCurrency);
    }
    if (failure == QuoteFailure::None || attempts.size() < 2)
        return failureReason(failure, httpStatus, limit, source);
    QStringList reasons;
    for (const QuoteAttempt &attempt : attempts)
        reasons << attempt.source + QStringLiteral(": ") + failureReason(attempt.failure, attempt.httpStatus, attempt.limit, attempt.source);
    return reasons.join(QStringLiteral("; "));
}
