#include "pricenote.h"

#include <QCoreApplication>
#include <QLocale>

#include <array>
#include <charconv>

namespace {

// A rate is shown to six significant digits, a converted price to cents.
constexpr int kRateDigits = 6;
constexpr int kConvertedDecimals = 2;

QString tr(const char *text)
{
    return QCoreApplication::translate("PriceNote", text);
}

// The shortest fixed-point text that reads back as `price`, padded to two
// decimals. Fixed notation of the largest double takes 309 digits.
QString priceText(double price)
{
    std::array<char, 400> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), price, std::chars_format::fixed);
    if (error != std::errc())
        return QString::number(price);
    QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return text + QStringLiteral(".00");
    return text.leftJustified(point + 3, u'0');
}

// The price as the source gave it: "123.45 USD", or "123.45" when the
// currency is not known.
QString amountText(const QuoteResult &result)
{
    const QString price = priceText(result.conversion ? result.conversion->givenPrice : result.price);
    return result.currency.isEmpty() ? price : price + u' ' + result.currency;
}

// How the price reached the report currency:
// " × 0.9223 EUR per USD (Reference rates, 7 Dec 2026) = 175.09 EUR", with
// "; today's rates could not be fetched" inside the brackets for a kept
// rate; for a price without a currency, " (no currency given: taken as
// EUR)". Empty when the price was not converted.
QString conversionText(const QuoteResult &result)
{
    if (!result.conversion) {
        return result.currency.isEmpty() && !result.reportCurrency.isEmpty()
            ? tr(" (no currency given: taken as %1)").arg(result.reportCurrency)
            : QString();
    }
    const ExchangeRate &rate = result.conversion->rate;
    QString origin = rate.source;
    if (rate.date.isValid())
        origin += (origin.isEmpty() ? QString() : QStringLiteral(", ")) + QLocale::c().toString(rate.date, QStringLiteral("d MMM yyyy"));
    if (rate.kept)
        origin += tr("; today's rates could not be fetched");
    return tr(" \u00d7 %1 %2 per %3 (%4) = %5 %2")
        .arg(QString::number(result.conversion->multiplier, 'g', kRateDigits), result.reportCurrency,
             result.currency, origin, QString::number(result.price, 'f', kConvertedDecimals));
}

QString fromText(const QuoteResult &result)
{
    return result.source.isEmpty() ? QString() : tr(" from %1").arg(result.source);
}

QString dateTimeText(const QDateTime &local)
{
    return QLocale::c().toString(local, QStringLiteral("d MMM yyyy HH:mm"));
}

QString pricedNote(const QuoteResult &result, const QDateTime &now)
{
    const QString converted = result.conversion ? conversionText(result) + tr(" a share") : conversionText(result);
    QString note = tr("%1 a share%2%3").arg(amountText(result), converted, fromText(result));
    if (!result.fetched.isValid())
        return note;
    const QDateTime fetched = result.fetched.toLocalTime();
    const QString when = fetched.date() == now.toLocalTime().date()
        ? QLocale::c().toString(fetched.time(), QStringLiteral("HH:mm"))
        : dateTimeText(fetched);
    return note + tr(" at %1").arg(when);
}

// ", 7 Dec 2026 14:02", with how old the price is when it is old.
QString lastKnownWhen(const QDateTime &fetched, const QDateTime &now)
{
    if (!fetched.isValid())
        return {};
    QString when = tr(", %1").arg(dateTimeText(fetched.toLocalTime()));
    const std::chrono::seconds age{fetched.secsTo(now)};
    if (age > kOldPriceAge) {
        const auto days = std::chrono::floor<std::chrono::days>(age).count();
        when += tr(" (%1 days old)").arg(days);
    }
    return when;
}

QString lastKnownNote(const QuoteResult &result, const QDateTime &now)
{
    return tr("Last known price %1%2%3%4; today's lookup failed: %5")
        .arg(amountText(result), conversionText(result), fromText(result), lastKnownWhen(result.fetched, now),
             result.reason());
}

} // namespace

QString priceNote(const QuoteResult &result, const QDateTime &now)
{
    if (result.priced())
        return pricedNote(result, now);
    if (result.lastKnown)
        return lastKnownNote(result, now);
    return {};
}
