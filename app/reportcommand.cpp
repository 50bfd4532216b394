#include "reportcommand.h"

#include "amountformat.h"
#include "calculationrun.h"
#include "calculationstatus.h"
#include "pricecommand.h"
#include "programpricing.h"
#include "reportcurrency.h"
#include "profilefile.h"
#include "usersettings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// The saved "Use last known prices" choice; on until the user turns it off.

// Between the columns of the text tables.
const QString ColumnGap = QStringLiteral("  ");

QString tr(const char *text)
{
    return QCoreApplication::translate("ReportCommand", text);
}

enum class Alignment { Left, Right };

struct Column {
    QString title;
    Alignment alignment = Alignment::Left;
};

// Each column as wide as its widest cell; no line ends in spaces.
QString alignedTable(const QList<Column> &columns, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const Column &column : columns)
        widths.append(column.title.size());
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    QList<QStringList> lines{{}};
    for (const Column &column : columns)
        lines.front().append(column.title);
    lines.append(rows);
    QString table;
    for (const QStringList &line : std::as_const(lines)) {
        QStringList cells;
        for (qsizetype i = 0; i < line.size(); ++i) {
            cells.append(columns[i].alignment == Alignment::Left ? line[i].leftJustified(widths[i])
                                                                 : line[i].rightJustified(widths[i]));
        }
        QString text = cells.join(ColumnGap);
        while (text.endsWith(u' '))
            text.chop(1);
        table += text + u'\n';
    }
    return table;
}

QString localDateText(const QDateTime &time)
{
    return QLocale::c().toString(time.toLocalTime().date(), QStringLiteral("d MMM yyyy"));
}

std::optional<QString> className(int assetClass)
{
    if (!isAssetClass(assetClass))
        return std::nullopt;
    return QString::fromLatin1(AssetClassLabels[assetClass]);
}

// Where the row's price came from, or why it has none.
QString priceFrom(const CalculationResult &result, int row)
{
    switch (result.outcome[row]) {
    case RowOutcome::Priced:
        return tr("priced");
    case RowOutcome::LastKnown: {
        const QDateTime fetched = result.quotes[row]->fetched;
        return fetched.isValid() ? tr("last known %1").arg(localDateText(fetched)) : tr("last known");
    }
    case RowOutcome::Unpriced:
    case RowOutcome::NotLookedUp:
        return result.quotes[row]->reason();
    case RowOutcome::NotHeld:
        break;
    }
    return {};
}

// The price as the source gave it, and its currency as given.
double givenPrice(const QuoteResult &quote)
{
    return quote.conversion ? quote.conversion->givenPrice : quote.price;
}

QStringList priceCells(const CalculationResult &result, int row)
{
    const std::optional<QuoteResult> &quote = result.quotes[row];
    if (!quote || !quote->valued())
        return {QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")};
    return {shortestNumberText(givenPrice(*quote)), quote->currency.isEmpty() ? QStringLiteral("-") : quote->currency,
            quote->conversion ? shortestNumberText(quote->conversion->multiplier) : QStringLiteral("1")};
}

QString holdingsTable(const Holdings &holdings, const CalculationResult &result)
{
    const QList<Column> columns{{tr("Row"), Alignment::Right},     {tr("Name"), Alignment::Left},
                                {tr("Symbol"), Alignment::Left},   {tr("Shares"), Alignment::Right},
                                {tr("Class"), Alignment::Left},    {tr("Price"), Alignment::Right},
                                {tr("Currency"), Alignment::Left}, {tr("Rate"), Alignment::Right},
                                {tr("Value"), Alignment::Right},   {tr("Percent"), Alignment::Right},
                                {tr("Price from"), Alignment::Left}};
    QList<QStringList> rows;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const Holding &holding = holdings[row];
        if (!isHeld(holding))
            continue;
        rows.append(QStringList{QString::number(row + 1), holding.name, holding.symbol,
                                shortestNumberText(holding.shares),
                                className(holding.assetClass).value_or(QStringLiteral("-"))}
                    + priceCells(result, row)
                    + QStringList{FormatGroupedAmount(result.value[row]),
                                  QStringLiteral("%1%").arg(result.percent[row]), priceFrom(result, row)});
    }
    return alignedTable(columns, rows);
}

QString classTable(const CalculationResult &result)
{
    const QList<Column> columns{
        {tr("Class"), Alignment::Left}, {tr("Amount"), Alignment::Right}, {tr("Percent"), Alignment::Right}};
    QList<QStringList> rows;
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        rows.append({*className(assetClass), result.classAmountText[assetClass],
                     QStringLiteral("%1%").arg(result.classPercent[assetClass])});
    }
    return alignedTable(columns, rows);
}

QStringList notes(const Holdings &holdings, const CalculationResult &result)
{
    QStringList found;
    for (const QString &note : {currencyNote(result), leftOutNote(holdings, result), lastKnownNote(result),
                                noClassNote(holdings, result)}) {
        if (!note.isEmpty())
            found.append(note + u'.');
    }
    return found;
}

QString outcomeName(RowOutcome outcome)
{
    switch (outcome) {
    case RowOutcome::Priced:
        return QStringLiteral("priced");
    case RowOutcome::LastKnown:
        return QStringLiteral("lastKnown");
    case RowOutcome::Unpriced:
        return QStringLiteral("unpriced");
    case RowOutcome::NotLookedUp:
        return QStringLiteral("notLookedUp");
    case RowOutcome::NotHeld:
        break;
    }
    return {};
}

QJsonValue orNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

void addPrice(QJsonObject &entry, const CalculationResult &result, int row)
{
    const std::optional<QuoteResult> &quote = result.quotes[row];
    if (!quote || !quote->valued()) {
        entry.insert(QStringLiteral("price"), QJsonValue::Null);
    } else {
        entry.insert(QStringLiteral("price"), givenPrice(*quote));
        entry.insert(QStringLiteral("currency"), quote->currency);
        const std::optional<PriceConversion> &conversion = quote->conversion;
        entry.insert(QStringLiteral("rate"), conversion ? conversion->multiplier : 1.0);
        entry.insert(QStringLiteral("rateSource"),
                     conversion ? QJsonValue(conversion->rate.source) : QJsonValue(QJsonValue::Null));
        entry.insert(QStringLiteral("rateDate"), conversion && conversion->rate.date.isValid()
                                                     ? QJsonValue(conversion->rate.date.toString(Qt::ISODate))
                                                     : QJsonValue(QJsonValue::Null));
        entry.insert(QStringLiteral("source"), quote->source);
        entry.insert(QStringLiteral("fetched"),
                     quote->fetched.isValid() ? QJsonValue(quote->fetched.toUTC().toString(Qt::ISODate))
                                              : QJsonValue(QJsonValue::Null));
    }
    if (quote && !quote->priced())
        entry.insert(QStringLiteral("reason"), quote->reason());
}

QJsonArray holdingsArray(const Holdings &holdings, const CalculationResult &result)
{
    QJsonArray entries;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const Holding &holding = holdings[row];
        if (!isHeld(holding))
            continue;
        QJsonObject entry{{QStringLiteral("row"), row + 1},
                          {QStringLiteral("name"), holding.name},
                          {QStringLiteral("symbol"), holding.symbol},
                          {QStringLiteral("shares"), holding.shares},
                          {QStringLiteral("class"), orNull(className(holding.assetClass))},
                          {QStringLiteral("value"), result.value[row]},
                          {QStringLiteral("percent"), result.percent[row]},
                          {QStringLiteral("status"), outcomeName(result.outcome[row])}};
        addPrice(entry, result, row);
        entries.append(entry);
    }
    return entries;
}

QJsonArray classesArray(const CalculationResult &result)
{
    QJsonArray entries;
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        entries.append(QJsonObject{{QStringLiteral("class"), *className(assetClass)},
                                   {QStringLiteral("amount"), double(truncateToInteger(result.classSum[assetClass]))},
                                   {QStringLiteral("percent"), result.classPercent[assetClass]}});
    }
    return entries;
}

// All rows at once, as the window's Calculate does; returns once every held
// row has settled.
CalculationResult priceHoldings(const Holdings &holdings, std::shared_ptr<QuoteService> service)
{
    CalculationRun run(holdings, std::move(service));
    QEventLoop loop;
    QObject::connect(&run, &CalculationRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (run.isRunning())
        loop.exec();
    return run.result();
}

} // namespace

QString reportText(const Holdings &holdings, const CalculationResult &result, const QDateTime &when,
                   const QString &currency)
{
    QString text = tr("Holdings priced %1, values in %2\n\n")
                       .arg(QLocale::c().toString(when, QStringLiteral("d MMM yyyy HH:mm")), currency);
    text += holdingsTable(holdings, result) + u'\n' + classTable(result) + u'\n';
    text += tr("Total  %1\n").arg(result.totalText);
    for (const QString &note : notes(holdings, result))
        text += note + u'\n';
    return text;
}

QJsonDocument reportJson(const Holdings &holdings, const CalculationResult &result, const QDateTime &when,
                         const QString &currency)
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("time"), when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate)},
        {QStringLiteral("currency"), currency},
        {QStringLiteral("holdings"), holdingsArray(holdings, result)},
        {QStringLiteral("classes"), classesArray(result)},
        {QStringLiteral("total"), double(truncateToInteger(result.total))},
        {QStringLiteral("notes"), QJsonArray::fromStringList(notes(holdings, result))}});
}

int reportExitCode(const CalculationResult &result)
{
    const bool allPriced = std::all_of(result.outcome.cbegin(), result.outcome.cend(), [](RowOutcome outcome) {
        return outcome == RowOutcome::NotHeld || outcome == RowOutcome::Priced;
    });
    return allPriced ? ReportPricedExitCode : ReportIncompleteExitCode;
}

int runReportCommand(const QString &path, bool json, const QString &currency)
{
    const ProfileLoad profile = loadProfileFile(path);
    if (!profile.holdings) {
        tellProblem(profile.message);
        return ReportProfileErrorExitCode;
    }
    const std::unique_ptr<QSettings> settings = openUserSettings();
    ProgramPricing pricing(*settings);
    tellProblem(pricing.prices().load());
    const PricingChain chain = pricing.chain();
    for (const QString &problem : chain.problems())
        tellProblem(problem);

    const QString report = currency.isEmpty() ? ReportCurrency::savedCode(*settings, QLocale::system()) : currency;
    const CalculationResult result = priceHoldings(*profile.holdings, chain.inReportCurrency(report));
    const QDateTime when = QDateTime::currentDateTime();
    tellProblem(pricing.prices().save());

    const QByteArray text = json ? reportJson(*profile.holdings, result, when, report).toJson()
                                 : reportText(*profile.holdings, result, when, report).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    return reportExitCode(result);
}

int runForgetPricesCommand()
{
    const std::unique_ptr<QSettings> settings = openUserSettings();
    const QString problem = PriceMemory(*settings).forget();
    tellProblem(problem);
    return problem.isEmpty() ? 0 : 1;
}
