#pragma once

#include "allocationpicture.h"

#include <QChartView>

class QPieSeries;

// A donut of the asset classes' amounts, beside the allocation summary;
// its key is the AllocationLegend.
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
    AllocationPicture m_picture;
};
