#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <array>

class QSettings;

// The one ISO 4217 currency every value the program shows is given in: the
// user's saved choice, else the currency of the system's locale.

// A currency as the chooser lists it. The name is English, and empty for a
// code whose English name Qt's locale data lacks.
struct CurrencyName {
    QString code;
    QString name;

    friend bool operator==(const CurrencyName &, const CurrencyName &) = default;
};

namespace ReportCurrency {

inline constexpr char kSettingsKey[] = "Prices/ReportCurrency";
// For a locale without a currency of its own, such as the C locale.
inline constexpr char16_t kFallbackCode[] = u"USD";
// Offered first, in this order, ahead of every other code; their names are
// kept here because Qt's locale data has English names for few of them.
struct CommonCurrency {
    const char16_t *code;
    const char16_t *name;
};
inline constexpr std::array<CommonCurrency, 22> kCommonCurrencies{{
    {u"USD", u"US Dollar"},          {u"EUR", u"Euro"},
    {u"GBP", u"British Pound"},      {u"JPY", u"Japanese Yen"},
    {u"CHF", u"Swiss Franc"},        {u"CAD", u"Canadian Dollar"},
    {u"AUD", u"Australian Dollar"},  {u"NZD", u"New Zealand Dollar"},
    {u"SEK", u"Swedish Krona"},      {u"NOK", u"Norwegian Krone"},
    {u"DKK", u"Danish Krone"},       {u"ZAR", u"South African Rand"},
    {u"ILS", u"Israeli New Shekel"}, {u"HKD", u"Hong Kong Dollar"},
    {u"SGD", u"Singapore Dollar"},   {u"CNY", u"Chinese Yuan"},
    {u"INR", u"Indian Rupee"},       {u"BRL", u"Brazilian Real"},
    {u"MXN", u"Mexican Peso"},       {u"PLN", u"Polish Zloty"},
    {u"CZK", u"Czech Koruna"},       {u"KRW", u"South Korean Won"},
}};

// The currency of `locale`, or kFallbackCode when it names none.
QString defaultCode(const QLocale &locale);

// The saved choice when it is a currency code, else defaultCode(locale):
// the file is outside data, and anything else in it is ignored.
QString savedCode(const QSettings &settings, const QLocale &locale);

// Saves `code`, which must be a currency code; what to tell the user when
// it could not be saved, else empty.
QString save(QSettings &settings, const QString &code);

// The common codes, then every other code Qt's locales use, by code;
// `current` first when it is a code among neither.
QList<CurrencyName> offered(const QString &current);

// Those of `currencies` whose code or name holds `typed`, ignoring case and
// the spaces around it, in their order; all of them for nothing typed.
QList<CurrencyName> matching(const QList<CurrencyName> &currencies, const QString &typed);

} // namespace ReportCurrency
