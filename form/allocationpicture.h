#pragma once

#include "assetclass.h"
#include "assettargets.h"

#include <QColor>
#include <QList>
#include <QString>

#include <array>

struct AllocationSlice
{
    int assetClass = NoAssetClass;
    QString label;   // "Stocks 55%"
    double amount = 0.0;
    QColor color;
};

// What the allocation chart shows for one calculation: a slice per class
// with a positive amount, or, with nothing to draw, a text saying why.
struct AllocationPicture
{
    QList<AllocationSlice> slices;
    QString emptyText;
    // Classes with a negative amount: shown in the summary, not drawn.
    QStringList leftOut;
    QString toolTip;
    // With targets set, a thin outer ring of the targets, one part per class
    // with a target above 0; its amounts are the target percents.
    QList<AllocationSlice> targetRing;
    // "partial" when the calculation was stopped before every holding had
    // its lookup, or some holding has no price, so the chart and its key
    // cannot pass for the whole.
    QString caption;
    // The amounts' currency, named at the head of the key: "In EUR".
    QString currency;
};

// Slices carry the summary's percentages so the chart and the numbers
// beside it never disagree.
AllocationPicture allocationPicture(const std::array<double, AssetClassCount> &classSums,
                                    const std::array<qint64, AssetClassCount> &classPercents,
                                    double total, const AssetTargets &targets = std::nullopt);

// Marks a picture as covering only part: of a stopped calculation, or,
// with `why`, for that reason.
void markPartial(AllocationPicture &picture, const QString &why = {});
// Marks a picture whose amounts include last known prices.
void markLastKnown(AllocationPicture &picture);
// Names the currency of the amounts in the key's heading, when there is
// anything to chart.
void markCurrency(AllocationPicture &picture, const QString &currency);
// Adds the held rows in no class as a slice of their own, "No class", when
// they add something.
void addNoClass(AllocationPicture &picture, double amount, qint64 percent);

// The chart's title: why nothing is drawn, and whether it is partial.
QString chartTitle(const AllocationPicture &picture);

// The key's heading: the currency and the caption.
QString legendHeading(const AllocationPicture &picture);
// The key's entries as plain text, for assistive tools.
QString legendText(const AllocationPicture &picture);
