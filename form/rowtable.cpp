#include "rowtable.h"

#include "calculation.h"
#include "formfields.h"
#include "holdingsform.h"

#include <QComboBox>

HoldingRow::HoldingRow(FormFields &fields, QComboBox &selector, int row)
    : name(fields.name.at(row))
    , symbol(fields.symbol.at(row))
    , shares(fields.shares.at(row))
    , value(fields.value.at(row))
    , percent(fields.percent.at(row))
    , m_selector(selector)
{
}

int HoldingRow::assetClass() const
{
    return m_selector.currentIndex();
}

void HoldingRow::setAssetClass(int assetClass)
{
    m_selector.setCurrentIndex(isAssetClass(assetClass) ? assetClass : NoAssetClass);
}

void RowTable::fill(FormFields &fields, const HoldingsForm &form)
{
    m_fields = &fields;
    m_form = &form;
}

HoldingRow RowTable::row(int index) const
{
    Q_ASSERT(isFilled());
    return HoldingRow(*m_fields, *m_form->classSelector(index), index);
}

Holdings RowTable::holdings() const
{
    Holdings holdings;
    for (int r = 0; r < size(); ++r) {
        const HoldingRow shown = row(r);
        holdings[r] = Holding{shown.name, shown.symbol, shown.shares, shown.assetClass()};
    }
    return holdings;
}

void RowTable::setHoldings(const Holdings &holdings) const
{
    for (int r = 0; r < size(); ++r) {
        HoldingRow shown = row(r);
        shown.name = holdings[r].name;
        shown.symbol = holdings[r].symbol;
        shown.shares = holdings[r].shares;
        shown.setAssetClass(holdings[r].assetClass);
    }
}

void RowTable::setResult(const CalculationResult &result) const
{
    for (int r = 0; r < size(); ++r) {
        HoldingRow shown = row(r);
        shown.value = result.value[r];
        shown.percent = result.percent[r];
    }
    m_fields->totalText = result.totalText;
    m_fields->classAmountText = result.classAmountText;
    m_fields->classPercent = result.classPercent;
}

void RowTable::clearResult() const
{
    for (int r = 0; r < size(); ++r) {
        HoldingRow shown = row(r);
        shown.value = 0.0;
        shown.percent = 0;
    }
    m_fields->totalText.clear();
    for (QString &amount : m_fields->classAmountText)
        amount.clear();
}
