#pragma once

#include "allocationpicture.h"

#include <QLabel>

// The key to the allocation chart: a colour mark, the class and its
// percentage for every slice drawn.
class AllocationLegend : public QLabel
{
    Q_OBJECT

public:
    explicit AllocationLegend(QWidget *parent = nullptr);

    void showPicture(const AllocationPicture &picture);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitText();
};
