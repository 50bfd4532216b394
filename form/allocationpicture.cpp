#include "allocationpicture.h"

#include "amountformat.h"
#include "classpalette.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("AllocationChart", text);
}

QString toolTipFor(const AllocationPicture &picture)
{
    QStringList lines;
    for (const AllocationSlice &slice : picture.slices)
        lines << QStringLiteral("%1: %2").arg(slice.label, FormatGroupedAmount(slice.amount));
    if (!picture.leftOut.isEmpty())
        lines << tr("Left out (negative): %1").arg(picture.leftOut.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

AllocationPicture allocationPicture(const std::array<double, AssetClassCount> &classSums,
                                    const std::array<qint64, AssetClassCount> &classPercents,
                                    double total)
{
    AllocationPicture picture;
    if (total == 0.0) {
        picture.emptyText = tr("No holdings priced");
        return picture;
    }
    for (int assetClass = 0; assetClass < AssetClassCount; ++assetClass) {
        const double amount = classSums[assetClass];
        const QString name = QString::fromLatin1(AssetClassLabels[assetClass]);
        if (amount > 0.0) {
            picture.slices.append({assetClass,
                                   QStringLiteral("%1 %2%").arg(name).arg(classPercents[assetClass]),
                                   amount, ClassPalette::classColor(assetClass)});
        } else if (amount < 0.0) {
            picture.leftOut.append(QStringLiteral("%1 %2").arg(name, FormatGroupedAmount(amount)));
        }
    }
    if (picture.slices.isEmpty())
        picture.emptyText = tr("No asset class to chart");
    picture.toolTip = toolTipFor(picture);
    return picture;
}
