#pragma once

#include "assetclass.h"
#include "holding.h"

#include <QString>

class HoldingsForm;
class QComboBox;
struct CalculationResult;
struct FormFields;

// One screen row's fields and class selector.
class HoldingRow
{
public:
    HoldingRow(FormFields &fields, QComboBox &selector, int row);

    QString &name;
    QString &symbol;
    double &shares;
    double &value;
    qint64 &percent;

    // The selector's current index; NoAssetClass when nothing is chosen.
    int assetClass() const;
    // Anything outside the five classes leaves nothing chosen.
    void setAssetClass(int assetClass);

private:
    QComboBox &m_selector;
};

// Indexed access to the twenty rows in screen order, top row first. Filled
// once when the dialog is set up; valid while the form and fields live.
class RowTable
{
public:
    void fill(FormFields &fields, const HoldingsForm &form);
    bool isFilled() const { return m_fields != nullptr; }

    static constexpr int size() { return HoldingRowCount; }
    HoldingRow row(int index) const;

    // The form's two moves, on the fields (the field exchange moves them to
    // and from the boxes): the rows as values, and values into the rows.
    Holdings holdings() const;
    void setHoldings(const Holdings &holdings) const;

    // A calculation's figures into the rows' value and percent fields and
    // the summary's fields.
    void setResult(const CalculationResult &result) const;
    // Before a calculation: the rows' values and percents are 0 and the
    // summary's amounts empty until its figures come.
    void clearResult() const;

private:
    FormFields *m_fields = nullptr;
    const HoldingsForm *m_form = nullptr;
};
