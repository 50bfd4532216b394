#pragma once

#include "allocationpicture.h"

#include <QChartView>

class QPieSeries;

// A donut of the asset classes' amounts, beside the allocation summary;
// its key is the AllocationLegend. Targets, when set, run round it as a thin
// ring in the same colours.
class AllocationChart : public QChartView
{
    Q_OBJECT

public:
    explicit AllocationChart(QWidget *parent = nullptr);

    void showPicture(const AllocationPicture &picture);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyThemeColors();

    QPieSeries *m_series = nullptr;
    QPieSeries *m_targetRing = nullptr;
    AllocationPicture m_picture;
};
