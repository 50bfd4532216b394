#include "calculationstatus.h"

#include "amountformat.h"
#include "pricenote.h"

#include <QCoreApplication>
#include <QLocale>
#include <QList>
#include <QStringList>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CalculationStatus", text);
}

// "1 holding", "12 holdings".
QString holdingCount(int count)
{
    return count == 1 ? tr("1 holding") : tr("%1 holdings").arg(count);
}

QString shownSymbol(const QString &symbol)
{
    return symbol.isEmpty() ? tr("(no symbol)") : symbol;
}

struct Tally
{
    int held = 0;
    int lookedUp = 0;
    int priced = 0;
    int failed = 0;
    int unvalued = 0;   // failed without a last known price: the total leaves them out
    // "reason: SYM, SYM" per reason, in the order the reasons first occur.
    QList<std::pair<QString, QStringList>> failures;
};

Tally tally(const Holdings &holdings, const CalculationResult &result)
{
    Tally counts;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const RowOutcome outcome = result.outcome[row];
        if (outcome == RowOutcome::NotHeld)
            continue;
        ++counts.held;
        if (outcome == RowOutcome::NotLookedUp)
            continue;
        ++counts.lookedUp;
        if (outcome == RowOutcome::Priced) {
            ++counts.priced;
            continue;
        }
        ++counts.failed;
        if (outcome == RowOutcome::Unpriced)
            ++counts.unvalued;
        const QString reason = result.quotes[row] ? result.quotes[row]->reason() : QString();
        auto group = std::find_if(counts.failures.begin(), counts.failures.end(),
                                  [&](const auto &entry) { return entry.first == reason; });
        if (group == counts.failures.end())
            group = counts.failures.insert(counts.failures.end(), {reason, {}});
        group->second.append(shownSymbol(holdings[row].symbol));
    }
    return counts;
}

QString failureGroups(const Tally &counts)
{
    QStringList groups;
    for (const auto &[reason, symbols] : counts.failures)
        groups.append(QStringLiteral("%1: %2").arg(reason, symbols.join(QStringLiteral(", "))));
    return groups.join(QStringLiteral("; "));
}

QString stoppedSummary(const Tally &counts)
{
    if (counts.lookedUp == 0)
        return tr("Stopped before any holding was looked up; nothing is priced");
    const QString done = tr("Stopped after %1 of %2").arg(counts.lookedUp).arg(holdingCount(counts.held));
    const QString covered = counts.priced == 0
                                ? tr("%1; none priced so far").arg(done)
                                : tr("%1; totals cover the %2 priced so far").arg(done).arg(counts.priced);
    if (counts.failed == 0)
        return covered;
    return QStringLiteral("%1 \u2014 %2").arg(covered, failureGroups(counts));
}

// "5 of 6 holdings have no price; the total leaves them out".
QString leftOut(const Tally &counts)
{
    const QString of = tr("%1 of %2").arg(counts.unvalued).arg(holdingCount(counts.held));
    return counts.unvalued == 1 ? tr("%1 has no price; the total leaves it out").arg(of)
                                : tr("%1 have no price; the total leaves them out").arg(of);
}

} // namespace

QString calculationSummary(const Holdings &holdings, const CalculationResult &result)
{
    const Tally counts = tally(holdings, result);
    if (counts.held == 0)
        return tr("No holdings with shares to price.");
    if (result.partial)
        return stoppedSummary(counts);
    if (counts.failed == 0)
        return tr("%1 priced.").arg(holdingCount(counts.held));
    if (counts.unvalued == counts.failed)
        return QStringLiteral("%1 \u2014 %2").arg(leftOut(counts), failureGroups(counts));
    // Some of the rows that failed are valued at their last known price.
    const QString failed = tr("%1 of %2 could not be priced \u2014 %3")
                               .arg(counts.failed)
                               .arg(holdingCount(counts.held), failureGroups(counts));
    return counts.unvalued == 0 ? failed : QStringLiteral("%1. %2").arg(leftOut(counts), failed);
}

QString leftOutNote(const Holdings &holdings, const CalculationResult &result)
{
    const Tally counts = tally(holdings, result);
    return result.partial || counts.unvalued == 0 ? QString() : leftOut(counts);
}

QString pricingProgress(int done, int count)
{
    return tr("Pricing %1 \u2014 %2 of %3 done").arg(holdingCount(count)).arg(done).arg(count);
}

QString rowQuoteNote(const CalculationResult &result, int row, const QDateTime &now)
{
    switch (result.outcome[row]) {
    case RowOutcome::Unpriced:
        return tr("Not priced: %1").arg(result.quotes[row]->reason());
    case RowOutcome::NotLookedUp:
        return tr("not looked up: stopped");
    case RowOutcome::Priced:
    case RowOutcome::LastKnown:
        return priceNote(*result.quotes[row], now);
    case RowOutcome::NotHeld:
        break;
    }
    return {};
}

QString lastKnownNote(const CalculationResult &result)
{
    int count = 0;
    QDateTime oldest;
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (result.outcome[row] != RowOutcome::LastKnown)
            continue;
        ++count;
        const QDateTime fetched = result.quotes[row]->fetched;
        if (fetched.isValid() && (!oldest.isValid() || fetched < oldest))
            oldest = fetched;
    }
    if (count == 0)
        return {};
    const QString date = QLocale::c().toString(oldest.toLocalTime().date(), QStringLiteral("d MMM yyyy"));
    if (count == 1) {
        return oldest.isValid() ? tr("1 holding is valued at its last known price (from %1)").arg(date)
                                : tr("1 holding is valued at its last known price");
    }
    return oldest.isValid()
               ? tr("%1 holdings are valued at their last known price (the oldest from %2)").arg(count).arg(date)
               : tr("%1 holdings are valued at their last known price").arg(count);
}

QString noClassNote(const Holdings &holdings, const CalculationResult &result)
{
    int count = 0;
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (isHeld(holdings[row]) && !isAssetClass(holdings[row].assetClass))
            ++count;
    }
    if (count == 0)
        return {};
    const QString has = count == 1 ? tr("1 holding has no asset class")
                                   : tr("%1 holdings have no asset class").arg(count);
    return tr("%1; %2 of the total is in no class").arg(has, FormatGroupedAmount(result.unclassedSum));
}

QString currencyNote(const CalculationResult &result)
{
    QString report;
    QDate keptFrom;
    for (int row = 0; row < HoldingRowCount; ++row) {
        const std::optional<QuoteResult> &quote = result.quotes[row];
        if (!quote || !quote->valued() || !quote->conversion)
            continue;
        report = quote->reportCurrency;
        const ExchangeRate &rate = quote->conversion->rate;
        if (rate.kept && (!keptFrom.isValid() || rate.date < keptFrom))
            keptFrom = rate.date;
    }
    if (report.isEmpty())
        return {};
    if (!keptFrom.isValid())
        return tr("Values in %1").arg(report);
    return tr("Values in %1 at rates from %2; today's rates could not be fetched")
        .arg(report, QLocale::c().toString(keptFrom, QStringLiteral("d MMM yyyy")));
}

QString resultCurrency(const CalculationResult &result)
{
    for (const std::optional<QuoteResult> &quote : result.quotes) {
        if (quote && !quote->reportCurrency.isEmpty())
            return quote->reportCurrency;
    }
    return {};
}

QString runStatus(const QDateTime &when, const Holdings &holdings, const CalculationResult &result)
{
    QString summary = calculationSummary(holdings, result);
    if (summary.endsWith(u'.'))
        summary.chop(1);
    // Rows valued at old prices come before the failures, which can run
    // past the line's end; the currency the values are in leads them all.
    QStringList parts;
    for (const QString &note :
         {currencyNote(result), lastKnownNote(result), summary, noClassNote(holdings, result)}) {
        if (!note.isEmpty())
            parts.append(note);
    }
    const QString time = QLocale::c().toString(when.toLocalTime().time(), QStringLiteral("HH:mm"));
    return QStringLiteral("%1 \u2014 %2.").arg(time, parts.join(QStringLiteral(". ")));
}

bool needsQuoteSource(const CalculationResult &result)
{
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (result.outcome[row] == RowOutcome::Unpriced
            && result.quotes[row]->failure == QuoteFailure::NoQuoteSource)
            return true;
    }
    return false;
}
