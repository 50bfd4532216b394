#pragma once

#include "assetclass.h"

#include <QString>

class HoldingsForm;
class QComboBox;
struct HoldingsFields;

// One screen row's fields and class selector.
class HoldingRow
{
public:
    HoldingRow(HoldingsFields &fields, QComboBox &selector, int row);

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
    void fill(HoldingsFields &fields, HoldingsForm &form);
    bool isFilled() const { return m_fields != nullptr; }

    static constexpr int size() { return HoldingRowCount; }
    HoldingRow row(int index) const;

private:
    HoldingsFields *m_fields = nullptr;
    HoldingsForm *m_form = nullptr;
};
