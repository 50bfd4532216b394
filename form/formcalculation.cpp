#include "formcalculation.h"

#include "allocationpicture.h"
#include "calculationrun.h"
#include "calculationstatus.h"
#include "computedbox.h"
#include "fieldexchange.h"
#include "holdingsform.h"
#include "rowtable.h"
#include "statuslink.h"
#include "statusline.h"

#include <QProgressBar>

#include <algorithm>

FormCalculation::FormCalculation(HoldingsForm &form, const RowTable &rows, FormFields &fields, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_rows(rows)
    , m_fields(fields)
{
}

// Ends any lookup in flight before the form it reports to goes away.
FormCalculation::~FormCalculation() = default;

void FormCalculation::start(std::shared_ptr<QuoteService> service)
{
    m_rows.clearResult();
    transferFieldsToForm(m_fields, m_form);

    m_run = std::make_unique<CalculationRun>(m_rows.holdings(), std::move(service));
    connect(m_run.get(), &CalculationRun::rowSettled, this, &FormCalculation::showRowSettled);
    connect(m_run.get(), &CalculationRun::waitingChanged, this,
            [this] { showProgress(m_run->settledCount(), m_run->heldCount()); });
    connect(m_run.get(), &CalculationRun::finished, this, &FormCalculation::showResult);
    m_form.setCalculating(true);
    showProgress(0, m_run->heldCount());
    m_run->start();
}

void FormCalculation::stop()
{
    if (m_run)
        m_run->stop();
}

bool FormCalculation::isRunning() const
{
    return m_run && m_run->isRunning();
}

void FormCalculation::showProgress(int settled, int count) const
{
    m_form.progressBar()->setRange(0, count);
    m_form.progressBar()->setValue(settled);
    const QString waiting = m_run ? m_run->waitingNote() : QString();
    const QString progress = pricingProgress(settled, count);
    m_form.statusLabel()->showStatus(waiting.isEmpty() ? progress : tr("%1; %2").arg(progress, waiting));
}

// A row's value shows as soon as its price is in; the shares of the whole
// wait for every row.
void FormCalculation::showRowSettled(int row, int settled, int count) const
{
    if (const std::optional<QuoteResult> &quote = m_run->quote(row)) {
        HoldingRow holding = m_rows.row(row);
        holding.value = rowValue(m_run->holdings()[row], *quote);
        m_form.valueBox(row)->setText(formatBoxNumber(holding.value));
        // The look of an earlier run (greyed by a Stop, amber) goes with
        // its value.
        m_form.showRowLook(row, quote->priced()     ? RowOutcome::Priced
                                : quote->lastKnown ? RowOutcome::LastKnown
                                                   : RowOutcome::Unpriced);
    }
    // The last row is followed at once by the result.
    if (settled < count)
        showProgress(settled, count);
}

void FormCalculation::showResult()
{
    const CalculationResult &result = m_run->result();
    m_rows.setResult(result);
    transferFieldsToForm(m_fields, m_form);
    const QDateTime now = QDateTime::currentDateTime();
    m_form.showRowOutcomes(result, now);
    m_form.setCalculating(false);
    m_form.quoteSourcesLink()->setVisible(needsQuoteSource(result));
    m_form.statusLabel()->showStatus(runStatus(now, m_run->holdings(), result));
    Q_EMIT finished();
}

void FormCalculation::forgetResult()
{
    if (!isRunning())
        m_run.reset();
}

RebalanceBasis FormCalculation::lastCalculation() const
{
    if (!m_run || m_run->isRunning())
        return {};
    return rebalanceBasis(m_run->holdings(), m_run->result(), m_run->wasStopped());
}

void FormCalculation::showAllocation(const AssetTargets &targets) const
{
    // Before the first calculation the chart shows only the targets.
    const CalculationResult none;
    const bool settled = m_run && !m_run->isRunning();
    const CalculationResult &result = settled ? m_run->result() : none;
    AllocationPicture picture = allocationPicture(result.classSum, result.classPercent, result.total, targets);
    addNoClass(picture, result.unclassedSum, result.unclassedPercent);
    if (result.partial)
        markPartial(picture);
    else if (const QString leftOut = settled ? leftOutNote(m_run->holdings(), result) : QString(); !leftOut.isEmpty())
        markPartial(picture, leftOut);
    if (std::find(result.outcome.begin(), result.outcome.end(), RowOutcome::LastKnown) != result.outcome.end())
        markLastKnown(picture);
    markCurrency(picture, resultCurrency(result));
    m_form.showAllocation(picture);
}
