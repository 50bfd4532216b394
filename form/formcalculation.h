#pragma once

#include "assettargets.h"
#include "rebalancebasis.h"

#include <QObject>

#include <memory>

class CalculationRun;
class HoldingsForm;
class QuoteService;
class RowTable;
struct FormFields;

// A calculation as the form shows it: each row's value as its price comes,
// the progress, then every figure, the rows' marks, the chart and the
// status line once every row has settled.
class FormCalculation : public QObject
{
    Q_OBJECT

public:
    FormCalculation(HoldingsForm &form, const RowTable &rows, FormFields &fields, QObject *parent = nullptr);
    ~FormCalculation() override;

    // Prices the rows the fields hold now.
    void start(std::shared_ptr<QuoteService> service);
    // The rows priced so far are shown; finished() comes before this returns.
    void stop();
    bool isRunning() const;

    // The last finished calculation, or an empty basis before the first.
    RebalanceBasis lastCalculation() const;
    // Drops the last result, when none is running: the holdings it priced
    // are gone, and the chart and advice are not to show it.
    void forgetResult();
    // The chart: the last finished calculation's classes, and the targets.
    void showAllocation(const AssetTargets &targets) const;

Q_SIGNALS:
    void finished();

private:
    void showProgress(int settled, int count) const;
    void showRowSettled(int row, int settled, int count) const;
    void showResult();

    HoldingsForm &m_form;
    const RowTable &m_rows;
    FormFields &m_fields;
    std::unique_ptr<CalculationRun> m_run;
};
