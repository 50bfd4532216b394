#include "sourceanswer.h"
#include "answerlimits.h"

#include "csvtable.h"
#include "jsonanswer.h"
#include "jsonplace.h"
#include "numbertext.h"
#include "referencerates.h"
#include "textpattern.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <cmath>

namespace {

constexpr qsizetype kCurrencyCodeChars = 3;

// The first `bytes` of UTF-8 text, without a character cut at the end.
QString utf8Prefix(QByteArrayView text, qsizetype bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder(text.first(std::min(bytes, text.size())));
}

} // namespace

// Line feeds are kept so that the answer reads as sent.
QString answerStartText(QByteArrayView body)
{
    QString shown;
    for (const QChar c : utf8Prefix(body, AnswerLimits::kEvidenceAnswerBytes)) {
        constexpr char16_t kDelete = 0x7f;
        if (c == u'\n' || (c.unicode() >= u' ' && c.unicode() != kDelete))
            shown += c;
        else if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c == u'\t')
            shown += QStringLiteral("\\t");
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    }
    return shown;
}

namespace {

// A currency found in an answer counts when it is a three-letter code.
QString currencyCode(const QString &text)
{
    const QString code = text.trimmed();
    const bool letters = std::all_of(code.begin(), code.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    });
    return code.size() == kCurrencyCodeChars && letters ? code : QString();
}

// The price from the text or number found, the factor applied.
SourceMiss price(SourceAnswer &answer, const std::optional<double> &value, double factor)
{
    if (!value)
        return SourceMiss::NotANumber;
    const double priced = *value * factor;
    if (!(*value > 0.0) || !std::isfinite(priced) || !(priced > 0.0))
        return SourceMiss::NotPositive;
    answer.price = priced;
    return SourceMiss::None;
}

QString jsonText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(wrapped.mid(1, wrapped.size() - 2));
}

QString neighbourhood(const JsonFound &found)
{
    const QJsonValue shown = found.parent.isUndefined() ? found.value : found.parent;
    QByteArray text;
    if (shown.isObject())
        text = QJsonDocument(shown.toObject()).toJson(QJsonDocument::Indented);
    else if (shown.isArray())
        text = QJsonDocument(shown.toArray()).toJson(QJsonDocument::Indented);
    else
        text = jsonText(shown).toUtf8();
    return utf8Prefix(text, AnswerLimits::kEvidenceNeighbourhoodBytes);
}

SourceMiss readJson(const QuoteSource &source, const QString &symbol, QByteArrayView body, AnswerDetail detail,
                    SourceAnswer &answer)
{
    const JsonPlace place = JsonPlace::parse(source.price);
    if (!place.isValid())
        return SourceMiss::PlaceNotValid;
    const JsonAnswer json = readJsonAnswer(body);
    if (json.failure != JsonAnswerFailure::None)
        return json.failure == JsonAnswerFailure::TooDeep ? SourceMiss::TooDeep : SourceMiss::NotJson;
    const auto found = place.find(json.root, symbol);
    if (!found)
        return SourceMiss::NothingAtPlace;
    answer.found = jsonText(found->value);
    if (detail == AnswerDetail::Evidence) {
        answer.path = found->path;
        answer.neighbourhood = neighbourhood(*found);
    }
    if (!source.currency.startsWith(u'=')) {
        if (const auto currency = JsonPlace::parse(source.currency).find(json.root, symbol); currency && currency->value.isString())
            answer.currency = currencyCode(currency->value.toString());
    }
    if (found->value.isDouble())
        return price(answer, found->value.toDouble(), source.factor);
    if (!found->value.isString())
        return SourceMiss::NotANumber;
    return price(answer, numberFromText(found->value.toString(), source.decimal), source.factor);
}

SourceMiss csvMiss(CsvFailure failure)
{
    switch (failure) {
    case CsvFailure::None: return SourceMiss::None;
    case CsvFailure::Malformed: return SourceMiss::CsvMalformed;
    case CsvFailure::LineTooLong: return SourceMiss::CsvLineTooLong;
    case CsvFailure::TooManyRows: return SourceMiss::CsvTooManyRows;
    case CsvFailure::NoHeader: return SourceMiss::CsvNoHeader;
    case CsvFailure::NoColumn: return SourceMiss::CsvNoMatchColumn;
    case CsvFailure::NoRow: return SourceMiss::CsvNoRow;
    }
    Q_UNREACHABLE();
}

SourceMiss readCsv(const QuoteSource &source, const QString &symbol, QByteArrayView body, SourceAnswer &answer)
{
    CsvRow row = findCsvRow(body, {source.delimiter, source.match, symbol});
    answer.header = std::move(row.header);
    answer.row = std::move(row.cells);
    if (row.failure != CsvFailure::None)
        return csvMiss(row.failure);
    const qsizetype column = csvColumnIndex(answer.header, source.price);
    if (column < 0)
        return SourceMiss::CsvNoPriceColumn;
    if (column >= answer.row.size())
        return SourceMiss::NothingAtPlace;
    if (!source.currency.isEmpty() && !source.currency.startsWith(u'=')) {
        const qsizetype currency = csvColumnIndex(answer.header, source.currency);
        if (currency >= 0 && currency < answer.row.size())
            answer.currency = currencyCode(answer.row[currency]);
    }
    answer.found = answer.row[column];
    return price(answer, numberFromText(answer.found, source.decimal), source.factor);
}

SourceMiss readText(const QuoteSource &source, const QString &symbol, QByteArrayView body, SourceAnswer &answer)
{
    // In an answer for several symbols, {SYMBOL} in the pattern finds this one.
    const TextPattern pattern(QString(source.price).replace(QLatin1String("{SYMBOL}"), TextPattern::literal(symbol)));
    if (!pattern.isValid())
        return SourceMiss::PlaceNotValid;
    const auto match = pattern.firstMatch(body);
    if (!match)
        return SourceMiss::NoMatch;
    answer.found = match->captured;
    answer.matched = match->matched;
    answer.before = match->before;
    answer.after = match->after;
    if (!source.currency.isEmpty() && !source.currency.startsWith(u'=')) {
        if (const auto currency = TextPattern(source.currency).firstMatch(body))
            answer.currency = currencyCode(currency->captured);
    }
    return price(answer, numberFromText(match->captured, source.decimal), source.factor);
}

// The rate of a pair ("EURUSD") crossed from the reference rates, which
// quote every currency against the euro.
SourceMiss readReference(const QString &pair, QByteArrayView body, SourceAnswer &answer)
{
    const ReferenceRates rates = readReferenceRates(body);
    if (rates.problem != ReferenceRatesProblem::None)
        return SourceMiss::NotRatesDocument;
    const auto perEuro = [&rates](QStringView code) -> std::optional<double> {
        if (code == u"EUR")
            return 1.0;
        const auto found = rates.perEuro.constFind(code.toString());
        return found == rates.perEuro.constEnd() ? std::nullopt : std::optional<double>(*found);
    };
    const std::optional<double> from = perEuro(QStringView(pair).left(kCurrencyCodeChars));
    const std::optional<double> to = perEuro(QStringView(pair).mid(kCurrencyCodeChars));
    if (!from || !to)
        return SourceMiss::NoPairRate;
    answer.found = QStringLiteral("%1 on %2").arg(*to / *from).arg(rates.day.toString(Qt::ISODate));
    answer.price = *to / *from;
    return SourceMiss::None;
}

} // namespace

SourceAnswer readSourceAnswer(const QuoteSource &source, const QString &symbol, QByteArrayView body,
                              AnswerDetail detail)
{
    SourceAnswer answer;
    if (source.currency.startsWith(u'='))
        answer.currency = currencyCode(source.currency.mid(1));
    switch (source.format) {
    case SourceFormat::Json: answer.miss = readJson(source, symbol, body, detail, answer); break;
    case SourceFormat::Csv: answer.miss = readCsv(source, symbol, body, answer); break;
    case SourceFormat::Text: answer.miss = readText(source, symbol, body, answer); break;
    case SourceFormat::Reference: answer.miss = readReference(symbol, body, answer); break;
    case SourceFormat::Page: answer.miss = SourceMiss::PlaceNotValid; break;
    }
    if (answer.miss != SourceMiss::None) {
        answer.price = 0.0;
        if (detail == AnswerDetail::Evidence)
            answer.answerStart = answerStartText(body);
    }
    return answer;
}

QString sourceMissText(SourceMiss miss)
{
    switch (miss) {
    case SourceMiss::None: return {};
    case SourceMiss::PlaceNotValid: return QStringLiteral("the price's place is not valid for this format");
    case SourceMiss::NotJson: return QStringLiteral("the answer is not JSON");
    case SourceMiss::TooDeep:
        return QStringLiteral("the answer nests deeper than %1 levels").arg(AnswerLimits::kMaxJsonDepth);
    case SourceMiss::NothingAtPlace: return QStringLiteral("nothing at the price's place");
    case SourceMiss::CsvMalformed: return QStringLiteral("the answer is not valid CSV");
    case SourceMiss::CsvLineTooLong:
        return QStringLiteral("a line is longer than %1 MiB").arg(AnswerLimits::kMaxCsvLineBytes / (1024 * 1024));
    case SourceMiss::CsvTooManyRows:
        return QStringLiteral("no row for the symbol in the first %1 rows").arg(AnswerLimits::kMaxCsvRows);
    case SourceMiss::CsvNoHeader: return QStringLiteral("the answer is empty");
    case SourceMiss::CsvNoMatchColumn: return QStringLiteral("the header has no such match column");
    case SourceMiss::CsvNoPriceColumn: return QStringLiteral("the header has no such price column");
    case SourceMiss::CsvNoRow: return QStringLiteral("no row for the symbol");
    case SourceMiss::NoMatch: return QStringLiteral("the pattern matches nowhere in the answer");
    case SourceMiss::NotANumber: return QStringLiteral("the value found is not a number");
    case SourceMiss::NotPositive: return QStringLiteral("the value found is not a price greater than 0");
    case SourceMiss::NotRatesDocument: return QStringLiteral("the answer is not a reference rates document");
    case SourceMiss::NoPairRate: return QStringLiteral("the document quotes no rate for one of the pair");
    }
    Q_UNREACHABLE();
}
