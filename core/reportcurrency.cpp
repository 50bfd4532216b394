#include "reportcurrency.h"

#include "currency.h"
#include "quotedtext.h"
#include "settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QMap>
#include <QSettings>

#include <algorithm>

namespace ReportCurrency {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ReportCurrency", text);
}

// Every code a locale uses, with its English name where Qt has one: each
// locale names its currency in its own language, so only a territory with
// an English locale gives an English name.
QMap<QString, QString> localeCurrencies()
{
    QMap<QString, QString> names;
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale &locale : locales) {
        const QString code = locale.currencySymbol(QLocale::CurrencyIsoCode);
        if (!isCurrencyCode(code))
            continue;
        QString &name = names[code];
        const QLocale english(QLocale::English, locale.territory());
        if (name.isEmpty() && english.language() == QLocale::English
            && english.currencySymbol(QLocale::CurrencyIsoCode) == code)
            name = english.currencySymbol(QLocale::CurrencyDisplayName);
    }
    return names;
}

QList<CurrencyName> allCurrencies()
{
    QList<CurrencyName> all;
    QMap<QString, QString> others = localeCurrencies();
    for (const CommonCurrency &common : kCommonCurrencies) {
        const QString code = QString::fromUtf16(common.code);
        all.append({code, QString::fromUtf16(common.name)});
        others.remove(code);
    }
    for (auto it = others.cbegin(); it != others.cend(); ++it)
        all.append({it.key(), it.value()});
    return all;
}

} // namespace

QString defaultCode(const QLocale &locale)
{
    const QString code = locale.currencySymbol(QLocale::CurrencyIsoCode);
    return isCurrencyCode(code) ? code : QString::fromUtf16(kFallbackCode);
}

QString savedCode(const QSettings &settings, const QLocale &locale)
{
    const QString saved = settings.value(QLatin1String(kSettingsKey)).toString();
    return isCurrencyCode(saved) ? saved : defaultCode(locale);
}

QString save(QSettings &settings, const QString &code)
{
    Q_ASSERT(isCurrencyCode(code));
    if (settings.format() == SettingsFile::unreadFormat())
        return tr("%1 and the report currency cannot be saved in it; remove the file to save it.")
            .arg(SettingsFile::problem(settings));
    settings.setValue(QLatin1String(kSettingsKey), code);
    settings.sync();
    // The file itself tells whether the choice is in it, read as the next start reads it.
    if (settings.status() == QSettings::AccessError
        || SettingsFile::open(settings.fileName())->value(QLatin1String(kSettingsKey)).toString() != code)
        return tr("The report currency could not be saved in %1.")
            .arg(quotedText(QDir::toNativeSeparators(settings.fileName())));
    return {};
}

QList<CurrencyName> offered(const QString &current)
{
    // Qt's locale data does not change while the program runs.
    static const QList<CurrencyName> all = allCurrencies();
    const bool listed = std::any_of(all.cbegin(), all.cend(),
                                    [&current](const CurrencyName &currency) { return currency.code == current; });
    if (listed || !isCurrencyCode(current))
        return all;
    return QList<CurrencyName>{{current, QString()}} + all;
}

QList<CurrencyName> matching(const QList<CurrencyName> &currencies, const QString &typed)
{
    const QString wanted = typed.trimmed();
    QList<CurrencyName> found;
    std::copy_if(currencies.cbegin(), currencies.cend(), std::back_inserter(found),
                 [&wanted](const CurrencyName &currency) {
                     return currency.code.contains(wanted, Qt::CaseInsensitive)
                         || currency.name.contains(wanted, Qt::CaseInsensitive);
                 });
    return found;
}

} // namespace ReportCurrency
