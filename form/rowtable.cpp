#include "rowtable.h"

#include "holdingsfields.h"
#include "holdingsform.h"

#include <QComboBox>

HoldingRow::HoldingRow(HoldingsFields &fields, QComboBox &selector, int row)
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

void RowTable::fill(HoldingsFields &fields, HoldingsForm &form)
{
    m_fields = &fields;
    m_form = &form;
}

HoldingRow RowTable::row(int index) const
{
    Q_ASSERT(isFilled());
    return HoldingRow(*m_fields, *m_form->classSelector(index), index);
}
