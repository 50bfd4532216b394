#include "sourcetestreport.h"

#include "ratesource.h"
#include "sourceaddress.h"
#include "sourceanswer.h"

#include <QLocale>

namespace {

constexpr QLatin1StringView kKeyShown("{KEY}");
constexpr QStringView kSecondSampleSymbol = u"BND";

// A stand-in for the key that percent-encoding leaves as it is and that
// nothing else in the request holds, so that each place the key lands can
// be shown as {KEY}.
QString keyMarker(const QuoteSource &source, const QString &symbol)
{
    QString marker = QStringLiteral("KEYMARK");
    const auto used = [&](const QString &candidate) {
        if (source.url.contains(candidate) || symbol.contains(candidate))
            return true;
        return std::any_of(source.headers.begin(), source.headers.end(), [&](const SourceHeader &header) {
            return header.name.contains(candidate) || header.value.contains(candidate);
        });
    };
    while (used(marker))
        marker += u'X';
    return marker;
}

QString priceText(double price)
{
    return QString::number(price, 'g', QLocale::FloatingPointShortest);
}

QString foundAtText(const QuoteSource &source, const SourceAnswer &answer)
{
    switch (source.format) {
    case SourceFormat::Json:
        return QStringLiteral("Found \"%1\" at %2, in:\n%3").arg(answer.found, answer.path, answer.neighbourhood);
    case SourceFormat::Csv:
        return QStringLiteral("Found \"%1\" in the row:\n%2\nunder the header:\n%3")
            .arg(answer.found, answer.row.join(QLatin1Char(source.delimiter)),
                 answer.header.join(QLatin1Char(source.delimiter)));
    case SourceFormat::Text:
        return QStringLiteral("Found \"%1\" in the match \"%2\", in:\n%3%2%4")
            .arg(answer.found, answer.matched, answer.before, answer.after);
    case SourceFormat::Reference:
        return QStringLiteral("Found %1 in the reference rates").arg(answer.found);
    case SourceFormat::Page:
        return {};
    }
    Q_UNREACHABLE();
}

QString pricedText(const QuoteResult &result)
{
    const QString currency = result.currency.isEmpty() ? QStringLiteral("no currency found") : result.currency;
    return QStringLiteral("Price: %1 (%2)").arg(priceText(result.price), currency);
}

QString missText(const QString &why, QByteArrayView body)
{
    QString text = QStringLiteral("No price: %1.").arg(why);
    if (!body.isEmpty())
        text += QStringLiteral("\nThe answer starts:\n") + answerStartText(body);
    return text;
}

} // namespace

SourceSample sourceSample(const QuoteSource &asked, const QString &symbol)
{
    const QuoteSource source = sourceAskedFor(asked, symbol);
    const QString marker = keyMarker(source, symbol);
    // A batch source's address is shown for two symbols, joined as it joins them.
    const SourceAddress address = urlTemplateUse(source.url).symbols
                                      ? batchAddress(source, {symbol, kSecondSampleSymbol.toString()}, marker)
                                      : sourceAddress(source, symbol, marker);
    SourceSample sample;
    sample.problem = address.problem;
    if (address.problem != SourceAddressProblem::None)
        return sample;
    sample.address = address.url.toString(QUrl::FullyEncoded).replace(marker, kKeyShown);
    for (const auto &[name, value] : address.headers)
        sample.headers << QString::fromUtf8(name + ": " + value).replace(marker, kKeyShown);
    return sample;
}

SourceTestReport sourceTestReport(const QuoteSource &asked, const QString &symbol, const QuoteResult &result,
                                  QByteArrayView body)
{
    const QuoteSource source = sourceAskedFor(asked, symbol);
    // Only a fetched answer can be read again for its evidence.
    const bool answered = result.priced() || result.failure == QuoteFailure::NoPriceOnPage
                          || result.failure == QuoteFailure::NoPriceInAnswer;
    if (!answered)
        return {false, missText(result.reason(), body)};
    if (source.format == SourceFormat::Page) {
        if (result.priced())
            return {true, pricedText(result)};
        return {false, missText(result.reason(), body)};
    }
    const SourceAnswer answer = readSourceAnswer(source, symbol, body, AnswerDetail::Evidence);
    if (answer.miss != SourceMiss::None) {
        QString why = sourceMissText(answer.miss);
        if (result.httpStatus != 0)
            why += QStringLiteral(" (HTTP %1)").arg(result.httpStatus);
        return {false, missText(why, body)};
    }
    if (source.format == SourceFormat::Reference || urlTemplateUse(asked.url).from) {
        // A rate source's number is units of the pair's second currency.
        constexpr qsizetype kCodeChars = 3;
        const QString rate = QStringLiteral("Rate: %1 %2 per %3")
                                 .arg(priceText(answer.price), symbol.mid(kCodeChars), symbol.left(kCodeChars));
        return {true, rate + u'\n' + foundAtText(source, answer)};
    }
    QuoteResult read = QuoteResult::withPrice(answer.price);
    read.currency = answer.currency;
    return {true, pricedText(read) + u'\n' + foundAtText(source, answer)};
}
